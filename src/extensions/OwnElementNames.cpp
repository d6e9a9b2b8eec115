#include "extensions/OwnElementNames.h"

#include "xml/vlxXMLDOM.h"

QStringView OwnElementNames::localName(QStringView name)
{
    return name.sliced(name.indexOf(u':') + 1);
}

bool OwnElementNames::hasLocalName(QStringView name, QLatin1StringView local)
{
    return localName(name).compare(local, Qt::CaseInsensitive) == 0;
}

qsizetype OwnElementNames::indexOfLocalName(QStringView name, const QStringList &names)
{
    const QStringView local = localName(name);
    // Most documents write the names in lower case, as the list has them.
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (localName(names.at(i)) == local)
            return i;
    }
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (localName(names.at(i)).compare(local, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool OwnElementNames::isInNamespace(const vlxXMLNode *child, const vlxXMLNode *parent,
                                    KnownNamespace ns, QStringView processingName)
{
    const quint64 number = vlxXMLDOM::namespaceNumberOfNode(child);
    if (number == 0) {
        // Bound to no namespace: the prefix tells, as it told the manager.
        const QString name = vlxXMLDOM::nameOfNode(child);
        const qsizetype colon = name.indexOf(u':');
        if (colon <= 0)
            return false;
        const QStringView prefix = QStringView(name).first(colon);
        return prefix.compare(knownNamespaces::prefix(ns), Qt::CaseInsensitive) == 0
            || prefix.compare(processingName, Qt::CaseInsensitive) == 0;
    }
    // Nearly every child stands in its parent's namespace, which is the class's.
    if (number != vlxXMLDOM::kUnnumberedNamespace
        && number == vlxXMLDOM::namespaceNumberOfNode(parent))
        return true;
    return knownNamespaces::fromURI(vlxXMLDOM::namespaceURIOfNode(child)) == ns;
}

bool OwnElementNames::isChildNamed(const vlxXMLNode *child, const vlxXMLNode *parent,
                                   KnownNamespace ns, QStringView processingName,
                                   QLatin1StringView local)
{
    return vlxXMLDOM::kindOfNode(child) == vlxXMLDOM::Element
        && hasLocalName(vlxXMLDOM::nameOfNode(child), local)
        && isInNamespace(child, parent, ns, processingName);
}
