#include "model/VLXImage.h"

#include "model/TemplateValues.h"
#include "model/extensionManagerImage.h"

// The values of the image's placeholders of a template export, then its extensions'.

void VLXImage::actuallyBuildExport(TemplateValues &values) const
{
    const auto address = TemplateValues::Holds::Address;
    values.put(u"~~~FeedImageUrl~~~", m_URL, address);
    values.put(u"~~~FeedImageTitle~~~", m_title);
    values.put(u"~~~FeedImageLink~~~", m_link, address);
    values.put(u"~~~FeedImageDescription~~~", m_description);
    values.put(u"~~~FeedImageHeight~~~", m_height);
    values.put(u"~~~FeedImageWidth~~~", m_width);
    m_XMLExtensions->actuallyBuildExport(values);
}
