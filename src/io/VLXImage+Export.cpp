#include "model/VLXImage.h"

#include "io/VLXExportTemplate.h"
#include "model/extensionManagerImage.h"

// The image's placeholders of a template export, then its extensions'.

QString VLXImage::actuallyBuildExport(const QString &templateText,
                                      const QVariantList &substitutions) const
{
    QString text = templateText;
    const auto put = [&](QStringView placeholder, const QString &value,
                         VLXExportTemplate::Holds holds = VLXExportTemplate::Holds::PlainText) {
        VLXExportTemplate::replacePlaceholder(text, placeholder, value, substitutions, holds);
    };
    const auto address = VLXExportTemplate::Holds::Address;
    put(u"~~~FeedImageUrl~~~", m_URL, address);
    put(u"~~~FeedImageTitle~~~", m_title);
    put(u"~~~FeedImageLink~~~", m_link, address);
    put(u"~~~FeedImageDescription~~~", m_description);
    put(u"~~~FeedImageHeight~~~", m_height);
    put(u"~~~FeedImageWidth~~~", m_width);
    return m_XMLExtensions->actuallyBuildExport(text, substitutions);
}
