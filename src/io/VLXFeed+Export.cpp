#include "model/VLXFeed.h"

#include "io/VLXExportTemplate.h"
#include "io/VLXRSSWriter.h"
#include "model/ExtensionTexts.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"

// Template exports of the channel: the channel's placeholders, then its extensions', the
// image's and the item records.

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

    using D = VLXExportTemplate::DateStyle;
    const auto put = [&](QStringView placeholder, const QString &value,
                         VLXExportTemplate::Holds holds = VLXExportTemplate::Holds::PlainText) {
        VLXExportTemplate::replacePlaceholder(text, placeholder, value, substitutions, holds);
    };
    const auto html = VLXExportTemplate::Holds::HTML;
    const auto address = VLXExportTemplate::Holds::Address;
    const QString encoded = ExtensionTexts(*m_XMLExtensions)
                                .text(KnownNamespace::contentEncoded, QStringLiteral("encoded"));
    put(u"~~~FeedTitle~~~", m_title);
    put(u"~~~FeedDescription~~~", m_description, html);
    put(u"~~~FeedContentEncoded~~~", encoded.isEmpty() ? m_description : encoded, html);
    put(u"~~~FeedLink~~~", m_link, address);
    put(u"~~~FeedPubDate~~~", m_pubDate);
    put(u"~~~FeedPubLongDate~~~", VLXExportTemplate::formatPubDate(m_pubDate, D::Long));
    put(u"~~~FeedPubShortDate~~~", VLXExportTemplate::formatPubDate(m_pubDate, D::Short));
    put(u"~~~FeedPubLongTime~~~", VLXExportTemplate::formatPubDate(m_pubDate, D::Time));
    put(u"~~~FeedPubShortTime~~~", VLXExportTemplate::formatPubDate(m_pubDate, D::Time));
    put(u"~~~FeedImageUrl~~~", m_image->URL(), address);
    put(u"~~~FeedImageTitle~~~", m_image->title());
    put(u"~~~FeedImageLink~~~", m_image->link(), address);

    text = m_XMLExtensions->actuallyBuildExport(text, substitutions);
    text = m_image->actuallyBuildExport(text, substitutions);
    VLXExportTemplate::removeDirectives(text);

    const std::vector<int> chosen
        = VLXRSSWriter::itemPositions(*this, noFuture, limitItems, maxNumber);
    VLXExportTemplate::fillRecords(text, int(chosen.size()), [&](int k, const QString &record) {
        return m_items.at(chosen[size_t(k)])->actuallyBuildExport(record, substitutions);
    });
    return text;
}
