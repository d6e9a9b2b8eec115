#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariantMap>

// The OPML 1.0 list of the user's feeds: one outline per feed the user included, with its title,
// public XML address, web page and language. The program writes this document and never reads
// it. Built by the OPML window from its rows and head fields, and for a publish run straight
// from the feed list and the settings the window stored.
class OPMLDocument
{
public:
    // The document's head; an empty value leaves its element out.
    struct Head
    {
        QString title;
        QString ownerName;
        QString ownerEMail;
    };

    // One feed of the list: the feed-list entry's identity and file, and the per-feed settings
    // ("OPML_CF_*") that say what is written for it.
    struct Row
    {
        QString uniqueIdentifier;
        QString feedURL; // the feed file's address (a file URL)
        int included = 0;
        QDateTime lastSaved;
        QString rawTitle; // as found in the feed file
        QString title; // as written
        QString rawHTMLURL;
        QString HTMLURL;
        QString XMLURL; // the feed's public address, only ever entered by the user
        QString language;

        // Written only when included with both a title and an XML address.
        bool writable() const { return included != 0 && !title.isEmpty() && !XMLURL.isEmpty(); }
    };

    // The rows of the feed-list entries, read from each feed's settings.
    static QList<Row> rowsOfFeeds(const QList<QVariantMap> &listOfFeeds);
    // The head stored by the window ("OPML_Title", "OPML_OwnerName", "OPML_OwnerEMail").
    static Head storedHead();
    static void storeHead(const Head &head);
    // Stores a row's values in its feed's settings (the window's Accept), stamped `savedAt`.
    static void storeRow(const Row &row, const QDateTime &savedAt);

    // The document as UTF-8 bytes, every line ending in a line feed.
    static QByteArray build(const Head &head, const QList<Row> &rows);
    // What a publish run uploads: the stored head over the rows of the list.
    static QByteArray buildForFeeds(const QList<QVariantMap> &listOfFeeds);

    // Whether the row's feed file has to be read again: a value of it is missing, or the file
    // changed after the row was last accepted.
    static bool needsFeedFile(const Row &row);
    // Fills the row's empty title, web page and language values from the channel of its feed
    // file; values that hold something are kept and the XML address is never filled, nor a
    // value longer than the settings keep. False when the file cannot be read (only an ordinary
    // file no larger than a feed is) or is no feed (the row is unchanged). Runs on any thread
    // that uses a copy of the settings (VLXPreferences::ThreadCopy).
    static bool fillFromFeedFile(Row &row);

    // Why the head and rows cannot be stored: a value longer than the settings keep
    // (SettingTextLimits), named in the sentence. Empty when they can.
    static QString refusal(const Head &head, const QList<Row> &rows);

    // Writes the bytes through a temporary file renamed over the path, so a failed write leaves
    // what was there untouched. False with the reason in *problem.
    static bool save(const QString &path, const QByteArray &bytes, QString *problem = nullptr);
};
