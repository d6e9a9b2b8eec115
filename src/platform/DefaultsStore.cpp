#include "platform/DefaultsStore.h"

#include "platform/SettingsEquality.h"

#include <cmath>

std::optional<QString> DefaultsStore::string(const QString &key) const
{
    const QVariant value = object(key);
    if (value.metaType().id() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<qint64> DefaultsStore::integer(const QString &key) const
{
    const QVariant value = object(key);
    if (!SettingsEquality::isNumber(value))
        return std::nullopt;
    const int id = value.metaType().id();
    if (id == QMetaType::Double || id == QMetaType::Float) {
        const double d = value.toDouble();
        if (!std::isfinite(d) || d < -2147483648.0 || d > 2147483647.0)
            return std::nullopt;
        return static_cast<qint64>(d);
    }
    return value.toLongLong();
}

std::optional<double> DefaultsStore::real(const QString &key) const
{
    const QVariant value = object(key);
    if (!SettingsEquality::isNumber(value))
        return std::nullopt;
    return value.toDouble();
}

std::optional<QVariantList> DefaultsStore::array(const QString &key) const
{
    const QVariant value = object(key);
    const int id = value.metaType().id();
    if (id != QMetaType::QVariantList && id != QMetaType::QStringList)
        return std::nullopt;
    return value.toList();
}

std::optional<QVariantMap> DefaultsStore::dictionary(const QString &key) const
{
    const QVariant value = object(key);
    const int id = value.metaType().id();
    if (id != QMetaType::QVariantMap && id != QMetaType::QVariantHash)
        return std::nullopt;
    return value.toMap();
}

std::optional<QByteArray> DefaultsStore::data(const QString &key) const
{
    const QVariant value = object(key);
    if (value.metaType().id() != QMetaType::QByteArray)
        return std::nullopt;
    return value.toByteArray();
}

void DefaultsStore::setInteger(qint64 value, const QString &key)
{
    setObject(QVariant(value), key);
}

void DefaultsStore::setReal(double value, const QString &key)
{
    setObject(QVariant(value), key);
}
