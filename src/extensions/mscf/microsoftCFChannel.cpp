#include "extensions/mscf/microsoftCFChannel.h"

#include "extensions/OwnElementNames.h"
#include "extensions/mscf/microsoftCFChannelPrefs.h"
#include "model/VLXFeed.h"
#include "model/VLXLogic.h"
#include "xml/vlxXMLDOM.h"

const QString microsoftCFChannel::kDefaultNSKey = QStringLiteral("MSCFListInfoItemDefaultNS");
const QString microsoftCFChannel::kDefaultElementKey
    = QStringLiteral("MSCFListInfoItemDefaultElement");
const QString microsoftCFChannel::kDefaultDataTypeKey
    = QStringLiteral("MSCFListInfoItemDefaultDataType");
const QString microsoftCFChannel::kOldITunesURI
    = QStringLiteral("http://www.itunes.com/DTDs/Podcast-1.0.dtd");

namespace {

using F = ExtensionField;

const QString kDTDURL = QStringLiteral("DTDURL");
const QString kSortTags = QStringLiteral("sortTags");

const char *const kElements[] = {"treatAs", "listinfo"};
const char *const kColumns[] = {"type", "element", "label", nullptr};
const char *const kColumnTitles[] = {"Type", "Element", "Label"};

const ExtensionField kFields[] = {
    // Read and written back; nothing edits it, and it alone leaves the object empty.
    {.name = "treatAs",
     .element = "treatAs",
     .read = F::Read::Link,
     .archiveKey = "TreatAs",
     .countsForEmpty = false},
    {.name = "listInfo",
     .outlet = "MSCFListInfoTable",
     .element = "listinfo",
     .kind = F::Kind::List,
     .read = F::Read::Custom,
     .write = F::Write::Custom,
     .archiveKey = "ListItem",
     .helpAnchor = "MSSLE",
     .label = "List information:",
     .widget = F::Widget::Table,
     .columns = kColumns,
     .columnTitles = kColumnTitles},
};

const ExtensionDescriptor kDescriptor = {
    .ns = KnownNamespace::microsoftCF,
    .place = ExtensionPlace::Channel,
    .className = "microsoftCFChannel",
    .elements = kElements,
    .fields = kFields,
};

// Both classes can be decoded from the settings as soon as the program runs.
[[maybe_unused]] const bool kRegistered
    = KeyedUnarchiver::registerClass(QStringLiteral("microsoftCFChannel"),
                                     [] { return std::make_shared<microsoftCFChannel>(); })
    && KeyedUnarchiver::registerClass(QStringLiteral("microsoftCFChannelPrefs"),
                                      [] { return std::make_shared<microsoftCFChannelPrefs>(); });

// An attribute's value: entities and numeric references decoded, white space trimmed.
QString attribute(int child, const char *name, const vlxXMLNode *node)
{
    return VLXLogic::decodeNumericEncodedCharacters(
               vlxXMLDOM::attributeOfChildAtIndex(child, QLatin1String(name), node))
        .trimmed();
}

void appendAttribute(QString &line, const char *name, const QString &value)
{
    if (value.isEmpty())
        return;
    line += QLatin1Char(' ') + QLatin1String(name) + QLatin1String("=\"")
        + VLXLogic::encodeSpecialXMLChars(value) + QLatin1Char('"');
}

} // namespace

microsoftCFChannel::microsoftCFChannel() : FieldExtension(kDescriptor) { }

microsoftCFChannel::microsoftCFChannel(const microsoftCFChannel &other)
    : FieldExtension(other), m_listInfo(other.m_listInfo)
{
}

const ExtensionDescriptor &microsoftCFChannel::classDescriptor()
{
    return kDescriptor;
}

QString microsoftCFChannel::classDescriptionOfNamespace()
{
    return knownNamespaces::descriptionOfNamespace(KnownNamespace::microsoftCF);
}

QString microsoftCFChannel::classDescriptionOfNamespaceShort()
{
    return knownNamespaces::descriptionOfNamespaceShort(KnownNamespace::microsoftCF);
}

// --- the list ----------------------------------------------------------------------------------

void microsoftCFChannel::setListInfo(const QList<ListInfoItem> &list)
{
    if (list == m_listInfo)
        return;
    m_listInfo = list;
    fieldChanged(kListInfo);
}

void microsoftCFChannel::addListInfo(const ListInfoItem &entry)
{
    m_listInfo.append(entry);
    fieldChanged(kListInfo);
}

void microsoftCFChannel::replaceListInfo(const ListInfoItem &entry, int index)
{
    if (index < 0 || index >= m_listInfo.size())
        return;
    m_listInfo[index] = entry;
    fieldChanged(kListInfo);
}

void microsoftCFChannel::removeListInfoAtIndex(int index)
{
    if (index < 0 || index >= m_listInfo.size())
        return;
    m_listInfo.removeAt(index);
    fieldChanged(kListInfo);
}

QStringList microsoftCFChannel::listDisplayValues(int field) const
{
    QStringList rows;
    if (field == kListInfo) {
        for (const ListInfoItem &entry : m_listInfo)
            rows.append(entry.label());
    }
    return rows;
}

int microsoftCFChannel::listCount(int field) const
{
    return field == kListInfo ? int(m_listInfo.size()) : 0;
}

QString microsoftCFChannel::listCellText(int field, int row, const QString &column) const
{
    if (field != kListInfo || row < 0 || row >= m_listInfo.size())
        return QString();
    const ListInfoItem &entry = m_listInfo.at(row);
    const bool storedDefault = row == 0 && entry.isDefault();
    if (column == QLatin1String("type"))
        return entry.type();
    if (column == QLatin1String("element")) {
        if (storedDefault && entry.element().isEmpty())
            return m_defaultElement.value_or(QString()) + QLatin1Char('\n')
                + m_defaultDataType.value_or(QString());
        return entry.element() + QLatin1Char('\n') + entry.dataType();
    }
    if (column == QLatin1String("label")) {
        if (entry.isDefault())
            return entry.label() + QLatin1Char('\n') + m_defaultNS.value_or(QString());
        return entry.label() + QLatin1Char('\n') + entry.ns();
    }
    return QString();
}

// --- the default sort ----------------------------------------------------------------------------

std::optional<QString> microsoftCFChannel::findPrefixForDTDURL(const QVariantMap &sortableTags,
                                                               const QString &uri)
{
    for (auto it = sortableTags.cbegin(); it != sortableTags.cend(); ++it) {
        if (it.value().toMap().value(kDTDURL).toString() == uri)
            return it.key();
    }
    return std::nullopt;
}

void microsoftCFChannel::updateSortString(const VLXFeed &feed)
{
    m_sortFieldString.reset();
    if (m_listInfo.isEmpty() || !m_listInfo.first().isSort() || !m_listInfo.first().isDefault()
        || !m_defaultNS || !m_defaultElement || !m_defaultDataType)
        return;
    if (m_defaultNS->isEmpty()) {
        m_sortFieldString = *m_defaultElement;
        return;
    }
    // Only an extension element needs the feed's table (built from every item).
    if (const auto prefix = findPrefixForDTDURL(feed.findSortableTagsWithoutChildern(),
                                                *m_defaultNS))
        m_sortFieldString = *prefix + QLatin1Char(':') + *m_defaultElement;
}

bool microsoftCFChannel::itemsFollowDefaultSort(VLXFeed &feed) const
{
    if (!m_sortFieldString)
        return true;
    const QString type = m_defaultDataType.value_or(QString());
    if (type == QLatin1String("text"))
        return feed.itemsStringSortedAscByField(*m_sortFieldString);
    if (type == QLatin1String("date"))
        return feed.itemsNumberSortedDescByField(*m_sortFieldString);
    return feed.itemsNumberSortedAscByField(*m_sortFieldString);
}

bool microsoftCFChannel::sortItemsByDefaultSort(VLXFeed &feed) const
{
    if (!m_sortFieldString)
        return false;
    const QString type = m_defaultDataType.value_or(QString());
    if (type == QLatin1String("text"))
        return feed.sortItemsByStringField(*m_sortFieldString, true);
    // Dates newest first.
    return feed.sortItemsByNumberField(*m_sortFieldString, type != QLatin1String("date"));
}

// --- reading, writing, archiving -----------------------------------------------------------------

void microsoftCFChannel::parseCustom(int field, const vlxXMLNode *node)
{
    if (field != kListInfo)
        return;
    // The children stand in the namespace under any prefix, in any letter case.
    const QString prefix = extensionProcessingName();
    QList<ListInfoItem> list = m_listInfo;
    const int count = vlxXMLDOM::numberOfChildren(node);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
        if (vlxXMLDOM::kindOfNode(child) != vlxXMLDOM::Element
            || !OwnElementNames::isInNamespace(child, node, descriptor().ns, prefix))
            continue;
        const QString name = vlxXMLDOM::nameOfNode(child);
        ListInfoItem entry;
        if (OwnElementNames::hasLocalName(name, QLatin1StringView("group"))) {
            entry.setType(QStringLiteral("group"));
        } else if (OwnElementNames::hasLocalName(name, QLatin1StringView("sort"))) {
            entry.setType(QStringLiteral("sort"));
            entry.setDataType(attribute(i, "data-type", node));
            // Only exactly "yes" or "true" make the default.
            const QString flag
                = vlxXMLDOM::attributeOfChildAtIndex(i, QStringLiteral("default"), node).trimmed();
            if (flag == QLatin1String("yes") || flag == QLatin1String("true"))
                entry.setSortDefault(QStringLiteral("yes"));
        } else {
            continue;
        }
        entry.setNS(attribute(i, "ns", node));
        entry.setElement(attribute(i, "element", node));
        entry.setLabel(attribute(i, "label", node));
        list.append(entry);
    }
    setListInfo(list);
}

QString microsoftCFChannel::buildCustom(int field, const QString &prefix) const
{
    if (field != kListInfo || m_listInfo.isEmpty())
        return QString();
    QString xml = prefix + QLatin1String("<cf:listinfo>\n");
    for (const ListInfoItem &entry : m_listInfo) {
        // The entries stand four blanks in from the element's own indentation.
        QString line = QLatin1String("    ") + prefix + QLatin1String("<cf:") + entry.type();
        const bool isSort = entry.isSort();
        appendAttribute(line, "ns", entry.ns());
        appendAttribute(line, "element", entry.element());
        if (isSort)
            appendAttribute(line, "data-type", entry.dataType());
        appendAttribute(line, "label", entry.label());
        if (isSort)
            appendAttribute(line, "default", entry.sortDefault());
        xml += line + QLatin1String("/>\n");
    }
    xml += prefix + QLatin1String("</cf:listinfo>\n");
    return xml;
}

QVariant microsoftCFChannel::customValue(int field) const
{
    return field == kListInfo ? QVariant::fromValue(m_listInfo) : QVariant();
}

void microsoftCFChannel::setCustomValue(int field, const QVariant &value)
{
    if (field == kListInfo)
        setListInfo(ListInfoItem::fromArchivable(value));
}

QVariant microsoftCFChannel::archiveCustom(int field) const
{
    return field == kListInfo ? QVariant(ListInfoItem::toArchivable(m_listInfo)) : QVariant();
}

bool microsoftCFChannel::customIsEmpty(int field) const
{
    return field != kListInfo || m_listInfo.isEmpty();
}

// --- repairs and checks ------------------------------------------------------------------------

void microsoftCFChannel::finalProcessing(VLXFeed *feed)
{
    QList<ListInfoItem> list = m_listInfo;
    const QString iTunes = knownNamespaces::uri(KnownNamespace::iTunes);
    for (ListInfoItem &entry : list) {
        if (entry.ns() == kOldITunesURI) {
            entry.setNS(iTunes);
            recordRepair(QStringLiteral("Update iTunes DTDURL to the current value"));
        }
    }
    // A feed without items says nothing about what its items can be sorted by: the entries stay
    // rather than all being dropped.
    if (feed && feed->countOfItems() > 0) {
        QStringList uris;
        const QVariantMap tags = feed->findSortableTagsWithoutChildern();
        for (auto it = tags.cbegin(); it != tags.cend(); ++it)
            uris.append(it.value().toMap().value(kDTDURL).toString());
        QList<ListInfoItem> kept;
        for (const ListInfoItem &entry : list) {
            if (entry.isDefault() || uris.contains(entry.ns())) {
                kept.append(entry);
                continue;
            }
            recordRepair(
                QStringLiteral(
                    "Removed sort items that used a namespace (%1) that is not in this feed"),
                entry.ns());
        }
        list = kept;
    }
    setListInfo(list);
}

void microsoftCFChannel::validate(VLXFeed *feed)
{
    if (!feed || m_listInfo.isEmpty())
        return;
    const QVariantMap tags = feed->findSortableTagsWithoutChildern();
    for (const ListInfoItem &entry : m_listInfo) {
        if (entry.isDefault())
            continue;
        for (auto it = tags.cbegin(); it != tags.cend(); ++it) {
            const QVariantMap record = it.value().toMap();
            if (record.value(kDTDURL).toString() != entry.ns())
                continue;
            if (!record.value(kSortTags).toMap().contains(entry.element()))
                recordError(
                    QStringLiteral("The element \"%1\" in the namespace \"%2\" is not sortable in "
                                   "this feed"),
                    entry.element(), entry.ns());
        }
    }
}
