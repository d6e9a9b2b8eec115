// The item actions (new, clone, move, delete: one undo step each that puts the whole list back),
// the smart dates, and the buttons of the item editor.
#include "ActionsFixture.h"

#include "app/FeedDocument.h"
#include "app/ItemsPane.h"
#include "app/VLXUndoManager.h"
#include "app/Vellumcast.h"
#include "model/SmartDate.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXTableView.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

class ItemActionsTest : public ActionsFixture
{
protected:
    VLXTableView *table() const { return window().itemsPane()->itemTable(); }
    void select(int row)
    {
        table()->selectRow(row);
        ASSERT_EQ(window().document()->shownItem(), row);
    }
    const VLXItems &item(int row) const { return *window().currentFeed()->itemAtIndex(row); }
    QString feedDate() const { return window().currentFeed()->pubDate(); }
    static constexpr const char *kFeedDate = "Mon, 07 Dec 2026 10:00:00 +0000";
};

TEST_F(ItemActionsTest, NewItemGoesOnTopAsOneStepThatUndoSelectsBack)
{
    Vellumcast &w = openFeed();
    select(1);
    w.command("newItem")->trigger();
    endAction();
    EXPECT_EQ(itemTitles(), (QStringList {"(untitled)", "A", "B", "C"}));
    EXPECT_EQ(table()->selectedRow(), 0);
    EXPECT_EQ(w.document()->shownItem(), 0);
    EXPECT_EQ(w.outlet<QTabWidget>("tabsFeeds")->currentIndex(), int(Vellumcast::ItemsTab));
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(undo().undoActionName(), "Item Add");
    undo().undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
    EXPECT_EQ(table()->selectedRow(), 1);
    EXPECT_EQ(table()->model()->rowCount(), 3);
    undo().redo();
    EXPECT_EQ(itemTitles(), (QStringList {"(untitled)", "A", "B", "C"}));
}

TEST_F(ItemActionsTest, ACloneGoesFirstDatedNowAndUndoPutsBackTheFeedsDate)
{
    Vellumcast &w = openFeed();
    const QString key = w.currentFeedObjectForKey("UniqueIdentifier").toString();
    VLXPreferences::setObjectForKey(0, "FD_CF_IF_GUID_AutoGenerate", key);
    VLXPreferences::setObjectForKey(0, "FD_AF_IF_GUID_AutoGenerate");
    w.document()->setAutoPubDate(true);
    select(2);
    w.cloneItem();
    endAction();
    EXPECT_EQ(itemTitles(), (QStringList {"C", "A", "B", "C"}));
    EXPECT_EQ(table()->selectedRow(), 0);
    EXPECT_NE(&item(0), &item(3));
    EXPECT_EQ(item(0).pubDate(), SmartDate::feedAutoPubDate());
    EXPECT_EQ(feedDate(), SmartDate::feedAutoPubDate());
    // The guid came along: the user is warned.
    EXPECT_EQ(item(0).GUID(), "https://example.org/C");
    ASSERT_EQ(alertTitles(), QStringList {"Duplicate GUID"});
    EXPECT_EQ(alerts->alerts().first().message,
              "In the process of cloning this item the GUID has been copied.  The GUID can not be "
              "duplicated in a feed.  Be sure to correct this before saving.");
    EXPECT_EQ(undo().undoActionName(), "Item Clone");
    undo().undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
    EXPECT_EQ(feedDate(), kFeedDate);
    EXPECT_EQ(table()->selectedRow(), 2);

    // With generated guids the clone gets its own, and is dated by the item rule.
    alerts->clear();
    VLXPreferences::setObjectForKey(1, "FD_AF_IF_GUID_AutoGenerate");
    VLXPreferences::setObjectForKey(2, "FD_AF_SD_I_DataTo");
    VLXPreferences::setObjectForKey(9, "FD_AF_SD_I_TimeTo");
    select(0);
    w.cloneItem();
    endAction();
    EXPECT_TRUE(item(0).GUID().endsWith("-VLX"));
    EXPECT_EQ(item(0).GUIDAttr(), 0);
    EXPECT_EQ(item(0).pubDate(), SmartDate::feedSmartDate(false, 2, 0, 9, 0, 0, 0));
    EXPECT_TRUE(alerts->alerts().isEmpty());

    // Without a selected item there is nothing to clone.
    table()->clearSelection();
    const int steps = undo().count();
    w.cloneItem();
    endAction();
    EXPECT_EQ(undo().count(), steps);
    EXPECT_EQ(itemTitles().size(), 4);
}

TEST_F(ItemActionsTest, MovesStopAtTheEndsAndWithoutASelection)
{
    Vellumcast &w = openFeed();
    w.outlet<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    select(2);
    w.moveDownItem();
    select(0);
    w.moveUpItem();
    // Move Down stays offered without a selection, and then does nothing.
    table()->clearSelection();
    w.validateCommands();
    EXPECT_TRUE(w.command("moveDownItem")->isEnabled());
    w.command("moveDownItem")->trigger();
    endAction();
    EXPECT_EQ(undo().count(), 0);
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));

    select(2);
    w.moveUpItem();
    endAction();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "C", "B"}));
    EXPECT_EQ(table()->selectedRow(), 1);
    EXPECT_EQ(undo().undoActionName(), "Item Move Up");
    select(0);
    w.moveDownItem();
    endAction();
    EXPECT_EQ(itemTitles(), (QStringList {"C", "A", "B"}));
    EXPECT_EQ(undo().undoActionName(), "Item Move Down");
    EXPECT_EQ(undo().count(), 2);
    undo().undo();
    undo().undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
    EXPECT_EQ(table()->selectedRow(), 2);
}

TEST_F(ItemActionsTest, DeletingTheOnlyItemLeavesAnUntitledOneInTheSameStep)
{
    Vellumcast &w = openFeed();
    select(2);
    w.deleteItem();
    endAction();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B"}));
    EXPECT_EQ(table()->selectedRow(), 1) << "the row above the last one deleted";
    select(0);
    w.deleteItem();
    endAction();
    EXPECT_EQ(table()->selectedRow(), 0);
    w.deleteItem();
    endAction();
    EXPECT_EQ(itemTitles(), QStringList {"(untitled)"});
    EXPECT_EQ(table()->selectedRow(), 0);
    EXPECT_EQ(undo().count(), 3);
    EXPECT_EQ(undo().undoActionName(), "Item Delete");
    undo().undo();
    EXPECT_EQ(itemTitles(), QStringList {"B"});
    undo().undo();
    undo().undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
}

TEST_F(ItemActionsTest, ItemsEditedAfterAListChangeComeBackAsTheyWere)
{
    // The list records share the items with the feed: every change made after one is taken back
    // before it, whatever replaced the feed meanwhile.
    Vellumcast &w = openFeed();
    select(0);
    w.deleteItem();
    endAction();
    w.document()->editField("Items_Required_Title", 0, "B edited");
    endAction();
    w.newItem();
    endAction();
    ASSERT_EQ(itemTitles(), (QStringList {"(untitled)", "B edited", "C"}));
    for (int i = 0; i < 3; ++i)
        undo().undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
    for (int i = 0; i < 3; ++i)
        undo().redo();
    EXPECT_EQ(itemTitles(), (QStringList {"(untitled)", "B edited", "C"}));
}

TEST_F(ItemActionsTest, SmartDatesFollowTheRulesAndRegisterOnlyChanges)
{
    Vellumcast &w = openFeed();
    // No channel rule: the date is now and stays automatic.
    w.feedSetBySmartDate();
    endAction();
    EXPECT_TRUE(w.document()->autoPubDate());
    EXPECT_EQ(feedDate(), SmartDate::feedAutoPubDate());
    EXPECT_EQ(undo().undoActionName(), "Feed Pub Date");
    undo().undo();
    EXPECT_EQ(feedDate(), kFeedDate);
    EXPECT_TRUE(w.document()->autoPubDate()) << "the record keeps the state the rule chose";

    VLXPreferences::setObjectForKey(2, "FD_AF_SD_F_DataTo");
    VLXPreferences::setObjectForKey(10, "FD_AF_SD_F_TimeTo");
    w.feedSetBySmartDate();
    endAction();
    EXPECT_FALSE(w.document()->autoPubDate());
    EXPECT_EQ(feedDate(), SmartDate::feedSmartDate(false, 2, 0, 10, 0, 0, 0));
    const int steps = undo().count();
    w.feedSetBySmartDate(); // the same date again
    endAction();
    EXPECT_EQ(undo().count(), steps);

    // The item's date by the item rule; the box is left alone.
    VLXPreferences::setObjectForKey(3, "FD_AF_SD_I_DataTo");
    VLXPreferences::setObjectForKey(8, "FD_AF_SD_I_TimeTo");
    select(1);
    w.itemSetBySmartDate();
    endAction();
    EXPECT_EQ(item(1).pubDate(), SmartDate::feedSmartDate(false, 3, 0, 8, 0, 0, 0));
    EXPECT_EQ(undo().undoActionName(), "Item Pub Date");
    EXPECT_FALSE(w.document()->autoPubDate());
    w.itemSetBySmartDate();
    endAction();
    EXPECT_EQ(undo().count(), steps + 1);
    undo().undo();
    EXPECT_EQ(item(1).pubDate(), "Mon, 07 Dec 2026 09:00:00 +0000");
}

TEST_F(ItemActionsTest, GenerateGUIDIsOneTypedStepThatEndsThePermanentLink)
{
    Vellumcast &w = openFeed();
    select(1);
    w.document()->editGUID(1, "https://example.org/B", 1);
    endAction();
    field<QAbstractButton>("Items_Optional_GUID_Generate")->click();
    endAction();
    EXPECT_TRUE(item(1).GUID().endsWith("-VLX"));
    EXPECT_EQ(item(1).GUIDAttr(), 0);
    EXPECT_EQ(field<QLineEdit>("Items_Optional_GUID_GUID")->text(), item(1).GUID());
    EXPECT_FALSE(field<QAbstractButton>("Items_Optional_GUID_Perma")->isChecked());
    EXPECT_EQ(undo().undoActionName(), "Item GUID");
    undo().undo();
    EXPECT_EQ(item(1).GUID(), "https://example.org/B");
    EXPECT_EQ(item(1).GUIDAttr(), 1);
}

TEST_F(ItemActionsTest, TheSuggestedTypeIsAppliedAsATypedEdit)
{
    Vellumcast &w = openFeed();
    select(0);
    w.document()->editField("Items_Optional_Enclosure_URL", 0, "https://example.org/show.mp3");
    endAction();
    alerts->queueAnswer(AlertService::kDefault); // Apply
    field<QAbstractButton>("Items_Optional_Enclosure_sugestMIMEType")->click();
    endAction();
    ASSERT_EQ(alertTitles(), QStringList {"Suggested MIME Type"});
    EXPECT_EQ(alerts->alerts().first().message,
              "\"audio/mpeg\" is the suggested MIME type for the file "
              "https://example.org/show.mp3");
    EXPECT_EQ(alerts->alerts().first().defaultButton, "Apply");
    EXPECT_EQ(alerts->alerts().first().alternateButton, "Close");
    EXPECT_EQ(item(0).enclosureAttrType(), "audio/mpeg");
    EXPECT_EQ(field<QLineEdit>("Items_Optional_Enclosure_Type")->text(), "audio/mpeg");
    EXPECT_EQ(undo().undoActionName(), "Item Enclosure Type");

    // "Close" keeps the type; an address without a known type only beeps.
    alerts->clear();
    w.document()->editField("Items_Optional_Enclosure_URL", 0, "https://example.org/show.ogg");
    endAction();
    alerts->queueAnswer(AlertService::kAlternate);
    w.suggestMIMETypeAction();
    EXPECT_EQ(item(0).enclosureAttrType(), "audio/mpeg");
    alerts->clear();
    w.document()->editField("Items_Optional_Enclosure_URL", 0, "https://example.org/show.zzq");
    endAction();
    w.suggestMIMETypeAction();
    EXPECT_TRUE(alerts->alerts().isEmpty());
}

TEST_F(ItemActionsTest, TheEnclosureFileIsChosenForTheSelectedItemOnly)
{
    Vellumcast &w = openFeed();
    const QString file = path("show.mp3");
    writeFile(file, QByteArray(1234, 'x'));
    table()->clearSelection();
    w.selectEnclosureFile();
    EXPECT_TRUE(chooser->requests().isEmpty()) << "no item, no question";

    select(1);
    chooser->enqueue({file});
    field<QAbstractButton>("Items_Optional_Enclosure_Advanced_Select")->click();
    endAction();
    ASSERT_EQ(chooser->requests().size(), 1);
    EXPECT_EQ(chooser->requests().first().title, "Select Enclosure File");
    EXPECT_EQ(chooser->requests().first().directory, QDir::homePath());
    EXPECT_EQ(item(1).localEnclosureFilePath(), file);
    EXPECT_EQ(item(1).enclosureAttrLength(), "1234");
    EXPECT_EQ(undo().undoActionName(), "Select Enclosure File");
    // The next choice starts at the file chosen.
    w.selectEnclosureFile();
    EXPECT_EQ(chooser->requests().last().directory, QFileInfo(file).absolutePath());
    EXPECT_EQ(chooser->requests().last().proposedName, "show.mp3");
}

TEST_F(ItemActionsTest, AClickBelowTheLastRowChangesNothing)
{
    Vellumcast &w = openFeed();
    w.window()->show();
    w.outlet<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    select(1);
    QWidget *viewport = table()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(10, viewport->height() - 3));
    EXPECT_EQ(table()->selectedRow(), 1);
    EXPECT_EQ(w.document()->shownItem(), 1);
    const QRect third = table()->visualRect(table()->model()->index(2, 0));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, third.center());
    EXPECT_EQ(w.document()->shownItem(), 2);
}
