#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// The application's user-defaults store: named property-list values kept between runs.
//
// Values are property-list values (see PropertyList.h). The typed reads answer nothing when the
// key is absent or holds a value of another kind, so the caller can fall back to its default
// instead of misreading a hand-edited or damaged file. Changes stay in memory until sync().
class DefaultsStore
{
public:
    virtual ~DefaultsStore() = default;

    virtual bool contains(const QString &key) const = 0;
    // The raw stored value, or null.
    virtual QVariant object(const QString &key) const = 0;
    virtual void setObject(const QVariant &value, const QString &key) = 0;
    virtual void remove(const QString &key) = 0;
    virtual QStringList keys() const = 0;
    // Makes the changes durable. Answers false (and says why in *error) when that failed.
    virtual bool sync(QString *error = nullptr) = 0;

    // Typed reads over object().
    std::optional<QString> string(const QString &key) const;
    // Integers, booleans and reals with an integral value read as integers.
    std::optional<qint64> integer(const QString &key) const;
    std::optional<double> real(const QString &key) const;
    std::optional<QVariantList> array(const QString &key) const;
    std::optional<QVariantMap> dictionary(const QString &key) const;
    std::optional<QByteArray> data(const QString &key) const;

    // Typed writes: integers keep their sign, floats are stored as reals.
    void setInteger(qint64 value, const QString &key);
    void setReal(double value, const QString &key);
};
