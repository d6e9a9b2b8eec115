// A feed or an item list of many items let go on a pool thread: only when nothing else holds
// any of it, and never so that an item kept elsewhere loses anything.
#include "document/FreeAside.h"

#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerItem.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {
std::shared_ptr<VLXFeed> feedOf(int items)
{
    auto feed = std::make_shared<VLXFeed>();
    for (int i = 0; i < items; ++i) {
        auto item = std::make_shared<VLXItems>();
        item->setTitle(QStringLiteral("Episode %1").arg(i));
        feed->addItem(item);
    }
    return feed;
}

bool allGone(const std::vector<std::weak_ptr<VLXItems>> &items)
{
    return std::all_of(items.begin(), items.end(), [](const auto &item) { return item.expired(); });
}

std::vector<std::weak_ptr<VLXItems>> watch(const VLXFeed &feed)
{
    return {feed.arrayOfItems().cbegin(), feed.arrayOfItems().cend()};
}
} // namespace

TEST(FreeAsideTest, AFeedHeldNowhereElseGoesWithAllItsItems)
{
    std::shared_ptr<VLXFeed> big = feedOf(1200);
    const std::weak_ptr<VLXFeed> bigFeed = big;
    const auto bigItems = watch(*big);
    releaseFeedAside(std::move(big));
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_TRUE(bigFeed.expired());
    EXPECT_TRUE(allGone(bigItems));

    // A small feed simply goes, there and then.
    std::shared_ptr<VLXFeed> small = feedOf(20);
    const std::weak_ptr<VLXFeed> smallFeed = small;
    releaseFeedAside(std::move(small));
    EXPECT_TRUE(smallFeed.expired());
}

TEST(FreeAsideTest, AnItemHeldElsewhereOutlivesItsFeedWholeAndOutOfItsScope)
{
    std::shared_ptr<VLXFeed> feed = feedOf(1200);
    const std::shared_ptr<VLXItems> kept = feed->itemAtIndex(700);
    ASSERT_TRUE(kept->XMLExtensions()->scope());
    auto others = watch(*feed);
    others.erase(others.begin() + 700);
    releaseFeedAside(std::move(feed));
    QThreadPool::globalInstance()->waitForDone();
    // Found shared on the pool thread, the feed is freed by this thread's event loop.
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(allGone(others));
    EXPECT_EQ(kept->title(), "Episode 700");
    EXPECT_FALSE(kept->XMLExtensions()->scope());

    // A feed another holder shares stays as it is.
    std::shared_ptr<VLXFeed> shared = feedOf(1200);
    const std::shared_ptr<VLXFeed> holder = shared;
    releaseFeedAside(std::move(shared));
    QThreadPool::globalInstance()->waitForDone();
    ASSERT_EQ(holder->countOfItems(), 1200);
    EXPECT_EQ(holder->itemAtIndex(1199)->title(), "Episode 1199");
}

TEST(FreeAsideTest, AnItemListGoesOnlyWhenItsItemsAreHeldNowhereElse)
{
    // A list sharing its items (or its very array) with a feed leaves the feed whole.
    const std::shared_ptr<VLXFeed> feed = feedOf(1200);
    releaseItemsAside(feed->arrayOfItems());
    VLXFeed::ItemList copied = feed->arrayOfItems();
    copied.detach();
    releaseItemsAside(std::move(copied));
    QThreadPool::globalInstance()->waitForDone();
    ASSERT_EQ(feed->countOfItems(), 1200);
    EXPECT_EQ(feed->itemAtIndex(0)->title(), "Episode 0");
    EXPECT_EQ(feed->itemAtIndex(1199)->title(), "Episode 1199");

    // A list that alone holds its items takes them with it.
    VLXFeed::ItemList alone;
    for (int i = 0; i < 1200; ++i)
        alone.append(std::make_shared<VLXItems>());
    const std::vector<std::weak_ptr<VLXItems>> items(alone.cbegin(), alone.cend());
    releaseItemsAside(std::move(alone));
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_TRUE(allGone(items));
}
