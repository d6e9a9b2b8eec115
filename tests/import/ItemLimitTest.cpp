// Every way of adding items to the loaded feed stops at the most items a feed may have when it
// is opened: a feed of more would be saved and then refused. Items that would cross the limit
// are refused whole.
#include "ImportFixture.h"

#include "app/ItemActions.h"
#include "app/ToolHandOffs.h"
#include "app/Vellumcast.h"
#include "document/FeedDocument.h"
#include "document/ItemLimit.h"
#include "import/VLXImport.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "panes/FeedWizardTool.h"

#include <QAction>
#include <QMainWindow>
#include <QTest>

namespace {

// An item wizard that finishes at once with the number of blank items asked for.
class ItemMaker : public FeedWizardTool
{
public:
    std::shared_ptr<VLXFeed> feedWizard(QWidget *, const QString &) override { return nullptr; }
    bool feedItemWizard(QWidget *, const QStringList &, bool, bool) override
    {
        ++runs;
        return true;
    }
    VLXFeed::ItemList newItems() const override
    {
        VLXFeed::ItemList items;
        for (int i = 0; i < making; ++i)
            items << std::make_shared<VLXItems>();
        return items;
    }
    int making = 1;
    int runs = 0;
};

} // namespace

class ItemLimitTest : public ImportFixture
{
};

TEST_F(ItemLimitTest, EveryWayOfAddingItemsStopsAtTheLimit)
{
    constexpr int kLimit = VLXParseFeed::kMaximumItems;
    Vellumcast &w = openFeed();
    auto maker = std::make_shared<ItemMaker>();
    w.tools().setFeedWizard(maker);
    const QString source = serve("two.xml", sourceFeed("Two", {{"One", ""}, {"Two", ""}}));
    // Blank items, made once: the feed is cut to the length each case starts from, sharing them.
    VLXFeed::ItemList blanks;
    blanks.reserve(kLimit);
    for (int i = 0; i < kLimit; ++i)
        blanks << std::make_shared<VLXItems>();

    const auto importing = [&](int marked, bool dropped) {
        VLXImport *import = dropped ? openImportFromDrop(source) : openImport();
        ASSERT_NE(import, nullptr);
        if (!dropped) {
            ASSERT_TRUE(open(import, source));
        }
        import->clearAllItems();
        for (int row = 0; row < marked; ++row)
            import->importCheckBox(row);
        import->doImport();
        import->cancel();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.window()->findChild<VLXImport *>(); }));
    };
    const auto wizard = [&](int making) {
        maker->making = making;
        w.command("itemWizard")->trigger();
    };
    const struct
    {
        const char *road;
        int adding;
        std::function<void()> run;
    } roads[] = {
        {"new item", 1, [&] { w.command("newItem")->trigger(); }},
        {"clone", 1, [&] { w.command("cloneItem")->trigger(); }},
        {"item wizard, one", 1, [&] { wizard(1); }},
        {"item wizard, two", 2, [&] { wizard(2); }},
        {"import, one", 1, [&] { importing(1, false); }},
        {"import, two", 2, [&] { importing(2, false); }},
        {"dropped feed, one", 1, [&] { importing(1, true); }},
        {"dropped feed, two", 2, [&] { importing(2, true); }},
    };
    for (const auto &road : roads) {
        for (const int before : {kLimit, kLimit - 1}) {
            SCOPED_TRACE(QStringLiteral("%1 from %2").arg(road.road).arg(before).toStdString());
            w.currentFeed()->replaceItems(blanks.mid(0, before));
            w.document()->itemsChanged(0);
            endAction();
            alerts->clear();
            const int wizardRuns = maker->runs;
            road.run();
            endAction();
            const bool fits = before + road.adding <= kLimit;
            EXPECT_EQ(w.currentFeed()->countOfItems(), fits ? before + road.adding : before);
            if (fits) {
                EXPECT_FALSE(alertTitles().contains("Feed Too Large"));
                continue;
            }
            ASSERT_EQ(alertTitles(), QStringList {"Feed Too Large"});
            const QString message = alerts->alerts().first().message;
            EXPECT_TRUE(message.startsWith("With the ")
                        && message.contains(" items. Vellumcast opens feeds of up to 250,000 "
                                            "items, so "))
                << message.toStdString();
            // A full feed is refused before the wizard asks anything.
            if (before == kLimit) {
                EXPECT_EQ(maker->runs, wizardRuns);
            }
        }
    }
    EXPECT_EQ(ItemLimit::message(1, kLimit + 1),
              "With the new item this feed would have 250,001 items. Vellumcast opens feeds of "
              "up to 250,000 items, so it was not added.");
}
