#include "xml/NamespaceScope.h"

#include "xml/vlxXMLDOM.h"

void NamespaceScope::bind(const QString &prefix, const QString &uri)
{
    for (auto &binding : m_bindings) {
        if (binding.first == prefix) {
            binding.second = canonical(uri);
            return;
        }
    }
    m_bindings.append({prefix, canonical(uri)});
}

void NamespaceScope::bindDeclarations(QStringView declarations)
{
    static const QLatin1StringView marker("xmlns:");
    for (qsizetype at = declarations.indexOf(marker); at >= 0;
         at = declarations.indexOf(marker, at)) {
        at += marker.size();
        const qsizetype equals = declarations.indexOf(u'=', at);
        if (equals < 0)
            break;
        const QString prefix = declarations.sliced(at, equals - at).trimmed().toString();
        qsizetype open = equals + 1;
        while (open < declarations.size() && declarations[open].isSpace())
            ++open;
        if (open >= declarations.size())
            break;
        const QChar quote = declarations[open];
        const qsizetype close = declarations.indexOf(quote, open + 1);
        if (close < 0)
            break;
        bind(prefix,
             vlxXMLDOM::decodeAmpEntities(declarations.sliced(open + 1, close - open - 1).toString()));
        at = close + 1;
    }
}

QString NamespaceScope::uriOf(const QString &prefix) const
{
    for (const auto &[bound, uri] : m_bindings) {
        if (bound == prefix)
            return uri;
    }
    return QString();
}

QString NamespaceScope::prefixFor(const QString &uri) const
{
    const QString wanted = canonical(uri);
    for (const auto &[prefix, bound] : m_bindings) {
        if (bound == wanted)
            return prefix;
    }
    return QString();
}

QString NamespaceScope::canonical(const QString &uri) const
{
    if (!m_canonical)
        return uri;
    const QString mapped = m_canonical(uri);
    return mapped.isNull() ? uri : mapped;
}

QString NamespaceScope::prefixToWrite(const QString &wanted, const QString &uri, bool *declared)
{
    *declared = false;
    const QString bound = prefixFor(uri);
    if (!bound.isNull())
        return bound;
    QString prefix = wanted;
    for (int n = 1; !uriOf(prefix).isNull(); ++n)
        prefix = wanted + QString::number(n);
    bind(prefix, uri);
    *declared = true;
    return prefix;
}
