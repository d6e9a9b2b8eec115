#include "model/VLXItems.h"

#include "io/VLXRSSWriter.h"

// The item's side of the RSS 2.0 writer; the writing itself is VLXRSSWriter's.

QString VLXItems::buildXML(const QString &prefix, bool withExtensions) const
{
    UTF8Writer xml(512 + descriptionSizeHint());
    VLXRSSWriter().appendItem(xml, *this, prefix, withExtensions);
    return QString::fromUtf8(xml.view());
}
