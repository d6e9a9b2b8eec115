#include "model/VLXItems.h"

#include "io/VLXExportTemplate.h"
#include "model/ExtensionTexts.h"
#include "model/extensionManagerItem.h"

// The values of one item's placeholders of a template export, then its extensions'.

void VLXItems::actuallyBuildExport(TemplateValues &values) const
{
    using D = VLXExportTemplate::DateStyle;
    const auto html = TemplateValues::Holds::HTML;
    const auto address = TemplateValues::Holds::Address;
    // Only what the template asks for is computed: the content text means reading the
    // extension's XML back, and reading the date costs more than the rest together.
    QString encoded;
    if (values.asks(u"~~~ItemContentEncoded~~~"))
        encoded = ExtensionTexts(*m_XMLExtensions)
                      .text(KnownNamespace::contentEncoded, QStringLiteral("encoded"));
    const bool hasCategory = !m_category.isEmpty();
    values.put(u"~~~ItemTitle~~~", m_title);
    const QString description = descriptionElement();
    values.put(u"~~~ItemDescription~~~", description, html);
    values.put(u"~~~ItemContentEncoded~~~", encoded.isEmpty() ? description : encoded, html);
    values.put(u"~~~ItemLink~~~", m_link, address);
    values.put(u"~~~ItemPubDate~~~", m_pubDate);
    // A permalink guid is the item's address; any other is an identifier shown as text.
    values.put(u"~~~ItemGuid~~~", m_GUID,
               m_GUIDAttr != 0 ? address : TemplateValues::Holds::PlainText);
    const auto date = [&](QStringView placeholder, D style) {
        if (values.asks(placeholder))
            values.put(placeholder, VLXExportTemplate::formatPubDate(m_pubDate, style));
    };
    date(u"~~~ItemPubLongDate~~~", D::Long);
    date(u"~~~ItemPubShortDate~~~", D::Short);
    date(u"~~~ItemPubLongTime~~~", D::Time);
    date(u"~~~ItemPubShortTime~~~", D::Time);
    values.put(u"~~~ItemEnclosureUrl~~~", m_enclosureAttrURL, address);
    values.put(u"~~~ItemEnclosureType~~~", m_enclosureAttrType);
    values.put(u"~~~ItemEnclosureLength~~~", m_enclosureAttrLength);
    if (values.asks(u"~~~ItemEnclosureLengthFormatted~~~"))
        values.put(u"~~~ItemEnclosureLengthFormatted~~~", enclosureAttrLengthFormatted());
    values.put(u"~~~ItemAuthor~~~", m_author);
    values.put(u"~~~ItemCategory~~~",
               hasCategory ? m_category.first().categoryString() : QString());
    values.put(u"~~~ItemCategoryDomain~~~",
               hasCategory ? m_category.first().categoryDomainString() : QString());
    m_XMLExtensions->actuallyBuildExport(values);
}
