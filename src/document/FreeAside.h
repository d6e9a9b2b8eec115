#pragma once

#include <QList>
#include <QThreadPool>

#include <memory>
#include <utility>

class VLXFeed;
class VLXItems;

// A text or byte array of a big feed is given back on a pool thread: returning a hundred
// megabytes to the system takes the window's thread tens of milliseconds. Smaller ones stay
// with the caller, freed as usual.
template<typename Buffer> void freeAside(Buffer &&buffer)
{
    constexpr qsizetype kFreedAside = 4 * 1024 * 1024;
    if (buffer.size() < kFreedAside)
        return;
    QThreadPool::globalInstance()->start([held = std::move(buffer)]() mutable { held = {}; });
}

// Freeing a feed or a list of many thousand items takes the window's thread tens of
// milliseconds. When the caller's is the last hold on the feed and on every item (no undo step,
// no clipboard, no other feed keeps any), nothing can touch them any more and they are freed on
// a pool thread, and the memory goes back to the system. Otherwise, or when they are few, the
// caller's hold simply goes. (A feed some of whose items are held elsewhere is found so on the
// pool thread, and comes back to the window's thread's event loop to be freed.)
void releaseFeedAside(std::shared_ptr<VLXFeed> feed);
void releaseItemsAside(QList<std::shared_ptr<VLXItems>> items);
