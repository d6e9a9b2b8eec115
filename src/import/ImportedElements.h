#pragma once

#include <QHash>
#include <QString>

class VLXFeed;
class extensionManagerItem;

// What an imported item keeps of the elements no namespace class of the feed it joins reads:
// its user-defined elements, and the elements of a namespace whose prefix that feed binds to
// another URI. Both are kept as user-defined elements that declare every namespace they use,
// so that they read the same wherever the feed writer puts them. Where the joined feed binds
// (or the program knows) a prefix they use for another namespace, they take a fresh prefix:
// otherwise the next reading of the saved feed would file them under that other namespace.
//
// One object serves one import: an item's prefix and URI get the same fresh prefix in every
// item, and a fresh prefix given for one URI is not given for another.
class ImportedElements
{
public:
    explicit ImportedElements(const VLXFeed &destination);

    // Moves the item's raw elements of a namespace the destination binds its prefix to another
    // URI among its user-defined elements, and renames the prefixes of those that clash.
    void adopt(extensionManagerItem &extensions);

    // Elements kept under a namespace's prefix (which the feed writer declares) as they read
    // standing alone: the prefix declared on each of them. Text that does not parse comes back
    // unchanged.
    static QString standingAlone(const QString &elements, const QString &prefix,
                                 const QString &uri);
    // Elements that declare what they use, with every prefix they declare for another URI than
    // the destination binds it to renamed.
    QString withFreshPrefixes(const QString &elements);

private:
    // The URI the destination binds (or the program knows) the prefix for; empty for none.
    QString boundURI(const QString &prefix) const;
    QString freshPrefix(const QString &prefix, const QString &uri, const QString &text);

    QHash<QString, QString> m_declared; // the destination channel's declarations
    QHash<QString, QString> m_bound; // every prefix the written feed declares
    QHash<QString, QString> m_fresh; // prefix + '\n' + URI: the prefix given for them
    QHash<QString, QString> m_given; // a fresh prefix: its URI
};
