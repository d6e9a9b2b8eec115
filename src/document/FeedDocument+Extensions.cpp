// The lists of the channel, the items and the image (categories and XML comments), and the
// namespaces the whole feed uses.
#include "document/FeedDocument.h"

#include "document/FeedFields.h"
#include "document/FieldChange.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "model/knownNamespaces.h"
#include "settings/categoryElement.h"

namespace {
// The element that owns a list: the channel, the item at the index or the image; null when
// there is none (no such item, or an image asked for categories).
TitledElement *commentOwner(const FeedDocument &document, FieldScope scope, int item)
{
    switch (scope) {
    case FieldScope::Channel:
        return document.feed().get();
    case FieldScope::Item:
        return document.item(item);
    case FieldScope::Image:
        return document.image();
    }
    return nullptr;
}

PublishedElement *categoryOwner(const FeedDocument &document, FieldScope scope, int item)
{
    if (scope == FieldScope::Channel)
        return document.feed().get();
    if (scope == FieldScope::Item)
        return document.item(item);
    return nullptr;
}

// An item's own automatic date follows a change of its lists, the feed's that of the others.
void refreshOwnerDate(FeedDocument &document, FieldScope scope, int item)
{
    if (scope == FieldScope::Item)
        document.refreshItemPubDate(item);
    else
        document.refreshFeedPubDate();
}
} // namespace

// --- Lists --------------------------------------------------------------------------------------

QString FeedDocument::listOutlet(FieldScope scope, bool categories)
{
    switch (scope) {
    case FieldScope::Channel:
        return categories ? FeedFields::kFeedCategories : FeedFields::kFeedXMLComments;
    case FieldScope::Item:
        return categories ? FeedFields::kItemCategories : FeedFields::kItemXMLComments;
    case FieldScope::Image:
        return categories ? QString() : FeedFields::kImageXMLComments;
    }
    return {};
}

QList<categoryElement> FeedDocument::categories(FieldScope scope, int item) const
{
    const PublishedElement *owner = categoryOwner(*this, scope, item);
    return owner ? owner->category() : QList<categoryElement>();
}

QStringList FeedDocument::comments(FieldScope scope, int item) const
{
    const TitledElement *owner = commentOwner(*this, scope, item);
    return owner ? owner->XMLComments() : QStringList();
}

bool FeedDocument::applyCategories(FieldScope scope, int item, const QList<categoryElement> &list)
{
    PublishedElement *owner = categoryOwner(*this, scope, item);
    if (!owner)
        return false;
    owner->setCategory(list);
    announce(scope, item, listOutlet(scope, true));
    return true;
}

bool FeedDocument::applyComments(FieldScope scope, int item, const QStringList &list)
{
    TitledElement *owner = commentOwner(*this, scope, item);
    if (!owner)
        return false;
    owner->setXMLComments(list);
    announce(scope, item, listOutlet(scope, false));
    return true;
}

bool FeedDocument::editCategories(FieldScope scope, int item, const QList<categoryElement> &list,
                                  const QString &undoName)
{
    if (!categoryOwner(*this, scope, item))
        return false;
    registerUndo(FieldChange::categories(*this, scope, item, categories(scope, item),
                                         FieldChange::datesBefore(*this, scope, item, false)),
                 undoName);
    applyCategories(scope, item, list);
    refreshOwnerDate(*this, scope, item);
    return true;
}

bool FeedDocument::editComments(FieldScope scope, int item, const QStringList &list,
                                const QString &undoName)
{
    if (!commentOwner(*this, scope, item))
        return false;
    registerUndo(FieldChange::comments(*this, scope, item, comments(scope, item),
                                       FieldChange::datesBefore(*this, scope, item, false)),
                 undoName);
    applyComments(scope, item, list);
    refreshOwnerDate(*this, scope, item);
    return true;
}

// --- Namespaces ---------------------------------------------------------------------------------

void FeedDocument::forEachExtensionManager(
    const std::function<void(baseExtensionManager &)> &visit) const
{
    visit(*m_feed->XMLExtensions());
    visit(*m_feed->image()->XMLExtensions());
    for (const auto &item : m_feed->arrayOfItems())
        visit(*item->XMLExtensions());
}

QStringList FeedDocument::namespaceDescriptions() const
{
    return m_feed->XMLExtensions()->arrayOfExtensionDescriptions();
}

bool FeedDocument::usesNamespace(const QString &prefix) const
{
    if (prefix == knownNamespaces::kUserDefined)
        return rawExtensionUsed();
    return namespacesUsed().contains(prefix);
}

QSet<QString> FeedDocument::namespacesUsed() const
{
    QSet<QString> used;
    const extensionManagerChannel &channel = *m_feed->XMLExtensions();
    for (int i = 0; i < channel.countOfExtensions(); ++i)
        used.insert(channel.extensionNameAtIndex(i));
    return used;
}

bool FeedDocument::rawExtensionUsed() const
{
    return m_feed->XMLExtensions()->unknownExtensionUsed();
}

void FeedDocument::addNamespace(const QString &prefix, const QString &dtd)
{
    forEachExtensionManager(
        [&](baseExtensionManager &manager) { manager.createExtensionWithNamespace(prefix, dtd); });
}

void FeedDocument::removeNamespace(const QString &prefix)
{
    forEachExtensionManager(
        [&](baseExtensionManager &manager) { manager.deleteExtensionNamed(prefix); });
}

void FeedDocument::setRawExtensionUsed(bool used)
{
    forEachExtensionManager(
        [used](baseExtensionManager &manager) { manager.setUnknownExtensionUsed(used); });
}

void FeedDocument::populateNamespace(const QString &prefix)
{
    const QString key = m_entry.uniqueIdentifier;
    forEachExtensionManager(
        [&](baseExtensionManager &manager) { manager.populateExtension(prefix, key); });
}

void FeedDocument::spreadRawExtension()
{
    bool any = false;
    forEachExtensionManager(
        [&any](baseExtensionManager &manager) { any = any || manager.unknownExtensionUsed(); });
    if (any)
        setRawExtensionUsed(true);
}

void FeedDocument::announceNamespaces()
{
    emit namespacesChanged();
}
