#include "model/extensionSettings.h"

#include "settings/VLXPreferences.h"

#include <QVariantMap>

QString extensionSettings::globalText(const QString &key, const QString &name)
{
    return VLXPreferences::objectForKey(key).toMap().value(name).toString();
}

QString extensionSettings::feedText(const QString &key, const QString &uniqueKey,
                                    const QString &name)
{
    return VLXPreferences::objectForKey(key, uniqueKey).toMap().value(name).toString();
}

QVariant extensionSettings::globalValue(const QString &key)
{
    return VLXPreferences::objectForKey(key);
}

QVariant extensionSettings::feedValue(const QString &key, const QString &uniqueKey)
{
    return VLXPreferences::objectForKey(key, uniqueKey);
}

QString extensionSettings::registeredURI(const QString &prefix)
{
    return VLXPreferences::getDTDForNamespace(prefix);
}

void extensionSettings::registerSupportedNamespaces(const QStringList &descriptions)
{
    VLXPreferences::addMissingSupportedXMLNamespaces(descriptions);
}
