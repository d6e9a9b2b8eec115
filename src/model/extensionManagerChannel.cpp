#include "model/extensionManagerChannel.h"

#include "io/vlxXMLDOM.h"
#include "model/FeedElement.h"
#include "model/extensionSettings.h"

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
    const QStringList parts = vlxXMLDOM::nameOfNode(node).split(u':');
    if (parts.size() != 2 || parts.at(0) != knownNamespaces::prefix(KnownNamespace::dublinCore))
        return 0;
    if (!dublinCoreExtensionUsed()) {
        postMissingNamespace(knownNamespaces::prefix(KnownNamespace::dublinCore),
                             knownNamespaces::uri(KnownNamespace::dublinCore));
        owner.recordRepair(kMissingDeclarationRepair.arg(parts.at(0)));
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
    QStringList declarations;
    auto declare = [&](const ExtensionRef &extension) {
        // A nameless namespace cannot be declared; it would make the document unreadable.
        if (extension && !extension->extensionName().isEmpty())
            declarations.append(QStringLiteral("xmlns:%1=\"%2\"")
                                    .arg(extension->extensionName(), extension->DTDURL()));
    };
    for (KnownNamespace ns : knownNamespaces::declarationOrder()) {
        if (extensionUsed(ns))
            declare(knownExtension(ns));
    }
    for (const ExtensionRef &listed : notWellSupportedArray())
        declare(listed);
    return declarations;
}

void extensionManagerChannel::updateStatusLine()
{
    for (const ExtensionRef &extension : walk(false)) {
        if (extension != placedExtensionManager::unknownExtension())
            extension->updateStatusLine();
    }
}
