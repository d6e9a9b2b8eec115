#include "model/VLXImage.h"

#include "io/VLXExportTemplate.h"
#include "model/extensionManagerImage.h"

// The image's placeholders of a template export, then its extensions'.

QString VLXImage::actuallyBuildExport(const QString &templateText,
                                      const QVariantList &substitutions) const
{
    QString text = templateText;
    const auto put = [&](QStringView placeholder, const QString &value) {
        VLXExportTemplate::replacePlaceholder(text, placeholder, value, substitutions);
    };
    put(u"~~~FeedImageUrl~~~", m_URL);
    put(u"~~~FeedImageTitle~~~", m_title);
    put(u"~~~FeedImageLink~~~", m_link);
    put(u"~~~FeedImageDescription~~~", m_description);
    put(u"~~~FeedImageHeight~~~", m_height);
    put(u"~~~FeedImageWidth~~~", m_width);
    return m_XMLExtensions->actuallyBuildExport(text, substitutions);
}
