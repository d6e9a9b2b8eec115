#include "settings/SettingEmptiness.h"

#include <QVariantList>
#include <QVariantMap>

namespace {

bool isDictionary(const QVariant &value)
{
    const int type = value.metaType().id();
    return type == QMetaType::QVariantMap || type == QMetaType::QVariantHash;
}

bool isTextOrList(const QVariant &value)
{
    const int type = value.metaType().id();
    return type == QMetaType::QString || type == QMetaType::QVariantList
        || type == QMetaType::QStringList;
}

} // namespace

bool SettingEmptiness::isEmptyTextOrList(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QString)
        return value.toString().isEmpty();
    return isTextOrList(value) && value.toList().isEmpty();
}

bool SettingEmptiness::isEmptyCollectionOrText(const QVariant &value)
{
    if (isDictionary(value))
        return value.toMap().isEmpty();
    return isEmptyTextOrList(value);
}

bool SettingEmptiness::isNonEmptyCollectionOrText(const QVariant &value)
{
    return (isTextOrList(value) || isDictionary(value)) && !isEmptyCollectionOrText(value);
}
