#include "model/VLXImage.h"

#include "io/VLXRSSWriter.h"

// The image's side of the RSS 2.0 writer; the writing itself is VLXRSSWriter's.

QString VLXImage::buildXML(const QString &prefix) const
{
    UTF8Writer xml;
    VLXRSSWriter().appendImage(xml, *this, prefix);
    const QString text = QString::fromUtf8(xml.view());
    return text.isNull() ? QStringLiteral("") : text;
}
