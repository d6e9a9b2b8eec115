#pragma once

#include "model/extensionNSChannel.h"
#include "model/placedExtensionManager.h"

// The namespace extensions of one channel: the eight known namespaces, a list of other
// namespaces and the user-defined raw extension. It also writes the namespace declarations of
// the rss element and handles the Dublin Core elements inside textInput. Creating one makes
// sure the namespace registry knows the eight built-in namespaces.
class extensionManagerChannel : public placedExtensionManager
{
public:
    using ChannelRef = std::shared_ptr<extensionNSChannel>;

    extensionManagerChannel();
    std::unique_ptr<extensionManagerChannel> copy() const;
    std::unique_ptr<baseExtensionManager> copyManager() const override { return copy(); }

    ChannelRef iTunesExtension() const { return slot(KnownNamespace::iTunes); }
    ChannelRef mediaRSSExtension() const { return slot(KnownNamespace::mediaRSS); }
    ChannelRef contentEncodedExtension() const { return slot(KnownNamespace::contentEncoded); }
    ChannelRef syndicationExtension() const { return slot(KnownNamespace::syndication); }
    ChannelRef dublinCoreExtension() const { return slot(KnownNamespace::dublinCore); }
    ChannelRef creativeCommonsExtension() const { return slot(KnownNamespace::creativeCommons); }
    ChannelRef microsoftCFExtension() const { return slot(KnownNamespace::microsoftCF); }
    ChannelRef trackBackExtension() const { return slot(KnownNamespace::trackBack); }
    ChannelRef unknownExtension() const
    {
        return std::static_pointer_cast<extensionNSChannel>(
            placedExtensionManager::unknownExtension());
    }
    void setITunesExtension(const ChannelRef &e) { setKnownExtension(KnownNamespace::iTunes, e); }
    void setMediaRSSExtension(const ChannelRef &e)
    {
        setKnownExtension(KnownNamespace::mediaRSS, e);
    }
    void setContentEncodedExtension(const ChannelRef &e)
    {
        setKnownExtension(KnownNamespace::contentEncoded, e);
    }
    void setSyndicationExtension(const ChannelRef &e)
    {
        setKnownExtension(KnownNamespace::syndication, e);
    }
    void setDublinCoreExtension(const ChannelRef &e)
    {
        setKnownExtension(KnownNamespace::dublinCore, e);
    }
    void setCreativeCommonsExtension(const ChannelRef &e)
    {
        setKnownExtension(KnownNamespace::creativeCommons, e);
    }
    void setMicrosoftCFExtension(const ChannelRef &e)
    {
        setKnownExtension(KnownNamespace::microsoftCF, e);
    }
    void setTrackBackExtension(const ChannelRef &e)
    {
        setKnownExtension(KnownNamespace::trackBack, e);
    }

    // Dublin Core elements inside textInput; anything else answers 0 and is not used.
    int parseXMLNodeIfMineTI(const vlxXMLNode *node, FeedElement &owner);
    QString buildXMLTI(const QString &prefix) const;

    // What an item read from this channel's feed takes of its namespaces (see
    // extensionManagerItem::takeNamespacesOf): the known ones the channel uses and those it
    // lists under a known namespace's prefix, each made in the item, and the other listed ones,
    // shared by every item. Worked out again only when the channel's namespaces changed.
    struct ItemNamespaces
    {
        QList<std::pair<QString, QString>> made; // prefix and URI
        std::shared_ptr<const DeclaredNamespaces> listed;
    };
    const ItemNamespaces &itemNamespaces() const;

    // xmlns:prefix="uri" per used known extension (iTunes, content, Media RSS, Dublin Core,
    // syndication, Creative Commons, Common Feed, trackBack), then per listed one.
    QStringList arrayOfNamespaceDelecrations() const;
    QString namespaceDelecrations() const { return arrayOfNamespaceDelecrations().join(u' '); }

    void updateStatusLine();

protected:
    extensionManagerChannel(const extensionManagerChannel &other) = default;

private:
    // The declarations last made and the names and URIs they were made from.
    mutable QList<std::pair<QString, QString>> m_declaredNamespaces;
    mutable QStringList m_declarations;
    // itemNamespaces() and the count of changes it was worked out at.
    mutable ItemNamespaces m_itemNamespaces;
    mutable quint64 m_itemNamespacesAt = ~quint64(0);

    ChannelRef slot(KnownNamespace ns) const
    {
        return std::static_pointer_cast<extensionNSChannel>(knownExtension(ns));
    }
};
