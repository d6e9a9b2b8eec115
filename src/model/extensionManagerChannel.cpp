#include "model/extensionManagerChannel.h"

#include "model/FeedElement.h"
#include "model/extensionSettings.h"
#include "xml/vlxXMLDOM.h"

#include <QVarLengthArray>
#include <algorithm>

extensionManagerChannel::extensionManagerChannel() : placedExtensionManager(ExtensionPlace::Channel)
{
    extensionSettings::registerSupportedNamespaces(knownNamespaces::builtinDescriptions());
}

std::unique_ptr<extensionManagerChannel> extensionManagerChannel::copy() const
{
    return std::unique_ptr<extensionManagerChannel>(new extensionManagerChannel(*this));
}

int extensionManagerChannel::parseXMLNodeIfMineTI(const vlxXMLNode *node, FeedElement &owner)
{
    // An element the document binds to Dublin Core, under any prefix or as the default
    // namespace; bound to none, the prefix "dc" tells, and the missing declaration is repaired.
    const bool bound = vlxXMLDOM::namespaceNumberOfNode(node) != 0;
    const QString &dcPrefix = knownNamespaces::prefix(KnownNamespace::dublinCore);
    if (bound) {
        if (knownNamespaces::fromURI(vlxXMLDOM::namespaceURIOfNode(node))
            != KnownNamespace::dublinCore)
            return 0;
    } else {
        const QStringList parts = vlxXMLDOM::nameOfNode(node).split(u':');
        if (parts.size() != 2 || parts.at(0) != dcPrefix)
            return 0;
    }
    if (!dublinCoreExtensionUsed()) {
        postMissingNamespace(dcPrefix, knownNamespaces::uri(KnownNamespace::dublinCore));
        if (!bound)
            owner.recordRepair(kMissingDeclarationRepair, dcPrefix);
    }
    const ChannelRef dc = dublinCoreExtension();
    if (!dc || !dublinCoreExtensionUsed())
        return 0;
    return dc->parseXMLNodeIfMineTI(node);
}

QString extensionManagerChannel::buildXMLTI(const QString &prefix) const
{
    const ChannelRef dc = dublinCoreExtension();
    if (!dublinCoreExtensionUsed() || !dc)
        return QString();
    return dc->buildXMLTI(prefix);
}

QStringList extensionManagerChannel::arrayOfNamespaceDelecrations() const
{
    QVarLengthArray<std::pair<QString, QString>, 16> namespaces;
    auto declare = [&](const ExtensionRef &extension) {
        // A nameless namespace cannot be declared; it would make the document unreadable.
        if (extension) {
            QString name = extension->extensionName();
            if (!name.isEmpty())
                namespaces.append({std::move(name), extension->DTDURL()});
        }
    };
    for (KnownNamespace ns : knownNamespaces::declarationOrder()) {
        if (extensionUsed(ns))
            declare(knownExtension(ns));
    }
    for (const ExtensionRef &listed : notWellSupportedArray())
        declare(listed);

    // Every item read asks again; the same namespaces give back the same list.
    if (!std::equal(namespaces.cbegin(), namespaces.cend(), m_declaredNamespaces.cbegin(),
                    m_declaredNamespaces.cend())) {
        m_declaredNamespaces
            = QList<std::pair<QString, QString>>(namespaces.cbegin(), namespaces.cend());
        m_declarations.clear();
        for (const auto &[name, uri] : namespaces)
            m_declarations.append(QStringLiteral("xmlns:%1=\"%2\"").arg(name, uri));
    }
    return m_declarations;
}

const extensionManagerChannel::ItemNamespaces &extensionManagerChannel::itemNamespaces() const
{
    if (m_itemNamespacesAt == namespacesChanged())
        return m_itemNamespaces;
    ItemNamespaces namespaces;
    QList<std::pair<QString, QString>> listed;
    for (KnownNamespace ns : knownNamespaces::declarationOrder()) {
        const ExtensionRef known = extensionUsed(ns) ? knownExtension(ns) : nullptr;
        if (known)
            namespaces.made.append({known->extensionName(), known->DTDURL()});
    }
    for (const ExtensionRef &extension : notWellSupportedArray()) {
        const QString name = extension->extensionName();
        if (name.isEmpty())
            continue;
        // What the item's manager would read otherwise than as a listed namespace goes its way.
        if (knownNamespaces::fromPrefix(name) || knownNamespaces::fromURI(extension->DTDURL()))
            namespaces.made.append({name, extension->DTDURL()});
        else
            listed.append({name, extension->DTDURL()});
    }
    namespaces.listed = declaredNamespaces(listed);
    m_itemNamespaces = std::move(namespaces);
    m_itemNamespacesAt = namespacesChanged();
    return m_itemNamespaces;
}

void extensionManagerChannel::updateStatusLine()
{
    for (const ExtensionRef &extension : walk(false)) {
        if (extension != placedExtensionManager::unknownExtension())
            extension->updateStatusLine();
    }
}
