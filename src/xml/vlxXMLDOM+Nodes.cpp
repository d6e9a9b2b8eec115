#include "xml/vlxXMLDOM.h"

#include "xml/DocumentTree.h"
#include "xml/HTMLText.h"
#include "xml/UTF8Writer.h"
#include "xml/XMLentities.h"

#include <libxml/tree.h>

#include <algorithm>
#include <cstring>

// Reading the tree: the nodes, their names, texts and attributes, and writing them back as XML.

namespace {

// Text value of UTF-8 bytes. A text that, apart from the white space around it, is one CDATA
// wrapper ("<![CDATA[" found ignoring case at its start, "]]>" at its end) comes from a feed
// that escaped its section, and the wrapper goes: when it is several sections in a row (a "]]>"
// inside split between two, as writers do) their contents are joined, otherwise all between the
// first "<![CDATA[" and the last "]]>" is kept, provided that is one wrapper round sections
// of its own and not two wrappers with text between. Any other text is the value as it stands, a
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
    // One wrapper round sections of its own: its inside opens every section before it closes
    // it. A "]]>" with no section open in front of it ends a wrapper, and what follows is text
    // of its own ("<![CDATA[a]]> and <![CDATA[b]]>" is two wrappers, kept as they stand).
    const QByteArrayView inside
        = text.sliced(first + open.size(), last - close.size() - first - open.size());
    qsizetype depth = 0;
    for (qsizetype i = 0; i < inside.size(); ++i) {
        if (inside[i] == '<' && inside.size() - i >= open.size()
            && qstrnicmp(inside.data() + i, open.size(), open.data(), open.size()) == 0) {
            ++depth;
            i += open.size() - 1;
        } else if (inside[i] == ']' && inside.sliced(i).startsWith(close)) {
            if (--depth < 0)
                return text;
            i += close.size() - 1;
        }
    }
    return inside;
}

// Decodes an attribute held in libxml2's form (see TreeAttribute): each "&...;" once.
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
        decoded
            += vlxXMLDOM::resolveReference(utf8Text(value.sliced(amp + 1, semicolon - amp - 1)));
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
QByteArrayView declaredPrefixOf(const TreeAttribute &attribute)
{
    const QByteArrayView name = nameOf(attribute);
    return name.size() > 6 ? name.sliced(6) : QByteArrayView();
}

// A comment or processing instruction as written in XML.
void appendCommentOrInstruction(QByteArray &out, const TreeNode *node)
{
    if (node->kind == vlxXMLDOM::Comment) {
        out += "<!--";
        out += bytesOf(node);
        out += "-->";
        return;
    }
    out += "<?";
    out += bytesOf(node);
    const QByteArrayView data = valueOf(node->tree->attributes[node->firstAttribute]);
    if (!data.isEmpty()) {
        out += ' ';
        out += data;
    }
    out += "?>";
}

void writeNode(QByteArray &out, const TreeNode *node)
{
    const DocumentTree *tree = node->tree;
    switch (node->kind) {
    case vlxXMLDOM::Element: {
        out += '<';
        out += bytesOf(node);
        for (quint32 i = 0; i < node->attributeCount; ++i) {
            const TreeAttribute &attribute = tree->attributes[node->firstAttribute + i];
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
    case vlxXMLDOM::CDATASection: {
        // Parsers refuse a section beyond a length: a long one is written in several, as the
        // feed writer writes its own.
        const QByteArrayView content = bytesOf(node);
        qsizetype from = 0;
        do {
            const qsizetype end = UTF8Writer::cdataSectionEnd(content, from);
            out += "<![CDATA[";
            out += content.sliced(from, end - from);
            out += "]]>";
            from = end;
        } while (from < content.size());
        break;
    }
    case vlxXMLDOM::Comment:
    case vlxXMLDOM::ProcessingInstruction:
        appendCommentOrInstruction(out, node);
        break;
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
    const TreeNode *child = childAt(toNode(node), index);
    return child ? int(child->childCount) : 0;
}

int vlxXMLDOM::numberOfChildNodesAtIndex(int index, const vlxXMLNode *node)
{
    const TreeNode *child = childAt(toNode(node), index);
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
    const TreeNode *node = toNode(handle);
    if (!node || node->kind != Element || node->attributeCount == 0)
        return QByteArrayView();
    const DocumentTree *tree = node->tree;
    for (quint32 i = 0; i < node->attributeCount; ++i) {
        const TreeAttribute &attribute = tree->attributes[node->firstAttribute + i];
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
    const TreeNode *node = toNode(handle);
    if (!node || node->kind != Element)
        return names;
    for (quint32 i = 0; i < node->attributeCount; ++i) {
        const TreeAttribute &attribute = node->tree->attributes[node->firstAttribute + i];
        if (!attribute.isNamespace)
            names.append(utf8Text(nameOf(attribute)));
    }
    return names;
}

int vlxXMLDOM::numberOfAttributes(const vlxXMLNode *handle)
{
    const TreeNode *node = toNode(handle);
    if (!node || node->kind != Element)
        return 0;
    int count = 0;
    for (quint32 i = 0; i < node->attributeCount; ++i)
        count += node->tree->attributes[node->firstAttribute + i].isNamespace ? 0 : 1;
    return count;
}

QString vlxXMLDOM::dataOfNode(const vlxXMLNode *handle)
{
    const TreeNode *node = toNode(handle);
    if (!node || node->kind != ProcessingInstruction)
        return QString();
    return utf8Text(valueOf(node->tree->attributes[node->firstAttribute]));
}

namespace {
// A reference the document named without declaring it: the character it stands for. Inside
// markup that character is text and escaped like any other; a name nobody knows stays as written.
void appendResolvedReference(QByteArray &out, const TreeNode *reference, bool inMarkup)
{
    const QString resolved = vlxXMLDOM::resolveReference(utf8Text(bytesOf(reference)));
    if (inMarkup && !resolved.startsWith(u'&'))
        HTMLText::appendFromPlainText(out, resolved.toUtf8());
    else
        out += resolved.toUtf8();
}

// A node of a value that holds child markup, as the element's content is written: tags and
// attributes as in the document, text (CDATA sections included) escaped again, so that what the
// document escaped stays escaped. It reads as the same markup written escaped would read
// ("Food &lt;b&gt;and&lt;/b&gt; drink"): a field reads the same whichever way the feed wrote its
// markup, and text never turns into markup on the way. A comment stays the comment HTML reads
// it as; HTML has no processing instructions (it would read one as a comment that ends at its
// first ">", and the rest as markup), so they are left out.
void appendMarkupText(QByteArray &out, const TreeNode *node)
{
    const DocumentTree *tree = node->tree;
    switch (node->kind) {
    case vlxXMLDOM::Element: {
        out += '<';
        out += bytesOf(node);
        for (quint32 i = 0; i < node->attributeCount; ++i) {
            const TreeAttribute &attribute = tree->attributes[node->firstAttribute + i];
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
            appendMarkupText(out, tree->child(node, i));
        out += "</";
        out += bytesOf(node);
        out += '>';
        break;
    }
    case vlxXMLDOM::EntityReference:
        appendResolvedReference(out, node, true);
        break;
    case vlxXMLDOM::Comment:
        HTMLText::appendComment(out, bytesOf(node));
        break;
    case vlxXMLDOM::ProcessingInstruction:
        break;
    default:
        HTMLText::appendFromPlainText(out, bytesOf(node));
        break;
    }
}

// The UTF-8 of getElementValue: a view of the tree's bytes, or of `kept`.
QByteArrayView elementValueBytes(const TreeNode *node, QByteArray &kept)
{
    if (!node || !showsChildren(node) || node->childCount == 0)
        return QByteArrayView();
    const DocumentTree *tree = node->tree;
    bool markup = false;
    for (quint32 i = 0; i < node->childCount && !markup; ++i)
        markup = tree->child(node, i)->kind == vlxXMLDOM::Element;
    if (markup) {
        // The content as written, every child escaped where it is text.
        for (quint32 i = 0; i < node->childCount; ++i)
            appendMarkupText(kept, tree->child(node, i));
        return kept;
    }
    // Comments and processing instructions are no part of the text: a reader never shows them.
    const auto isText = [](const TreeNode *child) {
        return child->kind != vlxXMLDOM::Comment && child->kind != vlxXMLDOM::ProcessingInstruction;
    };
    if (node->childCount == 1) {
        const TreeNode *only = tree->child(node, 0);
        if (!isText(only))
            return QByteArrayView();
        if (only->kind != vlxXMLDOM::EntityReference)
            return unwrappedCDATA(bytesOf(only), kept);
    }
    // Gather UTF-8 and convert once; resolved references inside a text are few.
    QByteArray joined;
    bool anyText = false;
    for (quint32 i = 0; i < node->childCount; ++i) {
        const TreeNode *child = tree->child(node, i);
        if (!isText(child))
            continue;
        anyText = true;
        if (child->kind == vlxXMLDOM::EntityReference)
            appendResolvedReference(joined, child, false);
        else
            joined += bytesOf(child);
    }
    if (!anyText)
        return QByteArrayView();
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

QString vlxXMLDOM::markupOfNode(const vlxXMLNode *handle)
{
    QByteArray html;
    if (const TreeNode *node = toNode(handle))
        appendMarkupText(html, node);
    return utf8Text(html);
}

QString vlxXMLDOM::markupOfContent(const vlxXMLNode *handle)
{
    QByteArray html;
    const TreeNode *node = toNode(handle);
    if (node && showsChildren(node)) {
        for (quint32 i = 0; i < node->childCount; ++i)
            appendMarkupText(html, node->tree->child(node, i));
    }
    return utf8Text(html);
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

namespace {

QList<std::pair<QString, QString>> attributesOf(const vlxXMLNode *handle, bool declarations)
{
    QList<std::pair<QString, QString>> attributes;
    const TreeNode *node = toNode(handle);
    if (!node || node->kind != vlxXMLDOM::Element)
        return attributes;
    for (quint32 i = 0; i < node->attributeCount; ++i) {
        const TreeAttribute &attribute = node->tree->attributes[node->firstAttribute + i];
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
    for (const TreeNode *node = toNode(handle); node && node->kind == Element;
         node = node->parent == kNone ? nullptr : node->tree->node(node->parent)) {
        for (quint32 i = 0; i < node->attributeCount; ++i) {
            const TreeAttribute &attribute = node->tree->attributes[node->firstAttribute + i];
            if (attribute.isNamespace && declaredPrefixOf(attribute) == QByteArrayView(wanted))
                return decodeAttribute(valueOf(attribute));
        }
    }
    return QString();
}

quint64 vlxXMLDOM::namespaceNumberOfNode(const vlxXMLNode *handle)
{
    const TreeNode *node = toNode(handle);
    if (!node || node->kind != Element || node->ns == 0)
        return 0;
    if (node->ns == kManyNamespaces)
        return kUnnumberedNamespace;
    return (node->tree->serial << 8) | node->ns;
}

bool vlxXMLDOM::inSameNamespace(const vlxXMLNode *a, const vlxXMLNode *b)
{
    const quint64 first = namespaceNumberOfNode(a);
    const quint64 second = namespaceNumberOfNode(b);
    if (first != kUnnumberedNamespace && second != kUnnumberedNamespace)
        return first == second;
    return namespaceURIOfNode(a) == namespaceURIOfNode(b);
}

QString vlxXMLDOM::namespaceURIOfNode(const vlxXMLNode *node)
{
    if (kindOfNode(node) != Element)
        return QString();
    // The tree numbers the URIs it met: most are read from there, without a walk through the
    // declarations around the element (a root may declare a thousand). One with a reference
    // is decoded as the declaration reads.
    const TreeNode *element = toNode(node);
    if (element->ns == 0)
        return QString();
    if (element->ns != kManyNamespaces && element->ns <= element->tree->namespaces.size()) {
        const char *uri = element->tree->namespaces[element->ns - 1];
        if (!std::strchr(uri, '&'))
            return utf8Text(QByteArrayView(uri, qsizetype(std::strlen(uri))));
    }
    const QByteArrayView name = bytesOf(toNode(node));
    const qsizetype colon = name.indexOf(':');
    return namespaceURIOfPrefix(node, colon < 0 ? QString() : utf8Text(name.first(colon)));
}
