#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// What the extension framework needs of the settings store, in one place: the default raw XML of
// extensions (each "…_EX_Extensions" setting is a dictionary from an extension name to a text)
// and the namespace registry.
class extensionSettings
{
public:
    // The text under name in the global setting key; "" when there is none.
    static QString globalText(const QString &key, const QString &name);
    // The same from the per-feed entry of the feed with that unique identifier.
    static QString feedText(const QString &key, const QString &uniqueKey, const QString &name);
    // The value of a global setting, and of a per-feed setting of the feed with that unique
    // identifier (its built-in default when the feed has no entry).
    static QVariant globalValue(const QString &key);
    static QVariant feedValue(const QString &key, const QString &uniqueKey);
    // The URI the namespace registry knows for a prefix; "" when it knows none.
    static QString registeredURI(const QString &prefix);
    // Makes the given long descriptions the registry's well-supported part.
    static void registerSupportedNamespaces(const QStringList &descriptions);
};
