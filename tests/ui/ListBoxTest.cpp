#include "ui/VLXListBox.h"
#include "ui/VLXListBoxDelegate.h"

#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace {
class Rows : public VLXListBoxDelegate
{
public:
    QStringList rows;
    QList<int> asked;
    QList<int> told;
    bool allow = true;

    int numberOfRowsInListBox(VLXListBox *) override { return int(rows.size()); }
    QString listBoxObjectValueForRow(VLXListBox *, int row) override { return rows.value(row); }
    bool listBoxShouldSelectRow(VLXListBox *, int row) override
    {
        asked << row;
        return allow;
    }
    void listBoxNewRowSelected(VLXListBox *, int row) override { told << row; }
    Qt::DropActions listBoxValidateDrop(VLXListBox *, const QMimeData *) override
    {
        return Qt::CopyAction;
    }
};

class ListBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        box.resize(200, 200);
        box.setDelegate(&rows);
        rows.rows = {"first.xml", "second.xml", "third.xml"};
        box.reloadData();
        box.show();
    }
    void click(int row)
    {
        const QRect rect = box.visualRect(box.model()->index(row, 0));
        QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, rect.center());
    }
    Rows rows;
    VLXListBox box;
};
} // namespace

TEST_F(ListBoxTest, AnEmptyListHasNoSelection)
{
    VLXListBox empty;
    EXPECT_EQ(empty.selectedRow(), -1);
    Rows none;
    empty.setDelegate(&none);
    empty.reloadData();
    EXPECT_EQ(empty.rowCount(), 0);
    EXPECT_EQ(empty.selectedRow(), -1);
}

TEST_F(ListBoxTest, ClicksAskTheDelegateAndTellItTheNewRow)
{
    EXPECT_EQ(box.rowText(1), "second.xml");
    click(1);
    EXPECT_EQ(box.selectedRow(), 1);
    EXPECT_EQ(box.highlightedRow(), 1);
    EXPECT_EQ(rows.asked, QList<int> {1});
    EXPECT_EQ(rows.told, QList<int> {1});
    // The selected row again: nothing is asked, nothing happens.
    click(1);
    EXPECT_EQ(rows.asked, QList<int> {1});
    // A refusal keeps the selection.
    rows.allow = false;
    click(2);
    EXPECT_EQ(box.selectedRow(), 1);
    EXPECT_EQ(rows.told, QList<int> {1});
}

TEST_F(ListBoxTest, ReloadingAShorterListMovesTheSelectionSilently)
{
    box.selectRowAndNotifyDelegate(2, false);
    EXPECT_TRUE(rows.told.isEmpty());
    rows.rows.removeLast();
    box.reloadData();
    EXPECT_EQ(box.selectedRow(), 1);
    EXPECT_EQ(box.highlightedRow(), 1);
    EXPECT_TRUE(rows.told.isEmpty());
    rows.rows.clear();
    box.reloadData();
    EXPECT_EQ(box.selectedRow(), -1);
}

TEST_F(ListBoxTest, SelectingMinusOneOnlyRemovesTheHighlight)
{
    box.selectRowAndNotifyDelegate(0, true);
    EXPECT_EQ(rows.told, QList<int> {0});
    box.selectRowAndNotifyDelegate(-1, true);
    EXPECT_EQ(box.selectedRow(), 0);
    EXPECT_EQ(box.highlightedRow(), -1);
    EXPECT_EQ(rows.told, QList<int> {0});
    click(0);
    EXPECT_TRUE(rows.asked.isEmpty());
}

TEST_F(ListBoxTest, SelectingPastTheEndTakesTheLastRow)
{
    box.selectRowAndNotifyDelegate(2, false);
    rows.rows.removeLast();
    box.reloadData();
    box.selectRowAndNotifyDelegate(2, true);
    EXPECT_EQ(box.selectedRow(), 1);
    EXPECT_EQ(rows.told, QList<int> {1});
    rows.rows.clear();
    box.reloadData();
    box.selectRowAndNotifyDelegate(0, true);
    EXPECT_EQ(box.selectedRow(), -1);
    EXPECT_EQ(rows.told, QList<int> {1});
}

TEST_F(ListBoxTest, ArrowKeysMoveLikeClicks)
{
    box.selectRowAndNotifyDelegate(0, false);
    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(box.selectedRow(), 1);
    EXPECT_EQ(rows.asked, QList<int> {1});
    QTest::keyClick(&box, Qt::Key_Up);
    QTest::keyClick(&box, Qt::Key_Up);
    EXPECT_EQ(box.selectedRow(), 0);
    EXPECT_EQ(rows.told, (QList<int> {1, 0}));
}
