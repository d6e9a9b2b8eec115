#include "xml/KeptAttributes.h"

#include "xml/KeptElementWriter.h"
#include "xml/NamespaceScope.h"
#include "xml/UTF8Writer.h"
#include "xml/vlxXMLDOM.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace {

const QString kDeclaration = u"xmlns:"_s;

} // namespace

KeptAttributes KeptAttributes::ofNode(const vlxXMLNode *node,
                                      const std::function<bool(const QString &)> &isRead)
{
    QList<Attribute> declarations;
    QList<Attribute> attributes;
    QStringList declared;
    for (const auto &[name, value] : vlxXMLDOM::attributesOfNode(node)) {
        if ((isRead && isRead(name)) || !KeptElementWriter::isQualifiedName(name))
            continue;
        const qsizetype colon = name.indexOf(u':');
        const QString prefix = colon < 0 ? QString() : name.first(colon);
        if (!prefix.isEmpty() && prefix != u"xml" && !declared.contains(prefix)) {
            const QString uri = vlxXMLDOM::namespaceURIOfPrefix(node, prefix);
            if (uri.isNull() || !KeptElementWriter::isUsableNamespace(prefix, uri))
                continue;
            declared.append(prefix);
            declarations.append({kDeclaration + prefix, uri});
        }
        attributes.append({name, value});
    }
    KeptAttributes kept;
    kept.m_attributes = declarations + attributes;
    return kept;
}

namespace {

void appendValue(UTF8Writer &out, const QString &value, bool apos)
{
    // A reader turns tabs and line ends in a value into blanks; as references they stay.
    qsizetype plain = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value.at(i).unicode();
        if (c != u'\t' && c != u'\n' && c != u'\r')
            continue;
        out.appendEscaped(QStringView(value).sliced(plain, i - plain), apos);
        out.append(c == u'\t' ? "&#9;"_L1 : c == u'\n' ? "&#10;"_L1 : "&#13;"_L1);
        plain = i + 1;
    }
    out.appendEscaped(QStringView(value).sliced(plain), apos);
}

} // namespace

void KeptAttributes::appendXML(UTF8Writer &out, bool apos, NamespaceScope &scope) const
{
    // The names to write first, so that the declarations they need come before them all.
    QList<std::pair<QString, const QString *>> named;
    QSet<QString> written; // namespace URI (empty for none), line feed, local name
    for (const auto &[name, value] : m_attributes) {
        if (name.startsWith(kDeclaration))
            continue;
        const qsizetype colon = name.indexOf(u':');
        const QString prefix = colon < 0 ? QString() : name.first(colon);
        const QString local = name.sliced(colon + 1);
        QString uri;
        if (prefix == u"xml")
            uri = QStringLiteral("http://www.w3.org/XML/1998/namespace");
        else if (!prefix.isEmpty())
            uri = scope.canonical(declaredURI(prefix));
        if (!prefix.isEmpty() && uri.isEmpty())
            continue; // read without its declaration: nothing says what it is
        const QString expanded = uri + u'\n' + local;
        if (written.contains(expanded))
            continue;
        written.insert(expanded);
        if (prefix.isEmpty() || prefix == u"xml") {
            named.append({name, &value});
            continue;
        }
        bool declare = false;
        const QString as = scope.prefixToWrite(prefix, uri, &declare);
        if (declare) {
            out.append(' ');
            out.append(kDeclaration);
            out.append(as);
            out.append("=\""_L1);
            appendValue(out, uri, apos);
            out.append('"');
        }
        named.append({as + u':' + local, &value});
    }
    for (const auto &[name, value] : std::as_const(named)) {
        out.append(' ');
        out.append(name);
        out.append("=\""_L1);
        appendValue(out, *value, apos);
        out.append('"');
    }
}

QString KeptAttributes::declaredURI(const QString &prefix) const
{
    for (const auto &[name, value] : m_attributes) {
        if (name.startsWith(kDeclaration) && QStringView(name).sliced(kDeclaration.size()) == prefix)
            return value;
    }
    return QString();
}

QStringList KeptAttributes::toList() const
{
    QStringList list;
    list.reserve(m_attributes.size() * 2);
    for (const auto &[name, value] : m_attributes)
        list << name << value;
    return list;
}

KeptAttributes KeptAttributes::fromList(const QStringList &list)
{
    KeptAttributes kept;
    for (qsizetype i = 0; i + 1 < list.size(); i += 2)
        kept.m_attributes.append({list.at(i), list.at(i + 1)});
    return kept;
}
