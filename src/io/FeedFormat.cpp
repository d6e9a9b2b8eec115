#include "io/FeedFormat.h"

#include "model/baseExtensionManager.h"
#include "model/knownNamespaces.h"
#include "platform/ShownText.h"
#include "xml/vlxXMLDOM.h"

using namespace Qt::StringLiterals;

const QString FeedFormat::kRDFNamespace = u"http://www.w3.org/1999/02/22-rdf-syntax-ns#"_s;
const QString FeedFormat::kRSS10Namespace = u"http://purl.org/rss/1.0/"_s;
const QString FeedFormat::kRSS090Namespace = u"http://my.netscape.com/rdf/simple/0.9/"_s;
const QString FeedFormat::kAtom10Namespace = u"http://www.w3.org/2005/Atom"_s;
const QString FeedFormat::kAtom03Namespace = u"http://purl.org/atom/ns#"_s;

namespace {

const vlxXMLNode *documentElement(const vlxXMLDOM &dom)
{
    const vlxXMLNode *document = dom.xmlTree();
    const int count = vlxXMLDOM::numberOfChildren(document);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, document);
        if (vlxXMLDOM::kindOfNode(child) == vlxXMLDOM::Element)
            return child;
    }
    return nullptr;
}

QStringView localPart(const QString &name)
{
    return QStringView(name).sliced(name.lastIndexOf(u':') + 1);
}

// The digits and dots of a version attribute, blanks passed over: " 2 .0" and "v2.0" read "2.0".
QString versionDigits(const QString &value)
{
    QString run;
    for (const QChar c : value) {
        const bool digit = c == u'.' || (c >= u'0' && c <= u'9');
        if (digit)
            run.append(c);
        else if (!run.isEmpty() && c != u' ')
            break;
    }
    return run;
}

// Whether the channel of an RDF root stands in the RSS 0.90 namespace: its first child named
// "channel" as the RDF reader reads one (in an RSS namespace under any prefix, or unprefixed in
// none).
bool hasRSS090Channel(const vlxXMLNode *root)
{
    const int count = vlxXMLDOM::numberOfChildren(root);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, root);
        if (vlxXMLDOM::kindOfNode(child) != vlxXMLDOM::Element)
            continue;
        const QString name = vlxXMLDOM::nameOfNode(child);
        if (localPart(name).compare(u"channel", Qt::CaseInsensitive) != 0)
            continue;
        const QString uri = vlxXMLDOM::namespaceURIOfNode(child);
        if (knownNamespaces::sameAddress(uri, FeedFormat::kRSS090Namespace))
            return true;
        if (knownNamespaces::sameAddress(uri, FeedFormat::kRSS10Namespace)
            || (uri.isEmpty() && !name.contains(u':')))
            return false;
    }
    return false;
}

// Whether an address names RDF's namespace as any namespace's address is matched (see
// knownNamespaces::sameAddress: blanks around it, a final "/", letter case and the scheme do
// not count), or is RDF's address without its final "#", which feeds bind rdf:RDF to as well.
bool isRDFAddress(const QString &uri)
{
    return knownNamespaces::sameAddress(uri, FeedFormat::kRDFNamespace)
        || knownNamespaces::sameAddress(uri, QStringView(FeedFormat::kRDFNamespace).chopped(1));
}

QString namespaceShown(const QString &uri)
{
    return uri.isEmpty() ? u"no namespace"_s
                         : u"the namespace \"%1\""_s.arg(ShownText::quoted(uri));
}

} // namespace

const QStringList &FeedFormat::rssVersions()
{
    static const QStringList versions = {u"0.91"_s, u"0.92"_s, u"0.93"_s, u"0.94"_s, u"2.0"_s};
    return versions;
}

QString FeedFormat::shownName(const QString &name)
{
    return u"<%1>"_s.arg(ShownText::quoted(name));
}

FeedFormat FeedFormat::of(const vlxXMLDOM &dom)
{
    FeedFormat format;
    format.type = QString(u""_s);
    format.version = u"-1"_s;
    format.root = documentElement(dom);
    if (!format.root) {
        format.refusal = u"The document has no root element."_s;
        return format;
    }
    const QString name = vlxXMLDOM::nameOfNode(format.root);
    const QStringView local = localPart(name);
    const bool prefixed = local.size() != name.size();
    const QString uri = vlxXMLDOM::namespaceURIOfNode(format.root);
    const auto take = [&format](Reader reader, const QString &type, const QString &version) {
        format.reader = reader;
        format.type = type;
        format.version = version;
    };

    if (name == u"rss") {
        const QString named = vlxXMLDOM::attributeOfNode(format.root, u"version"_s);
        const QString digits = versionDigits(named);
        if (rssVersions().contains(digits)) {
            take(Reader::RSS20, u"RSS"_s, digits);
        } else {
            take(Reader::RSS20, u"RSS"_s, u"2.0"_s);
            format.versionUnknown = true;
            format.namedVersion = named;
        }
    } else if (local == u"RDF" && (isRDFAddress(uri) || (uri.isEmpty() && name == u"rdf:RDF"))) {
        if (!uri.isEmpty() && uri != kRDFNamespace)
            format.otherAddress = uri;
        if (hasRSS090Channel(format.root))
            take(Reader::RSS09, u"RSS"_s, u"0.9"_s);
        else
            take(Reader::RSS10, u"RSS"_s, u"1.0"_s);
    } else if (local == u"feed" && uri.startsWith(u"http://purl.org/atom/ns")) {
        take(Reader::Atom03, u"Atom"_s, u"0.3"_s);
    } else if (local == u"feed"
               && (!prefixed || knownNamespaces::sameAddress(uri, kAtom10Namespace))) {
        take(Reader::Atom10, u"Atom"_s, u"1.0"_s);
    } else if (local == u"feed") {
        format.refusal = u"The document's root element %1 is in %2, where an Atom feed's root "
                         u"element <feed> is in the namespace \"%3\"."_s.arg(
                             shownName(name), namespaceShown(uri), kAtom10Namespace);
    } else if (local == u"RDF") {
        format.refusal = u"The document's root element %1 is in %2, where an RSS 1.0 feed's root "
                         u"element <rdf:RDF> is in the namespace \"%3\"."_s.arg(
                             shownName(name), namespaceShown(uri), kRDFNamespace);
    } else {
        format.refusal = u"The document's root element is %1, where a feed's root element is "
                         u"<rss>, <rdf:RDF> or <feed>."_s.arg(shownName(name));
    }
    return format;
}

QStringList FeedFormat::messages() const
{
    QStringList told;
    if (!otherAddress.isEmpty()) {
        told.append(baseExtensionManager::kOtherAddressRepair.arg(u"RDF"_s,
                                                                  ShownText::quoted(otherAddress)));
    }
    if (!versionUnknown)
        return told;
    if (namedVersion.isEmpty())
        told.append(u"The root element <rss> names no version: the feed was read as RSS 2.0."_s);
    else
        told.append(
            u"The root element <rss> names the version \"%1\", which is none of 0.91 to "
            u"0.94 and 2.0: the feed was read as RSS 2.0."_s.arg(ShownText::quoted(namedVersion)));
    return told;
}
