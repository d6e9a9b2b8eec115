#include "platform/KeyedUnarchiver.h"

#include "platform/KeyedArchiver.h"
#include "platform/PropertyList.h"
#include "platform/SettingsEquality.h"

#include <QHash>

namespace {
constexpr int kMaxDepth = KeyedUnarchiver::kArchiveLimits.maxDepth;

QHash<QString, KeyedUnarchiver::Factory> &registry()
{
    static QHash<QString, KeyedUnarchiver::Factory> factories;
    return factories;
}
} // namespace

bool KeyedUnarchiver::registerClass(const QString &className, Factory factory)
{
    if (className.isEmpty() || !factory)
        return false;
    registry().insert(className, std::move(factory));
    return true;
}

bool KeyedUnarchiver::isClassRegistered(const QString &className)
{
    return registry().contains(className);
}

ArchivableRef KeyedUnarchiver::makeObject(const QString &className)
{
    const auto it = registry().constFind(className);
    if (it == registry().cend())
        return {};
    return it.value()();
}

KeyedUnarchiver::KeyedUnarchiver(QVariantMap fields, int depth)
    : m_fields(std::move(fields)), m_depth(depth)
{
}

QVariant KeyedUnarchiver::decodeValue(const QVariant &value, int depth, bool *ok)
{
    if (depth > kMaxDepth) {
        *ok = false;
        return {};
    }
    const int id = value.metaType().id();
    if (id == QMetaType::QVariantList) {
        QVariantList out;
        for (const QVariant &element : value.toList()) {
            out.append(decodeValue(element, depth + 1, ok));
            if (!*ok)
                return {};
        }
        return out;
    }
    if (id == QMetaType::QVariantMap) {
        QVariantMap in = value.toMap();
        const auto cls = in.constFind(KeyedArchiver::kClassKey);
        if (cls == in.cend()) {
            QVariantMap out;
            for (auto it = in.cbegin(); it != in.cend(); ++it) {
                out.insert(it.key(), decodeValue(it.value(), depth + 1, ok));
                if (!*ok)
                    return {};
            }
            return out;
        }
        if (cls.value().metaType().id() != QMetaType::QString) {
            *ok = false;
            return {};
        }
        const QString className = cls.value().toString();
        if (className == QLatin1String("$map")) {
            const QVariant entries = in.value(QStringLiteral("entries"));
            if (entries.metaType().id() != QMetaType::QVariantMap) {
                *ok = false;
                return {};
            }
            QVariantMap out;
            const QVariantMap map = entries.toMap();
            for (auto it = map.cbegin(); it != map.cend(); ++it) {
                out.insert(it.key(), decodeValue(it.value(), depth + 1, ok));
                if (!*ok)
                    return {};
            }
            return out;
        }
        ArchivableRef object = makeObject(className);
        if (!object) {
            *ok = false;
            return {};
        }
        in.remove(KeyedArchiver::kClassKey);
        const KeyedUnarchiver coder(in, depth + 1);
        if (!object->initWithCoder(coder)) {
            *ok = false;
            return {};
        }
        return KeyedArchivable::toVariant(object);
    }
    return value;
}

QVariant KeyedUnarchiver::unarchiveObjectWithData(const QByteArray &data)
{
    bool ok = true;
    const QVariant archive = PropertyList::parse(data, kArchiveLimits, &ok);
    if (!ok || archive.metaType().id() != QMetaType::QVariantMap)
        return {};
    const QVariantMap map = archive.toMap();
    if (map.value(QStringLiteral("$archiver")).toString() != KeyedArchiver::kArchiverName
        || !map.contains(QStringLiteral("$top")))
        return {};
    const QVariant root = decodeValue(map.value(QStringLiteral("$top")), 0, &ok);
    return ok ? root : QVariant();
}

bool KeyedUnarchiver::containsValueForKey(const QString &key) const
{
    return m_fields.contains(key);
}

QVariant KeyedUnarchiver::decodeObjectForKey(const QString &key) const
{
    const auto it = m_fields.constFind(key);
    if (it == m_fields.cend())
        return {};
    bool ok = true;
    const QVariant value = decodeValue(it.value(), m_depth, &ok);
    return ok ? value : QVariant();
}

QString KeyedUnarchiver::decodeStringForKey(const QString &key) const
{
    const QVariant value = m_fields.value(key);
    if (value.metaType().id() != QMetaType::QString)
        return QString(QLatin1String(""));
    return value.toString();
}

qint64 KeyedUnarchiver::decodeIntForKey(const QString &key) const
{
    const QVariant value = m_fields.value(key);
    if (!SettingsEquality::isNumber(value))
        return 0;
    if (value.metaType().id() == QMetaType::Double || value.metaType().id() == QMetaType::Float) {
        const double d = value.toDouble();
        // Out-of-range or not-a-number reals are bad data, not a reason to misbehave.
        if (!(d > -9.2e18 && d < 9.2e18))
            return 0;
        return static_cast<qint64>(d);
    }
    return value.toLongLong();
}

double KeyedUnarchiver::decodeDoubleForKey(const QString &key) const
{
    const QVariant value = m_fields.value(key);
    return SettingsEquality::isNumber(value) ? value.toDouble() : 0.0;
}

bool KeyedUnarchiver::decodeBoolForKey(const QString &key) const
{
    const QVariant value = m_fields.value(key);
    return SettingsEquality::isNumber(value) && value.toDouble() != 0.0;
}

QByteArray KeyedUnarchiver::decodeDataForKey(const QString &key) const
{
    const QVariant value = m_fields.value(key);
    return value.metaType().id() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

QVariantMap KeyedUnarchiver::decodedFields() const
{
    QVariantMap fields;
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it) {
        bool ok = true;
        const QVariant value = decodeValue(it.value(), m_depth, &ok);
        if (ok)
            fields.insert(it.key(), value);
    }
    return fields;
}
