#include "model/knownNamespaces.h"

const QString knownNamespaces::kUserDefined = QStringLiteral("User Defined");

namespace {
const QChar kRegistered(0x00AE);
}

const std::array<knownNamespaces::Entry, 8> &knownNamespaces::table()
{
    static const std::array<Entry, 8> kTable = {{
        {KnownNamespace::iTunes, QStringLiteral("itunes"),
         QStringLiteral("http://www.itunes.com/dtds/podcast-1.0.dtd"),
         QStringLiteral("iTunes") + kRegistered, QStringLiteral("iTunes") + kRegistered,
         QStringLiteral("iTunesChannel"), QStringLiteral("iTunesItem"), QString()},
        {KnownNamespace::mediaRSS, QStringLiteral("media"),
         QStringLiteral("http://search.yahoo.com/mrss/"), QStringLiteral("Media RSS"),
         QStringLiteral("Media"), QStringLiteral("mrssChannel"), QStringLiteral("mrssItem"),
         QString()},
        {KnownNamespace::contentEncoded, QStringLiteral("content"),
         QStringLiteral("http://purl.org/rss/1.0/modules/content/"), QStringLiteral("Content"),
         QStringLiteral("content"), QStringLiteral("contentEncodedChannel"),
         QStringLiteral("contentEncodedItem"), QString()},
        {KnownNamespace::dublinCore, QStringLiteral("dc"),
         QStringLiteral("http://purl.org/dc/elements/1.1/"), QStringLiteral("Dublin Core"),
         QStringLiteral("Dublin Core"), QStringLiteral("dcChannel"), QStringLiteral("dcItem"),
         QStringLiteral("dcImage")},
        {KnownNamespace::syndication, QStringLiteral("sy"),
         QStringLiteral("http://purl.org/rss/1.0/modules/syndication/"),
         QStringLiteral("Syndication"), QString(), QStringLiteral("syChannel"), QString(),
         QString()},
        {KnownNamespace::creativeCommons, QStringLiteral("creativeCommons"),
         QStringLiteral("http://backend.userland.com/creativeCommonsRssModule"),
         QStringLiteral("Creative Commons") + kRegistered,
         QStringLiteral("Creative Commons") + kRegistered, QStringLiteral("creativeCommonsChannel"),
         QStringLiteral("creativeCommonsItem"), QString()},
        {KnownNamespace::microsoftCF, QStringLiteral("cf"),
         QStringLiteral("http://www.microsoft.com/schemas/rss/core/2005"), QStringLiteral("MS-SLE"),
         QString(), QStringLiteral("microsoftCFChannel"), QString(), QString()},
        {KnownNamespace::trackBack, QStringLiteral("trackback"),
         QStringLiteral("http://madskills.com/public/xml/rss/module/trackback/"),
         QStringLiteral("TrackBack"), QStringLiteral("TrackBack"),
         QStringLiteral("trackBackChannel"), QStringLiteral("trackBackItem"), QString()},
    }};
    return kTable;
}

const knownNamespaces::Entry &knownNamespaces::entry(KnownNamespace ns)
{
    return table()[static_cast<size_t>(ns)];
}

QString knownNamespaces::displayName(KnownNamespace ns, ExtensionPlace place)
{
    const Entry &e = entry(ns);
    if (place == ExtensionPlace::Item && !e.itemDisplayName.isEmpty())
        return e.itemDisplayName;
    return e.displayName;
}

QString knownNamespaces::className(KnownNamespace ns, ExtensionPlace place)
{
    const Entry &e = entry(ns);
    switch (place) {
    case ExtensionPlace::Channel:
        return e.channelClass;
    case ExtensionPlace::Item:
        return e.itemClass;
    case ExtensionPlace::Image:
        return e.imageClass;
    case ExtensionPlace::Prefs:
        break;
    }
    return QString();
}

bool knownNamespaces::existsAt(KnownNamespace ns, ExtensionPlace place)
{
    // Asked for every element of every item read: no copy of the class name.
    const Entry &e = entry(ns);
    switch (place) {
    case ExtensionPlace::Channel:
        return !e.channelClass.isEmpty();
    case ExtensionPlace::Item:
        return !e.itemClass.isEmpty();
    case ExtensionPlace::Image:
        return !e.imageClass.isEmpty();
    case ExtensionPlace::Prefs:
        break;
    }
    return !className(ns, place).isEmpty();
}

std::optional<KnownNamespace> knownNamespaces::fromPrefix(const QString &prefix)
{
    for (const Entry &e : table()) {
        if (e.prefix == prefix)
            return e.ns;
    }
    return std::nullopt;
}

namespace {

// An address as the comparison sees it: lower case, without the scheme when it is http or https,
// without a leading "www." and without one final slash.
QString comparableAddress(QStringView uri)
{
    QString address = uri.trimmed().toString().toLower();
    for (const QLatin1StringView scheme : {QLatin1StringView("http://"), QLatin1StringView("https://")}) {
        if (address.startsWith(scheme)) {
            address.remove(0, scheme.size());
            break;
        }
    }
    if (address.startsWith(QLatin1StringView("www.")))
        address.remove(0, 4);
    if (address.endsWith(u'/'))
        address.chop(1);
    return address;
}

// Addresses a namespace was published under before its URI settled, still found in feeds.
const QList<std::pair<KnownNamespace, QString>> &oldAddresses()
{
    static const QList<std::pair<KnownNamespace, QString>> kOld
        = {{KnownNamespace::mediaRSS, QStringLiteral("http://tools.search.yahoo.com/mrss/")}};
    return kOld;
}

} // namespace

QString knownNamespaces::canonicalURI(const QString &uri)
{
    const std::optional<KnownNamespace> ns = fromURI(uri);
    return ns ? knownNamespaces::uri(*ns) : uri;
}

bool knownNamespaces::sameAddress(QStringView a, QStringView b)
{
    return a == b || comparableAddress(a) == comparableAddress(b);
}

std::optional<KnownNamespace> knownNamespaces::fromURI(const QString &uri)
{
    for (const Entry &e : table()) {
        if (e.uri == uri)
            return e.ns;
    }
    if (uri.isEmpty())
        return std::nullopt;
    // Made once: the comparable forms of every URI and old address, in table order.
    static const QList<std::pair<KnownNamespace, QString>> kComparable = [] {
        QList<std::pair<KnownNamespace, QString>> forms;
        for (const Entry &e : table())
            forms.append({e.ns, comparableAddress(e.uri)});
        for (const auto &[ns, address] : oldAddresses())
            forms.append({ns, comparableAddress(address)});
        return forms;
    }();
    const QString address = comparableAddress(uri);
    for (const auto &[ns, form] : kComparable) {
        if (form == address)
            return ns;
    }
    return std::nullopt;
}

const QList<KnownNamespace> &knownNamespaces::displayOrder(ExtensionPlace place)
{
    // The table never changes: each place's order is worked out once and then shared.
    const auto orderAt = [](ExtensionPlace at) {
        QList<KnownNamespace> order;
        for (const Entry &e : table()) {
            if (existsAt(e.ns, at))
                order.append(e.ns);
        }
        return order;
    };
    static const std::array<QList<KnownNamespace>, 4> kOrders
        = {orderAt(ExtensionPlace::Channel), orderAt(ExtensionPlace::Item),
           orderAt(ExtensionPlace::Image), orderAt(ExtensionPlace::Prefs)};
    return kOrders[static_cast<size_t>(place)];
}

const QList<KnownNamespace> &knownNamespaces::creationOrder(ExtensionPlace place)
{
    using K = KnownNamespace;
    // Items try Common Feed last; the others follow the table. Every place tries all eight, so a
    // namespace without a class there is recognised (and then deliberately not created).
    static const QList<KnownNamespace> kItem
        = {K::iTunes,      K::mediaRSS,        K::contentEncoded, K::dublinCore,
           K::syndication, K::creativeCommons, K::trackBack,      K::microsoftCF};
    static const QList<KnownNamespace> kOthers
        = {K::iTunes,      K::mediaRSS,        K::contentEncoded, K::dublinCore,
           K::syndication, K::creativeCommons, K::microsoftCF,    K::trackBack};
    return place == ExtensionPlace::Item ? kItem : kOthers;
}

const QList<KnownNamespace> &knownNamespaces::declarationOrder()
{
    using K = KnownNamespace;
    static const QList<KnownNamespace> kOrder
        = {K::iTunes,      K::contentEncoded,  K::mediaRSS,    K::dublinCore,
           K::syndication, K::creativeCommons, K::microsoftCF, K::trackBack};
    return kOrder;
}

const QList<KnownNamespace> &knownNamespaces::registrationOrder()
{
    using K = KnownNamespace;
    static const QList<KnownNamespace> kOrder
        = {K::iTunes,     K::mediaRSS,        K::contentEncoded, K::syndication,
           K::dublinCore, K::creativeCommons, K::microsoftCF,    K::trackBack};
    return kOrder;
}

QString knownNamespaces::descriptionOfNamespace(KnownNamespace ns)
{
    const Entry &e = entry(ns);
    return QStringLiteral("%1||%2||1||%3||").arg(e.prefix, e.uri, e.displayName);
}

QString knownNamespaces::descriptionOfNamespaceShort(KnownNamespace ns)
{
    const Entry &e = entry(ns);
    return QStringLiteral("%1||%2||1||").arg(e.prefix, e.uri);
}

QStringList knownNamespaces::builtinDescriptions()
{
    QStringList list;
    for (KnownNamespace ns : registrationOrder())
        list.append(descriptionOfNamespace(ns));
    return list;
}

QString knownNamespaces::numberedPrefix(const QString &prefix,
                                        const std::function<bool(const QString &)> &taken)
{
    for (int n = 1;; ++n) {
        QString numbered = prefix + QString::number(n);
        if (!taken(numbered))
            return numbered;
    }
}
