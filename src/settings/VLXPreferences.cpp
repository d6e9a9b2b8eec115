// The shared instance, loading and sparse saving.
#include "settings/VLXPreferences.h"

#include "platform/DefaultsStore.h"
#include "platform/KeyedArchivable.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/PlistDefaultsStore.h"
#include "platform/SettingsEquality.h"

#include <QtDebug>

const QString VLXPreferences::kUniqueKey = QStringLiteral("FD_CF_ArrayUniqueKey");
const QString VLXPreferences::kFeedArray = QStringLiteral("FD_CF_Array");
const QString VLXPreferences::kBlank = QStringLiteral("BLANK");

namespace {

// The process's one settings object. It is never destroyed during a run (useStore() replaces it
// for tests); leaving it alive at exit also keeps the store from being written after Qt is gone.
VLXPreferences *&sharedSlot()
{
    static VLXPreferences *instance = nullptr;
    return instance;
}

bool isTextList(const QVariantList &list)
{
    for (const QVariant &element : list) {
        if (element.metaType().id() != QMetaType::QString)
            return false;
    }
    return true;
}

bool isTextMap(const QVariantMap &map)
{
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.value().metaType().id() != QMetaType::QString)
            return false;
    }
    return true;
}

bool isList(const QVariant &value)
{
    const int id = value.metaType().id();
    return id == QMetaType::QVariantList || id == QMetaType::QStringList;
}

bool isMap(const QVariant &value)
{
    const int id = value.metaType().id();
    return id == QMetaType::QVariantMap || id == QMetaType::QVariantHash;
}

// Whether a value read from a per-feed entry fits its key's kind; one that does not is dropped
// so the key reads its built-in default.
bool fitsPerFeedKind(const QVariant &value, VLXPreferences::Kind kind)
{
    using Kind = VLXPreferences::Kind;
    switch (kind) {
    case Kind::Text:
        return value.metaType().id() == QMetaType::QString;
    case Kind::Integer:
    case Kind::Flag:
    case Kind::Float:
        return SettingsEquality::isNumber(value);
    case Kind::Date:
        return value.metaType().id() == QMetaType::QDateTime;
    case Kind::TextArray:
        return isList(value) && isTextList(value.toList());
    case Kind::Dictionary:
        return isMap(value) && isTextMap(value.toMap());
    case Kind::ArchivedData:
        return value.metaType().id() == QMetaType::QByteArray;
    default:
        return false;
    }
}

} // namespace

VLXPreferences *&VLXPreferences::threadSlot()
{
    thread_local VLXPreferences *copy = nullptr;
    return copy;
}

VLXPreferences::StoreReader &VLXPreferences::storeReader()
{
    static StoreReader reader;
    return reader;
}

VLXPreferences &VLXPreferences::sharedInstance()
{
    if (VLXPreferences *copy = threadSlot())
        return *copy;
    VLXPreferences *&instance = sharedSlot();
    if (!instance)
        instance = new VLXPreferences(std::make_unique<PlistDefaultsStore>());
    return *instance;
}

VLXPreferences &VLXPreferences::useStore(std::unique_ptr<DefaultsStore> store)
{
    VLXPreferences *&instance = sharedSlot();
    delete instance;
    instance = new VLXPreferences(std::move(store));
    return *instance;
}

VLXPreferences::VLXPreferences(std::unique_ptr<DefaultsStore> store) : m_store(std::move(store))
{
    // "EncodeApos" is never loaded into the live settings: the escaper reads it from the store
    // itself, through whichever settings object is current.
    storeReader()
        = [](const QString &key) { return VLXPreferences::sharedInstance().store().object(key); };
    m_curValues = preferencesFromDefaults();
    m_origValues = m_curValues;
}

VLXPreferences::~VLXPreferences() = default;

bool VLXPreferences::entryMatches(const QVariant &entry, const QString &uniqueKey)
{
    if (uniqueKey.isNull() || !isMap(entry))
        return false;
    const QVariant id = entry.toMap().value(kUniqueKey);
    return id.metaType().id() == QMetaType::QString && id.toString() == uniqueKey;
}

QVariant VLXPreferences::loadValue(const QString &key, Kind kind) const
{
    const QVariant fallback = defaultValues().value(key);
    if (!m_store->contains(key)) {
        if (kind == Kind::EntryArray) {
            // A new list holding a new entry whose values are the per-feed table's.
            return QVariantList {QVariantMap(FDCFdefaultValues())};
        }
        return fallback;
    }

    QVariant value;
    switch (kind) {
    case Kind::Text:
        if (const auto text = m_store->string(key))
            value = *text;
        break;
    case Kind::Integer:
    case Kind::Flag:
        if (const auto number = m_store->integer(key)) {
            if (*number >= std::numeric_limits<int>::min()
                && *number <= std::numeric_limits<int>::max())
                value = static_cast<int>(*number);
        }
        break;
    case Kind::Float:
        if (const auto number = m_store->real(key))
            value = static_cast<float>(*number);
        break;
    case Kind::TextArray:
        if (const auto list = m_store->array(key); list && isTextList(*list))
            value = *list;
        break;
    case Kind::Dictionary:
        if (const auto map = m_store->dictionary(key); map && isTextMap(*map))
            value = *map;
        break;
    case Kind::ObjectArray:
        if (const auto data = m_store->data(key)) {
            const QVariant decoded = KeyedUnarchiver::unarchiveObjectWithData(*data);
            if (isList(decoded)) {
                bool allObjects = true;
                for (const QVariant &element : decoded.toList())
                    allObjects = allObjects && KeyedArchivable::isObject(element);
                if (allObjects)
                    value = decoded.toList();
            }
        }
        break;
    case Kind::Object:
        if (const auto data = m_store->data(key)) {
            const QVariant decoded = KeyedUnarchiver::unarchiveObjectWithData(*data);
            if (KeyedArchivable::isObject(decoded))
                value = decoded;
        }
        break;
    case Kind::EntryArray:
        if (const auto list = m_store->array(key)) {
            QVariantList entries;
            for (const QVariant &element : *list) {
                if (!isMap(element)) {
                    qWarning().noquote() << "Settings: dropped a per-feed entry that is not a"
                                         << "dictionary";
                    continue;
                }
                QVariantMap entry = element.toMap();
                for (auto it = entry.begin(); it != entry.end();) {
                    const auto entryKind = kindOfPerFeedKey(it.key());
                    if (entryKind && !fitsPerFeedKind(it.value(), *entryKind))
                        it = entry.erase(it);
                    else
                        ++it;
                }
                entries.append(entry);
            }
            value = entries;
        }
        break;
    case Kind::Date:
    case Kind::ArchivedData:
        break;
    }
    if (!value.isValid()) {
        qWarning().noquote() << "Settings: the stored value of" << key
                             << "is not of its kind or does not decode; using the built-in default";
        return kind == Kind::EntryArray ? QVariantList {QVariantMap(FDCFdefaultValues())}
                                        : fallback;
    }
    return value;
}

QVariantMap VLXPreferences::preferencesFromDefaults() const
{
    QVariantMap values;
    for (const QString &key : loadedKeys())
        values.insert(key, loadValue(key, *kindOfKey(key)));
    return values;
}

void VLXPreferences::savePreferencesToDefaults(const QVariantMap &values)
{
    const QVariantMap &defaults = defaultValues();
    for (const QString &key : loadedKeys()) {
        const auto it = values.constFind(key);
        if (it == values.cend() || SettingsEquality::equal(defaults.value(key), it.value())) {
            m_store->remove(key);
            continue;
        }
        const QVariant &value = it.value();
        switch (*kindOfKey(key)) {
        case Kind::Integer:
        case Kind::Flag:
            m_store->setInteger(value.toLongLong(), key);
            break;
        case Kind::Float:
            m_store->setReal(static_cast<double>(value.toFloat()), key);
            break;
        case Kind::ObjectArray:
        case Kind::Object: {
            const QByteArray archive = KeyedArchiver::archivedDataWithRootObject(value);
            if (archive.isEmpty())
                m_store->remove(key);
            else
                m_store->setObject(archive, key);
            break;
        }
        default:
            m_store->setObject(value, key);
            break;
        }
    }
    if (m_deferSync > 0)
        return;
    QString error;
    if (!m_store->sync(&error))
        qWarning().noquote() << "Settings: could not write the settings:" << error;
}

void VLXPreferences::save()
{
    savePreferencesToDefaults(m_curValues);
}

QVariantMap VLXPreferences::getCFPreferences(const QVariantMap &entry) const
{
    QVariantMap full = FDCFdefaultValues();
    for (auto it = entry.cbegin(); it != entry.cend(); ++it)
        full.insert(it.key(), it.value());
    return full;
}

QVariantMap VLXPreferences::setCFPreferences(const QVariantMap &entry) const
{
    const QVariantMap &defaults = FDCFdefaultValues();
    QVariantMap sparse = entry;
    for (auto it = sparse.begin(); it != sparse.end();) {
        const auto def = defaults.constFind(it.key());
        const bool isDefault
            = def != defaults.cend() && SettingsEquality::equal(def.value(), it.value());
        // The identifier stays unless it is the template's "BLANK".
        if (isDefault)
            it = sparse.erase(it);
        else
            ++it;
    }
    return sparse;
}
