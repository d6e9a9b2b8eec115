#include "extensions/mrss/mrssChannel.h"

#include "extensions/mrss/mrssChannelPrefs.h"

namespace {

using F = ExtensionField;

// The optional elements' table: each row's kind and its value.
const char *const kOptionalColumns[] = {"type", "value", nullptr};
const char *const kOptionalTitles[] = {"Element", "Value", nullptr};

const ExtensionField kFields[] = {
    {.name = "optionalElements",
     .outlet = "channelOptionalElementsTable",
     .element = "rating",
     .kind = F::Kind::List,
     .read = F::Read::Custom,
     .write = F::Write::Custom,
     .archiveKey = "Optional Elements",
     .defaultKey = "FD_AF_FF_EX_mrssChannel",
     .defaultIsObject = true,
     .helpAnchor = "YahooRSSMain",
     .label = "Optional Elements:",
     .widget = F::Widget::Table,
     .columns = kOptionalColumns,
     .columnTitles = kOptionalTitles},
};

const ExtensionDescriptor kDescriptor = {
    .ns = KnownNamespace::mediaRSS,
    .place = ExtensionPlace::Channel,
    .className = "mrssChannel",
    .elements = mrssOptionalElements::elementNames(),
    .fields = kFields,
};

// Both classes can be decoded from the settings as soon as the program runs.
[[maybe_unused]] const bool kRegistered
    = KeyedUnarchiver::registerClass(QStringLiteral("mrssChannel"),
                                     [] { return std::make_shared<mrssChannel>(); })
    && KeyedUnarchiver::registerClass(QStringLiteral("mrssChannelPrefs"),
                                      [] { return std::make_shared<mrssChannelPrefs>(); });

} // namespace

mrssChannel::mrssChannel() : FieldExtension(kDescriptor) { }

const ExtensionDescriptor &mrssChannel::classDescriptor()
{
    return kDescriptor;
}

QString mrssChannel::classDescriptionOfNamespace()
{
    return knownNamespaces::descriptionOfNamespace(KnownNamespace::mediaRSS);
}

QString mrssChannel::classDescriptionOfNamespaceShort()
{
    return knownNamespaces::descriptionOfNamespaceShort(KnownNamespace::mediaRSS);
}

void mrssChannel::setMediaOptionalElements(const mrssOptionalElements &set)
{
    if (set == m_elements)
        return;
    m_elements = set;
    fieldChanged(kOptionalElements);
}

int mrssChannel::parseXMLNodeIfMine(const vlxXMLNode *node)
{
    // The set holds a title, a description and a copyright once: a second one is kept.
    const int position = mrssOptionalElements::positionOf(node, fieldNames());
    if (position >= 0 && !m_elements.holds(position))
        m_elements.take(node, position);
    else
        keepUnreadElement(node, *this);
    return 0;
}

QString mrssChannel::buildXML(const QString &prefix) const
{
    return m_elements.buildXML(prefix) + keptXML(prefix);
}

void mrssChannel::appendXML(UTF8Writer &out, const QString &prefix) const
{
    m_elements.appendXML(out, prefix);
    appendKeptXML(out, prefix);
}

void mrssChannel::finalProcessing(VLXFeed *feed)
{
    Q_UNUSED(feed);
    m_elements.finalProcessing();
}

void mrssChannel::validate(VLXFeed *feed)
{
    Q_UNUSED(feed);
    m_elements.validate(this);
}

QStringList mrssChannel::listDisplayValues(int field) const
{
    QStringList rows;
    if (field != kOptionalElements)
        return rows;
    for (int row = 0; row < m_elements.objectCount(); ++row)
        rows.append(m_elements.objectShortDescriptionAtIndex(row));
    return rows;
}

int mrssChannel::listCount(int field) const
{
    return field == kOptionalElements ? m_elements.objectCount() : 0;
}

QString mrssChannel::listCellText(int field, int row, const QString &column) const
{
    return field == kOptionalElements ? m_elements.cellText(row, column) : QString();
}

QVariant mrssChannel::customValue(int field) const
{
    return field == kOptionalElements ? QVariant::fromValue(m_elements) : QVariant();
}

void mrssChannel::setCustomValue(int field, const QVariant &value)
{
    if (field == kOptionalElements)
        setMediaOptionalElements(mrssOptionalElements::fromArchivable(value));
}

QVariant mrssChannel::archiveCustom(int field) const
{
    return field == kOptionalElements ? m_elements.toArchivable() : QVariant();
}

void mrssChannel::applyCustomDefault(int field, const QVariant &setting)
{
    if (field != kOptionalElements)
        return;
    if (const auto defaults = KeyedArchivable::objectAs<mrssChannel>(setting))
        setMediaOptionalElements(defaults->mediaOptionalElements());
}

bool mrssChannel::customIsEmpty(int field) const
{
    return field != kOptionalElements || m_elements.isEmpty();
}
