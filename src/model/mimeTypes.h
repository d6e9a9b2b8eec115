#pragma once

#include <QHash>
#include <QSet>
#include <QString>

// MIME types by file extension, read once from the resources "mimeTypes" (the types proposed
// for an extension) and "mimeTypesNE" (further types accepted as valid and as matching, never
// proposed). One shared instance lives for the whole run; the class-level twins forward to it.
class mimeTypes
{
public:
    static mimeTypes &sharedInstance();

    const QHash<QString, QString> &typeDictionary() const { return m_typeDictionary; }
    const QHash<QString, QString> &noExtensionTypeDictionary() const
    {
        return m_noExtensionTypeDictionary;
    }

    // The main table's type for the lower-cased extension; "" when unknown or empty.
    QString mimeTypeForExtension(const QString &extension) const;
    // The type for the extension of a path or URL (made safe and split first, so a query or a
    // fragment does not disturb it); "" when there is none.
    QString mimeTypeForPath(const QString &path) const;
    // YES when the type is a value of the main table.
    bool isKnownMIMEType(const QString &type) const;
    // Types of either table are valid; with strict clear also experimental ones ("x-" subtype
    // under a standard or "x-" top type).
    bool isValidMIMEType(const QString &type, bool strict) const;
    // YES when the type is valid and fits the path's extension in either table.
    bool verifyPath(const QString &path, const QString &type, bool strict) const;

    static QString sharedMimeTypeForExtension(const QString &e)
    {
        return sharedInstance().mimeTypeForExtension(e);
    }
    static QString sharedMimeTypeForPath(const QString &p)
    {
        return sharedInstance().mimeTypeForPath(p);
    }
    static bool sharedIsKnownMIMEType(const QString &t)
    {
        return sharedInstance().isKnownMIMEType(t);
    }
    static bool sharedIsValidMIMEType(const QString &t, bool strict)
    {
        return sharedInstance().isValidMIMEType(t, strict);
    }
    static bool sharedVerifyPath(const QString &p, const QString &t, bool strict)
    {
        return sharedInstance().verifyPath(p, t, strict);
    }

    // Reads a property-list dictionary of strings (XML form); empty for anything else.
    static QHash<QString, QString> readStringDictionary(const QByteArray &plist);
    // A table made of the two dictionaries (also used by tests).
    static mimeTypes fromTables(QHash<QString, QString> main, QHash<QString, QString> noExtension);

private:
    mimeTypes() = default;
    // The path's extension after making it safe and splitting it as a URL; "" when none.
    static QString extensionOfPath(const QString &path);
    bool isValidMIMETypeUncached(const QString &type, bool strict) const;

    QHash<QString, QString> m_typeDictionary;
    QHash<QString, QString> m_noExtensionTypeDictionary;
    QSet<QString> m_knownTypes;
    QSet<QString> m_noExtensionTypes;
    // Tells tables apart for the answers remembered (a table never changes once made).
    quint64 m_identity = 0;
};
