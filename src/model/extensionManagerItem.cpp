#include "model/extensionManagerItem.h"

#include "model/extensionFactory.h"
#include "model/extensionManagerChannel.h"

extensionManagerItem::extensionManagerItem() : placedExtensionManager(ExtensionPlace::Item)
{
    for (KnownNamespace ns : knownNamespaces::displayOrder(ExtensionPlace::Item))
        prefillKnownExtension(ns);
}

std::unique_ptr<extensionManagerItem> extensionManagerItem::copy() const
{
    return std::unique_ptr<extensionManagerItem>(new extensionManagerItem(*this));
}

void extensionManagerItem::takeNamespacesOf(const extensionManagerChannel &channel)
{
    const extensionManagerChannel::ItemNamespaces &namespaces = channel.itemNamespaces();
    for (const auto &[prefix, uri] : namespaces.made)
        createExtensionWithNamespaceDeclared(prefix, uri);
    takeDeclaredNamespaces(namespaces.listed);
}

void extensionManagerItem::validate(VLXFeed *feed, VLXItems *parent)
{
    forEachUsedKnown([&](const ExtensionRef &extension) {
        static_cast<extensionNSItem &>(*extension).validate(feed, parent);
    });
    forEachMadeListed([&](const ExtensionRef &listed) { listed->validate(feed); });
    // A user-defined extension never made has no text to warn about.
    if (const ExtensionRef &unknown = heldUnknownExtension())
        unknown->validate(feed);
}

QVariantMap extensionManagerItem::findSortableTags() const
{
    QVariantMap catalogue;
    // A listed namespace not made yet holds no element to sort by.
    QList<ExtensionRef> list = usedKnownExtensions();
    forEachMadeListed([&](const ExtensionRef &listed) { list.append(listed); });
    for (const ExtensionRef &extension : list) {
        const QVariantMap tags
            = std::static_pointer_cast<extensionNSItem>(extension)->findSortableTags();
        for (auto it = tags.constBegin(); it != tags.constEnd(); ++it)
            catalogue.insert(it.key(), it.value());
    }
    return catalogue;
}

void extensionManagerItem::addLocalEnclosureFiles(QVariantMap &info) const
{
    if (const ItemRef media = mediaRSSExtensionUsed() ? mediaRSSExtension() : nullptr)
        media->addLocalEnclosureFiles(info);
}

void extensionManagerItem::takeLocalEnclosureFiles(const QVariantMap &info) const
{
    if (const ItemRef media = mediaRSSExtensionUsed() ? mediaRSSExtension() : nullptr)
        media->takeLocalEnclosureFiles(info);
}

bool extensionManagerItem::enclosureURLAccepted(KnownNamespace ns, const QString &url)
{
    return extensionFactory::shared().enclosureAccepted(ns, url);
}
