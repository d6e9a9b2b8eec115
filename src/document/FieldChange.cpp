#include "document/FieldChange.h"

#include "document/FeedDocument.h"
#include "document/FeedFields.h"
#include "document/FreeAside.h"
#include "extensions/FieldExtensionBase.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "settings/categoryElement.h"

#include <QPointer>

#include <memory>
#include <type_traits>

namespace {
// The records reach the document through a guarded pointer: a record outliving its window does
// nothing.
using Guard = QPointer<FeedDocument>;

// A whole feed or item list kept by a record. A step dropped (the redo steps an edit replaces,
// the steps of a feed left) may be the last to hold a feed of many thousand items: the last
// copy of the record to go frees it aside, off the window's thread.
template<typename Held> class KeptAside
{
public:
    explicit KeptAside(Held held) : m_held(std::make_shared<Held>(std::move(held))) { }
    KeptAside(const KeptAside &) = default;
    KeptAside &operator=(const KeptAside &) = delete;
    ~KeptAside()
    {
        if (m_held.use_count() != 1)
            return;
        if constexpr (std::is_same_v<Held, std::shared_ptr<VLXFeed>>)
            releaseFeedAside(std::move(*m_held));
        else
            releaseItemsAside(std::move(*m_held));
    }
    const Held &operator*() const { return *m_held; }

private:
    std::shared_ptr<Held> m_held;
};
} // namespace

FieldChange::Dates FieldChange::datesBefore(const FeedDocument &document, FieldScope scope,
                                            int item, bool withAutoPubDate)
{
    Dates dates;
    dates.feed = document.feed()->pubDate();
    dates.feedDCDate = document.dublinCoreDate(-1);
    if (scope == FieldScope::Item) {
        const VLXItems *target = document.item(item);
        dates.item = target ? target->pubDate() : QString();
        if (target)
            dates.itemDCDate = document.dublinCoreDate(item);
    }
    if (withAutoPubDate)
        dates.autoPubDate = document.autoPubDate();
    return dates;
}

void FieldChange::restoreDates(FeedDocument &document, int item, const Dates &dates)
{
    document.setFeedPubDate(dates.feed);
    if (dates.feedDCDate)
        document.setDublinCoreDate(-1, *dates.feedDCDate);
    if (dates.item)
        document.setItemPubDate(item, *dates.item);
    if (dates.itemDCDate)
        document.setDublinCoreDate(item, *dates.itemDCDate);
    if (dates.autoPubDate)
        document.setAutoPubDate(*dates.autoPubDate);
}

UndoRecord FieldChange::value(FeedDocument &document, const FeedField &field, int item,
                              const QString &restore, const Dates &dates)
{
    Guard guard(&document);
    return UndoRecord {[guard, field, item, restore, dates]() -> UndoRecord {
        if (!guard)
            return {};
        FeedDocument &doc = *guard;
        const Dates now = datesBefore(doc, field.scope, item, dates.autoPubDate.has_value());
        UndoRecord reverse = value(doc, field, item, doc.value(field, item), now);
        doc.applyField(field, item, restore);
        restoreDates(doc, item, dates);
        return reverse;
    }};
}

UndoRecord FieldChange::extensionValue(FeedDocument &document, FieldScope scope,
                                       ExtensionTarget target, int field, int item,
                                       const QVariant &restore, const Dates &dates)
{
    Guard guard(&document);
    return UndoRecord {[guard, scope, target, field, item, restore, dates]() -> UndoRecord {
        FieldExtensionBase *fields = guard ? target(*guard, item) : nullptr;
        if (!fields)
            return {};
        FeedDocument &doc = *guard;
        UndoRecord reverse
            = extensionValue(doc, scope, target, field, item, fields->value(field),
                             datesBefore(doc, scope, item, dates.autoPubDate.has_value()));
        fields->setValue(field, restore);
        restoreDates(doc, item, dates);
        return reverse;
    }};
}

UndoRecord FieldChange::guid(FeedDocument &document, int item, const QString &guid, int isPermaLink,
                             const Dates &dates)
{
    Guard guard(&document);
    return UndoRecord {[guard, item, guid, isPermaLink, dates]() -> UndoRecord {
        if (!guard || !guard->item(item))
            return {};
        FeedDocument &doc = *guard;
        const VLXItems *target = doc.item(item);
        UndoRecord reverse = FieldChange::guid(doc, item, target->GUID(), target->GUIDAttr(),
                                               datesBefore(doc, FieldScope::Item, item, true));
        doc.applyGUID(item, guid, isPermaLink);
        restoreDates(doc, item, dates);
        return reverse;
    }};
}

UndoRecord FieldChange::skipFlag(FeedDocument &document, bool hours, int index, int value,
                                 const Dates &dates)
{
    Guard guard(&document);
    return UndoRecord {[guard, hours, index, value, dates]() -> UndoRecord {
        if (!guard)
            return {};
        FeedDocument &doc = *guard;
        VLXFeed &feed = *doc.feed();
        const int current = hours ? feed.skipHours(index) : feed.skipDays(index);
        UndoRecord reverse = skipFlag(doc, hours, index, current,
                                      datesBefore(doc, FieldScope::Channel, -1, false));
        if (hours)
            feed.setSkipHours(index, value);
        else
            feed.setSkipDays(index, value);
        doc.announce(FieldScope::Channel, -1,
                     hours ? FeedFields::kSkipHours : FeedFields::kSkipDays);
        restoreDates(doc, -1, dates);
        return reverse;
    }};
}

UndoRecord FieldChange::localEnclosure(FeedDocument &document, int item, const QString &length,
                                       const QString &type, const QString &path,
                                       const QDateTime &lastUpload)
{
    Guard guard(&document);
    return UndoRecord {[guard, item, length, type, path, lastUpload]() -> UndoRecord {
        if (!guard || !guard->item(item))
            return {};
        FeedDocument &doc = *guard;
        VLXItems &target = *doc.item(item);
        UndoRecord reverse
            = localEnclosure(doc, item, target.enclosureAttrLength(), target.enclosureAttrType(),
                             target.localEnclosureFilePath(), target.lastUploaded());
        const QList<QPair<QString, QString>> values {{FeedFields::kEnclosureLength, length},
                                                     {FeedFields::kEnclosureType, type}};
        for (const auto &[outlet, text] : values) {
            if (const FeedField *field = FeedFields::byOutlet(outlet))
                doc.applyField(*field, item, text);
        }
        target.setLocalEnclosureFilePath(path);
        target.setLastUploaded(lastUpload);
        doc.announce(FieldScope::Item, item, FeedFields::kEnclosureFile);
        return reverse;
    }};
}

UndoRecord FieldChange::items(FeedDocument &document, int selectedRow)
{
    const KeptAside<VLXFeed::ItemList> kept(document.feed()->arrayOfItems());
    const Dates dates = datesBefore(document, FieldScope::Channel, -1, false);
    Guard guard(&document);
    return UndoRecord {[guard, kept, dates, selectedRow]() -> UndoRecord {
        if (!guard)
            return {};
        FeedDocument &doc = *guard;
        UndoRecord reverse = items(doc, doc.shownItem());
        doc.feed()->replaceItems(*kept);
        doc.itemsChanged(selectedRow);
        restoreDates(doc, -1, dates);
        return reverse;
    }};
}

UndoRecord FieldChange::picture(FeedDocument &document)
{
    const QImage picture = document.picture();
    const VLXImage *image = document.image();
    const QString width = image ? image->width() : QString();
    const QString height = image ? image->height() : QString();
    const bool edited = document.isImageEdited();
    const FeedDocument::PictureOrigin origin = document.pictureOrigin();
    Guard guard(&document);
    return UndoRecord {[guard, picture, origin, width, height, edited]() -> UndoRecord {
        if (!guard || !guard->image())
            return {};
        FeedDocument &doc = *guard;
        UndoRecord reverse = FieldChange::picture(doc);
        doc.cancelPictureFetch();
        doc.setPictureOrigin(origin);
        doc.setPicture(picture);
        doc.image()->setWidth(width);
        doc.announce(FieldScope::Image, -1, FeedFields::kImageWidth);
        doc.image()->setHeight(height);
        doc.announce(FieldScope::Image, -1, FeedFields::kImageHeight);
        doc.setImageEdited(edited);
        return reverse;
    }};
}

namespace {
// A list of the channel, an item or the image, read and put back through the document.
template<typename List>
UndoRecord listChange(FeedDocument &document, FieldScope scope, int item, const List &restore,
                      const FieldChange::Dates &dates,
                      List (FeedDocument::*read)(FieldScope, int) const,
                      bool (FeedDocument::*apply)(FieldScope, int, const List &))
{
    Guard guard(&document);
    return UndoRecord {[guard, scope, item, restore, dates, read, apply]() -> UndoRecord {
        if (!guard)
            return {};
        FeedDocument &doc = *guard;
        UndoRecord reverse
            = listChange(doc, scope, item, (doc.*read)(scope, item),
                         FieldChange::datesBefore(doc, scope, item, false), read, apply);
        (doc.*apply)(scope, item, restore);
        FieldChange::restoreDates(doc, item, dates);
        return reverse;
    }};
}
} // namespace

UndoRecord FieldChange::categories(FeedDocument &document, FieldScope scope, int item,
                                   const QList<categoryElement> &restore, const Dates &dates)
{
    return listChange(document, scope, item, restore, dates, &FeedDocument::categories,
                      &FeedDocument::applyCategories);
}

UndoRecord FieldChange::comments(FeedDocument &document, FieldScope scope, int item,
                                 const QStringList &restore, const Dates &dates)
{
    return listChange(document, scope, item, restore, dates, &FeedDocument::comments,
                      &FeedDocument::applyComments);
}

UndoRecord FieldChange::entryValues(FeedDocument &document, const QStringList &keys,
                                    std::function<void()> stored)
{
    QList<std::optional<QVariant>> values;
    for (const QString &key : keys) {
        const QVariant value = document.entry().value(key);
        values.append(value.isValid() ? std::optional<QVariant>(value) : std::nullopt);
    }
    Guard guard(&document);
    return UndoRecord {[guard, keys, values, stored]() -> UndoRecord {
        if (!guard || guard->entry().isNull())
            return {};
        FeedDocument &doc = *guard;
        UndoRecord reverse = entryValues(doc, keys, stored);
        FeedListEntry entry = doc.entry();
        for (qsizetype i = 0; i < keys.size(); ++i) {
            if (values.at(i))
                entry.setValue(keys.at(i), *values.at(i));
            else
                entry.remove(keys.at(i));
        }
        doc.setEntry(entry);
        if (stored)
            stored();
        return reverse;
    }};
}

UndoRecord FieldChange::namespaces(FeedDocument &document)
{
    const VLXFeed &feed = *document.feed();
    std::shared_ptr<const extensionManagerChannel> channel = feed.XMLExtensions()->copy();
    std::shared_ptr<const extensionManagerImage> image = feed.image()->XMLExtensions()->copy();
    QList<std::shared_ptr<const extensionManagerItem>> items;
    items.reserve(feed.countOfItems());
    for (const auto &item : feed.arrayOfItems())
        items.append(item->XMLExtensions()->copy());
    const QString feedDate = feed.pubDate();
    Guard guard(&document);
    return UndoRecord {[guard, channel, image, items, feedDate]() -> UndoRecord {
        if (!guard)
            return {};
        FeedDocument &doc = *guard;
        UndoRecord reverse = namespaces(doc);
        VLXFeed &current = *doc.feed();
        current.setXMLExtensions(*channel);
        current.image()->setXMLExtensions(*image);
        for (int i = 0; i < current.countOfItems() && i < items.size(); ++i)
            current.itemAtIndex(i)->setXMLExtensions(*items.at(i));
        doc.announceNamespaces();
        doc.setFeedPubDate(feedDate);
        return reverse;
    }};
}

UndoRecord FieldChange::wholeFeed(FeedDocument &document)
{
    const KeptAside<std::shared_ptr<VLXFeed>> kept(document.feed());
    Guard guard(&document);
    return UndoRecord {[guard, kept]() -> UndoRecord {
        if (!guard)
            return {};
        FeedDocument &doc = *guard;
        UndoRecord reverse = wholeFeed(doc);
        doc.reinstate(*kept);
        return reverse;
    }};
}
