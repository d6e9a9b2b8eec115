#include "xml/KeptAttributes.h"

#include "xml/KeptElementWriter.h"
#include "xml/UTF8Writer.h"
#include "xml/vlxXMLDOM.h"

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

void KeptAttributes::appendXML(UTF8Writer &out, bool apos, const QStringList &alreadyDeclared) const
{
    for (const auto &[name, value] : m_attributes) {
        if (name.startsWith(kDeclaration)
            && alreadyDeclared.contains(QStringView(name).sliced(kDeclaration.size())))
            continue;
        out.append(' ');
        out.append(name);
        out.append("=\""_L1);
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
        out.append('"');
    }
}

QStringList KeptAttributes::declaredPrefixes(QStringView declarations)
{
    QStringList prefixes;
    for (qsizetype at = declarations.indexOf(kDeclaration); at >= 0;
         at = declarations.indexOf(kDeclaration, at)) {
        at += kDeclaration.size();
        const qsizetype end = declarations.indexOf(u'=', at);
        if (end < 0)
            break;
        prefixes.append(declarations.sliced(at, end - at).trimmed().toString());
    }
    return prefixes;
}

QStringList KeptAttributes::declaredPrefixes() const
{
    QStringList prefixes;
    for (const Attribute &attribute : m_attributes) {
        if (attribute.first.startsWith(kDeclaration))
            prefixes.append(attribute.first.sliced(kDeclaration.size()));
    }
    return prefixes;
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
