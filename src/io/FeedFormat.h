#pragma once

#include <QString>
#include <QStringList>

class vlxXMLDOM;
class vlxXMLNode;

// Which feed a parsed document holds, read from its root element as XML names it: the root's
// local name and namespace address (whatever prefix binds it), and, for an rss root, its own
// version attribute. The text around it (a title saying "Release 2.0", a comment naming
// <feed>) never counts.
//
// - <rss>: RSS. A version from 0.91 to 0.94 or 2.0 is that version; any other, or none, is read
//   as RSS 2.0, the format the program writes, and namedVersion tells what the root said.
// - <RDF> of the RDF namespace, its address matched as any namespace's is, without its final "#"
//   too (or spelled rdf:RDF with the prefix bound nowhere): RSS 0.9 when its channel stands in
//   the RSS 0.90 namespace, else RSS 1.0.
// - <feed> of the Atom 0.3 namespace: Atom 0.3; of Atom 1.0's, or unprefixed in any other or in
//   none: Atom 1.0.
// Anything else is no feed, and refusal says why, naming the root it found.
class FeedFormat
{
public:
    enum class Reader { None, RSS09, RSS20, RSS10, Atom10, Atom03 };

    Reader reader = Reader::None;
    QString type; // "RSS", "Atom", or "" for no feed
    QString version; // as the program reads it ("-1" for no feed)
    const vlxXMLNode *root = nullptr;
    // For an rss root read as 2.0 though it named no version the reader takes: whether it named
    // one, and which (as written).
    bool versionUnknown = false;
    QString namedVersion;
    // The address an RDF root is bound to when it is not RDF's own but one taken for it.
    QString otherAddress;
    QString refusal; // why the document is no feed; empty for a feed

    static FeedFormat of(const vlxXMLDOM &dom);
    // The type and version as one list, ("", "-1") for no feed.
    QStringList pair() const { return {type, version}; }
    bool isFeed() const { return reader != Reader::None; }
    // The lines the log of a feed read gets on how its root was taken: an rss root that named no
    // version the reader takes, an RDF root bound to another address for RDF's.
    QStringList messages() const;
    // The name of the document's root element as the user is told it: "<name>", cut and plain.
    static QString shownName(const QString &name);

    static const QString kRDFNamespace;
    static const QString kRSS10Namespace;
    static const QString kRSS090Namespace;
    static const QString kAtom10Namespace;
    static const QString kAtom03Namespace;

    // The versions of an rss root the reader takes as they are.
    static const QStringList &rssVersions();
};
