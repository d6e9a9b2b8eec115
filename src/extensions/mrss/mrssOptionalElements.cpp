#include "extensions/mrss/mrssOptionalElements.h"

#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

const QString mrssOptionalElements::kClassName = QStringLiteral("mrssOptionalElements");
const QString mrssOptionalElements::kTypeKey = QStringLiteral("ElementTypeNumber");
const QString mrssOptionalElements::kTextKey = QStringLiteral("elementDescription");

namespace {

[[maybe_unused]] const bool kRegistered
    = KeyedUnarchiver::registerClass(QStringLiteral("mrssOptionalElements"),
                                     [] { return std::make_shared<mrssOptionalElements>(); });

const char *const kLabels[]
    = {"Rating", "Title",  "Description", "Keywords",  "Thumbnail", "Category",
       "Hash",   "Player", "Credit",      "Copyright", "Text",      "Restriction"};

QString str(const QVariantMap &element, const char *key)
{
    return element.value(QLatin1String(key)).toString();
}

// The archive keys of a kind: "media:rating Used" and "media:rating Value".
QString usedKey(const char *element)
{
    return QStringLiteral("media:%1 Used").arg(QLatin1String(element));
}

QString valueKey(const char *element)
{
    return QStringLiteral("media:%1 Value").arg(QLatin1String(element));
}

// Stored data can hold anything: only dictionaries count as elements.
QList<QVariantMap> elementList(const QVariant &value)
{
    QList<QVariantMap> list;
    for (const QVariant &entry : value.toList()) {
        if (entry.typeId() == QMetaType::QVariantMap)
            list.append(entry.toMap());
    }
    return list;
}

} // namespace

mrssOptionalElements::mrssOptionalElements() = default;

const mrssOptionalElements::Kinds &mrssOptionalElements::kinds() const
{
    static const Kinds none;
    return m_kinds ? *m_kinds : none;
}

mrssOptionalElements::Kinds &mrssOptionalElements::changedKinds()
{
    if (!m_kinds)
        m_kinds = new Kinds;
    return *m_kinds;
}

const std::array<const char *, 13> &mrssOptionalElements::elementNames()
{
    static const std::array<const char *, 13> names
        = {"rating", "title",  "description", "keywords", "thumbnail",   "category", "hash",
           "player", "credit", "copyright",   "text",     "restriction", "adult"};
    return names;
}

bool mrssOptionalElements::isSingle(int kind)
{
    return kind == kTitle || kind == kDescription || kind == kCopyright;
}

QString mrssOptionalElements::label(int kind)
{
    return validKind(kind) ? QString::fromLatin1(kLabels[kind]) : QString(QLatin1String(""));
}

int mrssOptionalElements::kindOf(const QVariantMap &element)
{
    const auto found = element.constFind(kTypeKey);
    if (found == element.cend())
        return -1;
    bool ok = false;
    const int kind = found.value().toInt(&ok);
    return ok ? kind : -1;
}

// --- per kind ------------------------------------------------------------------------------------

bool mrssOptionalElements::used(int kind) const
{
    return validKind(kind) && kinds().used[size_t(kind)];
}

void mrssOptionalElements::setUsed(int kind, bool used)
{
    // Clearing a flag that is clear changes nothing (and makes no data).
    if (validKind(kind) && used != kinds().used[size_t(kind)])
        changedKinds().used[size_t(kind)] = used;
}

const QList<QVariantMap> &mrssOptionalElements::values(int kind) const
{
    static const QList<QVariantMap> none;
    return validKind(kind) ? kinds().lists[size_t(kind)] : none;
}

void mrssOptionalElements::setValues(int kind, const QList<QVariantMap> &list)
{
    if (validKind(kind) && !isSingle(kind))
        changedKinds().lists[size_t(kind)] = list;
}

void mrssOptionalElements::addValue(int kind, const QVariantMap &element)
{
    if (validKind(kind) && !isSingle(kind))
        changedKinds().lists[size_t(kind)].append(element);
}

void mrssOptionalElements::deleteValueAtIndex(int kind, int index)
{
    if (!validKind(kind))
        return;
    if (index >= 0 && index < kinds().lists[size_t(kind)].size())
        changedKinds().lists[size_t(kind)].removeAt(index);
}

void mrssOptionalElements::replaceValueAtIndex(int kind, const QVariantMap &element, int index)
{
    if (!validKind(kind))
        return;
    if (index >= 0 && index < kinds().lists[size_t(kind)].size())
        changedKinds().lists[size_t(kind)][index] = element;
}

const QVariantMap &mrssOptionalElements::value(int kind) const
{
    static const QVariantMap none;
    return validKind(kind) ? kinds().single[size_t(kind)] : none;
}

void mrssOptionalElements::setValue(int kind, const QVariantMap &element)
{
    if (validKind(kind) && isSingle(kind))
        changedKinds().single[size_t(kind)] = element;
}

// --- rows
// ------------------------------------------------------------------------------------------

mrssOptionalElements::RowPlace mrssOptionalElements::placeOfRow(int row) const
{
    if (row < 0)
        return {};
    const Kinds &k = kinds();
    int count = 0;
    for (int kind = 0; kind < kKindCount; ++kind) {
        if (!k.used[size_t(kind)])
            continue;
        const int rows = isSingle(kind) ? 1 : int(k.lists[size_t(kind)].size());
        if (row < count + rows)
            return {kind, row - count};
        count += rows;
    }
    return {};
}

int mrssOptionalElements::objectCount() const
{
    const Kinds &k = kinds();
    int count = 0;
    for (int kind = 0; kind < kKindCount; ++kind) {
        if (k.used[size_t(kind)])
            count += isSingle(kind) ? 1 : int(k.lists[size_t(kind)].size());
    }
    return count;
}

QString mrssOptionalElements::objectLabelAtIndex(int row) const
{
    return label(placeOfRow(row).kind);
}

QVariantMap mrssOptionalElements::dictionaryAtIndex(int row) const
{
    const RowPlace place = placeOfRow(row);
    if (place.kind < 0)
        return {};
    return isSingle(place.kind) ? kinds().single[size_t(place.kind)]
                                : kinds().lists[size_t(place.kind)].at(place.index);
}

QString mrssOptionalElements::objectShortDescriptionAtIndex(int row) const
{
    const RowPlace place = placeOfRow(row);
    if (place.kind < 0)
        return QString(QLatin1String(""));
    const QVariantMap element = dictionaryAtIndex(row);
    const QString text = element.value(kTextKey).toString();
    switch (place.kind) {
    case kThumbnail:
    case kPlayer:
        return str(element, "attributeURL");
    case kHash: {
        const QString algo = str(element, "attributeAlgo");
        return algo.isEmpty() ? QStringLiteral("md5(%1)").arg(text)
                              : QStringLiteral("%1(%2)").arg(algo, text);
    }
    case kCredit: {
        const QString role = str(element, "attributeRole");
        return role.isEmpty() ? text : QStringLiteral("%1: %2").arg(role, text);
    }
    case kRestriction: {
        const QString relationship = str(element, "attributeRelationship");
        const QString type = str(element, "attributeType");
        return type.isEmpty() ? QStringLiteral("%1 \"%2\"").arg(relationship, text)
                              : QStringLiteral("%1 %2 \"%3\"").arg(relationship, type, text);
    }
    default:
        return text;
    }
}

void mrssOptionalElements::addDictionary(const QVariantMap &element)
{
    const int kind = kindOf(element);
    if (!validKind(kind))
        return;
    Kinds &k = changedKinds();
    if (isSingle(kind))
        k.single[size_t(kind)] = element;
    else
        k.lists[size_t(kind)].append(element);
    k.used[size_t(kind)] = true;
}

void mrssOptionalElements::replaceDictionaryAtIndex(const QVariantMap &element, int row)
{
    const RowPlace place = placeOfRow(row);
    if (place.kind < 0)
        return;
    if (isSingle(place.kind))
        changedKinds().single[size_t(place.kind)] = element;
    else
        changedKinds().lists[size_t(place.kind)][place.index] = element;
}

void mrssOptionalElements::deleteObjectAtIndex(int row)
{
    const RowPlace place = placeOfRow(row);
    if (place.kind < 0)
        return;
    const size_t kind = size_t(place.kind);
    Kinds &k = changedKinds();
    if (isSingle(place.kind)) {
        k.used[kind] = false;
        return;
    }
    // Only the row's own entry goes, even when another entry of the kind is equal to it.
    k.lists[kind].removeAt(place.index);
    if (k.lists[kind].isEmpty())
        k.used[kind] = false;
}

QString mrssOptionalElements::cellText(int row, const QString &column) const
{
    if (column == QLatin1String("type"))
        return objectLabelAtIndex(row);
    if (column == QLatin1String("value"))
        return objectShortDescriptionAtIndex(row);
    qWarning("objectValueForTableColumn returning nil");
    return QString(QLatin1String(""));
}

QString mrssOptionalElements::elementsUsed() const
{
    QStringList labels;
    for (int kind = 0; kind < kKindCount; ++kind) {
        if (kinds().used[size_t(kind)])
            labels.append(label(kind));
    }
    return labels.join(u',');
}

bool mrssOptionalElements::isEmpty() const
{
    if (!m_kinds)
        return true;
    for (const bool flag : m_kinds->used) {
        if (flag)
            return false;
    }
    return true;
}

bool mrssOptionalElements::operator==(const mrssOptionalElements &other) const
{
    if (m_adultUsed != other.m_adultUsed || m_adultValue != other.m_adultValue)
        return false;
    if (m_kinds == other.m_kinds)
        return true;
    const Kinds &mine = kinds();
    const Kinds &theirs = other.kinds();
    return mine.used == theirs.used && mine.lists == theirs.lists && mine.single == theirs.single;
}

// --- archiving
// -------------------------------------------------------------------------------------

void mrssOptionalElements::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeBool(m_adultUsed, usedKey("adult"));
    coder.encodeBool(m_adultValue, valueKey("adult"));
    const Kinds &k = kinds();
    for (int kind = 0; kind < kKindCount; ++kind) {
        const char *element = elementNames()[size_t(kind)];
        coder.encodeBool(k.used[size_t(kind)], usedKey(element));
        if (isSingle(kind)) {
            coder.encodeObject(k.single[size_t(kind)], valueKey(element));
            continue;
        }
        QVariantList list;
        for (const QVariantMap &entry : k.lists[size_t(kind)])
            list.append(entry);
        coder.encodeObject(list, valueKey(element));
    }
}

bool mrssOptionalElements::initWithCoder(const KeyedUnarchiver &coder)
{
    // A key the archive lacks leaves its kind unused and empty, ready for later additions.
    *this = mrssOptionalElements();
    m_adultUsed = coder.decodeBoolForKey(usedKey("adult"));
    m_adultValue = coder.decodeBoolForKey(valueKey("adult"));
    Kinds &k = changedKinds();
    for (int kind = 0; kind < kKindCount; ++kind) {
        const char *element = elementNames()[size_t(kind)];
        k.used[size_t(kind)] = coder.decodeBoolForKey(usedKey(element));
        const QVariant stored = coder.decodeObjectForKey(valueKey(element));
        if (isSingle(kind))
            k.single[size_t(kind)]
                = stored.typeId() == QMetaType::QVariantMap ? stored.toMap() : QVariantMap();
        else
            k.lists[size_t(kind)] = elementList(stored);
    }
    return true;
}

QVariant mrssOptionalElements::toArchivable() const
{
    return KeyedArchivable::toVariant(std::make_shared<mrssOptionalElements>(*this));
}

mrssOptionalElements mrssOptionalElements::fromArchivable(const QVariant &value)
{
    if (value.metaType() == QMetaType::fromType<mrssOptionalElements>())
        return value.value<mrssOptionalElements>();
    if (const auto set = KeyedArchivable::objectAs<mrssOptionalElements>(value))
        return *set;
    return mrssOptionalElements();
}
