#include "AppFixture.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "document/VLXUndoManager.h"
#include "editors/TimeAndDate.h"
#include "editors/WBCalendarControl.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXTableView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {
QByteArray twoItems()
{
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>T</title>"
           "<link>https://example.org/</link><description>d</description>"
           "<pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate>"
           "<item><title>A</title><guid>https://example.org/a</guid>"
           "<pubDate>Sat, 05 Dec 2026 09:00:00 -0500</pubDate></item>"
           "<item><title>B</title><guid>https://example.org/b</guid>"
           "<pubDate>Sun, 06 Dec 2026 18:30:00 +0100</pubDate></item>"
           "</channel></rss>\n";
}

class DatePickerActionTest : public AppFixture
{
protected:
    template<typename T = QWidget> T *outlet(const char *name)
    {
        return controller->feedController()->outlet<T>(QLatin1String(name));
    }
    VLXUndoManager &undo() { return *controller->feedController()->undoManager(); }

    // Clicks the picker button and runs the script on the picker once it is up (a script that
    // leaves it open cancels it). Answers whether a picker came up.
    bool withPicker(const char *button, const std::function<void(TimeAndDate &)> &script)
    {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto *picker = qobject_cast<TimeAndDate *>(QApplication::activeModalWidget());
            if (!picker)
                return;
            shown = true;
            script(*picker);
            if (picker->isVisible())
                picker->cancel();
        });
        outlet<QAbstractButton>(button)->click();
        QApplication::processEvents();
        return shown;
    }
    static void pickDay(TimeAndDate &picker, int day)
    {
        auto *calendar = picker.findChild<WBCalendarControl *>(QStringLiteral("calendar"));
        QTest::mouseClick(calendar, Qt::LeftButton, {},
                          WBCalendarControl::cellRect(calendar->firstDay() + day - 1).center());
    }
    static void press(TimeAndDate &picker, const char *name)
    {
        QTest::mouseClick(picker.findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
    }
};
} // namespace

TEST_F(DatePickerActionTest, TheFeedDateIsPickedAsOneUndoStepEvenUnchanged)
{
    Vellumcast &window = openInWindow(smallFeed("T"));
    const QString original = "Mon, 07 Dec 2026 10:00:00 +0000";
    ASSERT_EQ(window.currentFeed()->pubDate(), original);

    // Shown as a sheet of the window, on the field's date; OK with nothing changed.
    EXPECT_TRUE(withPicker("Feeds_Required_DatePickerButton", [&](TimeAndDate &picker) {
        EXPECT_TRUE(picker.runningAsSheet());
        EXPECT_EQ(picker.parentWidget(), window.window());
        EXPECT_EQ(picker.resultDateVLXDateFormat(), original);
        press(picker, "OK");
    }));
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(undo().undoActionName(), "Feed Pub Date");
    EXPECT_EQ(window.currentFeed()->pubDate(), original);
    EXPECT_TRUE(window.isDocumentEdited());

    // Cancel leaves no step.
    withPicker("Feeds_Required_DatePickerButton", [&](TimeAndDate &picker) {
        pickDay(picker, 2);
        press(picker, "Cancel");
    });
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(window.currentFeed()->pubDate(), original);

    // A picked day ends automatic dating, as a typed date does; undo brings both back.
    auto *autoDate = outlet<VLXCheckBox>("Feeds_Required_AutoPubDate");
    autoDate->click();
    ASSERT_TRUE(autoDate->isChecked());
    withPicker("Feeds_Required_DatePickerButton", [&](TimeAndDate &picker) {
        pickDay(picker, 1);
        press(picker, "OK");
    });
    EXPECT_EQ(window.currentFeed()->pubDate(), "Tue, 01 Dec 2026 10:00:00 +0000");
    EXPECT_EQ(outlet<QLineEdit>("Feeds_Required_PubDate")->text(),
              "Tue, 01 Dec 2026 10:00:00 +0000");
    EXPECT_FALSE(autoDate->isChecked());
    EXPECT_EQ(undo().count(), 2);

    window.undo();
    EXPECT_EQ(window.currentFeed()->pubDate(), original);
    EXPECT_EQ(outlet<QLineEdit>("Feeds_Required_PubDate")->text(), original);
    EXPECT_TRUE(autoDate->isChecked());
    window.redo();
    EXPECT_EQ(window.currentFeed()->pubDate(), "Tue, 01 Dec 2026 10:00:00 +0000");
}

TEST_F(DatePickerActionTest, TheItemDateNeedsASelectedItemAndKeepsItsOffset)
{
    Vellumcast &window = openInWindow(twoItems());
    outlet<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    auto *items = outlet<VLXTableView>("Items_Required_Items");
    items->clearSelection();
    ASSERT_EQ(window.selectedItemRow(), -1);
    EXPECT_FALSE(withPicker("Items_Required_DatePickerButton", [](TimeAndDate &) {}));
    EXPECT_EQ(undo().count(), 0);

    items->selectRow(0);
    EXPECT_TRUE(withPicker("Items_Required_DatePickerButton", [&](TimeAndDate &picker) {
        EXPECT_EQ(picker.resultDateVLXDateFormat(), "Sat, 05 Dec 2026 09:00:00 -0500");
        pickDay(picker, 24);
        press(picker, "OK");
    }));
    EXPECT_EQ(window.currentFeed()->itemAtIndex(0)->pubDate(), "Thu, 24 Dec 2026 09:00:00 -0500");
    EXPECT_EQ(outlet<QLineEdit>("Items_Required_PubDate")->text(),
              "Thu, 24 Dec 2026 09:00:00 -0500");
    EXPECT_EQ(undo().undoActionName(), "Item Pub Date");
    EXPECT_EQ(window.currentFeed()->itemAtIndex(1)->pubDate(), "Sun, 06 Dec 2026 18:30:00 +0100");

    // Undone while the other item is shown: the first item gets its date back, the shown one
    // keeps its own.
    items->selectRow(1);
    window.undo();
    EXPECT_EQ(window.currentFeed()->itemAtIndex(0)->pubDate(), "Sat, 05 Dec 2026 09:00:00 -0500");
    EXPECT_EQ(outlet<QLineEdit>("Items_Required_PubDate")->text(),
              "Sun, 06 Dec 2026 18:30:00 +0100");
    EXPECT_FALSE(window.isDocumentEdited());

    // Unchanged and accepted: a step all the same.
    withPicker("Items_Required_DatePickerButton",
               [&](TimeAndDate &picker) { press(picker, "OK"); });
    EXPECT_EQ(undo().undoActionName(), "Item Pub Date");
    EXPECT_TRUE(window.isDocumentEdited());
    EXPECT_EQ(window.currentFeed()->itemAtIndex(1)->pubDate(), "Sun, 06 Dec 2026 18:30:00 +0100");
}
