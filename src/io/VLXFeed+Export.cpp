#include "model/VLXFeed.h"

#include "io/VLXExportTemplate.h"
#include "io/VLXRSSWriter.h"
#include "model/ExtensionTexts.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"

// Template exports of the channel: the values of the channel's placeholders, then its
// extensions', the image's and each chosen item's, placed in one pass over the template.

QString VLXFeed::buildExport(int type, const QString &templatePath, bool noFuture, bool limitItems,
                             int maxNumber) const
{
    switch (type) {
    case VLXExportTemplate::HTML:
    case VLXExportTemplate::Text:
    case VLXExportTemplate::CSV:
        return actuallyBuildExport(templatePath, VLXExportTemplate::substitutionsForExport(type),
                                   noFuture, limitItems, maxNumber);
    case VLXExportTemplate::JavaScript:
        return VLXExportTemplate::finishJavaScript(
            actuallyBuildExport(templatePath, VLXExportTemplate::substitutionsForExport(type),
                                noFuture, limitItems, maxNumber));
    case VLXExportTemplate::RSSXML:
        return buildXML(noFuture, limitItems, maxNumber);
    default:
        return QStringLiteral("");
    }
}

QString VLXFeed::actuallyBuildExport(const QString &templatePath, const QVariantList &substitutions,
                                     bool noFuture, bool limitItems, int maxNumber) const
{
    QString text;
    if (!VLXExportTemplate::readTemplate(templatePath, &text))
        return QStringLiteral("");
    VLXExportTemplate::removeDirectives(text);
    const TemplateValues::Names asked = VLXExportTemplate::placeholdersIn(text);
    TemplateValues channel(&asked);

    using D = VLXExportTemplate::DateStyle;
    const auto html = TemplateValues::Holds::HTML;
    const auto address = TemplateValues::Holds::Address;
    QString encoded;
    if (channel.asks(u"~~~FeedContentEncoded~~~"))
        encoded = ExtensionTexts(*m_XMLExtensions)
                      .text(KnownNamespace::contentEncoded, QStringLiteral("encoded"));
    channel.put(u"~~~FeedTitle~~~", m_title);
    channel.put(u"~~~FeedDescription~~~", m_description, html);
    channel.put(u"~~~FeedContentEncoded~~~", encoded.isEmpty() ? m_description : encoded, html);
    channel.put(u"~~~FeedLink~~~", m_link, address);
    channel.put(u"~~~FeedPubDate~~~", m_pubDate);
    channel.put(u"~~~FeedPubLongDate~~~", VLXExportTemplate::formatPubDate(m_pubDate, D::Long));
    channel.put(u"~~~FeedPubShortDate~~~", VLXExportTemplate::formatPubDate(m_pubDate, D::Short));
    const QString time = VLXExportTemplate::formatPubDate(m_pubDate, D::Time);
    channel.put(u"~~~FeedPubLongTime~~~", time);
    channel.put(u"~~~FeedPubShortTime~~~", time);
    channel.put(u"~~~FeedImageUrl~~~", m_image->URL(), address);
    channel.put(u"~~~FeedImageTitle~~~", m_image->title());
    channel.put(u"~~~FeedImageLink~~~", m_image->link(), address);
    m_XMLExtensions->actuallyBuildExport(channel);
    m_image->actuallyBuildExport(channel);

    const std::vector<int> chosen
        = VLXRSSWriter::itemPositions(*this, noFuture, limitItems, maxNumber);
    return VLXExportTemplate::fillTemplate(
        text, channel, substitutions, int(chosen.size()), [&](int k, TemplateValues &values) {
            m_items.at(chosen[size_t(k)])->actuallyBuildExport(values);
        });
}
