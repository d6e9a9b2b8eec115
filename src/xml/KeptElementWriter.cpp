#include "xml/KeptElementWriter.h"

#include <array>

#include "xml/vlxXMLDOM.h"

#include <QSet>
#include <QVarLengthArray>

#include <libxml/uri.h>

namespace {

const QString kXMLNamespace = QStringLiteral("http://www.w3.org/XML/1998/namespace");
const QString kXMLNSNamespace = QStringLiteral("http://www.w3.org/2000/xmlns/");

QString prefixOf(const QString &name)
{
    const qsizetype colon = name.indexOf(u':');
    return colon < 0 ? QString() : name.first(colon);
}

QString localOf(const QString &name)
{
    return name.sliced(name.indexOf(u':') + 1);
}

// Escapes as vlxXMLDOM writes text and attribute values, so that an element needing no repair
// comes out byte for byte as it did before.
void appendEscaped(QString &out, QStringView text, bool attribute)
{
    struct Escape
    {
        char16_t character;
        QLatin1StringView entity;
        bool inAttributesOnly;
    };
    static const Escape escapes[] = {
        {u'&', QLatin1StringView("&amp;"), false}, {u'<', QLatin1StringView("&lt;"), false},
        {u'>', QLatin1StringView("&gt;"), false},  {u'\r', QLatin1StringView("&#13;"), false},
        {u'"', QLatin1StringView("&quot;"), true}, {u'\n', QLatin1StringView("&#10;"), true},
        {u'\t', QLatin1StringView("&#9;"), true},
    };
    qsizetype plain = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c > u'>')
            continue;
        for (const Escape &escape : escapes) {
            if (escape.character != c || (escape.inAttributesOnly && !attribute))
                continue;
            out += text.sliced(plain, i - plain);
            out += escape.entity;
            plain = i + 1;
            break;
        }
    }
    out += text.sliced(plain);
}

void appendAttribute(QString &out, const QString &name, const QString &value)
{
    out += u' ';
    out += name;
    out += QLatin1StringView("=\"");
    appendEscaped(out, value, true);
    out += u'"';
}

QString declarationName(const QString &prefix)
{
    return prefix.isEmpty() ? QStringLiteral("xmlns") : QStringLiteral("xmlns:") + prefix;
}

// The text of a URI written in an attribute value, or a null string when it holds a reference
// that only a DTD could declare (or markup that cannot stand there).
QString decodedURI(const QString &written)
{
    QString uri;
    for (qsizetype i = 0; i < written.size(); ++i) {
        const QChar c = written.at(i);
        if (c == u'<' || c == u'"')
            return QString();
        if (c != u'&') {
            uri += c;
            continue;
        }
        const qsizetype semicolon = written.indexOf(u';', i);
        if (semicolon < 0)
            return QString();
        const QStringView name = QStringView(written).sliced(i + 1, semicolon - i - 1);
        static const QStringList predefined
            = {QStringLiteral("amp"), QStringLiteral("lt"), QStringLiteral("gt"),
               QStringLiteral("quot"), QStringLiteral("apos")};
        if (!predefined.contains(name) && !name.startsWith(u'#'))
            return QString();
        const QString character = vlxXMLDOM::resolveReference(name);
        if (character.startsWith(u'&') && name != u"amp")
            return QString();
        uri += character;
        i = semicolon;
    }
    return uri.isNull() ? QStringLiteral("") : uri;
}

bool isNameByte(char c)
{
    return c != ' ' && c != '/' && c != '>' && c != '=' && c != '\t' && c != '\n' && c != '\r';
}

// Whether a name as written needs no repair: unprefixed, or under the own prefix or "xml" with a
// local part that starts like a name.
bool isPlainName(QByteArrayView name, QByteArrayView own)
{
    const qsizetype colon = name.indexOf(':');
    if (colon < 0)
        return !name.isEmpty();
    const QByteArrayView prefix = name.first(colon);
    if ((prefix != own && prefix != "xml") || prefix.isEmpty() || colon + 1 >= name.size())
        return false;
    const char first = name[colon + 1];
    return name.indexOf(':', colon + 1) < 0
        && (first == '_' || (first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z'));
}

// The references vlxXMLDOM writes itself; any other is one the document declared or left to
// XMLentities.
bool isWrittenReference(QByteArrayView text, qsizetype at)
{
    static constexpr QByteArrayView written[]
        = {"&amp;", "&lt;", "&gt;", "&quot;", "&#10;", "&#13;", "&#9;"};
    for (const QByteArrayView reference : written) {
        if (text.sliced(at).startsWith(reference))
            return true;
    }
    return false;
}

// Whether an element as vlxXMLDOM::xmlDataOfNode wrote it needs nothing done: no name but under
// no prefix or the own one, no namespace declaration, no reference the writer did not make
// itself. Most kept elements are like that, and this look at their text is far cheaper than a
// walk through the tree. Anything it is not sure of goes the long way.
bool isPlainElementText(QByteArrayView xml, QByteArrayView own)
{
    const qsizetype n = xml.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = xml[i];
        if (c == '&') {
            if (!isWrittenReference(xml, i))
                return false;
            continue;
        }
        if (c != '<')
            continue;
        if (xml.sliced(i).startsWith("<![CDATA[")) {
            const qsizetype end = xml.indexOf("]]>", i);
            i = end < 0 ? n : end + 2;
            continue;
        }
        if (xml.sliced(i).startsWith("<!--")) {
            const qsizetype end = xml.indexOf("-->", i);
            i = end < 0 ? n : end + 2;
            continue;
        }
        if (i + 1 < n && (xml[i + 1] == '?' || xml[i + 1] == '!'))
            return false; // an instruction (its target may hold a colon)
        if (i + 1 < n && xml[i + 1] == '/') {
            i = xml.indexOf('>', i);
            if (i < 0)
                return false;
            continue;
        }
        // A start tag: its name, then name="value" pairs, then ">" or "/>".
        qsizetype at = i + 1;
        while (at < n && isNameByte(xml[at]))
            ++at;
        if (!isPlainName(xml.sliced(i + 1, at - i - 1), own))
            return false;
        while (at < n && xml[at] != '>') {
            if (xml[at] == ' ' || xml[at] == '/') {
                ++at;
                continue;
            }
            const qsizetype nameStart = at;
            while (at < n && isNameByte(xml[at]))
                ++at;
            const QByteArrayView attribute = xml.sliced(nameStart, at - nameStart);
            if (attribute == "xmlns" || attribute.startsWith("xmlns:")
                || !isPlainName(attribute, own) || at + 1 >= n || xml[at + 1] != '"')
                return false;
            const qsizetype close = xml.indexOf('"', at + 2);
            if (close < 0)
                return false;
            for (qsizetype amp = xml.indexOf('&', at + 2); amp >= 0 && amp < close;
                 amp = xml.indexOf('&', amp + 1)) {
                if (!isWrittenReference(xml, amp))
                    return false;
            }
            at = close + 1;
        }
        i = at;
    }
    return true;
}

// Whether an element as vlxXMLDOM::xmlDataOfNode wrote it has an element without a prefix in
// it, itself included: only such a one can stand in a default namespace.
bool holdsUnprefixedElement(QByteArrayView xml)
{
    for (qsizetype lt = xml.indexOf('<'); lt >= 0; lt = xml.indexOf('<', lt + 1)) {
        const qsizetype start = lt + 1;
        if (start >= xml.size() || xml[start] == '/' || xml[start] == '!' || xml[start] == '?')
            continue;
        qsizetype end = start;
        while (end < xml.size() && isNameByte(xml[end]))
            ++end;
        if (xml.sliced(start, end - start).indexOf(':') < 0)
            return true;
    }
    return false;
}

} // namespace

bool KeptElementWriter::isQualifiedName(const QString &name)
{
    const qsizetype colon = name.indexOf(u':');
    if (colon < 0)
        return !name.isEmpty();
    if (colon == 0 || colon + 1 >= name.size() || name.indexOf(u':', colon + 1) >= 0)
        return false;
    // The name as a whole is an XML name (or a name token, where the parser could not split it):
    // only what follows the colon can be a name character that may not start a name.
    const char32_t first = QStringView(name).sliced(colon + 1).toUcs4().value(0);
    return !((first >= u'0' && first <= u'9') || first == u'-' || first == u'.' || first == 0xB7
             || (first >= 0x300 && first <= 0x36F) || first == 0x203F || first == 0x2040);
}

bool KeptElementWriter::isUsableNamespace(const QString &prefix, const QString &uri)
{
    if (prefix == u"xmlns"
        || (!prefix.isEmpty() && !isQualifiedName(QStringLiteral("a:") + prefix)))
        return false;
    if (prefix == u"xml")
        return uri == kXMLNamespace;
    if (uri == kXMLNamespace || uri == kXMLNSNamespace)
        return false;
    if (uri.isEmpty())
        return prefix.isEmpty(); // xmlns="" takes the default namespace away; a prefix cannot
    // libxml2 checks the URI with each ampersand in the form it keeps it in, "&#38;": a "#"
    // more, which can make the URI invalid there (two fragments).
    QByteArray checked = uri.toUtf8();
    checked.replace("&", "&#38;");
    xmlURIPtr parsed = xmlParseURI(checked.constData());
    if (!parsed)
        return false;
    const bool absolute = parsed->scheme != nullptr;
    xmlFreeURI(parsed);
    // A relative default namespace is only a warning to libxml2, but a warning all the same.
    return absolute || !prefix.isEmpty();
}

bool KeptElementWriter::isUsableNamespaceDeclaration(const QString &prefix,
                                                     const QString &writtenURI)
{
    // Every item of a feed asks about the same few declarations of its root: the thread's
    // recent answers are kept.
    struct Answer
    {
        QString prefix;
        QString uri;
        bool usable = false;
    };
    thread_local std::array<Answer, 8> recent;
    thread_local std::size_t next = 0;
    for (const Answer &answer : recent) {
        if (!answer.uri.isNull() && answer.uri == writtenURI && answer.prefix == prefix)
            return answer.usable;
    }
    const QString uri = decodedURI(writtenURI);
    const bool usable = !uri.isNull() && isUsableNamespace(prefix, uri);
    if (!writtenURI.isNull()) {
        recent[next] = {prefix, writtenURI, usable};
        next = (next + 1) % recent.size();
    }
    return usable;
}

KeptElementWriter::KeptElementWriter(const vlxXMLNode *top, const QString &ownPrefix,
                                     const QString &ownURI, const KnownURI &knownURI,
                                     QList<Omission> *omitted, const QString &alias)
    : m_top(top), m_own(ownPrefix), m_ownURI(ownURI),
      m_alias(alias == ownPrefix || ownPrefix.isEmpty() ? QString() : alias), m_knownURI(knownURI),
      m_omitted(omitted)
{
}

QString KeptElementWriter::written(const QString &name) const
{
    if (m_alias.isEmpty() || prefixOf(name) != m_alias)
        return name;
    return m_own + u':' + localOf(name);
}

QString KeptElementWriter::write(const vlxXMLNode *node, const QString &ownPrefix,
                                 const QString &ownURI, const KnownURI &knownURI,
                                 QList<Omission> *omitted, const QString &ownAlias)
{
    const int kind = vlxXMLDOM::kindOfNode(node);
    if (kind == vlxXMLDOM::EntityReference) {
        QString out;
        appendEscaped(out, vlxXMLDOM::resolveReference(vlxXMLDOM::nameOfNode(node)), false);
        return out;
    }
    if (kind == vlxXMLDOM::ProcessingInstruction && vlxXMLDOM::nameOfNode(node).contains(u':')) {
        if (omitted)
            omitted->append(
                {Omission::Instruction, Omission::NotAQualifiedName, vlxXMLDOM::nameOfNode(node)});
        return QString();
    }
    const QByteArray xml = vlxXMLDOM::xmlDataOfNode(node);
    if (kind != vlxXMLDOM::Element)
        return QString::fromUtf8(xml);
    // Prefixes are short and nearly always ASCII: no heap copy for the look at the text.
    QVarLengthArray<char, 32> own;
    for (QChar c : ownPrefix)
        own.append(c.unicode() < 0x80 ? char(c.unicode()) : '\x80');
    // Under the own prefix, the document must have meant the writer's namespace. (Names under
    // another prefix never pass this look, so an alias always goes the long way.)
    // An element that stands in a default namespace declared around it must declare it itself,
    // or written elsewhere it would fall into no namespace (an Atom element named like an RSS
    // one would turn into that RSS element).
    if (isPlainElementText(xml, QByteArrayView(own.constData(), own.size()))
        && !(holdsUnprefixedElement(xml)
             && !vlxXMLDOM::namespaceURIOfPrefix(vlxXMLDOM::parentOfNode(node), QString())
                     .isEmpty())) {
        const QString meant = ownURI.isEmpty() || ownPrefix.isEmpty() ? QString()
            : prefixOf(vlxXMLDOM::nameOfNode(node)) == ownPrefix
            ? vlxXMLDOM::namespaceURIOfNode(node)
            : vlxXMLDOM::namespaceURIOfPrefix(node, ownPrefix);
        if (meant.isNull() || meant == ownURI)
            return QString::fromUtf8(xml);
    }

    KeptElementWriter writer(node, ownPrefix, ownURI, knownURI, omitted, ownAlias);
    writer.walk(node);
    if (writer.m_outerAt >= 0) {
        QString declarations;
        for (const Binding &outer : writer.m_outer)
            appendAttribute(declarations, declarationName(outer.prefix), outer.uri);
        writer.m_out.insert(writer.m_outerAt, declarations);
    }
    writer.m_out.squeeze();
    return writer.m_out;
}

void KeptElementWriter::omit(Omission::Kind kind, const QString &name, Omission::Reason reason)
{
    if (m_omitted)
        m_omitted->append({kind, reason, name});
}

// The URI of prefix where the walk stands: declared inside the element, the one the feed writer
// gives the own prefix, or one from the element's ancestors (then declared on the element);
// nullptr when none can be written.
const QString *KeptElementWriter::binding(const QString &prefix)
{
    static const QString xmlNamespace = kXMLNamespace;
    m_unusable = false;
    if (prefix == u"xml")
        return &xmlNamespace;
    if (prefix == u"xmlns")
        return nullptr;
    for (auto it = m_scope.crbegin(); it != m_scope.crend(); ++it) {
        if (it->prefix == prefix) {
            m_unusable = !it->usable;
            return it->usable ? &it->uri : nullptr;
        }
    }
    const bool own = !m_own.isEmpty() && prefix == m_own;
    if (own && m_ownURI.isEmpty())
        return &m_ownURI;
    for (const Binding &outer : m_outer) {
        if (outer.prefix == prefix)
            return &outer.uri;
    }
    // The nearest declaration around the element (its parent may hold a thousand).
    const vlxXMLNode *parent = vlxXMLDOM::parentOfNode(m_top);
    if (const QString uri = parent ? vlxXMLDOM::namespaceURIOfPrefix(parent, prefix) : QString();
        !uri.isNull()) {
        const bool usable = isUsableNamespace(prefix, uri);
        // The writer's declaration serves when the document meant the same namespace.
        if (own && (uri == m_ownURI || !usable))
            return &m_ownURI;
        m_unusable = !usable;
        if (!usable)
            return nullptr;
        m_outer.push_back({prefix, uri, true});
        return &m_outer.back().uri;
    }
    if (own)
        return &m_ownURI;
    // Bound nowhere: a namespace the program knows under that prefix is declared here too.
    const QString known = m_knownURI ? m_knownURI(prefix) : QString();
    if (known.isEmpty() || !isUsableNamespace(prefix, known))
        return nullptr;
    m_outer.push_back({prefix, known, true});
    return &m_outer.back().uri;
}

void KeptElementWriter::walk(const vlxXMLNode *element)
{
    const QString given = vlxXMLDOM::nameOfNode(element);
    if (!isQualifiedName(given)) {
        omit(Omission::Element, given, Omission::NotAQualifiedName);
        return;
    }
    const std::size_t scopeSize = m_scope.size();
    const auto declarations = vlxXMLDOM::namespaceDeclarationsOfNode(element);
    for (const auto &[prefix, uri] : declarations)
        m_scope.push_back({prefix, uri, isUsableNamespace(prefix, uri)});
    const QString name = written(given);
    const QString prefix = prefixOf(name);
    if (prefix.isEmpty()) {
        // The default namespace it stands in comes along from where it stood.
        if (vlxXMLDOM::namespaceNumberOfNode(element) != 0)
            binding(prefix);
    } else if (!binding(prefix)) {
        omit(Omission::Element, given,
             m_unusable ? Omission::UnusableNamespace : Omission::UnboundPrefix);
        m_scope.resize(scopeSize);
        return;
    }

    m_out += u'<';
    m_out += name;
    for (std::size_t i = scopeSize; i < m_scope.size(); ++i) {
        if (m_scope[i].usable)
            appendAttribute(m_out, declarationName(m_scope[i].prefix), m_scope[i].uri);
        else
            omit(Omission::Declaration, declarationName(m_scope[i].prefix),
                 Omission::UnusableNamespace);
    }
    if (element == m_top)
        m_outerAt = m_out.size();
    // Two prefixes may stand for one namespace; an attribute must not come twice in it.
    QSet<QString> expandedNames;
    for (const auto &[givenAttribute, value] : vlxXMLDOM::attributesOfNode(element)) {
        const QString attribute = written(givenAttribute);
        const QString attributePrefix = prefixOf(attribute);
        const QString *uri = nullptr;
        if (!isQualifiedName(attribute)) {
            omit(Omission::Attribute, attribute, Omission::NotAQualifiedName);
            continue;
        }
        if (!attributePrefix.isEmpty()) {
            uri = binding(attributePrefix);
            if (!uri) {
                omit(Omission::Attribute, attribute,
                     m_unusable ? Omission::UnusableNamespace : Omission::UnboundPrefix);
                continue;
            }
            const QString expanded = *uri + u'\n' + localOf(attribute);
            if (expandedNames.contains(expanded)) {
                omit(Omission::Attribute, attribute, Omission::RepeatedAttribute);
                continue;
            }
            expandedNames.insert(expanded);
        }
        appendAttribute(m_out, attribute, value);
    }

    const int count = vlxXMLDOM::numberOfChildren(element);
    if (count == 0) {
        m_out += QLatin1StringView("/>");
        m_scope.resize(scopeSize);
        return;
    }
    m_out += u'>';
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, element);
        switch (vlxXMLDOM::kindOfNode(child)) {
        case vlxXMLDOM::Element:
            walk(child);
            break;
        case vlxXMLDOM::Text:
        case vlxXMLDOM::Whitespace:
            appendEscaped(m_out, vlxXMLDOM::nameOfNode(child), false);
            break;
        case vlxXMLDOM::EntityReference:
            appendEscaped(m_out, vlxXMLDOM::resolveReference(vlxXMLDOM::nameOfNode(child)), false);
            break;
        default:
            m_out += write(child, QString(), QString(), m_knownURI, m_omitted);
            break;
        }
    }
    m_out += QLatin1StringView("</");
    m_out += name;
    m_out += u'>';
    m_scope.resize(scopeSize);
}
