#include "model/VLXFeed.h"

#include "io/VLXRSSWriter.h"

// The channel's side of the RSS 2.0 writer; the writing itself is VLXRSSWriter's.

QString VLXFeed::buildXML() const
{
    return buildXML(false, false, 0);
}

QString VLXFeed::buildXML(bool noFuture, bool limitItems, int limitNumber) const
{
    return QString::fromUtf8(buildXMLData(noFuture, limitItems, limitNumber));
}

QByteArray VLXFeed::buildXMLData(bool noFuture, bool limitItems, int limitNumber) const
{
    return VLXRSSWriter().document(*this, noFuture, limitItems, limitNumber);
}
