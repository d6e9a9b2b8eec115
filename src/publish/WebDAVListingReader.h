#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>

// Reads the multistatus answer of a WebDAV PROPFIND into listing entries (maps with the kDM keys
// of DMTransaction), in one streaming pass that keeps no tree: what it costs is bounded by the
// answer's size and the number of entries, whatever the answer holds.
//
// An answer is the server's text, never trusted: one with a DOCTYPE is refused before its
// declarations are read (a multistatus never needs one, and entities declared there could
// expand without bound), an entity reference other than the five predefined ones makes it
// unreadable, nothing is loaded from the network, and a value longer than any real one refuses
// the answer. Safe to run on any thread.
class WebDAVListingReader
{
public:
    struct Listing
    {
        bool readable = false;
        // More entries followed the last one kept.
        bool truncated = false;
        QVariantList entries;
    };

    // `basePath` is the path of the member's root on the server (taken off every href),
    // `listed` the listed folder below it (its own entry is left out); at most `limit` entries
    // are kept.
    static Listing read(const QByteArray &answer, const QString &basePath, const QString &listed,
                        qsizetype limit);
};
