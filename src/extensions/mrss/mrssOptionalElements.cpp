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

// --- the kept form of an element -----------------------------------------------------------------

QString mrssOptionalElements::Element::text(int kind, const QString &key) const
{
    if (kept)
        return dictionary.value(key).toString();
    for (int index = 0; index < fieldCount(kind); ++index) {
        if (fieldKey(kind, index) == key)
            return field(index).toString();
    }
    if (typed && key == kTypeKey)
        return QString::number(kind);
    return {};
}

QVariantMap mrssOptionalElements::Element::toMap(int kind) const
{
    if (kept)
        return dictionary;
    QVariantMap map;
    if (typed)
        map.insert(kTypeKey, kind);
    for (int index = 0; index < fieldCount(kind); ++index) {
        if (present & (1u << index))
            map.insert(fieldKey(kind, index), field(index).toString());
    }
    return map;
}

mrssOptionalElements::Element mrssOptionalElements::Element::fromMap(int kind,
                                                                     const QVariantMap &map)
{
    Element element;
    std::array<const QString *, kFieldCount> texts {};
    bool fits = true;
    for (auto entry = map.cbegin(); fits && entry != map.cend(); ++entry) {
        if (entry.key() == kTypeKey) {
            fits = entry->typeId() == QMetaType::Int && entry->toInt() == kind;
            element.typed = true;
            continue;
        }
        int index = 0;
        while (index < fieldCount(kind) && fieldKey(kind, index) != entry.key())
            ++index;
        fits = index < fieldCount(kind) && entry->typeId() == QMetaType::QString;
        if (fits)
            texts[size_t(index)] = static_cast<const QString *>(entry->constData());
    }
    if (!fits) {
        Element whole;
        whole.kept = true;
        whole.dictionary = map;
        return whole;
    }
    for (int index = 0; index < kFieldCount; ++index) {
        if (texts[size_t(index)])
            element.add(index, *texts[size_t(index)]);
    }
    return element;
}

// --- per kind ------------------------------------------------------------------------------------

bool mrssOptionalElements::used(int kind) const
{
    return validKind(kind) && (m_used & (1u << kind));
}

void mrssOptionalElements::setUsed(int kind, bool used)
{
    if (!validKind(kind))
        return;
    if (used)
        m_used |= quint16(1u << kind);
    else
        m_used &= quint16(~(1u << kind));
}

QList<QVariantMap> mrssOptionalElements::values(int kind) const
{
    QList<QVariantMap> list;
    if (!validKind(kind) || isSingle(kind))
        return list;
    const QList<Element> &elements = kinds().lists[size_t(kind)];
    list.reserve(elements.size());
    for (const Element &element : elements)
        list.append(element.toMap(kind));
    return list;
}

void mrssOptionalElements::setValues(int kind, const QList<QVariantMap> &list)
{
    if (!validKind(kind) || isSingle(kind))
        return;
    QList<Element> elements;
    elements.reserve(list.size());
    for (const QVariantMap &map : list)
        elements.append(Element::fromMap(kind, map));
    changedKinds().lists[size_t(kind)] = std::move(elements);
}

void mrssOptionalElements::addValue(int kind, const QVariantMap &element)
{
    if (validKind(kind) && !isSingle(kind))
        changedKinds().lists[size_t(kind)].append(Element::fromMap(kind, element));
}

void mrssOptionalElements::deleteValueAtIndex(int kind, int index)
{
    if (!validKind(kind) || isSingle(kind))
        return;
    if (index >= 0 && index < kinds().lists[size_t(kind)].size())
        changedKinds().lists[size_t(kind)].removeAt(index);
}

void mrssOptionalElements::replaceValueAtIndex(int kind, const QVariantMap &element, int index)
{
    if (!validKind(kind) || isSingle(kind))
        return;
    if (index >= 0 && index < kinds().lists[size_t(kind)].size())
        changedKinds().lists[size_t(kind)][index] = Element::fromMap(kind, element);
}

QVariantMap mrssOptionalElements::value(int kind) const
{
    if (!validKind(kind) || !isSingle(kind))
        return {};
    return kinds().single[singlePlace(kind)].toMap(kind);
}

void mrssOptionalElements::setValue(int kind, const QVariantMap &element)
{
    if (!validKind(kind) || !isSingle(kind))
        return;
    // Clearing an element that is empty changes nothing (and makes no data).
    if (element.isEmpty() && kinds().single[singlePlace(kind)] == Element())
        return;
    changedKinds().single[singlePlace(kind)] = Element::fromMap(kind, element);
}

// --- rows ----------------------------------------------------------------------------------------

mrssOptionalElements::RowPlace mrssOptionalElements::placeOfRow(int row) const
{
    if (row < 0)
        return {};
    const Kinds &k = kinds();
    int count = 0;
    for (int kind = 0; kind < kKindCount; ++kind) {
        if (!used(kind))
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
        if (used(kind))
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
    return isSingle(place.kind)
        ? value(place.kind)
        : kinds().lists[size_t(place.kind)].at(place.index).toMap(place.kind);
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
    if (isSingle(kind))
        setValue(kind, element);
    else
        changedKinds().lists[size_t(kind)].append(Element::fromMap(kind, element));
    setUsed(kind, true);
}

void mrssOptionalElements::replaceDictionaryAtIndex(const QVariantMap &element, int row)
{
    const RowPlace place = placeOfRow(row);
    if (place.kind < 0)
        return;
    if (isSingle(place.kind))
        setValue(place.kind, element);
    else
        changedKinds().lists[size_t(place.kind)][place.index]
            = Element::fromMap(place.kind, element);
}

void mrssOptionalElements::deleteObjectAtIndex(int row)
{
    const RowPlace place = placeOfRow(row);
    if (place.kind < 0)
        return;
    if (isSingle(place.kind)) {
        setUsed(place.kind, false);
        return;
    }
    // Only the row's own entry goes, even when another entry of the kind is equal to it.
    QList<Element> &list = changedKinds().lists[size_t(place.kind)];
    list.removeAt(place.index);
    if (list.isEmpty())
        setUsed(place.kind, false);
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
        if (used(kind))
            labels.append(label(kind));
    }
    return labels.join(u',');
}

bool mrssOptionalElements::operator==(const mrssOptionalElements &other) const
{
    if (m_adultUsed != other.m_adultUsed || m_adultValue != other.m_adultValue
        || m_used != other.m_used)
        return false;
    // A dictionary is kept in one way only, so equal forms are equal dictionaries.
    return m_kinds == other.m_kinds || kinds() == other.kinds();
}

// --- archiving
// -------------------------------------------------------------------------------------

void mrssOptionalElements::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeBool(m_adultUsed, usedKey("adult"));
    coder.encodeBool(m_adultValue, valueKey("adult"));
    for (int kind = 0; kind < kKindCount; ++kind) {
        const char *element = elementNames()[size_t(kind)];
        coder.encodeBool(used(kind), usedKey(element));
        if (isSingle(kind)) {
            coder.encodeObject(value(kind), valueKey(element));
            continue;
        }
        QVariantList list;
        for (const Element &entry : kinds().lists[size_t(kind)])
            list.append(entry.toMap(kind));
        coder.encodeObject(list, valueKey(element));
    }
}

bool mrssOptionalElements::initWithCoder(const KeyedUnarchiver &coder)
{
    // A key the archive lacks leaves its kind unused and empty, ready for later additions.
    *this = mrssOptionalElements();
    m_adultUsed = coder.decodeBoolForKey(usedKey("adult"));
    m_adultValue = coder.decodeBoolForKey(valueKey("adult"));
    for (int kind = 0; kind < kKindCount; ++kind) {
        const char *element = elementNames()[size_t(kind)];
        setUsed(kind, coder.decodeBoolForKey(usedKey(element)));
        const QVariant stored = coder.decodeObjectForKey(valueKey(element));
        if (isSingle(kind))
            setValue(kind,
                     stored.typeId() == QMetaType::QVariantMap ? stored.toMap() : QVariantMap());
        else
            setValues(kind, elementList(stored));
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
