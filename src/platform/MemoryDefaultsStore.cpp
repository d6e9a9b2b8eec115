#include "platform/MemoryDefaultsStore.h"

void MemoryDefaultsStore::setObject(const QVariant &value, const QString &key)
{
    if (!value.isValid())
        m_values.remove(key);
    else
        m_values.insert(key, value);
    ++m_writes[key];
}

bool MemoryDefaultsStore::sync(QString *error)
{
    if (error)
        error->clear();
    ++m_syncCount;
    return true;
}
