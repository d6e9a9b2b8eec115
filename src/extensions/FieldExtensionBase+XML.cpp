// Reading the namespace's elements into the fields and writing the fields as elements.

#include "extensions/FieldExtensionBase.h"

#include "extensions/ExtensionText.h"
#include "extensions/OwnElementNames.h"
#include "model/VLXLogic.h"
#include "xml/UTF8Writer.h"
#include "xml/vlxXMLDOM.h"

#include <cstring>
#include <deque>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Field = ExtensionField;

QString latin1(const char *text)
{
    return QString::fromLatin1(text);
}

const QString kRDFNamespace = QStringLiteral("http://www.w3.org/1999/02/22-rdf-syntax-ns#");

// An element of RDF's own vocabulary (rdf:Bag, rdf:li): under the RDF namespace, or under the
// prefix "rdf" declared nowhere.
bool isRDFElement(const vlxXMLNode *node)
{
    if (vlxXMLDOM::kindOfNode(node) != vlxXMLDOM::Element)
        return false;
    const QString uri = vlxXMLDOM::namespaceURIOfNode(node);
    return uri == kRDFNamespace
        || (uri.isNull() && vlxXMLDOM::nameOfNode(node).startsWith(QLatin1String("rdf:")));
}

// The text of an element that holds RDF elements (a bag of subjects): the texts of its
// innermost elements, in document order, joined by ", ". Any other element answers its text,
// markup around its words included.
QString nestedText(const vlxXMLNode *node)
{
    bool nested = false;
    const int count = vlxXMLDOM::numberOfChildren(node);
    for (int i = 0; i < count && !nested; ++i)
        nested = isRDFElement(vlxXMLDOM::nodeAtIndex(i, node));
    if (!nested)
        return vlxXMLDOM::descriptionOfNode(node);
    QStringList parts;
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
        if (vlxXMLDOM::kindOfNode(child) != vlxXMLDOM::Element)
            continue;
        const QString part = nestedText(child).trimmed();
        if (!part.isEmpty())
            parts.append(part);
    }
    return parts.join(QLatin1String(", "));
}

bool isBlank(QStringView text)
{
    for (const QChar c : text) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

} // namespace

// --- reading -----------------------------------------------------------------------------------

QStringList FieldExtensionBase::fieldNamesFor(const QString &processingName) const
{
    // Every item of a feed asks for the same names, class after class: each list made is
    // handed out again, shared, instead of tens of thousands of equal lists (remembering only
    // the last one would make a list per item as soon as an item holds two classes).
    struct Made
    {
        const ExtensionDescriptor *descriptor;
        QString prefix;
        QStringList names;
    };
    thread_local std::vector<Made> made;
    const QString prefix = processingName.toLower();
    for (const Made &entry : made) {
        if (entry.descriptor == m_descriptor && entry.prefix == prefix)
            return entry.names;
    }
    QStringList names;
    names.reserve(qsizetype(m_descriptor->elements.size()));
    for (const char *element : m_descriptor->elements)
        names.append(prefix + u':' + latin1(element));
    // A document may name its prefixes at will; the lists of a few of them are enough.
    constexpr std::size_t kRemembered = 64;
    if (made.size() >= kRemembered)
        made.clear();
    made.push_back({m_descriptor, prefix, names});
    return names;
}

QString FieldExtensionBase::strippedText(const QString &text, QLatin1StringView tag)
{
    const QString stripped = VLXLogic::stripHTML(text);
    if (stripped != text && !ExtensionText::equalBeyondWhiteSpace(stripped, text)
        && m_descriptor->htmlRepair)
        extension().recordRepair(latin1(m_descriptor->htmlRepair), QString(tag));
    return stripped;
}

QString FieldExtensionBase::textOrResource(const vlxXMLNode *node)
{
    QString text = vlxXMLDOM::descriptionOfNode(node);
    if (!isBlank(text))
        return text;
    for (const auto &[name, value] : vlxXMLDOM::attributesOfNode(node)) {
        const qsizetype colon = name.indexOf(u':');
        if (colon <= 0 || QStringView(name).sliced(colon + 1) != u"resource")
            continue;
        const QString prefix = name.first(colon);
        const QString uri = vlxXMLDOM::namespaceURIOfPrefix(node, prefix);
        if (uri == kRDFNamespace || (uri.isNull() && prefix == u"rdf"))
            return value;
    }
    return text;
}

QString FieldExtensionBase::readValue(const ExtensionField &row, const vlxXMLNode *node)
{
    QString raw;
    if (row.attribute)
        raw = vlxXMLDOM::attributeOfNode(node, latin1(row.attribute));
    else if (row.read == Field::Read::Plain)
        raw = nestedText(node);
    else
        raw = textOrResource(node);
    if (!row.attribute && row.read == Field::Read::Plain && isBlank(raw))
        raw = textOrResource(node);
    const QLatin1StringView tag(row.repairTag ? row.repairTag : "");
    switch (row.read) {
    case Field::Read::Trimmed:
        return strippedText(VLXLogic::decodeNumericEncodedCharacters(raw), tag).trimmed();
    case Field::Read::Untrimmed:
        return strippedText(VLXLogic::decodeNumericEncodedCharacters(raw), tag);
    case Field::Read::Link:
        return VLXLogic::unescapeURLString(VLXLogic::decodeNumericEncodedCharacters(raw)).trimmed();
    case Field::Read::Repaired:
        return row.repair(extension(), VLXLogic::decodeNumericEncodedCharacters(raw), tag)
            .trimmed();
    case Field::Read::Plain:
        return VLXLogic::decodeNumericEncodedCharacters(raw).trimmed();
    case Field::Read::Date:
        return raw.trimmed();
    case Field::Read::HTML:
        // Escaped markup ("&#60;script&#62;") is text of the HTML, never markup of its own.
        return VLXLogic::decodeNumericEncodedCharactersInHTML(raw);
    case Field::Read::Flag:
    case Field::Read::Tristate:
    case Field::Read::Custom:
        break;
    }
    return raw;
}

bool FieldExtensionBase::storeReadUTF8(int field, const vlxXMLNode *node)
{
    const ExtensionField &row = descriptor().field(field);
    if (row.read != Field::Read::HTML || row.attribute || row.kind != Field::Kind::Text)
        return false;
    QByteArray bytes = vlxXMLDOM::elementValueUTF8(node);
    // The text as readValue makes it: not blank (a blank one may name a resource instead),
    // valid UTF-8 without a byte order mark (which the conversion would drop), and without
    // numeric references (which the HTML rule decodes).
    qsizetype first = 0;
    while (first < bytes.size()
           && (bytes[first] == ' ' || (bytes[first] >= '\t' && bytes[first] <= '\r')))
        ++first;
    if (first == bytes.size() || uchar(bytes[first]) >= 0x80)
        return false;
    const char *data = bytes.constData();
    const qsizetype n = bytes.size();
    for (const void *amp = std::memchr(data, '&', size_t(n)); amp;) {
        const qsizetype at = static_cast<const char *>(amp) - data;
        if (at + 1 < n && data[at + 1] == '#')
            return false;
        amp = std::memchr(data + at + 1, '&', size_t(n - at - 1));
    }
    const bool ascii = QtPrivate::isAscii(QLatin1StringView(bytes));
    if (!ascii && !QByteArrayView(bytes).isValidUtf8())
        return false;
    // The field is empty: parseFieldNode reads an element only into empty fields.
    Value &held = slot(field);
    held.held = std::move(bytes);
    held.ascii = ascii;
    fieldChanged(field);
    return true;
}

void FieldExtensionBase::storeRead(int field, const QString &text)
{
    const ExtensionField &row = descriptor().field(field);
    switch (row.read) {
    case Field::Read::Flag:
        setNumber(field, text.trimmed() == QLatin1String("yes") ? 1 : 0);
        return;
    case Field::Read::Tristate: {
        const QString word = text.trimmed();
        setNumber(field,
                  word == QLatin1String("yes") ? 1 : (word == QLatin1String("clean") ? -1 : 0));
        return;
    }
    default:
        setText(field, text);
    }
}

const std::vector<int> &FieldExtensionBase::fieldsOfElement(size_t element) const
{
    // Every item asks with the same few tables: the lists of each table are kept (in a deque, so
    // that a list handed out stays where it is).
    thread_local std::deque<std::pair<const ExtensionDescriptor *, std::vector<std::vector<int>>>>
        tables;
    for (const auto &[descriptor, lists] : tables) {
        if (descriptor == m_descriptor)
            return lists[element];
    }
    std::vector<std::vector<int>> lists(m_descriptor->elements.size());
    for (size_t e = 0; e < m_descriptor->elements.size(); ++e) {
        for (int f = 0; f < descriptor().fieldCount(); ++f) {
            if (std::strcmp(descriptor().field(f).element, m_descriptor->elements[e]) == 0)
                lists[e].push_back(f);
        }
    }
    tables.emplace_back(m_descriptor, std::move(lists));
    return tables.back().second[element];
}

bool FieldExtensionBase::parseFieldNode(const vlxXMLNode *node)
{
    if (vlxXMLDOM::kindOfNode(node) != vlxXMLDOM::Element)
        return false;
    // The manager hands over only elements of the class's namespace, under whatever prefix the
    // document binds to it: the local name tells the element.
    const QString name = vlxXMLDOM::nameOfNode(node);
    const QStringView local = OwnElementNames::localName(name);
    const auto &elements = m_descriptor->elements;
    // The names are in the table's letter case; most documents write them so.
    qsizetype index = -1;
    for (size_t e = 0; e < elements.size() && index < 0; ++e) {
        if (local == QLatin1StringView(elements[e]))
            index = qsizetype(e);
    }
    for (size_t e = 0; e < elements.size() && index < 0; ++e) {
        if (local.compare(QLatin1StringView(elements[e]), Qt::CaseInsensitive) == 0)
            index = qsizetype(e);
    }
    if (index < 0 || size_t(index) >= m_descriptor->elements.size())
        return false;
    const std::vector<int> &fields = fieldsOfElement(size_t(index));
    if (fields.empty())
        return false;
    // A field held once takes the first element, so that a save writes it first again (the
    // repeat is kept and written after it) and a reopened feed shows the same. What a class
    // reads itself (lists, checked words) is its own business.
    for (const int f : fields) {
        const ExtensionField &row = descriptor().field(f);
        if (row.read == Field::Read::Custom)
            continue;
        if (row.kind == Field::Kind::Text ? !textIsEmpty(f) : number(f) != 0)
            return false;
    }
    for (const int f : fields) {
        const ExtensionField &row = descriptor().field(f);
        if (row.read == Field::Read::Custom) {
            parseCustom(f, node);
            continue;
        }
        if (!row.child) {
            if (!storeReadUTF8(f, node))
                storeRead(f, readValue(row, node));
            continue;
        }
        // Children stand in the class's namespace under any prefix; a later child of the same
        // name wins.
        const QString processingName = extension().extensionProcessingName();
        const int count = vlxXMLDOM::numberOfChildren(node);
        for (int i = 0; i < count; ++i) {
            const vlxXMLNode *c = vlxXMLDOM::nodeAtIndex(i, node);
            if (OwnElementNames::isChildNamed(c, node, m_descriptor->ns, processingName,
                                              QLatin1StringView(row.child)))
                storeRead(f, readValue(row, c));
        }
    }
    return true;
}

std::optional<QString> FieldExtensionBase::fieldElementText(const QString &path) const
{
    const qsizetype slash = path.indexOf(u'/');
    const QStringView element = slash < 0 ? QStringView(path) : QStringView(path).first(slash);
    const QStringView child = slash < 0 ? QStringView() : QStringView(path).sliced(slash + 1);
    for (int f = 0; f < descriptor().fieldCount(); ++f) {
        const ExtensionField &row = descriptor().field(f);
        if (row.kind != Field::Kind::Text || row.attribute
            || element != QLatin1StringView(row.element))
            continue;
        if (row.child ? child == QLatin1StringView(row.child) : child.isEmpty())
            return text(f);
    }
    return std::nullopt;
}

void FieldExtensionBase::noteDeclaredURI(const QString &uri)
{
    if (m_descriptor->oldURIRepair && uri != knownNamespaces::uri(m_descriptor->ns))
        extension().recordRepair(latin1(m_descriptor->oldURIRepair), uri);
}

// --- writing -----------------------------------------------------------------------------------

void FieldExtensionBase::appendElementLine(UTF8Writer &out, const QString &prefix,
                                           const ExtensionField &row, const Value &value) const
{
    const QString &namespacePrefix = knownNamespaces::prefix(m_descriptor->ns);
    const QLatin1StringView local(row.child ? row.child : row.element);
    auto name = [&] {
        out.append(namespacePrefix);
        out.append(':');
        out.append(local);
    };
    // The held text itself, unless the field holds it as UTF-8.
    const QString converted = value.utf8().isNull() ? QString() : QString::fromUtf8(value.utf8());
    const QString &text = value.utf8().isNull() ? value.text() : converted;
    out.append(prefix);
    out.append('<');
    name();
    if (row.write == Field::Write::LinkAttribute) {
        out.append(' ');
        out.append(QLatin1StringView(row.attribute));
        out.append("=\""_L1);
        out.append(ExtensionText::cutLink(VLXLogic::createSafeLink(text), row.cutLength));
        out.append("\" />\n"_L1);
        return;
    }
    out.append('>');
    // ExtensionText::cut without a copy: a surrogate pair is never cut.
    QStringView kept(text);
    if (row.cutLength > 0 && kept.size() > row.cutLength) {
        qsizetype end = row.cutLength;
        if (kept[end - 1].isHighSurrogate())
            --end;
        kept = kept.first(end);
    }
    out.appendEscaped(kept, VLXLogic::encodeApos(out));
    out.append("</"_L1);
    name();
    out.append(">\n"_L1);
}

void FieldExtensionBase::appendCustom(UTF8Writer &out, int field, const QString &prefix) const
{
    out.append(buildCustom(field, prefix));
}

QString FieldExtensionBase::buildFieldsXML(const QString &prefix) const
{
    UTF8Writer out;
    appendFieldsXML(out, prefix);
    return QString::fromUtf8(out.view());
}

void FieldExtensionBase::appendFieldsXML(UTF8Writer &out, const QString &prefix) const
{
    const QString &ns = knownNamespaces::prefix(m_descriptor->ns);
    const qsizetype start = out.size();
    // The write order, or the table's order when the descriptor gives none (nothing is copied:
    // every item of a feed is written through here).
    struct Order
    {
        std::span<const int> given;
        size_t count;
        size_t size() const { return given.empty() ? count : given.size(); }
        int operator[](size_t i) const { return given.empty() ? int(i) : given[i]; }
    };
    const Order order {m_descriptor->writeOrder, size_t(descriptor().fieldCount())};
    auto openTag = [&](const QString &indent, const char *element) {
        out.append(indent);
        out.append('<');
        out.append(ns);
        out.append(':');
        out.append(QLatin1StringView(element));
        out.append('>');
    };
    auto closeTag = [&](const QString &indent, const char *element) {
        out.append(indent);
        out.append("</"_L1);
        out.append(ns);
        out.append(':');
        out.append(QLatin1StringView(element));
        out.append(">\n"_L1);
    };
    for (size_t i = 0; i < order.size(); ++i) {
        const int f = order[i];
        const ExtensionField &row = descriptor().field(f);
        if (row.child) {
            // Consecutive fields inside the same element are written as one element.
            size_t last = i;
            while (last + 1 < order.size() && descriptor().field(order[last + 1]).child
                   && std::strcmp(descriptor().field(order[last + 1]).element, row.element) == 0)
                ++last;
            bool any = false;
            for (size_t j = i; j <= last; ++j)
                any = any || !textIsEmpty(order[j]);
            if (any) {
                openTag(prefix, row.element);
                out.append('\n');
                const QString inner = prefix + QLatin1String("    ");
                for (size_t j = i; j <= last; ++j) {
                    if (const Value *value = nonEmptyText(order[j]))
                        appendElementLine(out, inner, descriptor().field(order[j]), *value);
                }
                closeTag(prefix, row.element);
            }
            i = last;
            continue;
        }
        switch (row.write) {
        case Field::Write::Escaped:
        case Field::Write::LinkAttribute:
            if (const Value *value = nonEmptyText(f))
                appendElementLine(out, prefix, row, *value);
            break;
        case Field::Write::Flag:
            if (number(f) != 0) {
                openTag(prefix, row.element);
                out.append("yes"_L1);
                closeTag(QString(), row.element);
            }
            break;
        case Field::Write::Tristate: {
            // "no" says nothing on its own: it is written only beside other elements.
            const int value = number(f);
            const char *word = value == 1 ? "yes" : (value == -1 ? "clean" : "no");
            if (value == 1 || value == -1 || out.size() > start) {
                openTag(prefix, row.element);
                out.append(QLatin1StringView(word));
                closeTag(QString(), row.element);
            }
            break;
        }
        case Field::Write::Custom:
            appendCustom(out, f, prefix);
            break;
        }
    }
}
