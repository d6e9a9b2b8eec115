#pragma once

#include <QList>
#include <QString>

#include <deque>
#include <functional>
#include <vector>

class vlxXMLNode;

// Writes an element read from a document as XML text that reads the same wherever it is put.
// The raw extensions keep such texts and the feed writer puts them under another root, with
// other ancestors and without the document's DTD: whatever the element borrowed from where it
// stood has to come with it, and whatever only a lenient reader accepted has to stay behind, or
// the saved feed is not XML that namespace-aware readers accept.
//
// - Every namespace prefix the element uses (in element or attribute names) without declaring
//   it inside is declared on it, with the URI in scope where it stood, and so is the default
//   namespace an unprefixed element stood in. The exception is the prefix of the extension that
//   keeps it, which the feed writer declares on the rss element.
// - Named references other than the five of XML become the characters they read (or, for a name
//   nobody knows, their own text "&name;"): the written feed has no DTD to declare them.
// - Left out, each noted as an Omission: an element or attribute whose prefix is bound nowhere
//   or to a URI no reader accepts, a name that is no qualified name, a namespace declaration no
//   reader accepts, an attribute repeating another one of the same namespace and name.
//
// An element that needs none of this comes out exactly as vlxXMLDOM::xmlDataOfNode writes it.
class KeptElementWriter
{
public:
    struct Omission
    {
        enum Kind { Element, Attribute, Declaration, Instruction };
        enum Reason { UnboundPrefix, NotAQualifiedName, RepeatedAttribute, UnusableNamespace };
        Kind kind;
        Reason reason;
        QString name;
    };

    // For a prefix the document binds nowhere: a URI it is known to stand for, or "".
    using KnownURI = std::function<QString(const QString &prefix)>;

    // The element as text to keep. ownPrefix (may be empty) is the prefix the feed writer
    // declares with ownURI; where the document bound it to another URI, that binding comes
    // along. With an empty ownURI the prefix is the writer's whatever the document bound it to
    // (a known namespace claims its prefix). A prefix bound nowhere is declared with the URI
    // knownURI gives for it, if any. Any other node is written as xmlDataOfNode writes it, a
    // named reference resolved. Names under ownAlias, the prefix the document gave the own
    // namespace where it is not ownPrefix, are written under ownPrefix.
    static QString write(const vlxXMLNode *node, const QString &ownPrefix, const QString &ownURI,
                         const KnownURI &knownURI, QList<Omission> *omitted,
                         const QString &ownAlias = QString());

    // Whether xmlns:prefix="writtenURI" (xmlns="writtenURI" for an empty prefix), the URI as it
    // stands between the quotes, is a declaration every namespace-aware reader accepts: a prefix
    // that is a name without colon, only the references XML defines, a URI that parses (and is
    // absolute for the default namespace), and neither reserved namespace misused.
    static bool isUsableNamespaceDeclaration(const QString &prefix, const QString &writtenURI);
    // The same for a URI already decoded.
    static bool isUsableNamespace(const QString &prefix, const QString &uri);

    // Whether a name is a qualified name: at most one colon, with a name on either side.
    static bool isQualifiedName(const QString &name);

private:
    struct Binding
    {
        QString prefix;
        QString uri;
        bool usable;
    };

    KeptElementWriter(const vlxXMLNode *top, const QString &ownPrefix, const QString &ownURI,
                      const KnownURI &knownURI, QList<Omission> *omitted, const QString &alias);
    void walk(const vlxXMLNode *element);
    const QString *binding(const QString &prefix);
    void omit(Omission::Kind kind, const QString &name, Omission::Reason reason);
    // The name as written: under the own prefix when it stands under the alias.
    QString written(const QString &name) const;

    const vlxXMLNode *m_top;
    QString m_own;
    QString m_ownURI;
    QString m_alias; // empty, or another prefix than m_own
    const KnownURI &m_knownURI;
    QList<Omission> *m_omitted;
    QString m_out;
    qsizetype m_outerAt = -1; // where the declarations from outside go into the top's start tag
    std::vector<Binding> m_scope; // declarations from the top down to where the walk stands
    std::deque<Binding> m_outer; // bindings from outside (a deque: binding() hands out pointers)
    bool m_unusable = false; // the last binding() met a declaration no reader accepts
};
