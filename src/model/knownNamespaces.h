#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

// The eight namespaces that have extension classes of their own, in display order.
enum class KnownNamespace {
    iTunes,
    mediaRSS,
    contentEncoded,
    dublinCore,
    syndication,
    creativeCommons,
    microsoftCF,
    trackBack
};

// Where an extension object sits: it decides its default settings, its raw class and which of
// the known namespaces have a class there.
enum class ExtensionPlace { Channel, Item, Image, Prefs };

// The one table of the known namespaces: prefix, URI, display names, the classes per place and
// the orders in which managers create, list, declare and register them. Everything that needs
// one of these facts reads it here, so they cannot drift apart.
class knownNamespaces
{
public:
    struct Entry
    {
        KnownNamespace ns;
        QString prefix; // canonical prefix, the extension's name
        QString uri; // the namespace URI ("DTD URL")
        QString displayName; // channel class display name
        QString itemDisplayName; // item class display name ("" when no item class)
        QString channelClass; // class names per place, "" when the place has none
        QString itemClass;
        QString imageClass;
    };

    static const std::array<Entry, 8> &table();
    static const Entry &entry(KnownNamespace ns);

    static QString prefix(KnownNamespace ns) { return entry(ns).prefix; }
    static QString uri(KnownNamespace ns) { return entry(ns).uri; }
    // The display name of the class at that place (item classes differ for two namespaces).
    static QString displayName(KnownNamespace ns, ExtensionPlace place = ExtensionPlace::Channel);
    static QString className(KnownNamespace ns, ExtensionPlace place);
    static bool existsAt(KnownNamespace ns, ExtensionPlace place);

    // The namespace whose canonical prefix is exactly this text.
    static std::optional<KnownNamespace> fromPrefix(const QString &prefix);
    // The namespace an address names: its own URI, or an address feeds write for it (the URI
    // with other capitals, http for https or the reverse, without "www." or the final slash, or
    // an old address of the namespace). Every part of the program that asks which namespace a
    // document means asks here.
    static std::optional<KnownNamespace> fromURI(const QString &uri);
    // Whether two addresses name one namespace as feeds write them: equal ignoring letter case,
    // http or https, a leading "www." and a final slash.
    static bool sameAddress(QStringView a, QStringView b);
    // The own URI of the known namespace an address names; the address itself for any other.
    static QString canonicalURI(const QString &uri);
    // Whether uri is the namespace's own URI, as the program writes it.
    static bool isOwnURI(KnownNamespace ns, QStringView uri) { return uri == entry(ns).uri; }
    // The first of prefix1, prefix2, … that `taken` does not refuse: where a document binds a
    // prefix to another namespace than the one it stands for here.
    static QString numberedPrefix(const QString &prefix,
                                  const std::function<bool(const QString &)> &taken);

    // The orders are fixed; each is made once and handed out as it is (managers walk them for
    // every element they read).
    // Display order of a place: the table order, keeping those with a class there.
    static const QList<KnownNamespace> &displayOrder(ExtensionPlace place);
    // Order in which a manager matches a prefix/URI pair when creating an extension.
    static const QList<KnownNamespace> &creationOrder(ExtensionPlace place);
    // Order of the namespace declarations on the rss element (content before Media RSS).
    static const QList<KnownNamespace> &declarationOrder();
    // Order in which a new channel manager registers the built-in namespaces.
    static const QList<KnownNamespace> &registrationOrder();

    // "%@||%@||1||%@||" and "%@||%@||1||" of a known namespace (its channel class).
    static QString descriptionOfNamespace(KnownNamespace ns);
    static QString descriptionOfNamespaceShort(KnownNamespace ns);
    // The long descriptions in registration order, as the namespace registry wants them.
    static QStringList builtinDescriptions();

    static const QString kUserDefined; // "User Defined"
};
