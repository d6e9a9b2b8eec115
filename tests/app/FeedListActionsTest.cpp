// The feed list's actions: New, Remove Feed, moving feeds, Save As, and the rule that the window
// always shows a listed feed.
#include "ActionsFixture.h"

#include "app/DocumentActions.h"
#include "app/FeedSaving.h"
#include "app/SmartDateRules.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "model/SmartDate.h"
#include "model/VLXFeed.h"
#include "platform/PropertyList.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXListBox.h"

#include <QAction>
#include <QFileInfo>
#include <QMainWindow>
#include <QSignalSpy>

class FeedListActionsTest : public ActionsFixture
{
protected:
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
    alerts->queueAnswer(AlertService::kOther); // Cancel keeps everything
    w.command("newDocument")->trigger();
    EXPECT_EQ(alerts->alerts().first().message,
              "Changes have been made to this feed.  Do you want to save them before creating a "
              "new feed?");
    EXPECT_EQ(fileNames(), QStringList {"feed.xml"});

    alerts->queueAnswer(AlertService::kAlternate); // Don't Save
    w.command("newDocument")->trigger();
    EXPECT_EQ(fileNames(), (QStringList {"(untitled)", "feed.xml"}));
    EXPECT_EQ(w.currentListOfFeeds().first().value("isTransient").toInt(), 1);
    EXPECT_EQ(list()->selectedRow(), 0);
    EXPECT_EQ(w.currentFeed()->title(), "(untitled)");
    EXPECT_EQ(itemTitles(), QStringList {"(untitled)"});
    EXPECT_TRUE(w.isDocumentEdited());
    EXPECT_EQ(undo().count(), 0);
    EXPECT_EQ(w.window()->windowTitle(), "(untitled)[*]");
    // No rule: dated now, and the date stays automatic; there is no file to revert to.
    EXPECT_TRUE(w.document()->autoPubDate());
    EXPECT_EQ(w.currentFeed()->pubDate(), SmartDate::feedAutoPubDate());
    EXPECT_TRUE(w.document()->text().isEmpty());

    // A second new feed replaces the first one and drops its settings; a rule naming a date and
    // a time dates it.
    const QString first = id(0);
    VLXPreferences::setObjectForKey("mine", "FD_CF_FF_Title", first);
    VLXPreferences::setObjectForKey(2, "FD_AF_SD_F_DataTo");
    VLXPreferences::setObjectForKey(10, "FD_AF_SD_F_TimeTo");
    alerts->queueAnswer(AlertService::kAlternate);
    w.documentActions().newDocument();
    EXPECT_EQ(fileNames(), (QStringList {"(untitled)", "feed.xml"}));
    EXPECT_NE(VLXPreferences::objectForKey("FD_CF_FF_Title", first).toString(), "mine");
    EXPECT_FALSE(w.document()->autoPubDate());
    EXPECT_EQ(w.currentFeed()->pubDate(), SmartDate::feedSmartDate(false, 2, 0, 10, 0, 0, 0));

    // A feed's own rule, switched on but without a time, dates it now whatever the other says.
    VLXPreferences::setObjectForKey(true, "FD_CF_SD_Enabled", "OWN");
    VLXPreferences::setObjectForKey(3, "FD_CF_SD_F_DataTo", "OWN");
    bool automatic = false;
    EXPECT_EQ(SmartDateRules("OWN").newFeedDate(&automatic), SmartDate::feedAutoPubDate());
    EXPECT_TRUE(automatic);
}

TEST_F(FeedListActionsTest, RemovingANewFeedAsksTwiceAndTheEmptyListMakesANewOne)
{
    openFeed({"A"}, "a.xml");
    Vellumcast &w = openFeed({"B"}, "b.xml");
    w.documentActions().newDocument();
    const QString untitled = id(0);
    VLXPreferences::setObjectForKey("mine", "FD_CF_FF_Title", untitled);

    // "No", and "Yes" then "Cancel", change nothing.
    alerts->queueAnswer(AlertService::kAlternate);
    w.documentActions().deleteFeed();
    EXPECT_EQ(alerts->alerts().last().message,
              "Are you sure you want to remove this feed from your list of feeds?");
    alerts->queueAnswer(AlertService::kDefault);
    alerts->queueAnswer(AlertService::kOther);
    w.documentActions().deleteFeed();
    EXPECT_EQ(alerts->alerts().last().message,
              "Changes have been made to this feed.  Do you want to save them before opening "
              "another feed?");
    EXPECT_EQ(fileNames(), (QStringList {"(untitled)", "b.xml", "a.xml"}));
    EXPECT_TRUE(w.isDocumentEdited());

    // "Don't Save": the entry and its settings go, the feed in its row is loaded.
    alerts->queueAnswer(AlertService::kDefault);
    alerts->queueAnswer(AlertService::kAlternate);
    w.documentActions().deleteFeed();
    EXPECT_EQ(fileNames(), (QStringList {"b.xml", "a.xml"}));
    EXPECT_EQ(itemTitles(), QStringList {"B"});
    EXPECT_FALSE(w.isDocumentEdited());
    EXPECT_NE(VLXPreferences::objectForKey("FD_CF_FF_Title", untitled).toString(), "mine");

    // The last row removed selects the row above; the last feed removed makes a new one.
    list()->fieldSelected(1);
    w.documentActions().deleteFeed();
    EXPECT_EQ(itemTitles(), QStringList {"B"});
    w.documentActions().deleteFeed();
    EXPECT_EQ(fileNames(), QStringList {"(untitled)"});
    EXPECT_EQ(list()->selectedRow(), 0);
    EXPECT_TRUE(QFileInfo::exists(path("b.xml"))) << "the files stay";
}

TEST_F(FeedListActionsTest, TheFeedThatTakesARemovedRowKeepsItsOwnEditedMark)
{
    // A feed repaired while it is read counts as edited from the start.
    writeFile(path("repaired.xml"),
              "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>R</title>"
              "<link>https://example.org/</link><description>d</description>"
              "<item><title>R1</title><itunes:author>Someone</itunes:author></item>"
              "</channel></rss>\n");
    VLXPreferences::setObjectForKey(3, "M_ShowParseResults");
    Vellumcast &w = openFeed({"A"}, "plain.xml");
    w.openFeedAtPath(path("repaired.xml"));
    ASSERT_TRUE(w.isDocumentEdited());
    alerts->queueAnswer(AlertService::kAlternate); // the repairs are not saved
    list()->fieldSelected(1);
    edit("Changed");

    alerts->queueAnswer(AlertService::kDefault);
    alerts->queueAnswer(AlertService::kAlternate);
    w.documentActions().deleteFeed();
    ASSERT_EQ(fileNames(), QStringList {"repaired.xml"});
    EXPECT_TRUE(w.isDocumentEdited()) << "the repairs of the feed loaded in its place are kept";
}

TEST_F(FeedListActionsTest, MovingFeedsKeepsTheLoadedOneSelectedAndStoresOnlyRealMoves)
{
    openFeed({"A"}, "a.xml");
    openFeed({"B"}, "b.xml");
    Vellumcast &w = openFeed({"C"}, "c.xml");
    QSignalSpy stored(&w, &Vellumcast::feedListChanged);
    w.documentActions().moveUpFeed(); // the first feed up, the last one down: nothing
    list()->fieldSelected(2);
    w.documentActions().moveDownFeed();
    EXPECT_EQ(stored.count(), 0);

    w.documentActions().moveUpFeed();
    EXPECT_EQ(fileNames(), (QStringList {"c.xml", "a.xml", "b.xml"}));
    EXPECT_EQ(list()->selectedRow(), 1);
    EXPECT_EQ(itemTitles(), QStringList {"A"});
    EXPECT_EQ(stored.count(), 1);
    EXPECT_EQ(store().array("feedListKey")->at(1).toMap().value("feedFileName"), "a.xml");
    w.documentActions().moveDownFeed();
    EXPECT_EQ(list()->selectedRow(), 2);
    EXPECT_FALSE(w.command("moveDownFeed")->isEnabled());
}

TEST_F(FeedListActionsTest, SaveAsWritesACopyWhileSaveOfANewFeedAdoptsTheFile)
{
    Vellumcast &w = openFeed({"A"}, "feed.xml");
    edit("Copied");
    chooser->enqueue({path("copy.xml")});
    w.command("saveDocumentAs")->trigger();
    EXPECT_EQ(chooser->requests().first().proposedName, "feed.xml");
    EXPECT_TRUE(readFile(path("copy.xml")).contains("<title>Copied</title>"));
    // The copy's companion is the entry as it is; the entry, title and edited state stay.
    EXPECT_EQ(PropertyList::parse(readFile(path("copy.xml.plist"))).toMap().value("feedURL"),
              QUrl::fromLocalFile(path("feed.xml")).toString());
    EXPECT_EQ(fileNames(), QStringList {"feed.xml"});
    EXPECT_TRUE(w.window()->windowTitle().startsWith("feed.xml"));
    EXPECT_TRUE(w.isDocumentEdited());

    // A feed never saved proposes its title; Save gives it the file.
    w.documentActions().newDocument();
    edit("  My: feed/one  ");
    chooser->enqueue({path("mine.xml")});
    EXPECT_TRUE(w.saving().actualSaveDocument(0));
    EXPECT_EQ(chooser->requests().last().proposedName, "My__feed_one");
    EXPECT_EQ(fileNames(), (QStringList {"mine.xml", "feed.xml"}));
    EXPECT_EQ(w.currentListOfFeeds().first().value("isTransient").toInt(), 0);
    EXPECT_FALSE(w.isDocumentEdited());
}
