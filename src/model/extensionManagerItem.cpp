#include "model/extensionManagerItem.h"

#include "model/extensionFactory.h"

extensionManagerItem::extensionManagerItem() : placedExtensionManager(ExtensionPlace::Item)
{
    for (KnownNamespace ns : knownNamespaces::displayOrder(ExtensionPlace::Item))
        prefillKnownExtension(ns);
}

std::unique_ptr<extensionManagerItem> extensionManagerItem::copy() const
{
    return std::unique_ptr<extensionManagerItem>(new extensionManagerItem(*this));
}

void extensionManagerItem::validate(VLXFeed *feed, VLXItems *parent)
{
    forEachUsedKnown([&](const ExtensionRef &extension) {
        static_cast<extensionNSItem &>(*extension).validate(feed, parent);
    });
    for (const ExtensionRef &listed : notWellSupportedArray())
        listed->validate(feed);
    // A user-defined extension never made has no text to warn about.
    if (const ExtensionRef &unknown = heldUnknownExtension())
        unknown->validate(feed);
}

QVariantMap extensionManagerItem::findSortableTags() const
{
    QVariantMap catalogue;
    QList<ExtensionRef> list = usedKnownExtensions();
    list.append(notWellSupportedArray());
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
