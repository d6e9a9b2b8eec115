#include "model/VLXItems.h"

#include "io/VLXExportTemplate.h"
#include "model/ExtensionTexts.h"
#include "model/extensionManagerItem.h"

// One item record of a template export: the item's placeholders, then its extensions'.

QString VLXItems::actuallyBuildExport(const QString &record,
                                      const QVariantList &substitutions) const
{
    QString text = record;
    using D = VLXExportTemplate::DateStyle;
    const auto put = [&](QStringView placeholder, const QString &value,
                         VLXExportTemplate::Holds holds = VLXExportTemplate::Holds::PlainText) {
        VLXExportTemplate::replacePlaceholder(text, placeholder, value, substitutions, holds);
    };
    const auto html = VLXExportTemplate::Holds::HTML;
    const auto address = VLXExportTemplate::Holds::Address;
    // Only what the record asks for is computed: the content text means reading the
    // extension's XML back.
    QString encoded;
    if (text.contains(u"~~~ItemContentEncoded~~~"))
        encoded = ExtensionTexts(*m_XMLExtensions)
                      .text(KnownNamespace::contentEncoded, QStringLiteral("encoded"));
    const bool hasCategory = !m_category.isEmpty();
    put(u"~~~ItemTitle~~~", m_title);
    const QString description = descriptionElement();
    put(u"~~~ItemDescription~~~", description, html);
    put(u"~~~ItemContentEncoded~~~", encoded.isEmpty() ? description : encoded, html);
    put(u"~~~ItemLink~~~", m_link, address);
    put(u"~~~ItemPubDate~~~", m_pubDate);
    // A permalink guid is the item's address; any other is an identifier shown as text.
    put(u"~~~ItemGuid~~~", m_GUID, m_GUIDAttr != 0 ? address : VLXExportTemplate::Holds::PlainText);
    if (text.contains(u"~~~ItemPub")) { // reading the date costs more than the rest together
        put(u"~~~ItemPubLongDate~~~", VLXExportTemplate::formatPubDate(m_pubDate, D::Long));
        put(u"~~~ItemPubShortDate~~~", VLXExportTemplate::formatPubDate(m_pubDate, D::Short));
        const QString time = VLXExportTemplate::formatPubDate(m_pubDate, D::Time);
        put(u"~~~ItemPubLongTime~~~", time);
        put(u"~~~ItemPubShortTime~~~", time);
    }
    put(u"~~~ItemEnclosureUrl~~~", m_enclosureAttrURL, address);
    put(u"~~~ItemEnclosureType~~~", m_enclosureAttrType);
    put(u"~~~ItemEnclosureLength~~~", m_enclosureAttrLength);
    put(u"~~~ItemEnclosureLengthFormatted~~~", enclosureAttrLengthFormatted());
    put(u"~~~ItemAuthor~~~", m_author);
    put(u"~~~ItemCategory~~~", hasCategory ? m_category.first().categoryString() : QString());
    put(u"~~~ItemCategoryDomain~~~",
        hasCategory ? m_category.first().categoryDomainString() : QString());
    return m_XMLExtensions->actuallyBuildExport(text, substitutions);
}
