#include "io/vlxXMLDOM.h"

#include "io/XMLentities.h"

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <atomic>
#include <climits>
#include <deque>
#include <mutex>
#include <vector>

namespace {

// Options for every parse. Deliberately absent: XML_PARSE_NOENT (substitution), XML_PARSE_HUGE,
// XML_PARSE_DTDLOAD / DTDATTR / DTDVALID and XML_PARSE_RECOVER (a broken document must fail, not
// come back half-read). NOCDATA and NOBLANKS are absent too, because readers rely on CDATA and
// whitespace nodes.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_COMPACT | XML_PARSE_BIG_LINES;

// Nodes with at least this many children get an index so that walking them by index stays
// linear; a channel with 50,000 items would otherwise cost quadratic time.
constexpr int kIndexThreshold = 16;

std::atomic<qint64> maximumInput {vlxXMLDOM::kDefaultMaximumInputSize};
std::atomic<quint64> refusedLoads {0};

xmlParserInputPtr refuseExternalEntity(const char *, const char *, xmlParserCtxtPtr)
{
    ++refusedLoads;
    return nullptr;
}

// libxml2's global set-up and our deny-all loader, exactly once per process, before any parse.
void prepareLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlSetExternalEntityLoader(refuseExternalEntity);
    });
}

struct ChildIndex
{
    std::vector<xmlNodePtr> children;
};

// Gives a node with many children an index over them. Called while the element is closed, when
// its children are fresh in the cache, so that no separate pass over the tree is needed.
void indexChildren(xmlNodePtr node, std::deque<ChildIndex> &indexes)
{
    int count = 0;
    for (xmlNodePtr child = node->children; child && count < kIndexThreshold; child = child->next)
        ++count;
    if (count < kIndexThreshold)
        return;
    ChildIndex &index = indexes.emplace_back();
    for (xmlNodePtr child = node->children; child; child = child->next)
        index.children.push_back(child);
    node->_private = &index;
}

// What one parse needs beside libxml2's context: the first error, and a private document that
// holds the stand-in declarations for undeclared references, so that the parsed document itself
// gains no DOCTYPE node and its top-level indices stay those of the text.
struct ParseState
{
    std::deque<ChildIndex> *indexes = nullptr;
    xmlDocPtr helperDoc = nullptr;
    bool haveError = false;
    QString description;
    int line = 0;
    qint64 location = 0;

    ~ParseState()
    {
        if (helperDoc)
            xmlFreeDoc(helperDoc);
    }
};

ParseState *stateOf(void *ctx)
{
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    return ctxt ? static_cast<ParseState *>(ctxt->_private) : nullptr;
}

// Entity lookup: declared entities as usual; a name the document never declared gets an empty
// internal stand-in kept outside the document. The parser then makes an ordinary reference node
// for it (no content attached, since the document has no such declaration), and the text value
// later resolves the name from XMLentities or keeps it as written.
xmlEntityPtr lookUpEntity(void *ctx, const xmlChar *name)
{
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    if (xmlEntityPtr declared = xmlSAX2GetEntity(ctx, name))
        return declared;
    ParseState *state = stateOf(ctx);
    if (!state || !ctxt || ctxt->inSubset != 0 || !name)
        return nullptr;
    if (!state->helperDoc) {
        state->helperDoc = xmlNewDoc(BAD_CAST "1.0");
        if (!state->helperDoc)
            return nullptr;
        if (!xmlCreateIntSubset(state->helperDoc, BAD_CAST "helper", nullptr, nullptr))
            return nullptr;
    }
    if (xmlEntityPtr known = xmlGetDocEntity(state->helperDoc, name))
        return known;
    return xmlAddDocEntity(state->helperDoc, name, XML_INTERNAL_GENERAL_ENTITY, nullptr, nullptr,
                           BAD_CAST "");
}

void closeElement(void *ctx, const xmlChar *localname, const xmlChar *prefix, const xmlChar *uri)
{
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    xmlNodePtr node = ctxt ? ctxt->node : nullptr;
    xmlSAX2EndElementNs(ctx, localname, prefix, uri);
    ParseState *state = stateOf(ctx);
    if (node && node->type == XML_ELEMENT_NODE && state && state->indexes)
        indexChildren(node, *state->indexes);
}

void recordError(void *ctx, xmlErrorPtr error)
{
    ParseState *state = stateOf(ctx);
    if (!state || !error || state->haveError)
        return;
    // Warnings do not fail a document, and an undeclared namespace prefix is accepted: names
    // are kept as written.
    if (error->level < XML_ERR_ERROR || error->domain == XML_FROM_NAMESPACE)
        return;
    state->haveError = true;
    state->description = QString::fromUtf8(error->message ? error->message : "").trimmed();
    if (state->description.isEmpty())
        state->description = QStringLiteral("The XML text is not well-formed.");
    state->line = error->line;
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    state->location = ctxt && ctxt->input ? xmlByteConsumed(ctxt) : 0;
}

xmlNodePtr toXml(const vlxXMLNode *node)
{
    return reinterpret_cast<xmlNodePtr>(const_cast<vlxXMLNode *>(node));
}

const vlxXMLNode *fromXml(const void *node)
{
    return reinterpret_cast<const vlxXMLNode *>(node);
}

bool isXmlSpace(xmlChar c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isAllWhitespace(const xmlChar *text)
{
    if (!text)
        return true;
    for (; *text; ++text)
        if (!isXmlSpace(*text))
            return false;
    return true;
}

// Children are shown for documents and elements only. A reference node's libxml2 children are
// the declared entity's content: walking into them would expand what the document declared.
bool showsChildren(xmlNodePtr node)
{
    return node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE;
}

// Appends an element's or attribute's name as written, prefix included.
void appendWrittenName(QByteArray &out, xmlNodePtr node)
{
    if (node->ns && node->ns->prefix) {
        out.append(reinterpret_cast<const char *>(node->ns->prefix));
        out.append(':');
    }
    if (node->name)
        out.append(reinterpret_cast<const char *>(node->name));
}

QString writtenName(xmlNodePtr node)
{
    if (!node->ns || !node->ns->prefix)
        return QString::fromUtf8(reinterpret_cast<const char *>(node->name));
    QByteArray name;
    appendWrittenName(name, node);
    return QString::fromUtf8(name);
}

bool writtenNameEquals(xmlNodePtr node, QByteArrayView wanted)
{
    const char *local = reinterpret_cast<const char *>(node->name ? node->name : BAD_CAST "");
    if (node->ns && node->ns->prefix) {
        const QByteArrayView prefix(reinterpret_cast<const char *>(node->ns->prefix));
        if (!wanted.startsWith(prefix) || wanted.size() <= prefix.size()
            || wanted.at(prefix.size()) != ':')
            return false;
        return wanted.sliced(prefix.size() + 1) == QByteArrayView(local);
    }
    return wanted == QByteArrayView(local);
}

QString stringOfNode(xmlNodePtr node)
{
    switch (node->type) {
    case XML_ELEMENT_NODE:
        return writtenName(node);
    case XML_PI_NODE:
    case XML_ENTITY_REF_NODE:
    case XML_DTD_NODE:
        return QString::fromUtf8(reinterpret_cast<const char *>(node->name));
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
        return QString::fromUtf8(reinterpret_cast<const char *>(node->content));
    default:
        return QString();
    }
}

int countChildren(xmlNodePtr node)
{
    if (!showsChildren(node))
        return 0;
    if (node->_private)
        return int(static_cast<ChildIndex *>(node->_private)->children.size());
    int count = 0;
    for (xmlNodePtr child = node->children; child; child = child->next)
        ++count;
    return count;
}

xmlNodePtr childAt(xmlNodePtr node, int index)
{
    if (!node || index < 0 || !showsChildren(node))
        return nullptr;
    if (node->_private) {
        const auto &children = static_cast<ChildIndex *>(node->_private)->children;
        return std::size_t(index) < children.size() ? children[std::size_t(index)] : nullptr;
    }
    xmlNodePtr child = node->children;
    for (int i = 0; child && i < index; ++i)
        child = child->next;
    return child;
}

// Text value of UTF-8 bytes: only what lies between the first "<![CDATA[" (found ignoring case)
// and the first "]]>" after it, when there is such a pair, else all. Feeds that escaped their
// CDATA section arrive here with the wrapper as plain text. Searching the bytes keeps the
// common case, no wrapper at all, free of any case-insensitive string search.
QString unwrapCDATA(QByteArrayView text)
{
    static constexpr QByteArrayView open("<![CDATA[");
    for (qsizetype at = text.indexOf("<!["); at >= 0; at = text.indexOf("<![", at + 1)) {
        if (text.size() - at < open.size()
            || qstrnicmp(text.data() + at, open.size(), open.data(), open.size()) != 0)
            continue;
        const qsizetype from = at + open.size();
        const qsizetype end = text.indexOf("]]>", from);
        if (end < 0)
            break;
        return QString::fromUtf8(text.sliced(from, end - from));
    }
    return QString::fromUtf8(text);
}

// Value of an attribute from its children: text as libxml2 decoded it (character references
// and the five XML entities, once), other named references resolved here. Nothing is decoded
// twice, so "x&amp;lt;y" stays "x&lt;y".
QString valueOfAttribute(xmlAttrPtr attribute)
{
    xmlNodePtr first = attribute->children;
    if (!first)
        return QString();
    if (!first->next && first->type == XML_TEXT_NODE)
        return QString::fromUtf8(reinterpret_cast<const char *>(first->content));
    QString value;
    for (xmlNodePtr piece = first; piece; piece = piece->next) {
        if (piece->type == XML_ENTITY_REF_NODE)
            value += vlxXMLDOM::resolveReference(
                QString::fromUtf8(reinterpret_cast<const char *>(piece->name)));
        else if (piece->content)
            value += QString::fromUtf8(reinterpret_cast<const char *>(piece->content));
    }
    return value;
}

QByteArray dumpNode(xmlNodePtr node)
{
    xmlBufferPtr buffer = xmlBufferCreate();
    if (!buffer)
        return QByteArray();
    xmlBufferSetAllocationScheme(buffer, XML_BUFFER_ALLOC_DOUBLEIT);
    QByteArray out;
    if (xmlNodeDump(buffer, node->doc, node, 0, 0) >= 0)
        out = QByteArray(reinterpret_cast<const char *>(xmlBufferContent(buffer)),
                         xmlBufferLength(buffer));
    xmlBufferFree(buffer);
    return out;
}

} // namespace

struct vlxXMLDOM::Private
{
    xmlDocPtr doc = nullptr;
    QVariantMap error;
    std::deque<ChildIndex> indexes;

    ~Private() { clear(); }

    void clear()
    {
        if (doc)
            xmlFreeDoc(doc);
        doc = nullptr;
        indexes.clear();
        error.clear();
    }
};

vlxXMLDOM::vlxXMLDOM() : d(std::make_unique<Private>()) { }

vlxXMLDOM::vlxXMLDOM(const QString &text) : vlxXMLDOM()
{
    initWithString(text);
}

vlxXMLDOM::vlxXMLDOM(const QByteArray &data) : vlxXMLDOM()
{
    initWithData(data);
}

vlxXMLDOM::~vlxXMLDOM() = default;

vlxXMLDOM::vlxXMLDOM(vlxXMLDOM &&other) noexcept : d(std::make_unique<Private>())
{
    std::swap(d, other.d);
}

vlxXMLDOM &vlxXMLDOM::operator=(vlxXMLDOM &&other) noexcept
{
    std::swap(d, other.d);
    return *this;
}

bool vlxXMLDOM::initWithString(const QString &text)
{
    d->clear();
    // Every UTF-16 unit becomes at least one UTF-8 byte: refuse before converting a huge text.
    if (text.size() > maximumInputSize()) {
        fail(QStringLiteral("The XML text is larger than the limit of %1 bytes.")
                 .arg(maximumInputSize()),
             0, 0);
        return false;
    }
    return parse(convertEncodingIdToUTF8(text).toUtf8());
}

bool vlxXMLDOM::initWithData(const QByteArray &data)
{
    d->clear();
    return parse(data);
}

void vlxXMLDOM::fail(const QString &description, int line, qint64 location)
{
    d->error.insert(QString::fromLatin1(kErrorDescriptionKey), description);
    d->error.insert(QString::fromLatin1(kErrorLineNumberKey), line);
    d->error.insert(QString::fromLatin1(kErrorLocationKey), location);
}

bool vlxXMLDOM::parse(const QByteArray &bytes)
{
    prepareLibrary();
    const qint64 limit = std::min<qint64>(maximumInputSize(), INT_MAX);
    if (bytes.size() > limit) {
        fail(QStringLiteral("The XML text is larger than the limit of %1 bytes.").arg(limit), 0, 0);
        return false;
    }
    if (bytes.isEmpty()) {
        fail(QStringLiteral("Document is empty"), 1, 0);
        return false;
    }

    xmlParserCtxtPtr ctxt = xmlCreateMemoryParserCtxt(bytes.constData(), int(bytes.size()));
    if (!ctxt) {
        fail(QStringLiteral("The XML parser could not be started."), 0, 0);
        return false;
    }
    ParseState state;
    state.indexes = &d->indexes;
    ctxt->_private = &state;
    ctxt->sax->getEntity = lookUpEntity;
    ctxt->sax->endElementNs = closeElement;
    ctxt->sax->serror = recordError;
    // Without a structured handler libxml2 would also print every error to stderr.
    ctxt->sax->error = nullptr;
    ctxt->sax->warning = nullptr;
    ctxt->vctxt.error = nullptr;
    ctxt->vctxt.warning = nullptr;
    xmlCtxtUseOptions(ctxt, kParseOptions);

    xmlParseDocument(ctxt);
    xmlDocPtr doc = ctxt->myDoc;
    ctxt->myDoc = nullptr;
    const bool wellFormed = ctxt->wellFormed != 0;
    const int lastLine = ctxt->input ? ctxt->input->line : 0;
    xmlFreeParserCtxt(ctxt);

    if (!wellFormed || !doc) {
        if (doc)
            xmlFreeDoc(doc);
        d->indexes.clear();
        if (state.haveError)
            fail(state.description, state.line, state.location);
        else
            fail(QStringLiteral("The XML text is not well-formed."), lastLine, 0);
        return false;
    }
    d->doc = doc;
    // Elements were indexed while they closed; the document's own children remain.
    indexChildren(reinterpret_cast<xmlNodePtr>(doc), d->indexes);
    return true;
}

const vlxXMLNode *vlxXMLDOM::xmlTree() const
{
    return fromXml(d->doc);
}

QVariantMap vlxXMLDOM::errors() const
{
    return d->error;
}

QString vlxXMLDOM::errorDescription() const
{
    return d->error.value(QString::fromLatin1(kErrorDescriptionKey)).toString();
}

int vlxXMLDOM::errorLineNumber() const
{
    return d->error.value(QString::fromLatin1(kErrorLineNumberKey)).toInt();
}

const vlxXMLNode *vlxXMLDOM::nodeNamed(const QString &name, int kind, const vlxXMLNode *node) const
{
    xmlNodePtr parent = node ? toXml(node) : reinterpret_cast<xmlNodePtr>(d->doc);
    if (!parent || !showsChildren(parent))
        return nullptr;
    const QByteArray wanted = name.toUtf8();
    for (xmlNodePtr child = parent->children; child; child = child->next) {
        if (kindOfNode(fromXml(child)) != kind)
            continue;
        if (child->type == XML_ELEMENT_NODE ? writtenNameEquals(child, wanted)
                                            : stringOfNode(child) == name)
            return fromXml(child);
    }
    return nullptr;
}

QStringList vlxXMLDOM::arrayOfComments(const vlxXMLNode *node) const
{
    xmlNodePtr parent = node ? toXml(node) : reinterpret_cast<xmlNodePtr>(d->doc);
    QStringList comments;
    if (!parent || !showsChildren(parent))
        return comments;
    for (xmlNodePtr child = parent->children; child; child = child->next)
        if (child->type == XML_COMMENT_NODE)
            comments.append(stringOfNode(child).trimmed());
    return comments;
}

QString vlxXMLDOM::stringXMLStyleSheet() const
{
    return styleSheetOfType(QStringLiteral("type=\"text/xsl\""));
}

QString vlxXMLDOM::stringXMLStyleSheetCSS() const
{
    return styleSheetOfType(QStringLiteral("type=\"text/css\""));
}

QString vlxXMLDOM::styleSheetOfType(const QString &type) const
{
    if (!d->doc)
        return QString();
    for (xmlNodePtr child = d->doc->children; child; child = child->next) {
        if (child->type != XML_PI_NODE
            || QString::fromUtf8(reinterpret_cast<const char *>(child->name))
                    .compare(QLatin1String("xml-stylesheet"), Qt::CaseInsensitive)
                != 0)
            continue;
        QString data = QString::fromUtf8(reinterpret_cast<const char *>(child->content));
        data.replace(QLatin1Char('\''), QLatin1Char('"'));
        if (!data.contains(type, Qt::CaseInsensitive))
            continue;
        const qsizetype href = data.indexOf(QLatin1String("href"), 0, Qt::CaseInsensitive);
        if (href < 0)
            return QString();
        const qsizetype open = data.indexOf(QLatin1Char('"'), href);
        const qsizetype close = open < 0 ? -1 : data.indexOf(QLatin1Char('"'), open + 1);
        if (close < 0)
            continue;
        return data.mid(open + 1, close - open - 1);
    }
    return QString();
}

QByteArray vlxXMLDOM::xmlData() const
{
    return xmlDataOfNode(xmlTree());
}

int vlxXMLDOM::kindOfNode(const vlxXMLNode *handle)
{
    if (!handle)
        return NoNode;
    xmlNodePtr node = toXml(handle);
    switch (node->type) {
    case XML_DOCUMENT_NODE:
        return Document;
    case XML_ELEMENT_NODE:
        return Element;
    case XML_PI_NODE:
        return ProcessingInstruction;
    case XML_COMMENT_NODE:
        return Comment;
    case XML_TEXT_NODE:
        return isAllWhitespace(node->content) ? Whitespace : Text;
    case XML_CDATA_SECTION_NODE:
        return CDATASection;
    case XML_ENTITY_REF_NODE:
        return EntityReference;
    case XML_DTD_NODE:
        return DocumentType;
    default:
        return NoNode;
    }
}

int vlxXMLDOM::numberOfChildren(const vlxXMLNode *node)
{
    return node ? countChildren(toXml(node)) : 0;
}

int vlxXMLDOM::numberOfChildrenAtIndex(int index, const vlxXMLNode *node)
{
    xmlNodePtr child = childAt(toXml(node), index);
    return child ? countChildren(child) : 0;
}

int vlxXMLDOM::numberOfChildNodesAtIndex(int index, const vlxXMLNode *node)
{
    xmlNodePtr child = childAt(toXml(node), index);
    if (!child || !showsChildren(child))
        return 0;
    int count = 0;
    for (xmlNodePtr grandchild = child->children; grandchild; grandchild = grandchild->next)
        if (grandchild->type == XML_ELEMENT_NODE)
            ++count;
    return count;
}

const vlxXMLNode *vlxXMLDOM::nodeAtIndex(int index, const vlxXMLNode *node)
{
    return fromXml(childAt(toXml(node), index));
}

const vlxXMLNode *vlxXMLDOM::parentOfNode(const vlxXMLNode *node)
{
    if (!node || toXml(node)->type == XML_DOCUMENT_NODE)
        return nullptr;
    return fromXml(toXml(node)->parent);
}

QString vlxXMLDOM::nameOfNode(const vlxXMLNode *node)
{
    return node ? stringOfNode(toXml(node)) : QString();
}

QString vlxXMLDOM::nameOfChildAtIndex(int index, const vlxXMLNode *node)
{
    return nameOfNode(nodeAtIndex(index, node));
}

QString vlxXMLDOM::descriptionOfNode(const vlxXMLNode *node)
{
    return node ? getElementValue(node) : QString();
}

QString vlxXMLDOM::descriptionOfChildAtIndex(int index, const vlxXMLNode *node)
{
    return descriptionOfNode(nodeAtIndex(index, node));
}

QString vlxXMLDOM::attributeOfNode(const vlxXMLNode *handle, const QString &name)
{
    if (!handle || toXml(handle)->type != XML_ELEMENT_NODE)
        return QString();
    xmlNodePtr node = toXml(handle);
    const QByteArray wanted = name.toUtf8();
    for (xmlAttrPtr attribute = node->properties; attribute; attribute = attribute->next)
        if (writtenNameEquals(reinterpret_cast<xmlNodePtr>(attribute), wanted))
            return valueOfAttribute(attribute);
    // Namespace declarations are not attributes to libxml2; answer them under their names.
    if (wanted == "xmlns" || wanted.startsWith("xmlns:")) {
        const QByteArrayView prefix
            = wanted == "xmlns" ? QByteArrayView() : QByteArrayView(wanted).sliced(6);
        for (xmlNsPtr ns = node->nsDef; ns; ns = ns->next) {
            const QByteArrayView declared(
                reinterpret_cast<const char *>(ns->prefix ? ns->prefix : BAD_CAST ""));
            if (declared == prefix)
                return QString::fromUtf8(reinterpret_cast<const char *>(ns->href));
        }
    }
    return QString();
}

QString vlxXMLDOM::attributeOfChildAtIndex(int index, const QString &name, const vlxXMLNode *node)
{
    return attributeOfNode(nodeAtIndex(index, node), name);
}

QStringList vlxXMLDOM::attributeNamesOfNode(const vlxXMLNode *handle)
{
    QStringList names;
    if (!handle || toXml(handle)->type != XML_ELEMENT_NODE)
        return names;
    for (xmlAttrPtr attribute = toXml(handle)->properties; attribute; attribute = attribute->next)
        names.append(writtenName(reinterpret_cast<xmlNodePtr>(attribute)));
    return names;
}

QString vlxXMLDOM::dataOfNode(const vlxXMLNode *node)
{
    if (!node || toXml(node)->type != XML_PI_NODE)
        return QString();
    return QString::fromUtf8(reinterpret_cast<const char *>(toXml(node)->content));
}

QString vlxXMLDOM::getElementValue(const vlxXMLNode *handle)
{
    if (!handle)
        return QString();
    xmlNodePtr node = toXml(handle);
    if (!showsChildren(node) || !node->children)
        return QString();

    xmlNodePtr first = node->children;
    if (!first->next && first->content
        && (first->type == XML_TEXT_NODE || first->type == XML_CDATA_SECTION_NODE
            || first->type == XML_COMMENT_NODE))
        return unwrapCDATA(QByteArrayView(reinterpret_cast<const char *>(first->content)));

    // Gather UTF-8 and convert once; resolved references are few.
    QByteArray joined;
    for (xmlNodePtr child = first; child; child = child->next) {
        switch (child->type) {
        case XML_ENTITY_REF_NODE:
            joined
                += resolveReference(QString::fromUtf8(reinterpret_cast<const char *>(child->name)))
                       .toUtf8();
            break;
        case XML_ELEMENT_NODE:
            appendWrittenName(joined, child);
            break;
        case XML_PI_NODE:
            joined += reinterpret_cast<const char *>(child->name);
            break;
        default:
            if (child->content)
                joined += reinterpret_cast<const char *>(child->content);
            break;
        }
    }
    return unwrapCDATA(joined);
}

QByteArray vlxXMLDOM::xmlDataOfNode(const vlxXMLNode *handle)
{
    if (!handle)
        return QByteArray();
    xmlNodePtr node = toXml(handle);
    if (node->type != XML_DOCUMENT_NODE)
        return dumpNode(node);

    // The prolog is ours and always the same text; the XML source editor counts on its length.
    auto doc = reinterpret_cast<xmlDocPtr>(node);
    QByteArray out("<?xml version=\"");
    out += doc->version ? reinterpret_cast<const char *>(doc->version) : "1.0";
    out += "\"?>";
    bool first = true;
    for (xmlNodePtr child = doc->children; child; child = child->next) {
        if (!first)
            out += '\n';
        first = false;
        out += dumpNode(child);
    }
    return out;
}

QString vlxXMLDOM::resolveReference(QStringView name)
{
    const auto &table = XMLentities::entities();
    const auto found = table.constFind(name.toString());
    if (found != table.constEnd())
        return QString::fromUcs4(&found.value(), 1);

    auto asWritten = [&] { return QLatin1Char('&') + name.toString() + QLatin1Char(';'); };
    if (!name.startsWith(QLatin1Char('#')))
        return asWritten();
    const bool hex = name.startsWith(QLatin1String("#x"));
    const int base = hex ? 16 : 10;
    char32_t value = 0;
    qsizetype digits = 0;
    for (qsizetype i = hex ? 2 : 1; i < name.size(); ++i, ++digits) {
        const char16_t c = name[i].unicode();
        const int digit = c >= '0' && c <= '9' ? c - '0'
            : hex && c >= 'a' && c <= 'f'      ? c - 'a' + 10
            : hex && c >= 'A' && c <= 'F'      ? c - 'A' + 10
                                               : -1;
        if (digit < 0)
            break;
        // Stop growing once past the last code point; the value is refused below anyway.
        if (value <= 0x10FFFF)
            value = value * char32_t(base) + char32_t(digit);
    }
    // No digits, NUL, a lone surrogate or a value beyond Unicode is no character: keep the text.
    if (digits == 0 || value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        return asWritten();
    return QString::fromUcs4(&value, 1);
}

QString vlxXMLDOM::decodeAmpEntities(const QString &text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    const QStringList pieces = text.split(QLatin1Char('&'));
    QString decoded = pieces.first();
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const QString &piece = pieces.at(i);
        const qsizetype semicolon = piece.indexOf(QLatin1Char(';'));
        if (semicolon < 0) {
            decoded += QLatin1Char('&') + piece;
            continue;
        }
        decoded += resolveReference(QStringView(piece).left(semicolon));
        decoded += QStringView(piece).sliced(semicolon + 1);
    }
    return decoded;
}

QString vlxXMLDOM::convertEncodingIdToUTF8(const QString &text)
{
    static const QString prolog = QStringLiteral("<?xml");
    // "<?xml" must lie wholly within the first ten characters; a short text simply has fewer.
    const qsizetype start = text.left(10).indexOf(prolog, 0, Qt::CaseInsensitive);
    if (start < 0)
        return text;
    const qsizetype end = text.indexOf(QLatin1String("?>"), start);
    if (end < 0)
        return text;
    const qsizetype encoding = QStringView(text).left(end).indexOf(QLatin1String("encoding"), start,
                                                                   Qt::CaseInsensitive);
    QString result = text;
    if (encoding < 0) {
        result.insert(end, QLatin1String(" encoding=\"utf-8\" "));
        return result;
    }
    qsizetype open = -1;
    for (qsizetype i = encoding + 8; i < end; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('"') && c != QLatin1Char('\''))
            continue;
        if (open < 0) {
            open = i;
            continue;
        }
        result.replace(open + 1, i - open - 1, QLatin1String("utf-8"));
        return result;
    }
    return text;
}

void vlxXMLDOM::setMaximumInputSize(qint64 bytes)
{
    maximumInput = bytes > 0 ? bytes : kDefaultMaximumInputSize;
}

qint64 vlxXMLDOM::maximumInputSize()
{
    return maximumInput;
}

quint64 vlxXMLDOM::refusedExternalLoads()
{
    return refusedLoads;
}
