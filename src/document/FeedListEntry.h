#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariantMap>

// One row of the user's feed list: where the feed lives, whether it has a file of the user's,
// the identifier its per-feed settings are kept under, and what is remembered about its last
// publishing. It is stored in the settings under "feedListKey" as a dictionary, and written
// beside every saved feed as its companion property list.
//
// Keys other parts of the program keep in the entry (list information of an extension, recent
// imports) travel along untouched in `others`, so nothing stored is ever dropped.
struct FeedListEntry
{
    static const QString kFileName; // "feedFileName"
    static const QString kURL; // "feedURL"
    static const QString kTransient; // "isTransient"
    static const QString kUniqueIdentifier; // "UniqueIdentifier"
    static const QString kLocalEnclosureFileInfo; // "LocalEnclosureFileInfo"
    static const QString kLastPublished; // "LastPublished"
    static const QString kImageLastPublished; // "ImageLastPublished"
    static const QString kAdditionalFiles; // "additionalFiles"

    QString fileName;
    QString url;
    bool transient = false;
    QString uniqueIdentifier;
    QVariantMap localEnclosureFileInfo;
    QDateTime lastPublished;
    QDateTime imageLastPublished;
    QByteArray additionalFiles;
    QVariantMap others;

    // A new entry with a new identifier.
    static FeedListEntry make(const QString &fileName, const QString &url, bool transient);
    static FeedListEntry fromMap(const QVariantMap &map);
    // The dictionary as stored: keys that were never set are left out, as before.
    QVariantMap toMap() const;

    bool isNull() const { return uniqueIdentifier.isEmpty(); }
    // A new feed never saved: no file and no address.
    bool isNewUnsaved() const { return transient && url.isEmpty(); }
    // The path of the feed's file, or "" for a feed without one (new, or from the web).
    QString localPath() const;
    // Whether the feed came from (or is to be fetched from) a web address.
    bool isRemote() const;

    // Any key, the typed ones included (for the class-level accessors of other parts).
    QVariant value(const QString &key) const;
    void setValue(const QString &key, const QVariant &value);
    void remove(const QString &key);

    bool operator==(const FeedListEntry &other) const { return toMap() == other.toMap(); }

private:
    // Which of the typed keys were present (a stored entry without them stays without them).
    bool m_hasEnclosures = false;
    bool m_hasAdditional = false;
};
