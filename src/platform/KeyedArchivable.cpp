#include "platform/KeyedArchivable.h"

QVariant KeyedArchivable::toVariant(const ArchivableRef &object)
{
    if (!object)
        return {};
    return QVariant::fromValue(object);
}

ArchivableRef KeyedArchivable::fromVariant(const QVariant &value)
{
    if (!isObject(value))
        return {};
    return value.value<ArchivableRef>();
}

bool KeyedArchivable::isObject(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<ArchivableRef>();
}
