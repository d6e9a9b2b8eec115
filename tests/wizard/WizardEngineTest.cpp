// The wizard's engine without a window: its navigation tables, which handler a button reaches,
// when Cancel asks, the items it makes and the kind of feed.
#include "wizard/WizardEngine.h"

#include "extensions/itunes/iTunesChannel.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/ScriptedAlertService.h"
#include "settings/VLXPreferences.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {
const QStringList kKeys {"prevPage", "nextPage", "nextPageIfNotMax", "finalizePage"};

// The handlers the wizard's window answers.
const QSet<QString> kHandlers {"Intro_1",
                               "Feed_type",
                               "Feed_title",
                               "Feed_description",
                               "Feed_link",
                               "Feed_copyright",
                               "Feed_language",
                               "Feed_iTunes_subtitle",
                               "Feed_iTunes_summary",
                               "Feed_iTunes_category",
                               "Feed_iTunes_keywords",
                               "Feed_iTunes_author",
                               "Feed_iTunes_owner",
                               "Feed_iTunes_image",
                               "Item_intro",
                               "Item_iTunes_intro",
                               "Item_only_intro",
                               "Item_only_iTunes_intro",
                               "Item_title",
                               "Item_iTunes_title",
                               "Item_description",
                               "Item_link",
                               "Item_enclosure",
                               "Item_iTunes_enclosure",
                               "Item_iTunes_subtitle",
                               "Item_iTunes_summary",
                               "Item_iTunes_duration",
                               "Item_iTunes_keywords",
                               "Item_iTunes_author",
                               "Feed_finalize",
                               "Feed_iTunes_finalize",
                               "Item_finalize",
                               "Item_iTunes_finalize"};
} // namespace

class WizardEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        alerts = ScriptedAlertService::install();
    }
    void TearDown() override { AlertService::setInstance(nullptr); }

    std::shared_ptr<ScriptedAlertService> alerts;
    WizardEngine engine;
};

TEST_F(WizardEngineTest, EachTableReachesEveryPageItNamesAndKnowsEveryPageItReaches)
{
    const struct
    {
        const char *name;
        const char *first;
        const char *finish;
        const char *lastItemPage;
    } tables[] = {
        {"WizardNavBasic", "Intro_1", "Feed_finalize", "Item_enclosure"},
        {"WizardNaviTunesPodcast", "Intro_1", "Feed_iTunes_finalize", "Item_iTunes_author"},
        {"WizardNavItemBasic", "Item_only_intro", "Item_finalize", "Item_enclosure"},
        {"WizardNavItemiTunesPodcast", "Item_only_intro", "Item_iTunes_finalize",
         "Item_iTunes_author"},
    };
    for (const auto &expected : tables) {
        SCOPED_TRACE(expected.name);
        const QVariantMap table = WizardEngine::readTable(expected.name);
        ASSERT_FALSE(table.isEmpty());
        // Walk every key from the first page: everything named has an entry, every entry is
        // reached.
        QSet<QString> reached {expected.first};
        QStringList waiting {expected.first};
        while (!waiting.isEmpty()) {
            const QString page = waiting.takeFirst();
            ASSERT_TRUE(table.contains(page)) << page.toStdString();
            const QVariantMap entry = table.value(page).toMap();
            const QString handler = entry.value("functionName", page).toString();
            EXPECT_TRUE(kHandlers.contains(handler)) << handler.toStdString();
            for (const QString &key : kKeys) {
                const QString next = entry.value(key).toString();
                if (!next.isEmpty() && !reached.contains(next)) {
                    reached.insert(next);
                    waiting << next;
                }
            }
        }
        EXPECT_EQ(reached.size(), table.size());
        const QVariantMap title = table.value("Item_title").toMap();
        EXPECT_EQ(title.value("finalizePage").toString(), expected.finish);
        const QVariantMap last = table.value(expected.lastItemPage).toMap();
        EXPECT_EQ(last.value("nextPageIfNotMax").toString(), "Item_title");
        EXPECT_EQ(last.value("nextPage").toString(), expected.finish);
    }
    // Both feed tables say where the feed pages start after the feed type.
    for (const char *feedTable : {"WizardNavBasic", "WizardNaviTunesPodcast"})
        EXPECT_EQ(WizardEngine::readTable(feedTable).value("Feed_type").toMap().value("nextPage"),
                  "Feed_title");
    EXPECT_TRUE(WizardEngine::readTable("NoSuchTable").isEmpty());
}

TEST_F(WizardEngineTest, AButtonReachesTheFunctionNameElseThePagesOwnHandler)
{
    QStringList calls;
    engine.setTable({{"A", QVariantMap {{"functionName", "Shared"}}},
                     {"B", QVariantMap {{"functionName", "Missing"}}},
                     {"C", QVariantMap {}}});
    for (const char *name : {"Shared", "A", "B"}) {
        const QString handler = name;
        engine.setHandler(handler, [&calls, handler](int tag) {
            calls << QStringLiteral("%1 %2").arg(handler).arg(tag);
        });
    }
    engine.selectPage("A");
    EXPECT_EQ(engine.buttonPress(WizardEngine::kNext), WizardEngine::Dispatch::ByFunctionName);
    engine.selectPage("B");
    EXPECT_EQ(engine.buttonPress(WizardEngine::kBack), WizardEngine::Dispatch::ByPage);
    engine.selectPage("C");
    EXPECT_EQ(engine.buttonPress(WizardEngine::kNext), WizardEngine::Dispatch::NotSupported);
    EXPECT_EQ(calls, (QStringList {"Shared 4", "B 2"}));
    EXPECT_FALSE(engine.hasEnded());
}

TEST_F(WizardEngineTest, APageTheTableDoesNotKnowEndsTheRunAndReachesNoHandler)
{
    int handled = 0;
    QList<int> ends;
    engine.setTable({{"Known", QVariantMap {}}});
    engine.setHandler("Lost", [&handled](int) { ++handled; });
    engine.setEndHandler([&ends](int code) { ends << code; });
    engine.begin();
    engine.selectPage("Lost");
    EXPECT_EQ(engine.buttonPress(WizardEngine::kNext), WizardEngine::Dispatch::NoEntry);
    EXPECT_EQ(handled, 0);
    EXPECT_TRUE(engine.hasEnded());
    EXPECT_EQ(ends, QList<int> {0});
    engine.end(1); // a run ends once
    EXPECT_EQ(ends, QList<int> {0});
}

TEST_F(WizardEngineTest, CancelLeavesAtOnceOnlyBeforeTheUserHasGivenAnything)
{
    engine.startFeed("KEY");
    engine.setCancelQuestion("Leave?");
    for (const char *page : {"Intro_1", "Feed_type", "Feed_title"}) {
        engine.selectPage(page);
        EXPECT_TRUE(engine.cancelEndsAtOnce(true)) << page;
        EXPECT_FALSE(engine.cancelEndsAtOnce(false)) << page;
    }
    engine.selectPage("Feed_description");
    EXPECT_FALSE(engine.cancelEndsAtOnce(true));

    // The question: "No" is the default and keeps the run; "Yes" ends it as cancelled.
    alerts->queueAnswer(AlertService::kDefault);
    EXPECT_FALSE(engine.cancel(true));
    ASSERT_EQ(alerts->alerts().size(), 1);
    const Alert &asked = alerts->alerts().first();
    EXPECT_EQ(asked.title, "Warning");
    EXPECT_EQ(asked.message, "Leave?");
    EXPECT_EQ(asked.defaultButton, "No");
    EXPECT_EQ(asked.alternateButton, "Yes");
    EXPECT_FALSE(engine.hasEnded());
    alerts->queueAnswer(AlertService::kAlternate);
    EXPECT_TRUE(engine.cancel(true));
    EXPECT_TRUE(engine.hasEnded());
    EXPECT_EQ(engine.endCode(), 0);

    // The item wizard's first pages: at once while the counter is 0, items made or not.
    const struct
    {
        const char *page;
        int made;
        int counter;
        bool atOnce;
    } cases[] = {
        {"Item_only_intro", 0, 0, true},         {"Item_only_intro", 1, 0, true},
        {"Item_only_iTunes_intro", 2, 0, true},  {"Item_only_intro", 2, 1, false},
        {"Item_only_iTunes_intro", 2, 1, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.page << " " << c.made << " " << c.counter);
        alerts->clear();
        engine.startItems({}, WizardEngine::kBasic);
        for (int i = 0; i < c.made; ++i)
            engine.appendNewItem(false);
        engine.setItemCounter(c.counter);
        engine.selectPage(c.page);
        if (!c.atOnce)
            alerts->queueAnswer(AlertService::kDefault); // "No": the run goes on
        EXPECT_EQ(engine.cancel(false), c.atOnce);
        EXPECT_EQ(alerts->alerts().isEmpty(), c.atOnce);
    }
}

TEST_F(WizardEngineTest, TheCounterNamesTheItemOnShowAndItsPosition)
{
    engine.startItems({}, WizardEngine::kBasic);
    EXPECT_EQ(engine.currentItem(), nullptr);
    for (int i = 0; i < 3; ++i)
        engine.appendNewItem(false);
    engine.setItemCounter(1);
    EXPECT_EQ(engine.countLabel(), "2 of 3");
    EXPECT_EQ(engine.currentItem(), engine.items().at(1).get());
    engine.setItemCounter(3);
    EXPECT_EQ(engine.currentItem(), nullptr);
    engine.startItems({}, WizardEngine::kBasic);
    EXPECT_TRUE(engine.items().isEmpty()) << "each run starts without items";
}

TEST_F(WizardEngineTest, NewItemsHaveGuidsOfTheirOwnAndTheirKindsEnclosure)
{
    VLXPreferences::setObjectForKey("https://example.org/fixed", "FD_AF_IF_GUID_GUID");
    VLXPreferences::setObjectForKey(1, "FD_AF_IF_GUID_Perma");
    engine.startFeed("KEY");
    const auto basic = engine.appendNewItem(false);
    engine.chooseFeedKind(WizardEngine::kEnclosures);
    const auto withEnclosure = engine.appendNewItem(false);
    EXPECT_EQ(basic->includeEnclosure(), 0);
    EXPECT_EQ(withEnclosure->includeEnclosure(), 1);
    for (const auto &item : {basic, withEnclosure}) {
        EXPECT_TRUE(item->GUID().endsWith("-VLX")) << item->GUID().toStdString();
        EXPECT_EQ(item->GUIDAttr(), 0);
    }
    EXPECT_NE(basic->GUID(), withEnclosure->GUID());

    // The item wizard's items carry the loaded feed's namespaces.
    engine.startItems({iTunesChannel::classDescriptionOfNamespace()}, WizardEngine::kPodcast);
    EXPECT_EQ(engine.tableName(), "WizardNavItemiTunesPodcast");
    const auto episode = engine.appendNewItem(false);
    EXPECT_TRUE(episode->XMLExtensions()->iTunesExtensionUsed());
    EXPECT_EQ(episode->includeEnclosure(), 1);
    EXPECT_FALSE(engine.feedUsesITunes()) << "the item wizard makes no feed";
}

TEST_F(WizardEngineTest, ThePodcastKindGivesTheFeedAndItsItemsOneITunesExtension)
{
    engine.startFeed("KEY");
    EXPECT_EQ(engine.tableName(), "WizardNavBasic");
    engine.appendNewItem(false);
    engine.appendNewItem(false);
    engine.chooseFeedKind(WizardEngine::kPodcast);
    EXPECT_EQ(engine.tableName(), "WizardNaviTunesPodcast");
    ASSERT_TRUE(engine.feedUsesITunes());
    for (const auto &item : engine.items())
        EXPECT_TRUE(item->XMLExtensions()->iTunesExtensionUsed());

    // Chosen again: the same extension, with what was stored in it.
    const auto channel = engine.feed()->XMLExtensions()->iTunesExtension();
    std::static_pointer_cast<iTunesChannel>(channel)->setSubtitle("Kept");
    engine.chooseFeedKind(WizardEngine::kPodcast);
    EXPECT_EQ(engine.feed()->XMLExtensions()->iTunesExtension(), channel);
    EXPECT_EQ(std::static_pointer_cast<iTunesChannel>(channel)->subtitle(), "Kept");

    // Another kind takes it away from the feed and every item.
    engine.chooseFeedKind(WizardEngine::kBasic);
    EXPECT_EQ(engine.tableName(), "WizardNavBasic");
    EXPECT_FALSE(engine.feedUsesITunes());
    for (const auto &item : engine.items())
        EXPECT_FALSE(item->XMLExtensions()->iTunesExtensionUsed());
    EXPECT_TRUE(engine.appendNewItem(true)->XMLExtensions()->iTunesExtensionUsed());
}
