#include "xml/vlxXMLDOM.h"

#include "xml/LiftedCData.h"
#include "xml/StartTagScanner.h"
#include "xml/XMLentities.h"

#include <QStringDecoder>

#include <libxml/SAX2.h>
#include <libxml/dict.h>
#include <libxml/entities.h>
#include <libxml/globals.h>
#include <libxml/hash.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

// How the tree is held. libxml2 parses; its SAX callbacks feed a compact tree of our own instead
// of libxml2's document tree, whose nodes cost over 130 bytes each and would make a 50 MB feed
// take several hundred megabytes. Our nodes sit in one array, their strings in a few large
// blocks, and every node's children in one contiguous run of indices, so reading by index is
// constant time and freeing the tree is a handful of calls. libxml2 keeps building its own tree
// only for what the document's DOCTYPE declares (entity declarations, and the content of a
// declared entity when it is checked), never for the document body.

namespace {

// Options for every parse. Deliberately absent: XML_PARSE_NOENT (substitution), XML_PARSE_HUGE,
// XML_PARSE_DTDLOAD / DTDATTR / DTDVALID and XML_PARSE_RECOVER (a broken document must fail, not
// come back half-read). NOCDATA and NOBLANKS are absent too, because readers rely on CDATA and
// whitespace nodes.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_COMPACT | XML_PARSE_BIG_LINES;

constexpr quint32 kNone = 0xFFFFFFFFu;

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

struct Tree;

// One node. Element: text is the name as written; text, CDATA, comment: the content; reference:
// the name; instruction: the target, its data being its one attribute; DOCTYPE: the root name.
struct Node
{
    const Tree *tree;
    const char *text;
    quint32 length;
    quint32 parent;
    quint32 firstChild; // into Tree::childSlots
    quint32 childCount;
    quint32 firstAttribute; // into Tree::attributes
    quint16 attributeCount;
    quint8 kind;
};

// An attribute (or namespace declaration) as libxml2 reports it with entity substitution off:
// character references and the XML entities already decoded, except that an ampersand reads
// "&#38;" and every other named reference "&name;". Decoding that once gives the value; writing
// it back keeps the references.
struct Attribute
{
    const char *name;
    const char *value;
    quint32 nameLength;
    quint32 valueLength;
    bool isNamespace;
};

// Append-only storage for the tree's strings, in blocks that grow with the document up to a
// fixed size (a longer string gets a block of its own). Strings are stored in document order, so
// a reader that is done with the front of a large document can give the blocks holding it back
// (see Tree::releaseBefore).
//
// The fixed size is small on purpose: a block is given back only once all its strings are read,
// and what a reader builds of them (UTF-16 text, the model) grows meanwhile; small blocks come
// from the ordinary heap and are given back early, so the model takes their room instead of
// adding to the peak.
class Arena
{
public:
    static constexpr std::size_t kBlockSize = 1 << 17;

    explicit Arena(std::size_t firstBlock)
        : m_next(std::clamp<std::size_t>(firstBlock, 256, kBlockSize))
    {
    }

    // node is the index of the node the string belongs to (or of the last node made so far).
    const char *store(const char *data, std::size_t size, quint32 node)
    {
        if (size == 0)
            return "";
        if (size > m_left) {
            const std::size_t block = std::max(size, m_next);
            m_blocks.push_back(
                Block {std::unique_ptr<char[]>(new char[block]), block, node, node});
            m_cursor = m_blocks.back().data.get();
            m_left = block;
            m_next = std::min(m_next * 2, kBlockSize);
        }
        char *at = m_cursor;
        std::memcpy(at, data, size);
        m_cursor += size;
        m_left -= size;
        m_blocks.back().lastNode = node;
        return at;
    }

    qint64 heldBytes() const
    {
        qint64 bytes = 0;
        for (const Block &block : m_blocks)
            bytes += block.data ? qint64(block.size) : 0;
        return bytes;
    }

    bool wouldRelease(quint32 to) const
    {
        return m_released + 1 < m_blocks.size() && m_blocks[m_released].lastNode < to;
    }

    // Frees the blocks whose strings all belong to nodes before index to, unless they may hold
    // strings of a kept node. The block being filled is never freed.
    void release(quint32 to, const std::vector<quint32> &kept)
    {
        for (; m_released + 1 < m_blocks.size() && m_blocks[m_released].lastNode < to;
             ++m_released) {
            Block &block = m_blocks[m_released];
            bool holdsKept = false;
            for (quint32 k : kept)
                holdsKept = holdsKept || (k >= block.firstNode && k <= block.lastNode);
            if (!holdsKept)
                block.data.reset();
        }
    }

private:
    struct Block
    {
        std::unique_ptr<char[]> data;
        std::size_t size;
        quint32 firstNode;
        quint32 lastNode;
    };
    std::vector<Block> m_blocks;
    std::size_t m_released = 0; // blocks before this one are freed or kept for good
    char *m_cursor = nullptr;
    std::size_t m_left = 0;
    std::size_t m_next;
};

// An array in blocks of a fixed size that never move once the parse is over, so pointers into it
// stay valid. Every element belongs to a node (its owner: the node itself, the element owning
// an attribute, the parent of a child slot) and owners never decrease along the array, so the
// blocks at the front can be freed once a reader is done with their owners. The first block
// starts small and grows while parsing (only indices are held then): a small document does not
// take a whole block. Blocks are kept small (2048 elements) for the reason Arena's are.
template <typename T> class BlockArray
{
public:
    static constexpr unsigned kShift = 11;
    static constexpr quint32 kBlockSize = 1u << kShift;

    explicit BlockArray(quint32 firstCapacity)
        : m_firstCapacity(std::clamp<quint32>(firstCapacity, 16, kBlockSize))
    {
    }

    quint32 size() const { return m_size; }
    T &operator[](quint32 index) { return m_blocks[index >> kShift].data[index & (kBlockSize - 1)]; }
    const T &operator[](quint32 index) const
    {
        return m_blocks[index >> kShift].data[index & (kBlockSize - 1)];
    }

    void push_back(const T &value, quint32 owner)
    {
        if (m_size == 0) {
            m_blocks.push_back(Block {std::unique_ptr<T[]>(new T[m_firstCapacity]), owner, owner});
        } else if (m_size == m_firstCapacity && m_size < kBlockSize) {
            const quint32 grown = std::min(m_firstCapacity * 2, kBlockSize);
            std::unique_ptr<T[]> larger(new T[grown]);
            std::copy(m_blocks[0].data.get(), m_blocks[0].data.get() + m_size, larger.get());
            m_blocks[0].data = std::move(larger);
            m_firstCapacity = grown;
        } else if ((m_size & (kBlockSize - 1)) == 0) {
            m_blocks.push_back(Block {std::unique_ptr<T[]>(new T[kBlockSize]), owner, owner});
        }
        (*this)[m_size] = value;
        m_blocks.back().lastOwner = owner;
        ++m_size;
    }

    // For an array filled out of order: n elements (on an empty array), whose owners are given
    // afterwards with setOwners.
    void resize(quint32 n)
    {
        m_firstCapacity = std::clamp<quint32>(n, 16, kBlockSize);
        for (quint32 at = 0; at < n; at += kBlockSize)
            m_blocks.push_back(
                Block {std::unique_ptr<T[]>(new T[at == 0 ? m_firstCapacity : kBlockSize]), 0, 0});
        m_size = n;
    }
    template <typename OwnerOf> void setOwners(OwnerOf ownerOf)
    {
        for (quint32 b = 0; b < m_blocks.size(); ++b) {
            m_blocks[b].firstOwner = ownerOf(b << kShift);
            m_blocks[b].lastOwner = ownerOf(std::min(m_size, (b + 1) << kShift) - 1);
        }
    }

    qint64 heldBytes() const
    {
        qint64 bytes = 0;
        for (std::size_t b = 0; b < m_blocks.size(); ++b)
            bytes += m_blocks[b].data ? qint64((b == 0 ? m_firstCapacity : kBlockSize) * sizeof(T))
                                      : 0;
        return bytes;
    }

    bool wouldRelease(quint32 to) const
    {
        return m_released < m_blocks.size() && m_blocks[m_released].lastOwner < to;
    }

    // Frees the blocks whose elements all belong to nodes before index to, unless one of them
    // belongs to a kept node.
    void release(quint32 to, const std::vector<quint32> &kept)
    {
        for (; wouldRelease(to); ++m_released) {
            Block &block = m_blocks[m_released];
            bool holdsKept = false;
            for (quint32 k : kept)
                holdsKept = holdsKept || (k >= block.firstOwner && k <= block.lastOwner);
            if (!holdsKept)
                block.data.reset();
        }
    }

private:
    struct Block
    {
        std::unique_ptr<T[]> data;
        quint32 firstOwner;
        quint32 lastOwner;
    };
    std::vector<Block> m_blocks;
    quint32 m_firstCapacity;
    quint32 m_size = 0;
    std::size_t m_released = 0; // blocks before this one are freed or kept for good
};

struct Tree
{
    static constexpr std::size_t kFirstTextBlock = 4 * 1024;

    // Sized for a document of that many bytes.
    explicit Tree(std::size_t inputSize)
        : nodes(quint32(std::min<std::size_t>(inputSize / 12 + 8, BlockArray<Node>::kBlockSize))),
          childSlots(quint32(std::min<std::size_t>(inputSize / 12 + 8, BlockArray<quint32>::kBlockSize))),
          attributes(quint32(std::min<std::size_t>(inputSize / 64 + 4, BlockArray<Attribute>::kBlockSize))),
          // The first block holds the strings of the root and the channel, which a reader
          // keeps to the end: kept small, it is all that stays of a document's text once its
          // items are read.
          text(std::min<std::size_t>(inputSize / 2, kFirstTextBlock))
    {
    }
    ~Tree()
    {
        if (declarations)
            xmlFreeDoc(declarations);
        if (dict)
            xmlDictFree(dict);
    }
    Tree(const Tree &) = delete;
    Tree &operator=(const Tree &) = delete;

    BlockArray<Node> nodes;
    BlockArray<quint32> childSlots;
    BlockArray<Attribute> attributes;
    Arena text;
    // Names come from libxml2's dictionary, which we keep alive with the tree.
    xmlDictPtr dict = nullptr;
    // libxml2's document for the DOCTYPE: the declarations, written back as they were.
    xmlDocPtr declarations = nullptr;
    // The bytes parsed, when strings of the tree point into them (CDATA contents as they stand).
    QByteArray source;
    QByteArray version = "1.0";
    // Nodes before this index (bar the ancestors kept then) are released.
    quint32 releasedUpTo = 0;
    // How many comment nodes the document has: most have none, and a reader asks every item.
    quint32 comments = 0;

    const Node *node(quint32 index) const { return &nodes[index]; }
    quint32 childIndex(const Node *parent, quint32 i) const
    {
        return childSlots[parent->firstChild + i];
    }
    const Node *child(const Node *parent, quint32 i) const
    {
        return &nodes[childIndex(parent, i)];
    }

    // Frees the nodes (and their strings) that come before index in document order, keeping
    // the given node's ancestors and the node itself.
    void releaseBefore(quint32 index, quint32 keep)
    {
        if (index <= releasedUpTo)
            return;
        if (!nodes.wouldRelease(index) && !childSlots.wouldRelease(index)
            && !attributes.wouldRelease(index) && !text.wouldRelease(index)) {
            releasedUpTo = index;
            return;
        }
        std::vector<quint32> kept;
        for (quint32 at = keep; at != kNone; at = nodes[at].parent)
            kept.push_back(at);
        nodes.release(index, kept);
        childSlots.release(index, kept);
        attributes.release(index, kept);
        text.release(index, kept);
        releasedUpTo = index;
    }
};

bool isXmlSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// What one parse needs beside libxml2's context: the tree being built, the first error, and a
// private document holding the stand-in declarations for undeclared references, so that the
// parsed document's own declarations stay as written.
struct ParseState
{
    xmlParserCtxtPtr mainContext = nullptr;
    Tree *tree = nullptr;
    std::vector<quint32> open; // the document and the elements not yet closed
    QByteArray pendingText;
    // The contents of CDATA sections the text's source took out of what the parser reads.
    LiftedCData *lifted = nullptr;
    bool liftMismatch = false;
    bool tooLarge = false;
    bool outOfMemory = false;
    qint64 crowdedTagLine = 0; // where a start tag with too many attributes was found, from 1

    xmlDocPtr helperDoc = nullptr;
    bool haveError = false;
    QString description;
    int line = 0;

    ~ParseState()
    {
        if (helperDoc)
            xmlFreeDoc(helperDoc);
    }

    quint32 addNode(quint8 kind, const char *text, std::size_t length)
    {
        if (tree->nodes.size() >= kNone - 1 || length >= kNone) {
            tooLarge = true;
            xmlStopParser(mainContext);
            return kNone;
        }
        const quint32 parent = open.back();
        const auto index = quint32(tree->nodes.size());
        tree->nodes.push_back(Node {tree, text, quint32(length), parent, 0, 0, 0, 0, kind}, index);
        ++tree->nodes[parent].childCount;
        return index;
    }

    quint32 addCopy(quint8 kind, const char *text, std::size_t length)
    {
        return addNode(kind, tree->text.store(text, length, tree->nodes.size()), length);
    }

    void flushText()
    {
        if (pendingText.isEmpty())
            return;
        bool blank = true;
        for (char c : std::as_const(pendingText))
            if (!isXmlSpace(c)) {
                blank = false;
                break;
            }
        addCopy(blank ? vlxXMLDOM::Whitespace : vlxXMLDOM::Text, pendingText.constData(),
                std::size_t(pendingText.size()));
        // Emptied, not freed: the next text is gathered in the same buffer.
        pendingText.truncate(0);
    }
};

ParseState *stateOf(void *ctx)
{
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    return ctxt ? static_cast<ParseState *>(ctxt->_private) : nullptr;
}

// The callbacks below build our tree for the document itself. libxml2 also calls them, through
// a second context, while it checks the content of an entity the DOCTYPE declared; that content
// is not part of the document, so it goes to libxml2's own builder as usual.
ParseState *builderFor(void *ctx)
{
    ParseState *state = stateOf(ctx);
    return state && ctx == state->mainContext && !state->tooLarge ? state : nullptr;
}

// libxml2 is C: nothing may be thrown through it. A callback that runs out of memory stops the
// parse instead, and the document fails with a clear message.
template<typename Callback, Callback callback> struct Guarded;

template<typename... Args, void (*callback)(void *, Args...)>
struct Guarded<void (*)(void *, Args...), callback>
{
    static void call(void *ctx, Args... args)
    {
        try {
            callback(ctx, args...);
        } catch (const std::bad_alloc &) {
            if (ParseState *state = stateOf(ctx)) {
                state->outOfMemory = true;
                xmlStopParser(state->mainContext);
            }
        }
    }
};

#define VLX_GUARDED(function) (&Guarded<decltype(&function), &function>::call)

void startElement(void *ctx, const xmlChar *localname, const xmlChar *prefix, const xmlChar *uri,
                  int namespaceCount, const xmlChar **namespaces, int attributeCount, int defaulted,
                  const xmlChar **attributes)
{
    ParseState *state = builderFor(ctx);
    if (!state) {
        if (!stateOf(ctx) || ctx != stateOf(ctx)->mainContext)
            xmlSAX2StartElementNs(ctx, localname, prefix, uri, namespaceCount, namespaces,
                                  attributeCount, defaulted, attributes);
        return;
    }
    state->flushText();
    Tree *tree = state->tree;
    const xmlChar *name = prefix ? xmlDictQLookup(tree->dict, prefix, localname) : localname;
    if (!name)
        name = localname;
    const quint32 index = state->addNode(vlxXMLDOM::Element, reinterpret_cast<const char *>(name),
                                         std::strlen(reinterpret_cast<const char *>(name)));
    if (index == kNone)
        return;
    if (namespaceCount + attributeCount > 0xFFFF) {
        state->tooLarge = true;
        xmlStopParser(state->mainContext);
        return;
    }
    Node &node = tree->nodes[index];
    node.firstAttribute = quint32(tree->attributes.size());
    node.attributeCount = quint16(namespaceCount + attributeCount);
    for (int i = 0; i < namespaceCount; ++i) {
        const xmlChar *declaredPrefix = namespaces[2 * i];
        const xmlChar *declaredName = declaredPrefix
            ? xmlDictQLookup(tree->dict, BAD_CAST "xmlns", declaredPrefix)
            : xmlDictLookup(tree->dict, BAD_CAST "xmlns", -1);
        const char *href = reinterpret_cast<const char *>(namespaces[2 * i + 1]);
        const std::size_t hrefLength = href ? std::strlen(href) : 0;
        tree->attributes.push_back(
            Attribute {reinterpret_cast<const char *>(declaredName),
                       tree->text.store(href, hrefLength, index),
                       quint32(std::strlen(reinterpret_cast<const char *>(declaredName))),
                       quint32(hrefLength), true},
            index);
    }
    for (int i = 0; i < attributeCount; ++i) {
        const xmlChar **attribute = attributes + 5 * i;
        const xmlChar *attributeName
            = attribute[1] ? xmlDictQLookup(tree->dict, attribute[1], attribute[0]) : attribute[0];
        if (!attributeName)
            attributeName = attribute[0];
        const auto *value = reinterpret_cast<const char *>(attribute[3]);
        const auto valueLength = std::size_t(attribute[4] - attribute[3]);
        tree->attributes.push_back(
            Attribute {reinterpret_cast<const char *>(attributeName),
                       tree->text.store(value, valueLength, index),
                       quint32(std::strlen(reinterpret_cast<const char *>(attributeName))),
                       quint32(valueLength), false},
            index);
    }
    state->open.push_back(index);
}

void endElement(void *ctx, const xmlChar *localname, const xmlChar *prefix, const xmlChar *uri)
{
    ParseState *state = builderFor(ctx);
    if (!state) {
        if (!stateOf(ctx) || ctx != stateOf(ctx)->mainContext)
            xmlSAX2EndElementNs(ctx, localname, prefix, uri);
        return;
    }
    state->flushText();
    if (state->open.size() > 1)
        state->open.pop_back();
}

// The code of a character reference from &#128; to &#159; that libxml2 has just decoded, or 0.
// libxml2 hands a character reference to characters() on its own, as the character's two UTF-8
// bytes, right after reading the reference's ";"; a literal character never comes alone with a
// ";" just before the parser's position.
char32_t c1CharacterReference(void *ctx, const xmlChar *text, int length)
{
    if (length != 2 || text[0] != 0xC2 || text[1] < 0x80 || text[1] > 0x9F)
        return 0;
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    const xmlParserInputPtr input = ctxt ? ctxt->input : nullptr;
    if (!input || !input->cur || !input->base || input->cur <= input->base || input->cur[-1] != ';')
        return 0;
    return char32_t(text[1]);
}

void characters(void *ctx, const xmlChar *text, int length)
{
    ParseState *state = builderFor(ctx);
    if (!state) {
        if (!stateOf(ctx) || ctx != stateOf(ctx)->mainContext)
            xmlSAX2Characters(ctx, text, length);
        return;
    }
    if (state->open.size() <= 1)
        return;
    // A feed writing &#146; means the character HTML and every browser show for it (U+2019),
    // not the C1 control XML makes of it.
    if (const char32_t code = c1CharacterReference(ctx, text, length)) {
        const char32_t shown = XMLentities::htmlCharacter(code);
        state->pendingText.append(QString::fromUcs4(&shown, 1).toUtf8());
        return;
    }
    state->pendingText.append(reinterpret_cast<const char *>(text), length);
}

void cdataBlock(void *ctx, const xmlChar *text, int length)
{
    ParseState *state = builderFor(ctx);
    if (!state) {
        if (!stateOf(ctx) || ctx != stateOf(ctx)->mainContext)
            xmlSAX2CDataBlock(ctx, text, length);
        return;
    }
    state->flushText();
    QByteArrayView content(reinterpret_cast<const char *>(text), length);
    if (state->lifted) {
        const std::optional<LiftedCData::Content> kept = state->lifted->take(content);
        if (!kept) {
            // Never for a text the source and the parser read alike; refused rather than read
            // with a content that is not the document's.
            state->liftMismatch = true;
            xmlStopParser(state->mainContext);
            return;
        }
        // A content as the document's bytes hold it is not copied: the tree keeps the bytes.
        if (kept->borrowed) {
            state->addNode(vlxXMLDOM::CDATASection, kept->text.data(),
                           std::size_t(kept->text.size()));
            return;
        }
        content = kept->text;
    }
    state->addCopy(vlxXMLDOM::CDATASection, content.data(), std::size_t(content.size()));
}

void comment(void *ctx, const xmlChar *text)
{
    ParseState *state = builderFor(ctx);
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    if (!state || ctxt->inSubset != 0) {
        if (!stateOf(ctx) || ctx != stateOf(ctx)->mainContext || ctxt->inSubset != 0)
            xmlSAX2Comment(ctx, text);
        return;
    }
    state->flushText();
    const char *content = reinterpret_cast<const char *>(text ? text : BAD_CAST "");
    if (state->addCopy(vlxXMLDOM::Comment, content, std::strlen(content)) != kNone)
        ++state->tree->comments;
}

void processingInstruction(void *ctx, const xmlChar *target, const xmlChar *data)
{
    ParseState *state = builderFor(ctx);
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    if (!state || ctxt->inSubset != 0) {
        if (!stateOf(ctx) || ctx != stateOf(ctx)->mainContext || ctxt->inSubset != 0)
            xmlSAX2ProcessingInstruction(ctx, target, data);
        return;
    }
    state->flushText();
    const char *name = reinterpret_cast<const char *>(target ? target : BAD_CAST "");
    const quint32 index = state->addCopy(vlxXMLDOM::ProcessingInstruction, name, std::strlen(name));
    if (index == kNone)
        return;
    Tree *tree = state->tree;
    const char *content = reinterpret_cast<const char *>(data ? data : BAD_CAST "");
    const std::size_t contentLength = std::strlen(content);
    tree->nodes[index].firstAttribute = quint32(tree->attributes.size());
    tree->nodes[index].attributeCount = 1;
    tree->attributes.push_back(
        Attribute {"", tree->text.store(content, contentLength, index), 0, quint32(contentLength),
                   false},
        index);
}

void reference(void *ctx, const xmlChar *name)
{
    ParseState *state = builderFor(ctx);
    if (!state) {
        if (!stateOf(ctx) || ctx != stateOf(ctx)->mainContext)
            xmlSAX2Reference(ctx, name);
        return;
    }
    state->flushText();
    const char *text = reinterpret_cast<const char *>(name ? name : BAD_CAST "");
    state->addCopy(vlxXMLDOM::EntityReference, text, std::strlen(text));
}

void internalSubset(void *ctx, const xmlChar *name, const xmlChar *externalId,
                    const xmlChar *systemId)
{
    xmlSAX2InternalSubset(ctx, name, externalId, systemId);
    ParseState *state = builderFor(ctx);
    if (!state)
        return;
    const char *text = reinterpret_cast<const char *>(name ? name : BAD_CAST "");
    state->addCopy(vlxXMLDOM::DocumentType, text, std::strlen(text));
}

// The declared content of an entity is parsed as markup where the entity is used: its start tags
// are counted like those of the document before libxml2 sees them.
void entityDecl(void *ctx, const xmlChar *name, int type, const xmlChar *publicId,
                const xmlChar *systemId, xmlChar *content)
{
    ParseState *state = stateOf(ctx);
    if (state && content) {
        StartTagScanner scanner;
        if (!scanner.scan(reinterpret_cast<const char *>(content))) {
            auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
            state->crowdedTagLine = ctxt && ctxt->input ? ctxt->input->line : 1;
            xmlStopParser(state->mainContext);
            return;
        }
    }
    xmlSAX2EntityDecl(ctx, name, type, publicId, systemId, content);
}

// Called when the document type declaration has been read. Attribute defaults it declared are
// dropped before the first element: libxml2 would add every one of them to every such element
// (a few declarations then multiply the time and memory of a document of empty tags), and the
// tree keeps attributes as written anyway.
void externalSubset(void *ctx, const xmlChar *name, const xmlChar *externalId,
                    const xmlChar *systemId)
{
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    if (ctxt && ctxt->attsDefault) {
        xmlHashFree(ctxt->attsDefault, xmlHashDefaultDeallocator);
        ctxt->attsDefault = nullptr;
    }
    xmlSAX2ExternalSubset(ctx, name, externalId, systemId);
}

// Entity lookup: declared entities as usual; a name the document never declared gets an empty
// internal stand-in kept outside the document, so the parser reports an ordinary reference and
// the text value later resolves the name from XMLentities or keeps it as written.
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
    auto ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    state->line = error->line > 0 ? error->line : ctxt && ctxt->input ? ctxt->input->line : 0;
}

// Lays every node's children out in one contiguous run of Tree::childSlots, the runs in the
// order of their parents. Nodes are stored in document order, so one pass in that order fills
// each run in order.
void layOutChildren(Tree &tree)
{
    const quint32 count = tree.nodes.size();
    tree.childSlots.resize(count ? count - 1 : 0);
    std::vector<quint32> cursor(count);
    quint32 offset = 0;
    for (quint32 i = 0; i < count; ++i) {
        tree.nodes[i].firstChild = offset;
        cursor[i] = offset;
        offset += tree.nodes[i].childCount;
    }
    for (quint32 i = 1; i < count; ++i)
        tree.childSlots[cursor[tree.nodes[i].parent]++] = i;
    tree.childSlots.setOwners([&](quint32 slot) { return tree.nodes[tree.childSlots[slot]].parent; });
}

// UTF-8 of the tree to text. QString::fromUtf8 drops a leading byte order mark, but inside a
// document U+FEFF is an ordinary character that a name or a value may start with: it must
// survive reading and writing back.
QString utf8Text(QByteArrayView bytes)
{
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom
                                                       | QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

const Node *toNode(const vlxXMLNode *node)
{
    return reinterpret_cast<const Node *>(node);
}

const vlxXMLNode *fromNode(const Node *node)
{
    return reinterpret_cast<const vlxXMLNode *>(node);
}

QByteArrayView bytesOf(const Node *node)
{
    return QByteArrayView(node->text, node->length);
}

QByteArrayView nameOf(const Attribute &attribute)
{
    return QByteArrayView(attribute.name, attribute.nameLength);
}

QByteArrayView valueOf(const Attribute &attribute)
{
    return QByteArrayView(attribute.value, attribute.valueLength);
}

bool showsChildren(const Node *node)
{
    return node->kind == vlxXMLDOM::Element || node->kind == vlxXMLDOM::Document;
}

const Node *childAt(const Node *node, int index)
{
    if (!node || index < 0 || quint32(index) >= node->childCount)
        return nullptr;
    return node->tree->child(node, quint32(index));
}

// Text value of UTF-8 bytes. A text that, apart from the white space around it, is one CDATA
// wrapper ("<![CDATA[" found ignoring case at its start, "]]>" at its end) comes from a feed
// that escaped its section, and the wrapper goes: when it is several sections in a row (a "]]>"
// inside split between two, as writers do) their contents are joined, otherwise all between the
// first "<![CDATA[" and the last "]]>" is kept. Any other text is the value as it stands, a
// section inside it included: show notes carry inline scripts as "//<![CDATA[ ... //]]>", and
// the markup around them is as much the text as the script is. Only the two ends are looked at
// until a wrapper is certain, so the common text costs no search at all.
// The value is answered as bytes: a view of the text, or of `joined` for several sections.
QByteArrayView unwrappedCDATA(QByteArrayView text, QByteArray &joined)
{
    static constexpr QByteArrayView open("<![CDATA[");
    static constexpr QByteArrayView close("]]>");
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isSpace(text[first]))
        ++first;
    while (last > first && isSpace(text[last - 1]))
        --last;
    const auto opensAt = [&](qsizetype at) {
        return last - at >= open.size()
            && qstrnicmp(text.data() + at, open.size(), open.data(), open.size()) == 0;
    };
    if (last - first < open.size() + close.size() || !opensAt(first)
        || !text.first(last).endsWith(close))
        return text;
    qsizetype at = first;
    while (at < last && opensAt(at)) {
        const qsizetype from = at + open.size();
        const qsizetype end = text.indexOf(close, from); // found: the text ends with one
        joined += text.sliced(from, end - from);
        at = end + close.size();
    }
    if (at == last)
        return joined;
    return text.sliced(first + open.size(), last - close.size() - first - open.size());
}

// Decodes an attribute held in libxml2's form (see Attribute): each "&...;" once.
QString decodeAttribute(QByteArrayView value)
{
    if (!value.contains('&'))
        return utf8Text(value);
    QString decoded;
    qsizetype from = 0;
    for (qsizetype amp = value.indexOf('&'); amp >= 0; amp = value.indexOf('&', from)) {
        decoded += utf8Text(value.sliced(from, amp - from));
        const qsizetype semicolon = value.indexOf(';', amp);
        if (semicolon < 0) {
            from = amp;
            break;
        }
        decoded += vlxXMLDOM::resolveReference(
            utf8Text(value.sliced(amp + 1, semicolon - amp - 1)));
        from = semicolon + 1;
    }
    decoded += utf8Text(value.sliced(from));
    return decoded;
}

void appendEscapedText(QByteArray &out, QByteArrayView text)
{
    // Runs that need no escape are copied whole: appending byte by byte dominated the cost of
    // serialising an element.
    qsizetype plain = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char *escaped = nullptr;
        switch (text[i]) {
        case '<':
            escaped = "&lt;";
            break;
        case '>':
            escaped = "&gt;";
            break;
        case '&':
            escaped = "&amp;";
            break;
        case '\r':
            escaped = "&#13;";
            break;
        default:
            continue;
        }
        out += text.sliced(plain, i - plain);
        out += escaped;
        plain = i + 1;
    }
    out += text.sliced(plain);
}

void appendEscapedAttribute(QByteArray &out, QByteArrayView value)
{
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
        case '&': {
            // libxml2's form: "&#38;" is an ampersand, any other "&name;" a reference.
            const qsizetype semicolon = value.indexOf(';', i);
            if (semicolon < 0) {
                out += "&amp;";
                break;
            }
            const QByteArrayView name = value.sliced(i + 1, semicolon - i - 1);
            out += name == "#38" ? QByteArrayView("&amp;") : value.sliced(i, semicolon - i + 1);
            i = semicolon;
            break;
        }
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\n':
            out += "&#10;";
            break;
        case '\r':
            out += "&#13;";
            break;
        case '\t':
            out += "&#9;";
            break;
        default: {
            // A run of bytes that need no escape goes in at once.
            qsizetype end = i + 1;
            for (; end < value.size(); ++end) {
                const char next = value[end];
                if (next == '&' || next == '<' || next == '>' || next == '"' || next == '\n'
                    || next == '\r' || next == '\t')
                    break;
            }
            out += value.sliced(i, end - i);
            i = end - 1;
        }
        }
    }
}

// The prefix a namespace declaration binds: "" for "xmlns", "p" for "xmlns:p".
QByteArrayView declaredPrefixOf(const Attribute &attribute)
{
    const QByteArrayView name = nameOf(attribute);
    return name.size() > 6 ? name.sliced(6) : QByteArrayView();
}

void writeNode(QByteArray &out, const Node *node)
{
    const Tree *tree = node->tree;
    switch (node->kind) {
    case vlxXMLDOM::Element: {
        out += '<';
        out += bytesOf(node);
        for (quint32 i = 0; i < node->attributeCount; ++i) {
            const Attribute &attribute = tree->attributes[node->firstAttribute + i];
            out += ' ';
            out += nameOf(attribute);
            out += "=\"";
            appendEscapedAttribute(out, valueOf(attribute));
            out += '"';
        }
        if (node->childCount == 0) {
            out += "/>";
            break;
        }
        out += '>';
        for (quint32 i = 0; i < node->childCount; ++i)
            writeNode(out, tree->child(node, i));
        out += "</";
        out += bytesOf(node);
        out += '>';
        break;
    }
    case vlxXMLDOM::Text:
    case vlxXMLDOM::Whitespace:
        appendEscapedText(out, bytesOf(node));
        break;
    case vlxXMLDOM::CDATASection:
        out += "<![CDATA[";
        out += bytesOf(node);
        out += "]]>";
        break;
    case vlxXMLDOM::Comment:
        out += "<!--";
        out += bytesOf(node);
        out += "-->";
        break;
    case vlxXMLDOM::ProcessingInstruction: {
        out += "<?";
        out += bytesOf(node);
        const QByteArrayView data = valueOf(tree->attributes[node->firstAttribute]);
        if (!data.isEmpty()) {
            out += ' ';
            out += data;
        }
        out += "?>";
        break;
    }
    case vlxXMLDOM::EntityReference:
        out += '&';
        out += bytesOf(node);
        out += ';';
        break;
    case vlxXMLDOM::DocumentType: {
        xmlDtdPtr dtd = tree->declarations ? tree->declarations->intSubset : nullptr;
        if (!dtd)
            break;
        xmlBufferPtr buffer = xmlBufferCreate();
        if (!buffer)
            break;
        if (xmlNodeDump(buffer, tree->declarations, reinterpret_cast<xmlNodePtr>(dtd), 0, 0) >= 0)
            out += QByteArrayView(reinterpret_cast<const char *>(xmlBufferContent(buffer)),
                                  xmlBufferLength(buffer));
        xmlBufferFree(buffer);
        break;
    }
    case vlxXMLDOM::Document:
        // The prolog is ours and always the same text; the XML source editor counts on it.
        out += "<?xml version=\"";
        out += tree->version;
        out += "\"?>";
        for (quint32 i = 0; i < node->childCount; ++i) {
            if (i > 0)
                out += '\n';
            writeNode(out, tree->child(node, i));
        }
        break;
    default:
        break;
    }
}

} // namespace

// The parser's input when it reads a text: the rewritten prolog, then the rest of the text
// encoded to UTF-8 one slice at a time, counting the bytes against the size limit. Bytes read
// as they are go a slice at a time too, without a prolog of their own.
struct vlxXMLDOM::TextSource
{
    static constexpr qsizetype kSliceUnits = 32768;
    static constexpr qsizetype kSliceBytes = 65536;

    QByteArray pending;
    qsizetype pendingAt = 0;
    QStringView rest;
    qint64 limit = 0;
    qint64 delivered = 0;
    bool tooLarge = false;
    const Progress *progress = nullptr;
    bool stopped = false;
    StartTagScanner scanner;
    bool pendingScanned = false;
    // What is needed to name the line of a byte the scanner points at: the rewritten prolog's
    // size (it holds no line break of its own) and the text after it.
    qsizetype prologBytes = 0;
    QStringView body;
    // Bytes read as they are: what is left of them, and all of them.
    bool fromBytes = false;
    // For UTF-8 bytes: the CDATA sections lifted out of each piece before the parser reads it.
    std::optional<LiftedCData> lifted;
    std::vector<StartTagScanner::CDataSection> sections;
    QByteArray bytes; // the bytes themselves, when the tree is to keep them
    QByteArrayView restBytes;
    QByteArrayView bodyBytes;

    qint64 lineAt(qint64 byteOffset) const
    {
        if (fromBytes)
            return 1
                + bodyBytes.first(qBound(qint64(0), byteOffset, qint64(bodyBytes.size())))
                      .count('\n');
        qint64 line = 1;
        qint64 bytes = prologBytes;
        for (qsizetype i = 0; i < body.size() && bytes < byteOffset; ++i) {
            const char16_t c = body[i].unicode();
            line += c == u'\n' ? 1 : 0;
            // UTF-8 lengths; each half of a surrogate pair stands for two of its four bytes.
            bytes += c < 0x80 ? 1 : c < 0x800 || QChar::isSurrogate(c) ? 2 : 3;
        }
        return line;
    }

    // The length of a slice of `rest`, at least `size`, that does not cut a CDATA section in
    // two: a section within one slice is lifted out of the parse whatever its length, while the
    // parser reads a cut one itself and refuses it beyond its limit for a text (10 MB), which
    // older files with long show notes in one section hold. A section without an end is cut.
    static qsizetype wholeCDataSlice(QByteArrayView rest, qsizetype size)
    {
        static constexpr QByteArrayView open("<![CDATA[");
        if (size >= rest.size())
            return size;
        // The last section opened before the cut (its opening may be cut too): found from the
        // "[" that ends it, a byte most slices hold few of.
        const QByteArrayView head = rest.first(std::min(rest.size(), size + open.size() - 1));
        qsizetype bracket = head.size();
        qsizetype start = -1;
        while (bracket > 0) {
            const void *found = memrchr(head.data(), '[', size_t(bracket));
            if (!found)
                return size;
            bracket = static_cast<const char *>(found) - head.data();
            if (bracket >= open.size() - 1
                && head.sliced(bracket - (open.size() - 1), open.size()) == open) {
                start = bracket - (open.size() - 1);
                break;
            }
        }
        if (start < 0 || start >= size)
            return size;
        const qsizetype end = rest.indexOf("]]>", start + open.size());
        return end < 0 || end + 3 <= size ? size : end + 3;
    }

    static int read(void *context, char *buffer, int length)
    {
        auto *source = static_cast<TextSource *>(context);
        if (length <= 0)
            return 0;
        if (source->pendingAt >= source->pending.size() && source->fromBytes) {
            source->pendingScanned = false;
            if (source->restBytes.isEmpty())
                return 0;
            if (source->progress && *source->progress
                && !(*source->progress)(source->bodyBytes.size() - source->restBytes.size(),
                                        source->bodyBytes.size())) {
                source->stopped = true;
                return -1;
            }
            qsizetype size = std::min(source->restBytes.size(), kSliceBytes);
            if (source->lifted)
                size = wholeCDataSlice(source->restBytes, size);
            source->pending = QByteArray::fromRawData(source->restBytes.data(), size);
            source->pendingAt = 0;
            source->restBytes = source->restBytes.sliced(size);
        } else if (source->pendingAt >= source->pending.size()) {
            source->pendingScanned = false;
            if (source->rest.isEmpty())
                return 0;
            if (source->progress && *source->progress
                && !(*source->progress)(source->body.size() - source->rest.size(),
                                        source->body.size())) {
                source->stopped = true;
                return -1;
            }
            // A slice never ends between the two halves of a surrogate pair.
            qsizetype units = std::min(source->rest.size(), kSliceUnits);
            if (units < source->rest.size() && source->rest[units - 1].isHighSurrogate())
                --units;
            source->pending = source->rest.first(units).toUtf8();
            source->pendingAt = 0;
            source->rest = source->rest.sliced(units);
        }
        // Each slice is scanned before any of it reaches the parser.
        if (!source->pendingScanned) {
            source->pendingScanned = true;
            if (!source->scanner.scan(source->pending))
                return -1;
            if (source->lifted && !source->sections.empty()) {
                source->pending = source->lifted->lift(source->pending, source->sections);
                source->pendingAt = 0;
            }
        }
        const auto count = int(std::min<qsizetype>(length, source->pending.size() - source->pendingAt));
        if (source->delivered + count > source->limit) {
            source->tooLarge = true;
            return -1;
        }
        std::memcpy(buffer, source->pending.constData() + source->pendingAt, size_t(count));
        source->pendingAt += count;
        source->delivered += count;
        return count;
    }
};

struct vlxXMLDOM::Private
{
    std::unique_ptr<Tree> tree;
    QVariantMap error;
    bool stopped = false;

    void clear()
    {
        tree.reset();
        error.clear();
        stopped = false;
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

bool vlxXMLDOM::initWithString(const QString &text, const Progress &progress)
{
    d->clear();
    // Every UTF-16 unit becomes at least one UTF-8 byte: refuse before converting a huge text.
    if (text.size() > maximumInputSize()) {
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
    qsizetype headEnd = 0;
    const qsizetype prolog = QStringView(text).left(10).indexOf(u"<?xml", 0, Qt::CaseInsensitive);
    if (prolog >= 0) {
        const qsizetype close = text.indexOf(u"?>", prolog);
        if (close >= 0)
            headEnd = close + 2;
    }
    TextSource source;
    source.pending = convertEncodingIdToUTF8(text.left(headEnd)).toUtf8();
    source.rest = QStringView(text).sliced(headEnd);
    source.prologBytes = source.pending.size();
    source.body = source.rest;
    source.limit = std::min<qint64>(maximumInputSize(), INT_MAX);
    source.progress = &progress;
    return guardedParse(
        [&] {
            return xmlCreateIOParserCtxt(nullptr, nullptr, &TextSource::read, nullptr, &source,
                                         XML_CHAR_ENCODING_NONE);
        },
        &source, std::size_t(text.size()));
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
        fail(QStringLiteral("The XML text is larger than the limit of %1 bytes.").arg(limit), 0);
        return false;
    }
    if (data.isEmpty()) {
        fail(QStringLiteral("Document is empty"), 1);
        return false;
    }
    TextSource source;
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
            return xmlCreateIOParserCtxt(nullptr, nullptr, &TextSource::read, nullptr, &source,
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
            const bool newline = unitSize == 1
                ? *unit == '\n'
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
                             TextSource *source, std::size_t sizeHint)
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
                          TextSource *source, std::size_t sizeHint)
{
    auto tree = std::make_unique<Tree>(sizeHint);
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
    tree->nodes.push_back(Node {tree.get(), "", 0, kNone, 0, 0, 0, 0, vlxXMLDOM::Document}, 0);

    ParseState state;
    state.mainContext = ctxt;
    state.tree = tree.get();
    state.open.push_back(0);
    state.pendingText.reserve(1024);
    state.lifted = source && source->lifted ? &*source->lifted : nullptr;
    ctxt->_private = &state;
    xmlSAXHandlerPtr sax = ctxt->sax;
    sax->getEntity = lookUpEntity;
    sax->startElementNs = VLX_GUARDED(startElement);
    sax->endElementNs = VLX_GUARDED(endElement);
    sax->characters = VLX_GUARDED(characters);
    sax->ignorableWhitespace = VLX_GUARDED(characters);
    sax->cdataBlock = VLX_GUARDED(cdataBlock);
    sax->comment = VLX_GUARDED(comment);
    sax->processingInstruction = VLX_GUARDED(processingInstruction);
    sax->reference = VLX_GUARDED(reference);
    sax->internalSubset = VLX_GUARDED(internalSubset);
    sax->externalSubset = VLX_GUARDED(externalSubset);
    sax->entityDecl = VLX_GUARDED(entityDecl);
    sax->serror = VLX_GUARDED(recordError);
    // Without a structured handler libxml2 would also print every error to stderr.
    sax->error = nullptr;
    sax->warning = nullptr;
    ctxt->vctxt.error = nullptr;
    ctxt->vctxt.warning = nullptr;
    xmlCtxtUseOptions(ctxt, kParseOptions);

    // Some failures, encoding conversion among them, are raised without the parser context and
    // reach only the thread's global handler (stderr by default). Catch those too for the
    // duration of the parse; the handlers are per thread, so other threads are untouched.
    const xmlStructuredErrorFunc previousHandler = xmlStructuredError;
    void *const previousContext = xmlStructuredErrorContext;
    xmlSetStructuredErrorFunc(ctxt, VLX_GUARDED(recordError));
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
        && state.crowdedTagLine == 0 && !state.liftMismatch;
    const int lastLine = ctxt->input ? ctxt->input->line : 0;
    context.reset();

    if (source && source->stopped) {
        d->stopped = true;
        fail(QStringLiteral("The reading of the XML text was stopped."), 0);
        return false;
    }
    if (source && source->tooLarge) {
        fail(QStringLiteral("The XML text is larger than the limit of %1 bytes.")
                 .arg(source->limit),
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
    const Node *parent = toNode(handle);
    if (!d->tree || !parent || parent->tree != d->tree.get() || index <= 0
        || quint32(index) >= parent->childCount)
        return;
    const quint32 boundary = d->tree->childIndex(parent, quint32(index));
    d->tree->releaseBefore(boundary, d->tree->node(boundary)->parent);
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
    const Node *parent = handle ? toNode(handle) : toNode(xmlTree());
    if (!parent)
        return nullptr;
    const QByteArray wanted = name.toUtf8();
    for (quint32 i = 0; i < parent->childCount; ++i) {
        const Node *child = parent->tree->child(parent, i);
        if (child->kind == kind && bytesOf(child) == QByteArrayView(wanted))
            return fromNode(child);
    }
    return nullptr;
}

QStringList vlxXMLDOM::arrayOfComments(const vlxXMLNode *handle) const
{
    const Node *parent = handle ? toNode(handle) : toNode(xmlTree());
    QStringList comments;
    if (!parent || parent->tree->comments == 0)
        return comments;
    for (quint32 i = 0; i < parent->childCount; ++i) {
        const Node *child = parent->tree->child(parent, i);
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
    const Node *document = toNode(xmlTree());
    if (!document)
        return QString();
    for (quint32 i = 0; i < document->childCount; ++i) {
        const Node *child = document->tree->child(document, i);
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

int vlxXMLDOM::kindOfNode(const vlxXMLNode *node)
{
    return node ? int(toNode(node)->kind) : int(NoNode);
}

int vlxXMLDOM::numberOfChildren(const vlxXMLNode *node)
{
    return node ? int(toNode(node)->childCount) : 0;
}

int vlxXMLDOM::numberOfChildrenAtIndex(int index, const vlxXMLNode *node)
{
    const Node *child = childAt(toNode(node), index);
    return child ? int(child->childCount) : 0;
}

int vlxXMLDOM::numberOfChildNodesAtIndex(int index, const vlxXMLNode *node)
{
    const Node *child = childAt(toNode(node), index);
    if (!child)
        return 0;
    int count = 0;
    for (quint32 i = 0; i < child->childCount; ++i)
        if (child->tree->child(child, i)->kind == Element)
            ++count;
    return count;
}

const vlxXMLNode *vlxXMLDOM::nodeAtIndex(int index, const vlxXMLNode *node)
{
    return fromNode(childAt(toNode(node), index));
}

const vlxXMLNode *vlxXMLDOM::parentOfNode(const vlxXMLNode *handle)
{
    if (!handle || toNode(handle)->parent == kNone)
        return nullptr;
    return fromNode(toNode(handle)->tree->node(toNode(handle)->parent));
}

namespace {
// A document names the same few elements over and over: the thread keeps the texts of recent
// names, found by their bytes, so a name read again costs no conversion.
struct RecentName
{
    QByteArray bytes;
    QString text;
    QString lower; // made when first asked for
};

RecentName &recentName(QByteArrayView bytes)
{
    thread_local std::array<RecentName, 64> recent;
    std::size_t slot = std::size_t(bytes.size());
    for (const char c : bytes)
        slot = slot * 31 + std::size_t(static_cast<unsigned char>(c));
    RecentName &name = recent[slot % recent.size()];
    if (name.bytes.isNull() || QByteArrayView(name.bytes) != bytes)
        name = {bytes.toByteArray(), utf8Text(bytes), QString()};
    return name;
}
} // namespace

QString vlxXMLDOM::nameOfNode(const vlxXMLNode *node)
{
    if (!node || toNode(node)->kind == Document)
        return QString();
    const QByteArrayView bytes = bytesOf(toNode(node));
    if (toNode(node)->kind != Element || bytes.size() > 64)
        return utf8Text(bytes);
    return recentName(bytes).text;
}

QString vlxXMLDOM::lowerNameOfElement(const vlxXMLNode *node)
{
    if (!node || toNode(node)->kind != Element)
        return QString();
    const QByteArrayView bytes = bytesOf(toNode(node));
    if (bytes.size() > 64)
        return utf8Text(bytes).toLower();
    RecentName &name = recentName(bytes);
    if (name.lower.isNull())
        name.lower = name.text.toLower();
    return name.lower;
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

QString vlxXMLDOM::textContentOfNode(const vlxXMLNode *node)
{
    if (kindOfNode(node) != Element)
        return QString();
    const int count = numberOfChildren(node);
    bool nested = false;
    for (int i = 0; i < count && !nested; ++i)
        nested = kindOfNode(nodeAtIndex(i, node)) == Element;
    if (!nested)
        return getElementValue(node);
    QString text;
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = nodeAtIndex(i, node);
        switch (kindOfNode(child)) {
        case Element:
            text += textContentOfNode(child);
            break;
        case EntityReference:
            text += resolveReference(nameOfNode(child));
            break;
        case Text:
        case Whitespace:
        case CDATASection:
            text += nameOfNode(child);
            break;
        default:
            break;
        }
    }
    return text;
}

QString vlxXMLDOM::attributeOfNode(const vlxXMLNode *handle, const QString &name)
{
    // Names are nearly always ASCII: compare without building a UTF-8 copy in that case.
    QVarLengthArray<char, 64> wanted;
    for (QChar c : name) {
        if (c.unicode() >= 0x80) {
            const QByteArray converted = name.toUtf8();
            return decodeAttribute(attributeBytesOfNode(handle, converted));
        }
        wanted.append(char(c.unicode()));
    }
    return decodeAttribute(
        attributeBytesOfNode(handle, QByteArrayView(wanted.constData(), wanted.size())));
}

QByteArrayView vlxXMLDOM::attributeBytesOfNode(const vlxXMLNode *handle, QByteArrayView name)
{
    const Node *node = toNode(handle);
    if (!node || node->kind != Element || node->attributeCount == 0)
        return QByteArrayView();
    const Tree *tree = node->tree;
    for (quint32 i = 0; i < node->attributeCount; ++i) {
        const Attribute &attribute = tree->attributes[node->firstAttribute + i];
        if (nameOf(attribute) == name)
            return valueOf(attribute);
    }
    return QByteArrayView();
}

QString vlxXMLDOM::attributeOfChildAtIndex(int index, const QString &name, const vlxXMLNode *node)
{
    return attributeOfNode(nodeAtIndex(index, node), name);
}

QStringList vlxXMLDOM::attributeNamesOfNode(const vlxXMLNode *handle)
{
    QStringList names;
    const Node *node = toNode(handle);
    if (!node || node->kind != Element)
        return names;
    for (quint32 i = 0; i < node->attributeCount; ++i) {
        const Attribute &attribute = node->tree->attributes[node->firstAttribute + i];
        if (!attribute.isNamespace)
            names.append(utf8Text(nameOf(attribute)));
    }
    return names;
}

QString vlxXMLDOM::dataOfNode(const vlxXMLNode *handle)
{
    const Node *node = toNode(handle);
    if (!node || node->kind != ProcessingInstruction)
        return QString();
    return utf8Text(valueOf(node->tree->attributes[node->firstAttribute]));
}

namespace {
// The UTF-8 of getElementValue: a view of the tree's bytes, or of `kept`.
QByteArrayView elementValueBytes(const Node *node, QByteArray &kept)
{
    if (!node || !showsChildren(node) || node->childCount == 0)
        return QByteArrayView();
    const Tree *tree = node->tree;
    if (node->childCount == 1) {
        const Node *only = tree->child(node, 0);
        if (only->kind != vlxXMLDOM::EntityReference)
            return unwrappedCDATA(bytesOf(only), kept);
    }
    // Gather UTF-8 and convert once; resolved references are few.
    QByteArray joined;
    for (quint32 i = 0; i < node->childCount; ++i) {
        const Node *child = tree->child(node, i);
        if (child->kind == vlxXMLDOM::EntityReference)
            joined += vlxXMLDOM::resolveReference(utf8Text(bytesOf(child))).toUtf8();
        else
            joined += bytesOf(child);
    }
    const QByteArrayView unwrapped = unwrappedCDATA(joined, kept);
    if (unwrapped.data() == kept.constData())
        return kept;
    kept = unwrapped.size() == joined.size() ? std::move(joined) : unwrapped.toByteArray();
    return kept;
}
} // namespace

QString vlxXMLDOM::getElementValue(const vlxXMLNode *handle)
{
    QByteArray kept;
    const QByteArrayView bytes = elementValueBytes(toNode(handle), kept);
    return bytes.isNull() ? QString() : utf8Text(bytes);
}

QByteArray vlxXMLDOM::elementValueUTF8(const vlxXMLNode *handle)
{
    QByteArray kept;
    const QByteArrayView bytes = elementValueBytes(toNode(handle), kept);
    return bytes.data() == kept.constData() ? kept : bytes.toByteArray();
}

QByteArray vlxXMLDOM::xmlDataOfNode(const vlxXMLNode *handle)
{
    QByteArray out;
    if (handle)
        writeNode(out, toNode(handle));
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
    const char32_t shown = XMLentities::htmlCharacter(value);
    return QString::fromUcs4(&shown, 1);
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

quint64 vlxXMLDOM::documentsParsed()
{
    return parsedTexts;
}

namespace {

QList<std::pair<QString, QString>> attributesOf(const vlxXMLNode *handle, bool declarations)
{
    QList<std::pair<QString, QString>> attributes;
    const Node *node = toNode(handle);
    if (!node || node->kind != vlxXMLDOM::Element)
        return attributes;
    for (quint32 i = 0; i < node->attributeCount; ++i) {
        const Attribute &attribute = node->tree->attributes[node->firstAttribute + i];
        if (attribute.isNamespace == declarations)
            attributes.append(
                {utf8Text(declarations ? declaredPrefixOf(attribute) : nameOf(attribute)),
                 decodeAttribute(valueOf(attribute))});
    }
    return attributes;
}

} // namespace

QList<std::pair<QString, QString>> vlxXMLDOM::attributesOfNode(const vlxXMLNode *node)
{
    return attributesOf(node, false);
}

QList<std::pair<QString, QString>> vlxXMLDOM::namespaceDeclarationsOfNode(const vlxXMLNode *node)
{
    return attributesOf(node, true);
}

QString vlxXMLDOM::namespaceURIOfPrefix(const vlxXMLNode *handle, const QString &prefix)
{
    if (prefix == u"xml")
        return QStringLiteral("http://www.w3.org/XML/1998/namespace");
    const QByteArray wanted = prefix.toUtf8();
    for (const Node *node = toNode(handle); node && node->kind == Element;
         node = node->parent == kNone ? nullptr : node->tree->node(node->parent)) {
        for (quint32 i = 0; i < node->attributeCount; ++i) {
            const Attribute &attribute = node->tree->attributes[node->firstAttribute + i];
            if (attribute.isNamespace && declaredPrefixOf(attribute) == QByteArrayView(wanted))
                return decodeAttribute(valueOf(attribute));
        }
    }
    return QString();
}

QString vlxXMLDOM::namespaceURIOfNode(const vlxXMLNode *node)
{
    if (kindOfNode(node) != Element)
        return QString();
    const QByteArrayView name = bytesOf(toNode(node));
    const qsizetype colon = name.indexOf(':');
    return namespaceURIOfPrefix(node, colon < 0 ? QString() : utf8Text(name.first(colon)));
}
