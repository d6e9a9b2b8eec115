#pragma once

#include <QHash>
#include <QSet>
#include <QString>

class VLXFeed;
class extensionManagerItem;

// What an imported item keeps of the elements no namespace class of the feed it joins reads:
// its user-defined elements, and the elements of every namespace without a class. Those of a
// namespace the feed binds go under the feed's prefix for it; the others are kept as
// user-defined elements that declare every namespace they use, so that they read the same
// wherever the feed writer puts them. Where the joined feed binds
// (or the program knows) a prefix they use for another namespace, they take a fresh prefix:
// otherwise the next reading of the saved feed would file them under that other namespace.
//
// One object serves one import: an item's prefix and URI get the same fresh prefix in every
// item, and a fresh prefix given for one URI is not given for another.
class ImportedElements
{
public:
    explicit ImportedElements(const VLXFeed &destination);

    // Gives the item's namespaces without a class to the destination: elements of a namespace
    // it binds (under any prefix) go under its prefix; those of any other namespace move among
    // the user-defined elements, declaring it, and a prefix of theirs that clashes is renamed.
    void adopt(extensionManagerItem &extensions);

    // Elements kept under a namespace's prefix (which the feed writer declares), and the
    // namespace.
    struct Namespaced
    {
        QString elements;
        QString prefix;
        QString uri;
    };
    // The elements of each as they read standing alone, one after another: the prefix declared
    // on each element. Text that does not parse comes back unchanged.
    static QString standingAlone(const QList<Namespaced> &kept);
    // Elements that declare what they use, with every prefix they declare for another URI than
    // the destination binds it to renamed.
    QString withFreshPrefixes(const QString &elements);

private:
    // The URI the destination binds (or the program knows) the prefix for; empty for none.
    QString boundURI(const QString &prefix) const;
    // The prefix the written feed binds to uri; a null string for none.
    QString prefixBoundTo(const QString &uri) const;
    // A prefix for uri where the elements bind prefix to it and the feed binds prefix to another
    // namespace: none the feed binds or the elements use (used), which it joins.
    QString freshPrefix(const QString &prefix, const QString &uri, QSet<QString> &used);

    QHash<QString, QString> m_declared; // the destination channel's declarations
    QHash<QString, QString> m_bound; // every prefix the written feed declares
    mutable QHash<QString, QString> m_prefixOf; // the same by URI (references decoded), made on use
    QHash<QString, QString> m_fresh; // prefix + '\n' + URI: the prefix given for them
    QHash<QString, QString> m_given; // a fresh prefix: its URI
};
