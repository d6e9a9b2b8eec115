// The Atom 1.0 and Atom 0.3 readers: Atom's constructs are folded into RSS 2.0 fields.

#include "io/FeedFormat.h"
#include "io/VLXParseFeed.h"
#include "io/VLXReaderSupport.h"

#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "settings/categoryElement.h"
#include "xml/HTMLText.h"
#include "xml/vlxXMLDOM.h"

#include <QStringDecoder>
#include <QUrl>

#include <optional>

using namespace Qt::StringLiterals;
using namespace VLXReaderSupport;

namespace {

QString text(const vlxXMLNode *node)
{
    return vlxXMLDOM::descriptionOfNode(node);
}

QString attribute(const vlxXMLNode *node, const char16_t *name)
{
    return vlxXMLDOM::attributeOfNode(node, QString::fromUtf16(name));
}

QString dateValue(const QString &raw)
{
    return VLXLogic::convertValidDateToRFC822(raw.trimmed());
}

// --- Addresses ---
// RSS 2.0 wants absolute addresses where Atom allows relative ones: those resolve against the
// xml:base in scope, which itself resolves against the base around it, and last against the
// address the document was read from.

// The base of node's content and attributes: its own xml:base resolved against outer's. Empty
// when there is none; relative when no absolute base is in scope.
QUrl baseOf(const vlxXMLNode *node, const QUrl &outer)
{
    const QString declared = decodedTrimmed(attribute(node, u"xml:base"));
    if (declared.isEmpty())
        return outer;
    const QUrl base(declared);
    if (!base.isValid())
        return outer;
    return outer.isEmpty() ? base : outer.resolved(base);
}

// An address as the document wrote it, resolved against base when that is absolute. An absolute
// address, and one that does not parse, stay exactly as written.
QString resolved(const QString &address, const QUrl &base)
{
    if (address.isEmpty() || base.isEmpty() || base.isRelative())
        return address;
    const QUrl reference(address);
    if (!reference.isValid() || !reference.isRelative())
        return address;
    // Escapes stay escapes (an escaped UTF-8 byte decoded would be escaped again as Latin-1 when
    // written), and the result is a URL, not an IRI.
    const QUrl absolute = base.resolved(reference);
    return absolute.isValid() ? absolute.toString(QUrl::FullyEncoded) : address;
}

// A link whose type is "text/html" or empty is the page link; an XHTML page is a page too.
bool isPageLink(const vlxXMLNode *link)
{
    const QString type = attribute(link, u"type");
    return type.isEmpty() || type == u"text/html" || type == u"application/xhtml+xml";
}

// --- Text constructs ---
// A title, subtitle, summary, content or rights element holds text a reader shows as it stands,
// HTML it renders, or markup of the document itself (XHTML, or inline elements). Its type tells
// which; a field takes what it can hold: a title the text, a description HTML.

enum class Kind { Text, HTML, XHTML };

bool hasElementChild(const vlxXMLNode *node)
{
    const int count = vlxXMLDOM::numberOfChildren(node);
    for (int i = 0; i < count; ++i) {
        if (vlxXMLDOM::kindOfNode(vlxXMLDOM::nodeAtIndex(i, node)) == vlxXMLDOM::Element)
            return true;
    }
    return false;
}

// The text inside node and every element in it, references resolved, markup removed.
void appendTextContent(QString &out, const vlxXMLNode *node)
{
    const int count = vlxXMLDOM::numberOfChildren(node);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
        switch (vlxXMLDOM::kindOfNode(child)) {
        case vlxXMLDOM::Element:
            appendTextContent(out, child);
            break;
        case vlxXMLDOM::Text:
        case vlxXMLDOM::Whitespace:
        case vlxXMLDOM::CDATASection:
            out += vlxXMLDOM::nameOfNode(child);
            break;
        case vlxXMLDOM::EntityReference:
            out += vlxXMLDOM::resolveReference(vlxXMLDOM::nameOfNode(child));
            break;
        default:
            break; // comments and processing instructions are no text
        }
    }
}

// A construct's media type, letter case and parameters aside ("text/html; charset=utf-8" is
// "text/html"); Atom 1.0's own "text", "html" and "xhtml" as they are.
QString typeOf(const vlxXMLNode *node)
{
    QString type = attribute(node, u"type").toLower();
    const qsizetype parameters = type.indexOf(u';');
    if (parameters >= 0)
        type.truncate(parameters);
    return type.trimmed();
}

bool isXMLType(const QString &type)
{
    return type == u"xhtml" || type.endsWith(u"/xml") || type.endsWith(u"+xml");
}

// Atom 1.0: text unless said otherwise, also for a type no reader knows.
Kind atom10Kind(const vlxXMLNode *node)
{
    const QString type = typeOf(node);
    if (type == u"html" || type == u"text/html")
        return Kind::HTML;
    return isXMLType(type) ? Kind::XHTML : Kind::Text;
}

// Atom 0.3: "text/plain" unless said otherwise. In mode "xml" an HTML or XHTML type holds the
// document's own markup; "escaped" holds markup as text, which is HTML unless the type says it
// is plain text. Without a mode, "xml" is the default, but an HTML construct that holds no
// element is its markup written escaped, as feeds that leave the mode out write it: HTML. An XML
// type without elements stays text: an SVG or XHTML summary showing a tag builds none.
Kind atom03Kind(const vlxXMLNode *node)
{
    const QString type = typeOf(node);
    const bool html = type == u"text/html" || type == u"html";
    const QString mode = attribute(node, u"mode").trimmed().toLower();
    if (mode == u"escaped")
        return type == u"text/plain" ? Kind::Text : Kind::HTML;
    if (mode == u"base64")
        return html || isXMLType(type) ? Kind::HTML : Kind::Text;
    if (html && mode.isEmpty() && !hasElementChild(node))
        return Kind::HTML;
    return html || isXMLType(type) ? Kind::XHTML : Kind::Text;
}

// Markup of the document as HTML reads it. XHTML comes wrapped in a div that is no part of it:
// for type "xhtml" the (last) div, in Atom 0.3 a lone XHTML div, holds the markup.
QString markupOf(const vlxXMLNode *node)
{
    const vlxXMLNode *holder = node;
    const bool xhtml = typeOf(node) == u"xhtml";
    int elements = 0;
    const int count = vlxXMLDOM::numberOfChildren(node);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
        if (vlxXMLDOM::kindOfNode(child) != vlxXMLDOM::Element)
            continue;
        ++elements;
        if (lowerName(child) == u"div"
            && (xhtml || vlxXMLDOM::namespaceURIOfNode(child) == u"http://www.w3.org/1999/xhtml"))
            holder = child;
    }
    if (!xhtml && elements != 1)
        holder = node;
    return vlxXMLDOM::markupOfContent(holder);
}

// An Atom 0.3 construct in mode "base64" holds its value encoded; nothing in another mode.
std::optional<QString> base64Value(const vlxXMLNode *node)
{
    if (attribute(node, u"mode") != u"base64")
        return std::nullopt;
    return QString::fromUtf8(QByteArray::fromBase64(text(node).toLatin1()));
}

// A title: its text, with markup removed and white space collapsed when it holds any.
QString titleValue(const vlxXMLNode *node)
{
    if (const std::optional<QString> decodedBase64 = base64Value(node))
        return decoded(*decodedBase64).trimmed();
    if (!hasElementChild(node))
        return decodedTrimmed(text(node));
    QString content;
    appendTextContent(content, node);
    return decoded(content).simplified();
}

// How a field takes a construct's text: a title its text alone, the copyright its text (or
// markup) as written, a description HTML.
enum class Field { Title, Text, HTML };

// A value given as a text of that kind (base64 decoded, or the construct's text value) for a
// field. Plain text becomes HTML only for a field that holds HTML.
QString fieldText(const QString &value, Kind kind, Field field)
{
    switch (field) {
    case Field::Title:
        return decodedTrimmed(value);
    case Field::Text:
        break;
    case Field::HTML:
        if (kind == Kind::Text)
            return HTMLText::fromPlainText(decoded(value));
        return decodedHTML(value);
    }
    return decoded(value);
}

// A construct's value for a field other than a title. Markup of the document (XHTML, or elements
// where text was due) reads as HTML whatever the type claims: what it holds as text stays text.
// Not trimmed.
QString constructText(const vlxXMLNode *node, Kind kind, Field field)
{
    if (field == Field::Title)
        return titleValue(node);
    if (const std::optional<QString> decodedBase64 = base64Value(node))
        return fieldText(*decodedBase64, kind, field);
    if (kind == Kind::XHTML || hasElementChild(node))
        return markupOf(node);
    return fieldText(text(node), kind, field);
}

// The same for an Atom 0.3 construct.
QString atom03Value(const vlxXMLNode *node, Field field)
{
    return constructText(node, atom03Kind(node), field);
}

// The href of a link, resolved against the base in scope around it (outer) and its own.
QString linkHref(const vlxXMLNode *link, const QUrl &outer)
{
    return resolved(urlValue(attribute(link, u"href")), baseOf(link, outer));
}

// --- Binary constructs (Atom 1.0) ---
// A construct typed with a media type that is neither text nor XML holds base64 (RFC 4287,
// 4.1.3.3): "image/png", "application/octet-stream". "text", "html" and "xhtml" are no media
// types.
bool holdsBase64(const vlxXMLNode *node)
{
    const QString type = typeOf(node);
    const qsizetype slash = type.indexOf(u'/');
    if (slash <= 0 || slash == type.size() - 1)
        return false;
    return !type.startsWith(u"text/") && !isXMLType(type);
}

// What the base64 of node decodes to when that is UTF-8 text; nothing for bytes that are no
// base64, no UTF-8, or hold characters no XML document may hold (binary data).
std::optional<QString> base64Text(const vlxXMLNode *node)
{
    QByteArray encoded = text(node).toLatin1();
    encoded.removeIf([](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; });
    const QByteArray::FromBase64Result bytes = QByteArray::fromBase64Encoding(
        encoded, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!bytes)
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decodedText = utf8.decode(*bytes);
    if (utf8.hasError())
        return std::nullopt;
    for (const QChar c : std::as_const(decodedText)) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0xFFFE || u == 0xFFFF)
            return std::nullopt;
    }
    return decodedText;
}

// An Atom 1.0 construct's value for a field, base64 decoded where its type says so; nothing when
// it carries binary data, which is no text for any field. Decoded data of a media type is taken
// as written, HTML for a description.
std::optional<QString> constructValue(const vlxXMLNode *node, Field field)
{
    if (!holdsBase64(node))
        return constructText(node, atom10Kind(node), field);
    const std::optional<QString> plain = base64Text(node);
    if (!plain)
        return std::nullopt;
    return fieldText(*plain, Kind::HTML, field);
}

// Stores the value of an Atom 1.0 construct with store. Binary data is no text for any field, and
// RSS 2.0 has no place for it: the element is left out, and its owner warned that it was.
template<typename Store>
void readConstruct(FeedElement &owner, const vlxXMLNode *node, Field field, Store &&store)
{
    if (const std::optional<QString> value = constructValue(node, field))
        store(*value);
    else
        owner.recordWarning(u"The <%1> element of type \"%2\" holds no text; it was left out"_s,
                            lowerName(node), attribute(node, u"type").trimmed());
}

// The decoded, trimmed texts of the element children with these names (the last one wins).
struct PersonParts
{
    QString email;
    QString name;
};

PersonParts personParts(const vlxXMLNode *node)
{
    PersonParts parts;
    const int count = vlxXMLDOM::numberOfChildren(node);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
        const QString name = fieldName(child, node);
        if (name == u"email")
            parts.email = decodedTrimmed(text(child));
        else if (name == u"name")
            parts.name = decodedTrimmed(text(child));
    }
    return parts;
}

// Atom 1.0 person: "email (name)" when both parts are there, else nothing.
QString personValue(const vlxXMLNode *node)
{
    const PersonParts parts = personParts(node);
    if (parts.email.isEmpty() || parts.name.isEmpty())
        return QString();
    return u"%1 (%2)"_s.arg(parts.email, parts.name);
}

// Atom 0.3 contributor: its e-mail address, else its name. (The element's own text value is
// the markup of its children, not a person.)
QString contributorValue(const vlxXMLNode *node)
{
    const PersonParts parts = personParts(node);
    return parts.email.isEmpty() ? parts.name : parts.email;
}

// The text of the last "email" child, "" when the author has none.
QString authorEmail(const vlxXMLNode *node, const QString &current)
{
    QString email = current;
    const int count = vlxXMLDOM::numberOfChildren(node);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
        if (fieldName(child, node) == u"email")
            email = decodedTrimmed(text(child));
    }
    return email;
}

categoryElement categoryOf(const vlxXMLNode *node)
{
    categoryElement category;
    category.setCategoryString(decodedTrimmed(attribute(node, u"term")));
    category.setCategoryDomainString(decodedTrimmed(attribute(node, u"scheme")));
    return category;
}

std::shared_ptr<VLXItems> newItem(const vlxXMLDOM &dom, VLXFeed &feed, const vlxXMLNode *entry)
{
    auto item = std::make_shared<VLXItems>();
    item->XMLExtensions()->takeNamespacesOf(*feed.XMLExtensions());
    feed.addItem(item);
    item->addXMLComments(dom.arrayOfComments(entry));
    return item;
}

// outer: the base in scope around the entry.
void readEntry10(const vlxXMLDOM &dom, VLXFeed &feed, const vlxXMLNode *entry, const QUrl &outer)
{
    std::shared_ptr<VLXItems> item = newItem(dom, feed, entry);
    const QUrl base = baseOf(entry, outer);
    // The description is the content that gives text, else the summary, in either order; else
    // what content by address holds, which Atom wants empty but is then the entry's only text.
    QString content, summary, byAddress;
    const auto keepText = [](QString &slot, const QString &value) {
        if (!value.trimmed().isEmpty())
            slot = value;
    };
    forEachChild(entry, [&](const vlxXMLNode *child, const QString &name) {
        if (name == u"author" || name == u"contributor") {
            // A contributor stands in for a missing author; the first complete one wins.
            if (item->author().isEmpty())
                item->setAuthor(personValue(child));
        } else if (name == u"category") {
            item->addCategory(categoryOf(child));
        } else if (name == u"content") {
            if (!attribute(child, u"src").trimmed().isEmpty()) {
                // Binary data in it is left out without a warning: the content is on the web.
                if (const std::optional<QString> value = constructValue(child, Field::HTML))
                    keepText(byAddress, *value);
            } else if (typeOf(child) == u"xhtml") {
                // The div, its own tags included, as HTML reads it; not one of blanks and
                // comments alone. The text of a div holding an element is markup: content.
                const int divs = vlxXMLDOM::numberOfChildren(child);
                for (int d = 0; d < divs; ++d) {
                    const vlxXMLNode *div = vlxXMLDOM::nodeAtIndex(d, child);
                    if (lowerName(div) == u"div" && !text(div).trimmed().isEmpty())
                        content = vlxXMLDOM::markupOfNode(div);
                }
            } else {
                readConstruct(*item, child, Field::HTML,
                              [&](const QString &value) { keepText(content, value); });
            }
        } else if (name == u"id") {
            item->setGUID(decodedTrimmed(text(child)));
            item->setGUIDAttr(0);
        } else if (name == u"link") {
            if (isPageLink(child)) {
                item->setLink(linkHref(child, base));
            } else if (attribute(child, u"rel") == u"enclosure") {
                item->setEnclosureAttrURL(linkHref(child, base));
                item->setEnclosureAttrLength(decodedTrimmed(attribute(child, u"length")));
                item->setEnclosureAttrType(decodedTrimmed(attribute(child, u"type")));
            }
        } else if (name == u"published") {
            if (item->pubDate().isEmpty())
                item->setPubDate(dateValue(text(child)));
        } else if (name == u"rights") {
            // not read
        } else if (name == u"source") {
            QString title, link;
            const QUrl sourceBase = baseOf(child, base);
            const int parts = vlxXMLDOM::numberOfChildren(child);
            for (int p = 0; p < parts; ++p) {
                const vlxXMLNode *part = vlxXMLDOM::nodeAtIndex(p, child);
                const QString partName = fieldName(part, child);
                if (partName == u"title")
                    title = titleValue(part);
                else if (partName == u"link" && isPageLink(part))
                    link = linkHref(part, sourceBase);
            }
            if (!title.isEmpty() && !link.isEmpty()) {
                item->setSource(title);
                item->setSourceAttr(link);
            }
        } else if (name == u"summary") {
            // The first summary with text stands, as the content's last does.
            readConstruct(*item, child, Field::HTML, [&](const QString &value) {
                if (summary.isEmpty())
                    keepText(summary, value);
            });
        } else if (name == u"title") {
            readConstruct(*item, child, Field::Title,
                          [&](const QString &value) { item->setTitle(value); });
        } else if (name == u"updated") {
            item->setPubDate(dateValue(text(child)));
        } else {
            item->XMLExtensions()->parseXMLNodeIfMine(child, *item);
        }
    });
    if (content.isEmpty())
        content = summary.isEmpty() ? byAddress : summary;
    item->setDescriptionElement(content);
}

void readEntry03(const vlxXMLDOM &dom, VLXFeed &feed, const vlxXMLNode *entry, const QUrl &outer)
{
    std::shared_ptr<VLXItems> item = newItem(dom, feed, entry);
    const QUrl base = baseOf(entry, outer);
    QString email, contributor, modified, issued, created, summary;
    forEachChild(entry, [&](const vlxXMLNode *child, const QString &name) {
        if (name == u"title")
            item->setTitle(titleValue(child));
        else if (name == u"link") {
            if (isPageLink(child))
                item->setLink(linkHref(child, base));
        } else if (name == u"author")
            email = authorEmail(child, email);
        else if (name == u"contributor")
            contributor = contributorValue(child);
        else if (name == u"id")
            item->setGUID(decodedTrimmed(text(child)));
        else if (name == u"modified")
            modified = text(child).trimmed();
        else if (name == u"issued")
            issued = text(child).trimmed();
        else if (name == u"created")
            created = text(child).trimmed();
        else if (name == u"summary")
            summary = atom03Value(child, Field::HTML);
        else
            item->XMLExtensions()->parseXMLNodeIfMine(child, *item);
    });
    item->setAuthor(email.isEmpty() ? contributor : email);
    QString date;
    for (const QString &candidate : {issued, modified, created}) {
        if (!candidate.isEmpty()) {
            date = candidate;
            break;
        }
    }
    item->setPubDate(dateValue(date));
    item->setDescriptionElement(summary);
}

} // namespace

int VLXParseFeed::parseAtom10(const QString &text)
{
    return readDocument(text, &VLXParseFeed::parseAtom10Document);
}

int VLXParseFeed::parseAtom03(const QString &text)
{
    return readDocument(text, &VLXParseFeed::parseAtom03Document);
}

int VLXParseFeed::parseAtom10Document(vlxXMLDOM &dom, const QString &source,
                                      const vlxXMLNode *documentRoot)
{
    VLXFeed &feed = *m_newFeed;
    // Without its root the document holds no feed; a "success" would let a later save replace
    // the user's file with an empty one.
    const vlxXMLNode *root
        = openFeed(dom, feed, isRoot(documentRoot, u"feed"), &rootNameSpaces, source);
    releaseText();
    if (!root)
        return refuse(noFeedRoot(dom, u"feed"_s));
    VLXImage &image = *feed.image();
    const QUrl base = baseOf(root, m_baseAddress);
    const bool read = forEachChildReleasing(
        dom, root, m_readingProgress, [&](const vlxXMLNode *child, const QString &name) {
            if (name == u"author") {
                if (feed.editor().isEmpty())
                    feed.setEditor(personValue(child));
            } else if (name == u"category") {
                feed.addCategory(categoryOf(child));
            } else if (name == u"contributor") {
                // The first complete contributor is the webmaster.
                if (feed.webMaster().isEmpty())
                    feed.setWebMaster(personValue(child));
            } else if (name == u"generator" || name == u"id") {
                // not read
            } else if (name == u"icon" || name == u"logo") {
                // The icon wins over the logo whichever comes first. Like every other link, an
                // address with no absolute base to resolve against is kept as written.
                const QString url = resolved(urlValue(text(child)), baseOf(child, base));
                if (name == u"icon" || image.URL().isEmpty())
                    image.setURL(url);
            } else if (name == u"link") {
                if (isPageLink(child))
                    feed.setLink(linkHref(child, base));
            } else if (name == u"rights") {
                readConstruct(feed, child, Field::Text,
                              [&](const QString &value) { feed.setCopyright(value.trimmed()); });
            } else if (name == u"subtitle") {
                readConstruct(feed, child, Field::HTML, [&](const QString &value) {
                    feed.setDescriptionElement(value.trimmed());
                });
            } else if (name == u"title") {
                readConstruct(feed, child, Field::Title,
                              [&](const QString &value) { feed.setTitle(value); });
            } else if (name == u"updated") {
                feed.setPubDate(dateValue(text(child)));
            } else if (name == u"entry") {
                readEntry10(dom, feed, child, base);
            } else {
                feed.XMLExtensions()->parseXMLNodeIfMine(child, feed);
            }
        });
    if (!read)
        return Stopped;
    if (!image.URL().isEmpty()) {
        image.setTitle(feed.title());
        image.setLink(feed.link());
    }
    keepRawExtensionsEverywhere(feed);
    return Success;
}

int VLXParseFeed::parseAtom03Document(vlxXMLDOM &dom, const QString &source,
                                      const vlxXMLNode *documentRoot)
{
    VLXFeed &feed = *m_newFeed;
    const vlxXMLNode *root
        = openFeed(dom, feed, isRoot(documentRoot, u"feed"), &rootNameSpaces, source);
    releaseText();
    if (!root)
        return refuse(noFeedRoot(dom, u"feed"_s));
    QString email, contributor;
    const QUrl base = baseOf(root, m_baseAddress);
    const bool read = forEachChildReleasing(
        dom, root, m_readingProgress, [&](const vlxXMLNode *child, const QString &name) {
            if (name == u"title")
                feed.setTitle(titleValue(child));
            else if (name == u"link") {
                if (isPageLink(child))
                    feed.setLink(linkHref(child, base));
            } else if (name == u"author")
                email = authorEmail(child, email);
            else if (name == u"contributor")
                contributor = contributorValue(child);
            else if (name == u"tagline")
                feed.setDescriptionElement(atom03Value(child, Field::HTML));
            else if (name == u"id" || name == u"generator" || name == u"info")
                ; // not read
            else if (name == u"copyright")
                feed.setCopyright(atom03Value(child, Field::Text).trimmed());
            else if (name == u"modified")
                feed.setPubDate(dateValue(text(child)));
            else if (name == u"entry")
                readEntry03(dom, feed, child, base);
            else
                feed.XMLExtensions()->parseXMLNodeIfMine(child, feed);
        });
    if (!read)
        return Stopped;
    feed.setEditor(email.isEmpty() ? contributor : email);
    // Atom 0.3 elements without an RSS counterpart are dropped rather than kept as raw XML.
    const QString raw = u"User Defined"_s;
    feed.XMLExtensions()->deleteExtensionNamed(raw);
    feed.image()->XMLExtensions()->deleteExtensionNamed(raw);
    for (int i = 0; i < feed.countOfItems(); ++i)
        feed.itemAtIndex(i)->XMLExtensions()->deleteExtensionNamed(raw);
    return Success;
}
