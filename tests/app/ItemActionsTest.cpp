// The item actions (new, clone, move, delete: one undo step each that puts the whole list back),
// the smart dates, and the buttons of the item editor.
#include "ActionsFixture.h"

#include "app/ItemActions.h"
#include "app/ItemsPane.h"
#include "app/WindowCommands.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "model/SmartDate.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXTableView.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>

class ItemActionsTest : public ActionsFixture
{
protected:
    VLXTableView *table() const { return window().itemsPane()->itemTable(); }
    void select(int row) { table()->selectRow(row); }
    const VLXItems &item(int row) const { return *window().currentFeed()->itemAtIndex(row); }
    QString feedDate() const { return window().currentFeed()->pubDate(); }
    static constexpr const char *kFeedDate = "Mon, 07 Dec 2026 10:00:00 +0000";
    static constexpr const char *kItemDate = "Mon, 07 Dec 2026 09:00:00 +0000";
};

TEST_F(ItemActionsTest, NewMoveAndDeleteAreOneStepEachThatUndoSelectsBack)
{
    Vellumcast &w = openFeed();
    select(1);
    w.command("newItem")->trigger();
    endAction();
    EXPECT_EQ(itemTitles(), (QStringList {"(untitled)", "A", "B", "C"}));
    EXPECT_EQ(table()->selectedRow(), 0);
    EXPECT_EQ(w.outlet<QTabWidget>("tabsFeeds")->currentIndex(), int(Vellumcast::ItemsTab));
    EXPECT_EQ(undo().undoActionName(), "Item Add");
    w.undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
    EXPECT_EQ(table()->selectedRow(), 1);

    // Moves stop at the ends; Move Down is offered without a selection and then does nothing.
    select(2);
    w.itemActions().moveDownItem();
    select(0);
    w.itemActions().moveUpItem();
    table()->clearSelection();
    w.validateCommands();
    ASSERT_TRUE(w.command("moveDownItem")->isEnabled());
    w.command("moveDownItem")->trigger();
    endAction();
    EXPECT_FALSE(undo().canUndo());
    select(2);
    w.itemActions().moveUpItem();
    endAction();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "C", "B"}));
    EXPECT_EQ(table()->selectedRow(), 1);
    EXPECT_EQ(undo().undoActionName(), "Item Move Up");
    w.itemActions().moveDownItem();
    endAction();
    EXPECT_EQ(undo().undoActionName(), "Item Move Down");

    // Deleting the last row shows the one above; deleting the only item leaves a new one, in
    // the same step.
    w.itemActions().deleteItem();
    endAction();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B"}));
    EXPECT_EQ(table()->selectedRow(), 1);
    w.itemActions().deleteItem();
    endAction();
    w.itemActions().deleteItem();
    endAction();
    EXPECT_EQ(itemTitles(), QStringList {"(untitled)"});
    EXPECT_EQ(undo().undoActionName(), "Item Delete");
    w.undo();
    EXPECT_EQ(itemTitles(), QStringList {"A"});
}

TEST_F(ItemActionsTest, ACloneGoesFirstWithItsGuidSettledAndUndoPutsBackTheFeedsDate)
{
    Vellumcast &w = openFeed();
    VLXPreferences::setObjectForKey(0, "FD_CF_IF_GUID_AutoGenerate",
                                    w.currentFeedObjectForKey("UniqueIdentifier").toString());
    VLXPreferences::setObjectForKey(0, "FD_AF_IF_GUID_AutoGenerate");
    w.document()->setAutoPubDate(true);
    select(2);
    w.itemActions().cloneItem();
    endAction();
    EXPECT_EQ(itemTitles(), (QStringList {"C", "A", "B", "C"}));
    EXPECT_EQ(table()->selectedRow(), 0);
    EXPECT_EQ(item(0).pubDate(), SmartDate::feedAutoPubDate());
    EXPECT_EQ(item(0).GUID(), "https://example.org/C");
    ASSERT_EQ(alertTitles(), QStringList {"Duplicate GUID"});
    EXPECT_EQ(alerts->alerts().first().message,
              "In the process of cloning this item the GUID has been copied.  The GUID can not be "
              "duplicated in a feed.  Be sure to correct this before saving.");
    EXPECT_EQ(undo().undoActionName(), "Item Clone");
    w.undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
    EXPECT_EQ(feedDate(), kFeedDate);

    // With generated guids the clone gets its own, and it is dated by the item rule.
    VLXPreferences::setObjectForKey(1, "FD_AF_IF_GUID_AutoGenerate");
    VLXPreferences::setObjectForKey(2, "FD_AF_SD_I_DataTo");
    VLXPreferences::setObjectForKey(9, "FD_AF_SD_I_TimeTo");
    select(0);
    w.itemActions().cloneItem();
    endAction();
    EXPECT_TRUE(item(0).GUID().endsWith("-VLX"));
    EXPECT_EQ(item(0).GUIDAttr(), 0);
    EXPECT_EQ(item(0).pubDate(), SmartDate::feedSmartDate(false, 2, 0, 9, 0, 0, 0));
    EXPECT_EQ(alerts->alerts().size(), 1);

    // Without a selected item there is nothing to clone.
    table()->clearSelection();
    w.itemActions().cloneItem();
    endAction();
    EXPECT_EQ(undo().count(), 1);
}

TEST_F(ItemActionsTest, ItemsChangedAfterAListChangeComeBackAsTheyWere)
{
    // The list records share the items with the feed: every change made after one is taken back
    // before it.
    Vellumcast &w = openFeed();
    select(0);
    w.itemActions().deleteItem();
    endAction();
    w.document()->editField("Items_Required_Title", 0, "B edited");
    endAction();
    w.itemActions().newItem();
    endAction();
    for (int i = 0; i < 3; ++i)
        w.undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
    for (int i = 0; i < 3; ++i)
        w.redo();
    EXPECT_EQ(itemTitles(), (QStringList {"(untitled)", "B edited", "C"}));
}

TEST_F(ItemActionsTest, SmartDatesFollowTheRulesAndRegisterOnlyChanges)
{
    Vellumcast &w = openFeed();
    // No channel rule: the date is now and stays automatic.
    w.itemActions().feedSetBySmartDate();
    endAction();
    EXPECT_TRUE(w.document()->autoPubDate());
    EXPECT_EQ(feedDate(), SmartDate::feedAutoPubDate());
    EXPECT_EQ(undo().undoActionName(), "Feed Pub Date");
    w.undo();
    EXPECT_EQ(feedDate(), kFeedDate);

    VLXPreferences::setObjectForKey(2, "FD_AF_SD_F_DataTo");
    VLXPreferences::setObjectForKey(10, "FD_AF_SD_F_TimeTo");
    VLXPreferences::setObjectForKey(3, "FD_AF_SD_I_DataTo");
    VLXPreferences::setObjectForKey(8, "FD_AF_SD_I_TimeTo");
    w.itemActions().feedSetBySmartDate();
    w.itemActions().feedSetBySmartDate(); // the same date again: no step
    endAction();
    EXPECT_FALSE(w.document()->autoPubDate());
    EXPECT_EQ(feedDate(), SmartDate::feedSmartDate(false, 2, 0, 10, 0, 0, 0));
    select(1);
    field<QAbstractButton>("Items_Required_SmartDateButton")->click();
    endAction();
    w.itemActions().itemSetBySmartDate();
    endAction();
    EXPECT_EQ(item(1).pubDate(), SmartDate::feedSmartDate(false, 3, 0, 8, 0, 0, 0));
    EXPECT_EQ(undo().undoActionName(), "Item Pub Date");
    EXPECT_EQ(undo().count(), 2);
    w.undo();
    EXPECT_EQ(item(1).pubDate(), kItemDate);
}

TEST_F(ItemActionsTest, TheEditorsButtonsCommitAsTypedForTheSelectedItemOnly)
{
    Vellumcast &w = openFeed();
    select(1);
    // Generate GUID: a new guid that is no permanent link, one step.
    w.document()->editGUID(1, "https://example.org/B", 1);
    endAction();
    field<QAbstractButton>("Items_Optional_GUID_Generate")->click();
    endAction();
    EXPECT_TRUE(item(1).GUID().endsWith("-VLX"));
    EXPECT_EQ(item(1).GUIDAttr(), 0);
    EXPECT_EQ(undo().undoActionName(), "Item GUID");

    // The suggested type, applied.
    w.document()->editField("Items_Optional_Enclosure_URL", 1, "https://example.org/show.mp3");
    endAction();
    alerts->queueAnswer(AlertService::kDefault);
    field<QAbstractButton>("Items_Optional_Enclosure_sugestMIMEType")->click();
    endAction();
    ASSERT_EQ(alertTitles(), QStringList {"Suggested MIME Type"});
    EXPECT_EQ(alerts->alerts().first().message,
              "\"audio/mpeg\" is the suggested MIME type for the file "
              "https://example.org/show.mp3");
    EXPECT_EQ(item(1).enclosureAttrType(), "audio/mpeg");
    EXPECT_EQ(undo().undoActionName(), "Item Enclosure Type");

    // The local file of the enclosure; the next choice starts at it.
    const QString file = path("show.mp3");
    writeFile(file, QByteArray(1234, 'x'));
    chooser->enqueue({file});
    field<QAbstractButton>("Items_Optional_Enclosure_Advanced_Select")->click();
    endAction();
    EXPECT_EQ(chooser->requests().first().title, "Select Enclosure File");
    EXPECT_EQ(chooser->requests().first().directory, QDir::homePath());
    EXPECT_EQ(item(1).localEnclosureFilePath(), file);
    EXPECT_EQ(undo().undoActionName(), "Select Enclosure File");
    w.itemActions().selectEnclosureFile();
    EXPECT_EQ(chooser->requests().last().proposedName, "show.mp3");
    // An address without a known type only beeps.
    w.document()->editField("Items_Optional_Enclosure_URL", 1, "https://example.org/show.zzq");
    w.itemActions().suggestMIMETypeAction();
    EXPECT_EQ(alerts->alerts().size(), 1);

    // Without a selected item none of them does anything; a click below the rows keeps it.
    table()->clearSelection();
    w.itemActions().selectEnclosureFile();
    w.itemActions().generateGUIDAction();
    EXPECT_EQ(chooser->requests().size(), 2);
    select(1);
    w.window()->show();
    w.outlet<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, {},
                      QPoint(10, table()->viewport()->height() - 3));
    EXPECT_EQ(table()->selectedRow(), 1);
}

TEST_F(ItemActionsTest, TheMovesAreOfferedForTheRowJustClicked)
{
    Vellumcast &w = openFeed();
    w.window()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.window()));
    w.outlet<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    auto toolbarItem = [&w](const char *identifier) -> QAction * {
        for (QAction *action : w.commands().currentToolbar()->actions()) {
            if (action->objectName() == QLatin1String(identifier))
                return action;
        }
        return nullptr;
    };
    QAction *up = toolbarItem("Move Up Item Item Identifier");
    QAction *down = toolbarItem("Move Down Item Item Identifier");
    ASSERT_TRUE(up && down);
    auto click = [this](int row) {
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {},
                          table()->visualRect(table()->model()->index(row, 0)).center());
    };
    // As the user goes: the last row, then the first, then the middle one.
    const struct
    {
        int row;
        bool up;
        bool down;
    } steps[] = {{2, true, false}, {0, false, true}, {1, true, true}, {2, true, false}};
    for (const auto &step : steps) {
        click(step.row);
        ASSERT_EQ(table()->selectedRow(), step.row);
        EXPECT_EQ(up->isEnabled(), step.up) << "row " << step.row;
        EXPECT_EQ(down->isEnabled(), step.down) << "row " << step.row;
        EXPECT_EQ(w.command("moveUpItem")->isEnabled(), step.up) << "row " << step.row;
        EXPECT_EQ(w.command("moveDownItem")->isEnabled(), step.down) << "row " << step.row;
    }
    // The keyboard goes the same way.
    table()->setFocus();
    QTest::keyClick(table(), Qt::Key_Up);
    ASSERT_EQ(table()->selectedRow(), 1);
    EXPECT_TRUE(up->isEnabled());
    EXPECT_TRUE(down->isEnabled());
    QTest::keyClick(table(), Qt::Key_Up);
    ASSERT_EQ(table()->selectedRow(), 0);
    EXPECT_FALSE(up->isEnabled());
    EXPECT_TRUE(down->isEnabled());
}
