#pragma once

#include "model/knownNamespaces.h"

#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <QStringView>

class vlxXMLNode;

// How a namespace class tells its elements apart. An element reaches a class once its manager
// has found it in the class's namespace, under whatever prefix the document binds (a local
// declaration or the default namespace included): from there only its local name counts. A
// child of such an element is the class's when it stands in the same namespace, or, bound to
// none, under the namespace's own prefix or the one the document uses for it.
class OwnElementNames
{
public:
    // "subtitle" of "it:subtitle" and of "subtitle".
    static QStringView localName(QStringView name);
    // Whether the element's local name is local, in any letter case.
    static bool hasLocalName(QStringView name, QLatin1StringView local);
    // The position in names ("prefix:local" each) of the one with the element's local name, in
    // any letter case; -1 for none.
    static qsizetype indexOfLocalName(QStringView name, const QStringList &names);
    // Whether child, an element inside parent (an element of the class), is of namespace ns as
    // the document writes it; processingName is the prefix the document uses for ns.
    static bool isInNamespace(const vlxXMLNode *child, const vlxXMLNode *parent, KnownNamespace ns,
                              QStringView processingName);
    // Both: a child of the namespace with that local name.
    static bool isChildNamed(const vlxXMLNode *child, const vlxXMLNode *parent, KnownNamespace ns,
                             QStringView processingName, QLatin1StringView local);
};
