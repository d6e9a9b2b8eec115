#include "document/FreeAside.h"

#include "model/VLXFeed.h"
#include "model/VLXItems.h"

#include <QCoreApplication>

#include <chrono>
#include <malloc.h>
#include <thread>

namespace {
// Below this many items they are freed at once.
constexpr qsizetype kItemsFreedAside = 1000;

using ItemList = QList<std::shared_ptr<VLXItems>>;

bool onlyHeldHere(const ItemList &items)
{
    for (const auto &item : items) {
        if (item.use_count() != 1)
            return false;
    }
    return true;
}

// The allocator's locks are not fair: a thread freeing many thousand objects in one go keeps any
// other thread that frees or allocates in the same arena (the window's, too) waiting until it is
// done. The items go a few hundred at a time, with a pause between that lets the waiting ones
// through; the memory goes back to the system at the end.
void freeInSteps(ItemList items)
{
    constexpr qsizetype kStep = 200;
    for (qsizetype i = 0; i < items.size(); ++i) {
        items[i].reset();
        if ((i + 1) % kStep == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    items = {};
    malloc_trim(0);
}
} // namespace

void releaseFeedAside(std::shared_ptr<VLXFeed> feed)
{
    if (!feed || feed.use_count() != 1 || feed->countOfItems() < kItemsFreedAside)
        return;
    // The channel's extensions let go of what they show in the window first, here.
    feed->deactivate();
    QThreadPool::globalInstance()->start([feed = std::move(feed)]() mutable {
        // Whether anything else holds an item is asked here, as it walks every item: nothing
        // can take a new hold on an item only this feed holds. An item held elsewhere (an undo
        // step, the clipboard) leaves the feed's scope as the feed goes, which belongs to the
        // window's thread: such a feed is handed back to be freed there.
        if (!onlyHeldHere(feed->arrayOfItems())) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [feed = std::move(feed)] {}, Qt::QueuedConnection);
            return;
        }
        // The items are taken out of the feed (they leave its scope as it goes) and then freed.
        ItemList items = feed->arrayOfItems();
        items.detach();
        feed.reset();
        freeInSteps(std::move(items));
    });
}

void releaseItemsAside(ItemList items)
{
    if (items.size() < kItemsFreedAside || !items.isDetached() || !onlyHeldHere(items))
        return;
    QThreadPool::globalInstance()->start(
        [items = std::move(items)]() mutable { freeInSteps(std::move(items)); });
}
