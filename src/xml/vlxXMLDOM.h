#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <vector>

struct _xmlParserCtxt;

// A node of a parsed tree, seen only through pointers handed out by vlxXMLDOM. The pointers are
// borrowed: never freed by the caller and valid only while the vlxXMLDOM that parsed them lives.
// nullptr stands for "no node" and every operation accepts it.
class vlxXMLNode;
struct XMLTextSource;

// Read access to one parsed XML document. Every feed, extension element and web-service reply is
// read through this class, so it is built for untrusted input: nothing external is ever loaded,
// entities declared by the document are never expanded, the input size is capped, a start tag
// with more than StartTagScanner::kMaximumAttributes attributes is refused before the parser
// reads it, attribute defaults of the DTD are not applied (attributes stay as written), and named
// references the document did not declare (&nbsp;, &eacute;) are kept as reference nodes and
// resolved here from XMLentities instead of failing the parse.
//
// Reading is forgiving: a missing node, text or attribute gives nullptr, 0 or "" so readers can
// probe for optional elements without checks of their own.
//
// Character references (&#233;) and the five XML entities in element content reach the tree as
// text already decoded; every other named reference stays a node of kind EntityReference. The
// text values come out the same either way.
//
// A parsed tree never changes afterwards (unless its owner releases the part it has read, see
// releaseBeforeChild): several threads may read one document at once, and moving a vlxXMLDOM
// keeps its node pointers valid.
class vlxXMLDOM
{
public:
    // Node kinds as the readers use them.
    enum NodeKind : int {
        NoNode = 0,
        Document = 1,
        Element = 2,
        ProcessingInstruction = 4,
        Comment = 5,
        Text = 6,
        CDATASection = 7,
        EntityReference = 10,
        DocumentType = 11,
        Whitespace = 12,
    };

    // Keys of the error report.
    static constexpr const char *kErrorDescriptionKey = "kCFXMLTreeErrorDescription";
    static constexpr const char *kErrorLineNumberKey = "kCFXMLTreeErrorLineNumber";

    static constexpr qint64 kDefaultMaximumInputSize = qint64(256) * 1024 * 1024;

    // A document without tree and without error report.
    vlxXMLDOM();
    // Same as vlxXMLDOM() followed by initWithString() / initWithData().
    explicit vlxXMLDOM(const QString &text);
    explicit vlxXMLDOM(const QByteArray &data);
    ~vlxXMLDOM();
    vlxXMLDOM(vlxXMLDOM &&other) noexcept;
    vlxXMLDOM &operator=(vlxXMLDOM &&other) noexcept;
    vlxXMLDOM(const vlxXMLDOM &) = delete;
    vlxXMLDOM &operator=(const vlxXMLDOM &) = delete;

    // Parse, replacing whatever this object held. The text form first sets the prolog's declared
    // encoding to utf-8 (convertEncodingIdToUTF8) and parses the text's UTF-8 bytes; the data
    // form lets the parser detect the encoding. Answers whether a tree resulted; on failure the
    // tree is none and errors() describes the first error.
    bool initWithString(const QString &text);
    bool initWithData(const QByteArray &data);
    // Told, before each slice of a text goes to the parser, how many of the text's UTF-16 units
    // were handed on and of how many; answers false to stop the parse, which then fails with
    // wasStopped() true and no tree.
    using Progress = std::function<bool(qint64 done, qint64 total)>;
    bool initWithString(const QString &text, const Progress &progress);
    // The bytes as they are, a slice at a time, told in bytes. For UTF-8 bytes this builds the
    // tree initWithString builds of their text, without the text.
    bool initWithData(const QByteArray &data, const Progress &progress);
    bool wasStopped() const;
    // The text as UTF-8 bytes that initWithData reads into the tree initWithString builds of
    // the text: its prolog's encoding made UTF-8. The byte path is the faster (it lifts CDATA
    // sections out of the parse) and the bytes take half the memory of the text.
    static QByteArray utf8ForParsing(const QString &text);
    // Whether the last parse failed for the size of the text or of its tree, or for want of
    // memory, rather than for a fault of the text.
    bool wasBeyondLimits() const;

    // The document node, or nullptr when parsing failed or nothing was parsed.
    const vlxXMLNode *xmlTree() const;
    // The error report (description and line number of the first error), empty after success.
    QVariantMap errors() const;
    QString errorDescription() const;
    int errorLineNumber() const;

    // The first direct child of node (of the document for nullptr) whose string equals name
    // exactly and whose kind equals kind; nullptr when there is none.
    const vlxXMLNode *nodeNamed(const QString &name, int kind, const vlxXMLNode *node) const;
    // The trimmed texts of the direct comment children of node (of the document for nullptr).
    QStringList arrayOfComments(const vlxXMLNode *node) const;
    // The href of the first top-level xml-stylesheet instruction of type text/xsl (text/css).
    QString stringXMLStyleSheet() const;
    QString stringXMLStyleSheetCSS() const;
    // The whole document as UTF-8 XML: the prolog <?xml version="1.0"?> directly followed by
    // the top-level nodes, one line break between two of them. Empty without a tree.
    QByteArray xmlData() const;

    // For a reader that walks the children of parent in order and is done with everything before
    // the index-th one: gives back the memory of the nodes that come before that child in
    // document order, apart from parent and its ancestors. Released nodes must not be read
    // again; the child, everything after it and the kept nodes read as before. This is the one
    // operation that changes a parsed tree, so no other thread may read the tree meanwhile.
    void releaseBeforeChild(int index, const vlxXMLNode *parent);
    // The lines of the elements named item or entry (any prefix, any letter case), at any depth,
    // in document order: the line of their start tag's ">". Empty without a tree.
    const std::vector<int> &linesOfItems() const;
    // Bytes the tree's node and string blocks hold (for measuring; 0 without a tree).
    qint64 heldBlockBytes() const;

    // Node-level reading. "index" counts children of every kind from 0.
    static int kindOfNode(const vlxXMLNode *node);
    static int numberOfChildren(const vlxXMLNode *node);
    static int numberOfChildrenAtIndex(int index, const vlxXMLNode *node);
    static int numberOfChildNodesAtIndex(int index, const vlxXMLNode *node);
    static const vlxXMLNode *nodeAtIndex(int index, const vlxXMLNode *node);
    static const vlxXMLNode *parentOfNode(const vlxXMLNode *node);
    // The node's string: an element's name as written (prefix included), an instruction's
    // target, the text of a comment, text, CDATA or whitespace node, a reference's name.
    static QString nameOfNode(const vlxXMLNode *node);
    static QString nameOfChildAtIndex(int index, const vlxXMLNode *node);
    // An element's name lower-cased, as the feed readers match names; "" for any other node.
    static QString lowerNameOfElement(const vlxXMLNode *node);
    static QString descriptionOfNode(const vlxXMLNode *node);
    static QString descriptionOfChildAtIndex(int index, const vlxXMLNode *node);
    // The text an element holds, markup inside it taken away: its text value when it holds no
    // element, else the text contents of its children joined in document order (comments and
    // instructions left out, references resolved). "" for a node that is no element.
    static QString textContentOfNode(const vlxXMLNode *node);
    // An attribute's value with its references decoded once; "" when absent. Namespace
    // declarations answer under their written names ("xmlns", "xmlns:itunes").
    static QString attributeOfNode(const vlxXMLNode *node, const QString &name);
    static QString attributeOfChildAtIndex(int index, const QString &name, const vlxXMLNode *node);
    // An attribute's value as the tree holds it: UTF-8, final unless it holds an ampersand
    // (then it still has references that attributeOfNode decodes); a null view when absent.
    // Valid while the tree is; for readers that take most values as they stand without making
    // a string of each.
    static QByteArrayView attributeBytesOfNode(const vlxXMLNode *node, QByteArrayView name);
    // Names of an element's attributes as written, in document order (namespace declarations
    // not included).
    static QStringList attributeNamesOfNode(const vlxXMLNode *node);
    // How many attributes an element has, namespace declarations not counted (0 for any other
    // node): telling without a string whether it has any but those a reader asks for.
    static int numberOfAttributes(const vlxXMLNode *node);
    // The data text of a processing instruction ("" for any other node).
    static QString dataOfNode(const vlxXMLNode *node);
    // The text value. Without child elements: the texts and CDATA sections joined, references
    // resolved, comments and processing instructions left out (null when there is nothing else);
    // a joined text that is wholly an escaped CDATA wrapper loses the wrapper (and the white
    // space around it), any other text is kept whole, nothing trimmed. With child elements: the
    // element's content as written, its tags as in the document and the text in and between
    // them escaped again ("&", "<", ">"), so that it reads as the same markup written escaped
    // would and nothing the document escaped comes out as markup; comments as HTML reads them
    // (HTMLText::appendComment), processing instructions left out.
    static QString getElementValue(const vlxXMLNode *node);
    // Markup of the document (XHTML inside a feed) as HTML reads it: the node and its subtree
    // written as getElementValue writes child markup, tags and attributes as in the document and
    // every text escaped, CDATA sections and references included, so that no text turns into
    // markup. An HTML parser knows no CDATA section: one passed through would hide what follows.
    static QString markupOfNode(const vlxXMLNode *node);
    // The same for the node's content alone, without its own tags.
    static QString markupOfContent(const vlxXMLNode *node);
    // The same text in UTF-8, as the document holds it (a byte order mark stays).
    static QByteArray elementValueUTF8(const vlxXMLNode *node);
    // The node and its subtree as UTF-8 XML, references written back as references. For the
    // document node this is xmlData().
    static QByteArray xmlDataOfNode(const vlxXMLNode *node);

    // An element's attributes in document order: names as written, values decoded as
    // attributeOfNode decodes them (namespace declarations not included).
    static QList<std::pair<QString, QString>> attributesOfNode(const vlxXMLNode *node);
    // The namespace declarations an element makes, in document order: the prefix ("" for the
    // default namespace) and the URI, decoded.
    static QList<std::pair<QString, QString>> namespaceDeclarationsOfNode(const vlxXMLNode *node);
    // The URI bound to prefix where node stands (the default namespace for ""), decoded, from
    // the declarations of node and its ancestors; a null string when it is bound nowhere.
    static QString namespaceURIOfPrefix(const vlxXMLNode *node, const QString &prefix);
    // The namespace URI of an element's name (see namespaceURIOfPrefix).
    static QString namespaceURIOfNode(const vlxXMLNode *node);
    // A number standing for an element's namespace, for readers that sort every element by it:
    // two elements of one document have the same number exactly when their namespace URIs are
    // equal, whatever prefixes (or default namespace) bind them, and no element of another
    // document of the run has it. 0 for no element and an element in no namespace;
    // kUnnumberedNamespace for an element of a document with too many namespaces to number
    // (namespaceURIOfNode tells then).
    static quint64 namespaceNumberOfNode(const vlxXMLNode *node);
    static constexpr quint64 kUnnumberedNamespace = ~quint64(0);
    // Whether two elements stand in the same namespace (both in none included).
    static bool inSameNamespace(const vlxXMLNode *a, const vlxXMLNode *b);

    // Text helpers.
    static QString decodeAmpEntities(const QString &text);
    // One reference (the text between "&" and ";"): a table entity, "#x" hexadecimal or "#"
    // decimal character; anything else, or a number that is no character, stays as written.
    static QString resolveReference(QStringView name);
    static QString convertEncodingIdToUTF8(const QString &text);

    // Input larger than this many bytes is refused with an error (default 256 MB).
    static void setMaximumInputSize(qint64 bytes);
    static qint64 maximumInputSize();
    // How many requests for an external resource the parser has made and been refused since the
    // program started (a healthy run keeps this at 0: nothing asks for external resources).
    static quint64 refusedExternalLoads();
    // How many texts the parser has been given since the program started (a test counts with it
    // that a feed opened is parsed once).
    static quint64 documentsParsed();

private:
    // Where the XML declaration leading a text ends; 0 when there is none.
    static qsizetype prologEnd(const QString &text);
    bool parse(const QByteArray &bytes);
    bool guardedParse(const std::function<_xmlParserCtxt *()> &createContext, XMLTextSource *source,
                      std::size_t sizeHint);
    bool parseWith(const std::function<_xmlParserCtxt *()> &createContext, XMLTextSource *source,
                   std::size_t sizeHint);
    void fail(const QString &description, int line);
    void failCrowdedTag(qint64 line);
    QString styleSheetOfType(const QString &type) const;

    struct Private;
    std::unique_ptr<Private> d;
};
