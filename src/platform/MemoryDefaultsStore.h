#pragma once

#include "platform/DefaultsStore.h"

#include <QHash>
#include <QVariantMap>

// A defaults store that lives in memory only; for tests and for runs that must not touch disk.
class MemoryDefaultsStore : public DefaultsStore
{
public:
    MemoryDefaultsStore() = default;
    explicit MemoryDefaultsStore(QVariantMap values) : m_values(std::move(values)) { }

    bool contains(const QString &key) const override { return m_values.contains(key); }
    QVariant object(const QString &key) const override { return m_values.value(key); }
    void setObject(const QVariant &value, const QString &key) override;
    void remove(const QString &key) override { m_values.remove(key); }
    QStringList keys() const override { return m_values.keys(); }
    bool sync(QString *error = nullptr) override;

    const QVariantMap &values() const { return m_values; }
    int syncCount() const { return m_syncCount; }
    // How many times a value was written under the key.
    int writeCount(const QString &key) const { return m_writes.value(key); }

private:
    QVariantMap m_values;
    QHash<QString, int> m_writes;
    int m_syncCount = 0;
};
