#include "model/VLXImage.h"

#include "io/VLXRSSWriter.h"

// The image's side of the RSS 2.0 writer; the writing itself is VLXRSSWriter's.

QString VLXImage::buildXML(const QString &prefix) const
{
    QString xml;
    VLXRSSWriter().appendImage(xml, *this, prefix);
    VLXRSSWriter::removeCharactersXMLCannotHold(xml);
    return xml.isNull() ? QStringLiteral("") : xml;
}
