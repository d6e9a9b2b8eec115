#include "xml/vlxXMLDOM.h"

#include "xml/DocumentTree.h"
#include "xml/LiftedCData.h"
#include "xml/ParseState.h"

#include <atomic>
#include "xml/StartTagScanner.h"
#include "xml/XMLTextSource.h"

#include <libxml/dict.h>
#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <functional>
#include <memory>
#include <mutex>
#include <new>

// Parsing: libxml2 reads the text through its source (XMLTextSource) and builds our tree through
// the callbacks of a ParseState (DocumentTree says how the tree is held); the reading of the
// tree's nodes is in vlxXMLDOM+Nodes.cpp.

namespace {

// Options for every parse. Deliberately absent: XML_PARSE_NOENT (substitution), XML_PARSE_HUGE,
// XML_PARSE_DTDLOAD / DTDATTR / DTDVALID and XML_PARSE_RECOVER (a broken document must fail, not
// come back half-read). NOCDATA and NOBLANKS are absent too, because readers rely on CDATA and
// whitespace nodes.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_COMPACT | XML_PARSE_BIG_LINES;

std::atomic<qint64> maximumInput {vlxXMLDOM::kDefaultMaximumInputSize};
std::atomic<quint64> refusedLoads {0};
std::atomic<quint64> parsedTexts {0};

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

} // namespace

struct vlxXMLDOM::Private
{
    std::unique_ptr<DocumentTree> tree;
    QVariantMap error;
    bool stopped = false;
    bool beyondLimits = false;

    void clear()
    {
        tree.reset();
        error.clear();
        stopped = false;
        beyondLimits = false;
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
    return initWithString(text, Progress());
}

bool vlxXMLDOM::wasStopped() const
{
    return d->stopped;
}

bool vlxXMLDOM::wasBeyondLimits() const
{
    return d->beyondLimits;
}

bool vlxXMLDOM::initWithString(const QString &text, const Progress &progress)
{
    d->clear();
    // Every UTF-16 unit becomes at least one UTF-8 byte: refuse before converting a huge text.
    if (text.size() > maximumInputSize()) {
        d->beyondLimits = true;
        fail(QStringLiteral("The XML text is larger than the limit of %1 bytes.")
                 .arg(maximumInputSize()),
             0);
        return false;
    }
    if (text.isEmpty()) {
        fail(QStringLiteral("Document is empty"), 1);
        return false;
    }
    // Only the prolog changes: it is rewritten on its own, and the rest of the text reaches the
    // parser as UTF-8 a slice at a time, so no UTF-8 copy of a large feed is ever held whole.
    const qsizetype headEnd = prologEnd(text);
    XMLTextSource source;
    source.pending = convertEncodingIdToUTF8(text.left(headEnd)).toUtf8();
    source.rest = QStringView(text).sliced(headEnd);
    source.prologBytes = source.pending.size();
    source.body = source.rest;
    source.limit = std::min<qint64>(maximumInputSize(), INT_MAX);
    source.progress = &progress;
    return guardedParse(
        [&] {
            return xmlCreateIOParserCtxt(nullptr, nullptr, &XMLTextSource::read, nullptr, &source,
                                         XML_CHAR_ENCODING_NONE);
        },
        &source, std::size_t(text.size()));
}

qsizetype vlxXMLDOM::prologEnd(const QString &text)
{
    const qsizetype prolog = QStringView(text).left(10).indexOf(u"<?xml", 0, Qt::CaseInsensitive);
    const qsizetype close = prolog < 0 ? -1 : text.indexOf(u"?>", prolog);
    return close < 0 ? 0 : close + 2;
}

QByteArray vlxXMLDOM::utf8ForParsing(const QString &text)
{
    const qsizetype headEnd = prologEnd(text);
    QByteArray bytes = convertEncodingIdToUTF8(text.left(headEnd)).toUtf8();
    // A slice at a time, into room for text that is mostly ASCII: no second copy of the whole.
    bytes.reserve(bytes.size() + text.size() + text.size() / 8);
    constexpr qsizetype slice = 1 << 20;
    for (qsizetype at = headEnd; at < text.size();) {
        qsizetype length = std::min(slice, text.size() - at);
        // A surrogate pair stays whole.
        if (at + length < text.size() && QChar::isHighSurrogate(text.at(at + length - 1).unicode()))
            ++length;
        bytes += QStringView(text).sliced(at, length).toUtf8();
        at += length;
    }
    return bytes;
}

bool vlxXMLDOM::initWithData(const QByteArray &data)
{
    d->clear();
    return parse(data);
}

bool vlxXMLDOM::initWithData(const QByteArray &data, const Progress &progress)
{
    d->clear();
    const qint64 limit = std::min<qint64>(maximumInputSize(), INT_MAX);
    if (data.size() > limit) {
        d->beyondLimits = true;
        fail(QStringLiteral("The XML text is larger than the limit of %1 bytes.").arg(limit), 0);
        return false;
    }
    if (data.isEmpty()) {
        fail(QStringLiteral("Document is empty"), 1);
        return false;
    }
    XMLTextSource source;
    source.fromBytes = true;
    source.restBytes = data;
    source.bodyBytes = data;
    // Bytes the DOM can hold on to (not a view of another's memory) are kept by the tree, whose
    // CDATA contents then point into them.
    const bool keepable = data.capacity() > 0;
    if (LiftedCData::appliesTo(data)) {
        source.lifted.emplace(keepable);
        source.scanner.recordCDataSections(&source.sections);
        if (keepable)
            source.bytes = data;
    }
    source.limit = limit;
    source.progress = &progress;
    return guardedParse(
        [&] {
            return xmlCreateIOParserCtxt(nullptr, nullptr, &XMLTextSource::read, nullptr, &source,
                                         XML_CHAR_ENCODING_NONE);
        },
        &source, std::size_t(data.size()));
}

void vlxXMLDOM::fail(const QString &description, int line)
{
    d->error.insert(QString::fromLatin1(kErrorDescriptionKey), description);
    d->error.insert(QString::fromLatin1(kErrorLineNumberKey), line);
}

bool vlxXMLDOM::parse(const QByteArray &bytes)
{
    const qint64 limit = std::min<qint64>(maximumInputSize(), INT_MAX);
    if (bytes.size() > limit) {
        d->beyondLimits = true;
        fail(QStringLiteral("The XML text is larger than the limit of %1 bytes.").arg(limit), 0);
        return false;
    }
    if (bytes.isEmpty()) {
        fail(QStringLiteral("Document is empty"), 1);
        return false;
    }
    // The whole text is at hand: its start tags are counted before libxml2 reads any of it.
    StartTagScanner scanner;
    bool bigEndian = false;
    const int unitSize = StartTagScanner::unitSizeOf(bytes, &bigEndian);
    if (unitSize == 1 ? !scanner.scan(bytes) : !scanner.scanUnits(bytes, unitSize, bigEndian)) {
        qint64 line = 1;
        for (qint64 i = 0; i < scanner.tagStart(); ++i) {
            const char *unit = bytes.constData() + i * unitSize;
            const bool newline = unitSize == 1 ? *unit == '\n'
                                               : unit[bigEndian ? unitSize - 1 : 0] == '\n'
                    && std::all_of(unit + (bigEndian ? 0 : 1),
                                   unit + (bigEndian ? unitSize - 1 : unitSize),
                                   [](char c) { return c == 0; });
            line += newline ? 1 : 0;
        }
        failCrowdedTag(line);
        return false;
    }
    return guardedParse(
        [&] { return xmlCreateMemoryParserCtxt(bytes.constData(), int(bytes.size())); }, nullptr,
        std::size_t(bytes.size()));
}

void vlxXMLDOM::failCrowdedTag(qint64 line)
{
    fail(QStringLiteral("A start tag has more than %1 attributes.")
             .arg(StartTagScanner::kMaximumAttributes),
         int(std::min<qint64>(line, INT_MAX)));
}

bool vlxXMLDOM::guardedParse(const std::function<xmlParserCtxtPtr()> &createContext,
                             XMLTextSource *source, std::size_t sizeHint)
{
    ++parsedTexts;
    prepareLibrary();
    try {
        return parseWith(createContext, source, sizeHint);
    } catch (const std::bad_alloc &) {
        d->clear();
        fail(QStringLiteral("There is not enough memory to read the XML text."), 0);
        return false;
    }
}

bool vlxXMLDOM::parseWith(const std::function<xmlParserCtxtPtr()> &createContext,
                          XMLTextSource *source, std::size_t sizeHint)
{
    auto tree = std::make_unique<DocumentTree>(sizeHint);
    if (source)
        tree->source = source->bytes;

    std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxtPtr)> context(createContext(),
                                                                       xmlFreeParserCtxt);
    xmlParserCtxtPtr ctxt = context.get();
    if (!ctxt) {
        fail(QStringLiteral("The XML parser could not be started."), 0);
        return false;
    }
    tree->dict = ctxt->dict;
    xmlDictReference(tree->dict);
    tree->nodes.push_back(TreeNode {tree.get(), "", 0, kNone, 0, 0, 0, 0, vlxXMLDOM::Document, 0},
                          0);
    static std::atomic<quint64> trees {0};
    tree->serial = ++trees;

    ParseState state;
    state.tree = tree.get();
    state.open.push_back(0);
    state.pendingText.reserve(1024);
    state.lifted = source && source->lifted ? &*source->lifted : nullptr;
    state.attachTo(ctxt);
    xmlCtxtUseOptions(ctxt, kParseOptions);
    // libxml2's dictionary takes no new name once it holds more than 10,000,000 bytes, and a
    // namespace address it can no longer hold makes the declaration read as empty, which it
    // reports as a namespace error only: a feed of many namespaces would come back with
    // elements whose prefix is declared nowhere. The dictionary holds only names and namespace
    // addresses of the text (and our prefixed names of them), so the input cap bounds it
    // already. This limit alone is lifted: XML_PARSE_HUGE would also lift those on names and
    // values and, in libxml2 2.9, its checks of entity expansion.
    xmlDictSetLimit(ctxt->dict, 0);

    // Some failures, encoding conversion among them, are raised without the parser context and
    // reach only the thread's global handler (stderr by default). Catch those too for the
    // duration of the parse; the handlers are per thread, so other threads are untouched.
    const xmlStructuredErrorFunc previousHandler = xmlStructuredError;
    void *const previousContext = xmlStructuredErrorContext;
    xmlSetStructuredErrorFunc(ctxt, ParseState::errorHandler());
    xmlParseDocument(ctxt);
    xmlSetStructuredErrorFunc(previousContext, previousHandler);
    xmlDocPtr declarations = ctxt->myDoc;
    ctxt->myDoc = nullptr;
    if (declarations && declarations->intSubset)
        tree->declarations = declarations;
    else if (declarations)
        xmlFreeDoc(declarations);
    if (tree->declarations && tree->declarations->version)
        tree->version = reinterpret_cast<const char *>(tree->declarations->version);
    else if (ctxt->version)
        tree->version = reinterpret_cast<const char *>(ctxt->version);
    const bool wellFormed = ctxt->wellFormed != 0 && !state.tooLarge && !state.outOfMemory
        && state.crowdedTagLine == 0 && !state.liftMismatch && !state.stoppedAtError;
    const int lastLine = ctxt->input ? ctxt->input->line : 0;
    context.reset();

    if (source && source->stopped) {
        d->stopped = true;
        fail(QStringLiteral("The reading of the XML text was stopped."), 0);
        return false;
    }
    if (source && source->tooLarge) {
        d->beyondLimits = true;
        fail(
            QStringLiteral("The XML text is larger than the limit of %1 bytes.").arg(source->limit),
            0);
        return false;
    }
    if (source && source->scanner.exceeded()) {
        failCrowdedTag(source->lineAt(source->scanner.tagStart()));
        return false;
    }
    if (state.crowdedTagLine > 0) {
        failCrowdedTag(state.crowdedTagLine);
        return false;
    }
    if (!wellFormed) {
        d->beyondLimits = state.outOfMemory || state.tooLarge;
        if (state.outOfMemory)
            fail(QStringLiteral("There is not enough memory to read the XML text."), lastLine);
        else if (state.tooLarge)
            fail(QStringLiteral("The XML text has more nodes, attributes or text than can be "
                                "read."),
                 lastLine);
        else if (state.haveError)
            fail(state.description, state.line);
        else
            fail(QStringLiteral("The XML text is not well-formed."), lastLine);
        return false;
    }
    state.flushText();
    layOutChildren(*tree);
    d->tree = std::move(tree);
    return true;
}

void vlxXMLDOM::releaseBeforeChild(int index, const vlxXMLNode *handle)
{
    const TreeNode *parent = toNode(handle);
    if (!d->tree || !parent || parent->tree != d->tree.get() || index <= 0
        || quint32(index) >= parent->childCount)
        return;
    const quint32 boundary = d->tree->childIndex(parent, quint32(index));
    d->tree->releaseBefore(boundary, d->tree->node(boundary)->parent);
}

const std::vector<int> &vlxXMLDOM::linesOfItems() const
{
    static const std::vector<int> none;
    return d->tree ? d->tree->itemLines : none;
}

qint64 vlxXMLDOM::heldBlockBytes() const
{
    return d->tree ? d->tree->nodes.heldBytes() + d->tree->text.heldBytes() : 0;
}

const vlxXMLNode *vlxXMLDOM::xmlTree() const
{
    return d->tree ? fromNode(d->tree->node(0)) : nullptr;
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

const vlxXMLNode *vlxXMLDOM::nodeNamed(const QString &name, int kind,
                                       const vlxXMLNode *handle) const
{
    const TreeNode *parent = handle ? toNode(handle) : toNode(xmlTree());
    if (!parent)
        return nullptr;
    const QByteArray wanted = name.toUtf8();
    for (quint32 i = 0; i < parent->childCount; ++i) {
        const TreeNode *child = parent->tree->child(parent, i);
        if (child->kind == kind && bytesOf(child) == QByteArrayView(wanted))
            return fromNode(child);
    }
    return nullptr;
}

QStringList vlxXMLDOM::arrayOfComments(const vlxXMLNode *handle) const
{
    const TreeNode *parent = handle ? toNode(handle) : toNode(xmlTree());
    QStringList comments;
    if (!parent || parent->tree->comments == 0)
        return comments;
    for (quint32 i = 0; i < parent->childCount; ++i) {
        const TreeNode *child = parent->tree->child(parent, i);
        if (child->kind == Comment)
            comments.append(utf8Text(bytesOf(child)).trimmed());
    }
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
    const TreeNode *document = toNode(xmlTree());
    if (!document)
        return QString();
    for (quint32 i = 0; i < document->childCount; ++i) {
        const TreeNode *child = document->tree->child(document, i);
        if (child->kind != ProcessingInstruction
            || utf8Text(bytesOf(child))
                    .compare(QLatin1String("xml-stylesheet"), Qt::CaseInsensitive)
                != 0)
            continue;
        QString data = dataOfNode(fromNode(child));
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

quint64 vlxXMLDOM::documentsParsed()
{
    return parsedTexts;
}
