// The feed list's actions: New, Remove Feed, moving feeds, Save As, and the rule that the window
// always shows a listed feed.
#include "ActionsFixture.h"

#include "app/Controller.h"
#include "app/FeedDocument.h"
#include "app/SmartDateRules.h"
#include "app/VLXUndoManager.h"
#include "app/Vellumcast.h"
#include "model/SmartDate.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "platform/PropertyList.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXListBox.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QSignalSpy>

namespace {
QStringList fileNames(const Vellumcast &window)
{
    QStringList names;
    for (const QVariantMap &entry : window.currentListOfFeeds())
        names << entry.value("feedFileName").toString();
    return names;
}
} // namespace

class FeedListActionsTest : public ActionsFixture
{
protected:
    // Changes the loaded feed's title as a typed edit would.
    void edit(const QString &title)
    {
        window().document()->editField("Feeds_Required_Title", -1, title);
        endAction();
    }
    QString id(int row) const
    {
        return window().currentListOfFeeds().value(row).value("UniqueIdentifier").toString();
    }
};

TEST_F(FeedListActionsTest, NewListsOneUntitledEditedFeedWithOneItemAfterAskingAboutChanges)
{
    Vellumcast &w = openFeed();
    edit("Changed");
    // Cancel keeps everything.
    alerts->queueAnswer(AlertService::kOther);
    w.command("newDocument")->trigger();
    ASSERT_EQ(alertTitles(), QStringList {"Warning"});
    EXPECT_EQ(alerts->alerts().first().message,
              "Changes have been made to this feed.  Do you want to save them before creating a "
              "new feed?");
    EXPECT_EQ(fileNames(w), QStringList {"feed.xml"});
    EXPECT_EQ(w.currentFeed()->title(), "Changed");

    alerts->clear();
    alerts->queueAnswer(AlertService::kAlternate); // Don't Save
    w.command("newDocument")->trigger();
    EXPECT_EQ(fileNames(w), (QStringList {"(untitled)", "feed.xml"}));
    const QVariantMap entry = w.currentListOfFeeds().first();
    EXPECT_EQ(entry.value("feedURL").toString(), "");
    EXPECT_EQ(entry.value("isTransient").toInt(), 1);
    EXPECT_EQ(list()->selectedRow(), 0);
    EXPECT_EQ(w.lastFeedViewed(), 0);
    EXPECT_EQ(w.currentFeed()->title(), "(untitled)");
    EXPECT_EQ(itemTitles(), QStringList {"(untitled)"});
    EXPECT_TRUE(w.isDocumentEdited());
    EXPECT_TRUE(w.window()->isWindowModified());
    EXPECT_EQ(undo().count(), 0);
    EXPECT_EQ(w.window()->windowTitle(), "(untitled)[*]");
    EXPECT_EQ(w.statusText(), "(untitled)");
    // No rule: the date is now and stays automatic.
    EXPECT_TRUE(w.document()->autoPubDate());
    EXPECT_EQ(w.currentFeed()->pubDate(), SmartDate::feedAutoPubDate());
    // Nothing to revert to.
    EXPECT_TRUE(w.document()->text().isEmpty());

    // A second new feed replaces the first one and drops its settings.
    const QString first = id(0);
    VLXPreferences::setObjectForKey("mine", "FD_CF_FF_Title", first);
    alerts->queueAnswer(AlertService::kAlternate);
    w.newDocument();
    EXPECT_EQ(fileNames(w), (QStringList {"(untitled)", "feed.xml"}));
    EXPECT_NE(id(0), first);
    EXPECT_NE(VLXPreferences::objectForKey("FD_CF_FF_Title", first).toString(), "mine");
}

TEST_F(FeedListActionsTest, NewDatesTheFeedByARuleOnlyWhenItNamesADateAndATime)
{
    Vellumcast &w = openFeed();
    VLXPreferences::setObjectForKey(2, "FD_AF_SD_F_DataTo");
    VLXPreferences::setObjectForKey(10, "FD_AF_SD_F_TimeTo");
    w.newDocument();
    EXPECT_FALSE(w.document()->autoPubDate());
    const QString byRule = SmartDate::feedSmartDate(false, 2, 0, 10, 0, 0, 0);
    EXPECT_EQ(w.currentFeed()->pubDate(), byRule);
    ASSERT_NE(byRule, SmartDate::feedAutoPubDate());

    // A feed's own rule, switched on but without a time, dates it now whatever the other says.
    const QString key = "OWN";
    VLXPreferences::setObjectForKey(true, "FD_CF_SD_Enabled", key);
    VLXPreferences::setObjectForKey(3, "FD_CF_SD_F_DataTo", key);
    VLXPreferences::setObjectForKey(0, "FD_CF_SD_F_TimeTo", key);
    bool automatic = false;
    EXPECT_EQ(SmartDateRules(key).newFeedDate(&automatic), SmartDate::feedAutoPubDate());
    EXPECT_TRUE(automatic);
    VLXPreferences::setObjectForKey(7, "FD_CF_SD_F_TimeTo", key);
    EXPECT_EQ(SmartDateRules(key).newFeedDate(&automatic),
              SmartDate::feedSmartDate(true, 2, 0, 10, 3, 0, 7));
    EXPECT_FALSE(automatic);
}

TEST_F(FeedListActionsTest, RemovingANewFeedAsksTwiceAndTheEmptyListMakesANewOne)
{
    openFeed({"A"}, "a.xml");
    Vellumcast &w = openFeed({"B"}, "b.xml");
    w.newDocument();
    const QString untitled = id(0);
    VLXPreferences::setObjectForKey("mine", "FD_CF_FF_Title", untitled);
    ASSERT_EQ(fileNames(w), (QStringList {"(untitled)", "b.xml", "a.xml"}));
    ASSERT_TRUE(w.isDocumentEdited());

    // "No" to the first question changes nothing, unsaved changes or not.
    alerts->queueAnswer(AlertService::kAlternate);
    w.deleteFeed();
    EXPECT_EQ(alerts->alerts().last().message,
              "Are you sure you want to remove this feed from your list of feeds?");
    EXPECT_EQ(alerts->alerts().last().defaultButton, "Yes");
    EXPECT_EQ(alerts->alerts().last().alternateButton, "No");
    // "Cancel" to the second one neither.
    alerts->queueAnswer(AlertService::kDefault);
    alerts->queueAnswer(AlertService::kOther);
    w.deleteFeed();
    EXPECT_EQ(alerts->alerts().last().message,
              "Changes have been made to this feed.  Do you want to save them before opening "
              "another feed?");
    EXPECT_EQ(fileNames(w), (QStringList {"(untitled)", "b.xml", "a.xml"}));
    EXPECT_TRUE(w.isDocumentEdited());
    EXPECT_EQ(w.lastFeedViewed(), 0);

    // "Don't Save": the entry and its settings go, the feed in its row is loaded.
    alerts->queueAnswer(AlertService::kDefault);
    alerts->queueAnswer(AlertService::kAlternate);
    w.deleteFeed();
    EXPECT_EQ(fileNames(w), (QStringList {"b.xml", "a.xml"}));
    EXPECT_EQ(list()->selectedRow(), 0);
    EXPECT_EQ(itemTitles(), QStringList {"B"});
    EXPECT_FALSE(w.isDocumentEdited());
    EXPECT_NE(VLXPreferences::objectForKey("FD_CF_FF_Title", untitled).toString(), "mine");
    // The files stay on disk.
    EXPECT_TRUE(QFileInfo::exists(path("b.xml")));

    // The last row removed selects the row above; the last feed removed makes a new one.
    list()->fieldSelected(1);
    ASSERT_EQ(itemTitles(), QStringList {"A"});
    w.deleteFeed();
    EXPECT_EQ(fileNames(w), QStringList {"b.xml"});
    EXPECT_EQ(itemTitles(), QStringList {"B"});
    w.deleteFeed();
    EXPECT_EQ(fileNames(w), QStringList {"(untitled)"});
    EXPECT_EQ(list()->selectedRow(), 0);
    EXPECT_EQ(w.currentFeed()->title(), "(untitled)");
}

TEST_F(FeedListActionsTest, TheFeedThatTakesARemovedRowKeepsItsOwnEditedMark)
{
    // A feed repaired while it is read counts as edited from the start.
    writeFile(path("repaired.xml"),
              "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>R</title>"
              "<link>https://example.org/</link><description>d</description>"
              "<pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate>"
              "<item><title>R1</title><description>x</description>"
              "<itunes:author>Someone</itunes:author></item></channel></rss>\n");
    VLXPreferences::setObjectForKey(3, "M_ShowParseResults");
    Vellumcast &w = openFeed({"A"}, "plain.xml");
    w.openFeedAtPath(path("repaired.xml"));
    ASSERT_TRUE(w.isDocumentEdited());
    alerts->queueAnswer(AlertService::kAlternate); // the repairs are not saved
    list()->fieldSelected(1);
    ASSERT_EQ(fileNames(w), (QStringList {"repaired.xml", "plain.xml"}));
    ASSERT_EQ(w.currentFeed()->title(), "Feed");
    edit("Changed");

    alerts->queueAnswer(AlertService::kDefault);
    alerts->queueAnswer(AlertService::kAlternate);
    w.deleteFeed();
    ASSERT_EQ(fileNames(w), QStringList {"repaired.xml"});
    EXPECT_EQ(w.currentFeed()->title(), "R");
    EXPECT_TRUE(w.isDocumentEdited()) << "the repairs of the feed loaded in its place are kept";
    EXPECT_TRUE(w.window()->isWindowModified());
}

TEST_F(FeedListActionsTest, MovingFeedsKeepsTheLoadedOneSelectedAndStoresOnlyRealMoves)
{
    openFeed({"A"}, "a.xml");
    openFeed({"B"}, "b.xml");
    Vellumcast &w = openFeed({"C"}, "c.xml");
    ASSERT_EQ(fileNames(w), (QStringList {"c.xml", "b.xml", "a.xml"}));
    QSignalSpy stored(&w, &Vellumcast::feedListChanged);

    w.moveUpFeed(); // the first feed up: nothing
    list()->fieldSelected(2);
    w.moveDownFeed(); // the last feed down: nothing
    EXPECT_EQ(stored.count(), 0);
    EXPECT_EQ(fileNames(w), (QStringList {"c.xml", "b.xml", "a.xml"}));

    w.moveUpFeed();
    EXPECT_EQ(fileNames(w), (QStringList {"c.xml", "a.xml", "b.xml"}));
    EXPECT_EQ(list()->selectedRow(), 1);
    EXPECT_EQ(w.lastFeedViewed(), 1);
    EXPECT_EQ(itemTitles(), QStringList {"A"});
    EXPECT_EQ(stored.count(), 1);
    const QVariantList kept = store().array("feedListKey").value_or(QVariantList());
    ASSERT_EQ(kept.size(), 3);
    EXPECT_EQ(kept[1].toMap().value("feedFileName"), "a.xml");

    w.moveDownFeed();
    EXPECT_EQ(fileNames(w), (QStringList {"c.xml", "b.xml", "a.xml"}));
    EXPECT_EQ(list()->selectedRow(), 2);
    EXPECT_FALSE(w.command("moveDownFeed")->isEnabled());
    EXPECT_TRUE(w.command("moveUpFeed")->isEnabled());
}

TEST_F(FeedListActionsTest, SaveAsWritesACopyWhileSaveOfANewFeedAdoptsTheFile)
{
    Vellumcast &w = openFeed({"A"}, "feed.xml");
    edit("Copied");
    const QString copy = path("copies/copy.xml");
    QDir().mkpath(QFileInfo(copy).absolutePath());
    chooser->enqueue({copy});
    w.command("saveDocumentAs")->trigger();
    ASSERT_EQ(chooser->requests().size(), 1);
    EXPECT_EQ(chooser->requests().first().proposedName, "feed.xml");
    EXPECT_EQ(chooser->requests().first().allowedExtensions, QStringList {"xml"});
    ASSERT_TRUE(QFileInfo::exists(copy));
    EXPECT_TRUE(readFile(copy).contains("<title>Copied</title>"));
    // The companion is the entry as it is: still the former file's.
    const QVariantMap companion = PropertyList::parse(readFile(copy + ".plist")).toMap();
    EXPECT_EQ(companion.value("feedURL"), QUrl::fromLocalFile(path("feed.xml")).toString());
    EXPECT_EQ(fileNames(w), QStringList {"feed.xml"});
    EXPECT_EQ(w.currentListOfFeeds().first().value("feedURL"),
              QUrl::fromLocalFile(path("feed.xml")).toString());
    EXPECT_TRUE(w.window()->windowTitle().startsWith("feed.xml"));
    EXPECT_TRUE(w.isDocumentEdited());
    EXPECT_FALSE(readFile(path("feed.xml")).contains("Copied"));
    EXPECT_EQ(store().string("LastFeedSavePath"), QFileInfo(copy).absolutePath());

    // A feed never saved proposes its title; Save gives it the file.
    w.newDocument();
    w.document()->editField("Feeds_Required_Title", -1, "  My: feed/one  ");
    endAction();
    const QString saved = path("mine.xml");
    chooser->enqueue({saved});
    EXPECT_TRUE(w.actualSaveDocument(0));
    EXPECT_EQ(chooser->requests().last().proposedName, "My__feed_one");
    const QVariantMap entry = w.currentListOfFeeds().first();
    EXPECT_EQ(entry.value("feedFileName"), "mine.xml");
    EXPECT_EQ(entry.value("feedURL"), QUrl::fromLocalFile(saved).toString());
    EXPECT_EQ(entry.value("isTransient").toInt(), 0);
    EXPECT_FALSE(w.isDocumentEdited());
    EXPECT_TRUE(w.window()->windowTitle().startsWith("mine.xml"));
    EXPECT_EQ(PropertyList::parse(readFile(saved + ".plist")).toMap().value("feedURL"),
              QUrl::fromLocalFile(saved).toString());
}
