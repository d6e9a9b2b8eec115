#pragma once

#include <QString>
#include <QStringList>

// A namespace description string as the settings keep it in their registry and the extensions
// answer it: prefix, URI, well-supported flag and an optional display name, each followed by
// "||". Fewer than four "||"-separated parts (the trailing separator counts) read as an empty
// prefix and URI, flag NO and the display text " - ".
//     "itunes||http://...||1||iTunes®||"   "abc||urn:x||0||"
class NamespaceDescription
{
public:
    // The three-part form, or the long form when a display name is given.
    static QString make(const QString &prefix, const QString &url, bool wellSupported);
    static QString make(const QString &prefix, const QString &url, bool wellSupported,
                        const QString &displayName);
    static QString extensionName(const QString &description);
    static QString DTDURL(const QString &description);
    static bool wellSupported(const QString &description);
    // The display name when the description has one (it may be empty), else "prefix - URI".
    static QString displayDescription(const QString &description);

    // The name of the namespace that stands for elements no extension class reads.
    static const QString kUserDefined; // "User Defined"

private:
    static QStringList split(const QString &description);
};
