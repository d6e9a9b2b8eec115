#pragma once

#include "xml/vlxXMLDOM.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <libxml/tree.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

// How the tree is held. libxml2 parses; its SAX callbacks feed a compact tree of our own instead
// of libxml2's document tree, whose nodes cost over 130 bytes each and would make a 50 MB feed
// take several hundred megabytes. Our nodes sit in one array, their strings in a few large
// blocks, and every node's children in one contiguous run of indices, so reading by index is
// constant time and freeing the tree is a handful of calls. libxml2 keeps building its own tree
// only for what the document's DOCTYPE declares (entity declarations, and the content of a
// declared entity when it is checked), never for the document body.

constexpr quint32 kNone = 0xFFFFFFFFu;

struct DocumentTree;

// One node. Element: text is the name as written; text, CDATA, comment: the content; reference:
// the name; instruction: the target, its data being its one attribute; DOCTYPE: the root name.
struct TreeNode
{
    const DocumentTree *tree;
    const char *text;
    quint32 length;
    quint32 parent;
    quint32 firstChild; // into DocumentTree::childSlots
    quint32 childCount;
    quint32 firstAttribute; // into DocumentTree::attributes
    quint16 attributeCount;
    quint8 kind;
    // An element's namespace: 0 for none, else its place in DocumentTree::namespaces plus one;
    // kManyNamespaces when the document has too many to number.
    quint8 ns;
};

constexpr quint8 kManyNamespaces = 0xFF;

// An attribute (or namespace declaration) as libxml2 reports it with entity substitution off:
// character references and the XML entities already decoded, except that an ampersand reads
// "&#38;" and every other named reference "&name;". Decoding that once gives the value; writing
// it back keeps the references.
struct TreeAttribute
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
// (see DocumentTree::releaseBefore).
//
// The fixed size is small on purpose: a block is given back only once all its strings are read,
// and what a reader builds of them (UTF-16 text, the model) grows meanwhile; small blocks come
// from the ordinary heap and are given back early, so the model takes their room instead of
// adding to the peak.
class TextArena
{
public:
    static constexpr std::size_t kBlockSize = 1 << 17;

    explicit TextArena(std::size_t firstBlock)
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
            m_blocks.push_back(Block {std::unique_ptr<char[]>(new char[block]), block, node, node});
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
// take a whole block. Blocks are kept small (2048 elements) for the reason TextArena's are.
template<typename T> class BlockArray
{
public:
    static constexpr unsigned kShift = 11;
    static constexpr quint32 kBlockSize = 1u << kShift;

    explicit BlockArray(quint32 firstCapacity)
        : m_firstCapacity(std::clamp<quint32>(firstCapacity, 16, kBlockSize))
    {
    }

    quint32 size() const { return m_size; }
    T &operator[](quint32 index)
    {
        return m_blocks[index >> kShift].data[index & (kBlockSize - 1)];
    }
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
    template<typename OwnerOf> void setOwners(OwnerOf ownerOf)
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

struct DocumentTree
{
    static constexpr std::size_t kFirstTextBlock = 4 * 1024;

    // Sized for a document of that many bytes.
    explicit DocumentTree(std::size_t inputSize)
        : nodes(
            quint32(std::min<std::size_t>(inputSize / 12 + 8, BlockArray<TreeNode>::kBlockSize))),
          childSlots(
              quint32(std::min<std::size_t>(inputSize / 12 + 8, BlockArray<quint32>::kBlockSize))),
          attributes(quint32(
              std::min<std::size_t>(inputSize / 64 + 4, BlockArray<TreeAttribute>::kBlockSize))),
          // The first block holds the strings of the root and the channel, which a reader
          // keeps to the end: kept small, it is all that stays of a document's text once its
          // items are read.
          text(std::min<std::size_t>(inputSize / 2, kFirstTextBlock))
    {
    }
    ~DocumentTree()
    {
        if (declarations)
            xmlFreeDoc(declarations);
        if (dict)
            xmlDictFree(dict);
    }
    DocumentTree(const DocumentTree &) = delete;
    DocumentTree &operator=(const DocumentTree &) = delete;

    BlockArray<TreeNode> nodes;
    BlockArray<quint32> childSlots;
    BlockArray<TreeAttribute> attributes;
    TextArena text;
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
    // The distinct namespace URIs of the document's elements, in the order they came, as the
    // parser's dictionary holds them; and the number that no other tree of the run has.
    std::vector<const char *> namespaces;
    quint64 serial = 0;
    // The lines of the elements named item or entry (any prefix, any letter case), in document
    // order: the line of their start tag's ">", as the parser counts lines.
    std::vector<int> itemLines;

    const TreeNode *node(quint32 index) const { return &nodes[index]; }
    quint32 childIndex(const TreeNode *parent, quint32 i) const
    {
        return childSlots[parent->firstChild + i];
    }
    const TreeNode *child(const TreeNode *parent, quint32 i) const
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

// Lays every node's children out in one contiguous run of DocumentTree::childSlots, once the
// parse is done.
void layOutChildren(DocumentTree &tree);

// UTF-8 of the tree to text. QString::fromUtf8 drops a leading byte order mark, but inside a
// document U+FEFF is an ordinary character that a name or a value may start with: it must
// survive reading and writing back.
QString utf8Text(QByteArrayView bytes);

// A handle is the node itself.
inline const TreeNode *toNode(const vlxXMLNode *node)
{
    return reinterpret_cast<const TreeNode *>(node);
}

inline const vlxXMLNode *fromNode(const TreeNode *node)
{
    return reinterpret_cast<const vlxXMLNode *>(node);
}

inline QByteArrayView bytesOf(const TreeNode *node)
{
    return QByteArrayView(node->text, node->length);
}

inline QByteArrayView nameOf(const TreeAttribute &attribute)
{
    return QByteArrayView(attribute.name, attribute.nameLength);
}

inline QByteArrayView valueOf(const TreeAttribute &attribute)
{
    return QByteArrayView(attribute.value, attribute.valueLength);
}

inline bool showsChildren(const TreeNode *node)
{
    return node->kind == vlxXMLDOM::Element || node->kind == vlxXMLDOM::Document;
}

inline const TreeNode *childAt(const TreeNode *node, int index)
{
    if (!node || index < 0 || quint32(index) >= node->childCount)
        return nullptr;
    return node->tree->child(node, quint32(index));
}
