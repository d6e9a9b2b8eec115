#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <utility>

class NamespaceScope;
class UTF8Writer;
class vlxXMLNode;

// The attributes of an element that the program does not read (xml:base, xml:lang, a schema
// location, a name some other tool invented), kept as they were read so that they are written
// back on the same element: names as written, values decoded, in document order.
//
// A prefixed attribute needs its prefix declared where it is written, which need not be where it
// was read; each prefix the kept attributes use (but "xml") comes with a declaration "xmlns:p"
// of the URI it stood for, kept first. An attribute whose prefix was bound nowhere, or whose name
// is no qualified name, is left out: written back it would make the feed unreadable to
// namespace-aware readers.
class KeptAttributes
{
public:
    using Attribute = std::pair<QString, QString>;

    KeptAttributes() = default;

    // The attributes of node that isRead does not claim (namespace declarations are never kept
    // for themselves).
    static KeptAttributes ofNode(const vlxXMLNode *node,
                                 const std::function<bool(const QString &name)> &isRead);

    bool isEmpty() const { return m_attributes.isEmpty(); }
    // The declarations first, then the attributes in document order.
    const QList<Attribute> &attributes() const { return m_attributes; }

    // ' name="value"' for each, the value escaped so that it reads back the same: "&", "<",
    // ">", '"', with apos "'", and the white space a reader would turn into blanks as
    // character references. A prefixed attribute is written in the namespace it was read in:
    // under a prefix the scope binds to that namespace, else under its own prefix or, where the
    // scope binds that to another namespace, a fresh one, declared here and added to the scope.
    // Of two attributes of one namespace and name only the first is written.
    void appendXML(UTF8Writer &out, bool apos, NamespaceScope &scope) const;

    // Flat lists of names and values, for archives and settings, and back.
    QStringList toList() const;
    static KeptAttributes fromList(const QStringList &list);

    bool operator==(const KeptAttributes &other) const = default;

private:
    // The URI a kept declaration gives the prefix; a null string for none.
    QString declaredURI(const QString &prefix) const;

    QList<Attribute> m_attributes;
};
