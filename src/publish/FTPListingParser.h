#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

// Turns the text an FTP server sends for LIST into listing entries: one map per file, folder or
// link with its type, permissions, link count, owner, group, size, modification time, name and
// link target. The folder browser lists folders with it; the publisher and the browser show a
// folders-only rendering of a listing inside their transfer transcripts.
//
// Servers disagree on the columns of an ls -l line (with or without a group, owners as names or
// numbers), so a line's form is chosen by where its month, day and time-or-year actually read,
// never by what the owner looks like.
class FTPListingParser
{
public:
    // How the two ls -l forms store the modification time: the browser's "modified" column shows
    // the text "%d %b %Y %H:%M"; the publisher keeps the date itself. Other forms keep the date.
    enum class DateStyle { Value, Text };

    static const QString kFileType; // "NSFileType"
    static const QString kTypeDirectory; // "NSFileTypeDirectory"
    static const QString kTypeSymbolicLink; // "NSFileTypeSymbolicLink"
    static const QString kTypeRegular; // "NSFileTypeRegular"
    static const QString kTypeUnknown; // "NSFileTypeUnknown"
    static const QString kPosixPermissions; // "NSFilePosixPermissions" (unsigned)
    static const QString kReferenceCount; // "NSFileReferenceCount" (integer)
    static const QString kOwnerAccountID; // "NSFileOwnerAccountID" (text as listed)
    static const QString kGroupOwnerAccountID; // "NSFileGroupOwnerAccountID" (text as listed)
    static const QString kSize; // "NSFileSize" (double)
    static const QString kModificationDate; // "NSFileModificationDate"
    static const QString kFilenameKey; // "cxFilenameKey"
    static const QString kSymbolicLinkTargetKey; // "cxSymbolicLinkTargetKey": "-> target"

    // The most entries a folder browser keeps of one listing: a folder of millions would cost
    // gigabytes and minutes and could not be browsed anyway.
    static constexpr qsizetype kListingLimit = 100000;

    struct Listing
    {
        QVariantList entries; // ordered by name
        // More entries followed the last one kept.
        bool truncated = false;
    };

    // The entries of a LIST reply ordered by name (case-insensitively). Lines of fewer than
    // seven blank-separated tokens ("total 24") are skipped; CR, CR LF and LF all end lines.
    static QVariantList parseLines(const QString &text, DateStyle style = DateStyle::Value);
    // The same for a reply as it arrived (UTF-8), keeping the first `limit` entries the server
    // sent; the reply is read a line at a time, so its size costs no more than itself.
    static Listing parseListing(const QByteArray &reply, DateStyle style, qsizetype limit);
    // Type from the first character, permission bits from the next nine.
    static void parsePermissions(const QString &token, QVariantMap &entry);
    // "        name/" for every folder of the reply, one a line; "" when there is none.
    static QString directoriesOnly(const QByteArray &reply);
    // The ordering of parseLines: true when a's name sorts before b's.
    static bool filenameSort(const QVariantMap &a, const QVariantMap &b);
};
