#pragma once

#include "model/extensionNSItem.h"
#include "model/placedExtensionManager.h"

#include <QVariantMap>

class extensionManagerChannel;

// The namespace extensions of one item: iTunes, Media RSS, content, Dublin Core, Creative
// Commons and trackBack (syndication and Common Feed have no item class), the list of other
// namespaces and the user-defined raw extension. Every known slot holds an object from the
// start (made when first read); only the used flags decide which take part.
class extensionManagerItem : public placedExtensionManager
{
public:
    using ItemRef = std::shared_ptr<extensionNSItem>;

    extensionManagerItem();
    std::unique_ptr<extensionManagerItem> copy() const;
    std::unique_ptr<baseExtensionManager> copyManager() const override { return copy(); }

    ItemRef iTunesExtension() const { return slot(KnownNamespace::iTunes); }
    ItemRef mediaRSSExtension() const { return slot(KnownNamespace::mediaRSS); }
    ItemRef contentEncodedExtension() const { return slot(KnownNamespace::contentEncoded); }
    ItemRef dublinCoreExtension() const { return slot(KnownNamespace::dublinCore); }
    ItemRef creativeCommonsExtension() const { return slot(KnownNamespace::creativeCommons); }
    ItemRef trackBackExtension() const { return slot(KnownNamespace::trackBack); }
    ItemRef unknownExtension() const
    {
        return std::static_pointer_cast<extensionNSItem>(
            placedExtensionManager::unknownExtension());
    }
    void setITunesExtension(const ItemRef &e) { setKnownExtension(KnownNamespace::iTunes, e); }
    void setMediaRSSExtension(const ItemRef &e) { setKnownExtension(KnownNamespace::mediaRSS, e); }
    void setContentEncodedExtension(const ItemRef &e)
    {
        setKnownExtension(KnownNamespace::contentEncoded, e);
    }
    void setDublinCoreExtension(const ItemRef &e)
    {
        setKnownExtension(KnownNamespace::dublinCore, e);
    }
    void setCreativeCommonsExtension(const ItemRef &e)
    {
        setKnownExtension(KnownNamespace::creativeCommons, e);
    }
    void setTrackBackExtension(const ItemRef &e)
    {
        setKnownExtension(KnownNamespace::trackBack, e);
    }

    // Takes the namespaces of the channel of the feed the item is read from, as its
    // declarations would give them (see extensionManagerChannel::itemNamespaces).
    void takeNamespacesOf(const extensionManagerChannel &channel);

    // Validation with the owning item: known extensions get the item, the others the feed only.
    void validate(VLXFeed *feed, VLXItems *parent);
    using placedExtensionManager::validate;

    // The sort-tag catalogue of the used known extensions and then the listed ones; a later
    // entry with the same key replaces an earlier one. The user-defined extension adds nothing.
    QVariantMap findSortableTags() const;

    // The local copies of the enclosures held by the item's Media RSS extension while the item
    // uses it, as extensionNSItem::addLocalEnclosureFiles and takeLocalEnclosureFiles.
    void addLocalEnclosureFiles(QVariantMap &info) const;
    void takeLocalEnclosureFiles(const QVariantMap &info) const;
    // The rule of a namespace for an enclosure URL of an item whose feed uses the namespace
    // (extensionFactory::enclosureAccepted); true for a namespace without one.
    static bool enclosureURLAccepted(KnownNamespace ns, const QString &url);

protected:
    extensionManagerItem(const extensionManagerItem &other) = default;
    bool clearsUnusedUserDefined() const override { return false; }

private:
    ItemRef slot(KnownNamespace ns) const
    {
        return std::static_pointer_cast<extensionNSItem>(knownExtension(ns));
    }
};
