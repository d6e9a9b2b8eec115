#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <functional>
#include <utility>

// The namespace bindings in force where an element is written: the prefixes declared on it and
// around it, each with its URI. What is written there later (kept attributes) reads its
// namespaces from here and adds its own declarations, never rebinding a prefix in force: the
// element's own name and everything written inside it rely on those.
class NamespaceScope
{
public:
    // Maps a URI to the one the bindings are compared with (a known namespace's own URI for an
    // address it is known by); none keeps every URI as it is.
    using Canonical = std::function<QString(const QString &uri)>;

    NamespaceScope() = default;
    explicit NamespaceScope(Canonical canonical) : m_canonical(std::move(canonical)) { }

    void bind(const QString &prefix, const QString &uri);
    // Every xmlns:prefix="uri" of a declarations text (references in the URI decoded).
    void bindDeclarations(QStringView declarations);

    // The URI a prefix is bound to; a null string when it is bound to none.
    QString uriOf(const QString &prefix) const;
    // A prefix bound to the namespace of uri, the first bound; a null string when there is none.
    QString prefixFor(const QString &uri) const;
    // The URI as the bindings hold it (see Canonical).
    QString canonical(const QString &uri) const;
    // A prefix to write uri under, preferring `wanted`: one already bound to it, else `wanted`
    // when it is free, else the first of wanted1, wanted2, … that is free. A prefix not bound
    // yet is bound here, and declared tells the caller to declare it.
    QString prefixToWrite(const QString &wanted, const QString &uri, bool *declared);

private:
    QList<std::pair<QString, QString>> m_bindings;
    Canonical m_canonical;
};
