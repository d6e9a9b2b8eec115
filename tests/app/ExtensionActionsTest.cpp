// Namespaces switched on and off for the whole feed, the five list tables with their sheets,
// Validate and View XML: each action's effect and its one undo step.
#include "ActionsFixture.h"

#include "app/FeedDocument.h"
#include "app/ItemsPane.h"
#include "app/PaneKit.h"
#include "app/VLXUndoManager.h"
#include "editors/errorListing.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/baseExtensionManager.h"
#include "model/categoryElement.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "model/extensionManagerItem.h"
#include "model/extensionNSName.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXBox.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
void press(QWidget *sheet, const char *button)
{
    sheet->findChild<QAbstractButton *>(QLatin1String(button))->click();
}
} // namespace

class ExtensionActionsTest : public ActionsFixture
{
protected:
    // The row of the namespace table for the prefix; the row after the registry's is the raw
    // extension.
    int namespaceRow(const QString &prefix) const
    {
        const QStringList registry
            = VLXPreferences::objectForKey("General_XMLNamespaces").toStringList();
        if (prefix == "User Defined")
            return int(registry.size());
        for (int row = 0; row < registry.size(); ++row) {
            if (extensionNSName::extensionNameFromDescription(registry[row]) == prefix)
                return row;
        }
        return -1;
    }
    // Clicks the check box of the namespace's row, as the user does.
    void clickNamespace(const QString &prefix)
    {
        auto *table = field<VLXTableView>("Feeds_Extensions_List");
        table->model()->setData(table->model()->index(namespaceRow(prefix), 0), Qt::Checked,
                                Qt::CheckStateRole);
        endAction();
    }
    // Whether the channel, the image and every item, each, use the namespace.
    QList<bool> usedBy(const QString &prefix) const
    {
        QList<bool> used;
        window().document()->forEachExtensionManager([&](baseExtensionManager &manager) {
            used << (prefix == "User Defined" ? manager.unknownExtensionUsed()
                                              : manager.arrayOfExtensionNames().contains(prefix));
        });
        return used;
    }
    static QList<bool> all(bool value, int items = 3) { return QList<bool>(items + 2, value); }
    bool tableShowsUsed(const QString &prefix) const
    {
        auto *table = field<VLXTableView>("Feeds_Extensions_List");
        return table->model()->index(namespaceRow(prefix), 0).data(Qt::CheckStateRole)
            == Qt::Checked;
    }
    void select(int item)
    {
        window().itemsPane()->itemTable()->selectRow(item);
        ASSERT_EQ(window().document()->shownItem(), item);
    }
};

TEST_F(ExtensionActionsTest, ANamespaceGoesOnAndOffForTheWholeFeedOneStepEach)
{
    Vellumcast &w = openFeed();
    ASSERT_GE(namespaceRow("dc"), 0);
    ASSERT_EQ(usedBy("dc"), all(false));
    clickNamespace("dc");
    EXPECT_EQ(usedBy("dc"), all(true));
    EXPECT_TRUE(tableShowsUsed("dc"));
    EXPECT_TRUE(alerts->alerts().isEmpty()) << "no defaults: nothing asked";
    EXPECT_EQ(undo().undoActionName(), "Add XML Namespace");
    auto *tabs = field<QTabWidget>("tabsFeeds_FeedsExtensions");
    EXPECT_EQ(tabs->tabText(tabs->count() - 1), "Dublin Core");

    // "No" keeps it, and registers nothing.
    alerts->queueAnswer(AlertService::kAlternate);
    clickNamespace("dc");
    ASSERT_EQ(alertTitles(), QStringList {"Warning"});
    EXPECT_EQ(alerts->alerts().first().message,
              "Deleting the \"Dublin Core\" extension will delete all entries in this feed in the "
              "\"Dublin Core\" extension also.  Do you still wish to continue");
    EXPECT_EQ(alerts->alerts().first().defaultButton, "YES");
    EXPECT_EQ(usedBy("dc"), all(true));
    EXPECT_EQ(undo().count(), 1);

    clickNamespace("dc"); // YES
    EXPECT_EQ(usedBy("dc"), all(false));
    EXPECT_FALSE(tableShowsUsed("dc"));
    EXPECT_EQ(undo().undoActionName(), "Delete XML Namespace");
    w.undo();
    EXPECT_EQ(usedBy("dc"), all(true));
    EXPECT_TRUE(tableShowsUsed("dc"));
    w.undo();
    EXPECT_EQ(usedBy("dc"), all(false));
    w.redo();
    EXPECT_EQ(usedBy("dc"), all(true));
    EXPECT_EQ(tabs->tabText(tabs->count() - 1), "Dublin Core");
}

TEST_F(ExtensionActionsTest, OneManagerWithTheRawExtensionMeansAllHaveIt)
{
    Vellumcast &w = openFeed();
    w.currentFeed()->itemAtIndex(1)->XMLExtensions()->setUnknownExtensionUsed(true);
    EXPECT_FALSE(tableShowsUsed("User Defined"));
    clickNamespace("dc");
    EXPECT_EQ(usedBy("User Defined"), all(true));
    EXPECT_TRUE(tableShowsUsed("User Defined"));

    clickNamespace("User Defined"); // YES
    EXPECT_EQ(alerts->alerts().last().message,
              "Deleting the \"User Defined\" extension will delete all entries in this feed in "
              "the \"User Defined\" extension also.  Do you still wish to continue");
    EXPECT_EQ(usedBy("User Defined"), all(false));
    clickNamespace("User Defined");
    EXPECT_EQ(usedBy("User Defined"), all(true));
    EXPECT_EQ(undo().undoActionName(), "Add XML Namespace");
}

TEST_F(ExtensionActionsTest, DefaultsArePutInOnlyWhenTheUserSaysYes)
{
    Vellumcast &w = openFeed();
    VLXPreferences::setObjectForKey("Sub", "FD_AF_FF_EX_ITCSubtitle");
    alerts->queueAnswer(AlertService::kAlternate); // No
    clickNamespace("itunes");
    ASSERT_EQ(alertTitles(), QStringList {"Update Existing?"});
    EXPECT_EQ(alerts->alerts().first().message,
              "You have choosen to add the \"itunes\" extension to the current feed.  Do you wish "
              "to populate the feed and all existing items with the default values you have "
              "configured in preferences?");
    EXPECT_EQ(alerts->alerts().first().alternateButton, "No");
    EXPECT_TRUE(w.document()->usesNamespace("itunes"));
    EXPECT_FALSE(w.currentFeed()->buildXML().contains("Sub")) << "added empty";

    w.undo();
    alerts->clear();
    clickNamespace("itunes"); // YES
    EXPECT_TRUE(w.currentFeed()->buildXML().contains("<itunes:subtitle>Sub</itunes:subtitle>"));
    EXPECT_EQ(undo().count(), 1);
}

TEST_F(ExtensionActionsTest, ANewNamespaceFromTheSheetJoinsTheFeedAndTheRegistry)
{
    Vellumcast &w = openFeed();
    whileModal([](QWidget *sheet) { press(sheet, "cancel"); });
    field<QAbstractButton>("Feeds_Extensions_Add")->click();
    endAction();
    EXPECT_EQ(undo().count(), 0);

    whileModal([](QWidget *sheet) {
        sheet->findChild<VLXTextField *>("nameSpace")->setText("abc");
        sheet->findChild<VLXTextField *>("DTDURL")->setText("http://example.org/abc/");
        press(sheet, "accept");
    });
    field<QAbstractButton>("Feeds_Extensions_Add")->click();
    endAction();
    EXPECT_TRUE(w.document()->usesNamespace("abc"));
    EXPECT_EQ(usedBy("abc"), all(true));
    EXPECT_GE(namespaceRow("abc"), 0) << "the registry learnt it";
    EXPECT_TRUE(tableShowsUsed("abc"));
    EXPECT_EQ(undo().undoActionName(), "Add XML Namespace");
    EXPECT_TRUE(w.currentFeed()->buildXML().contains("xmlns:abc=\"http://example.org/abc/\""));
}

TEST_F(ExtensionActionsTest, CategoriesAreAddedEditedAndDeletedThroughTheirSheet)
{
    Vellumcast &w = openFeed();
    w.document()->setAutoPubDate(true);
    const QString feedDate = w.currentFeed()->pubDate();
    whileModal([](QWidget *sheet) {
        sheet->findChild<VLXTextField *>("categoryField")->setText("Music");
        sheet->findChild<VLXTextField *>("categoryDomainField")->setText("http://d/");
        press(sheet, "accept");
    });
    field<QAbstractButton>("Feeds_Optional_AddCategory")->click();
    endAction();
    ASSERT_EQ(w.currentFeed()->category().size(), 1);
    EXPECT_EQ(w.currentFeed()->category().first().categoryDomainString(), "http://d/");
    EXPECT_EQ(field<VLXTableView>("Feeds_Optional_Category")->model()->rowCount(), 1);
    EXPECT_EQ(undo().undoActionName(), "Add Category");
    EXPECT_NE(w.currentFeed()->pubDate(), feedDate) << "the feed's automatic date follows";

    // Delete and edit need a selected row.
    w.listTableAction("Feeds_Optional_Category", 2);
    w.listTableAction("Feeds_Optional_Category", 3);
    settle();
    EXPECT_EQ(undo().count(), 1);
    // An unchanged category accepted is one step all the same; a double click edits.
    field<VLXTableView>("Feeds_Optional_Category")->selectRow(0);
    whileModal([](QWidget *sheet) { press(sheet, "accept"); });
    emit field<VLXTableView>("Feeds_Optional_Category")->doubleAction(0);
    endAction();
    EXPECT_EQ(undo().count(), 2);
    EXPECT_EQ(undo().undoActionName(), "Edit Category");
    field<QAbstractButton>("Feeds_Optional_DelCategory")->click();
    endAction();
    EXPECT_TRUE(w.currentFeed()->category().isEmpty());
    EXPECT_EQ(undo().undoActionName(), "Delete Category");
    w.undo();
    EXPECT_EQ(w.currentFeed()->category().size(), 1);
    EXPECT_EQ(field<VLXTableView>("Feeds_Optional_Category")->model()->rowCount(), 1);

    // An item's categories: nothing without a selected item, the item's own date with one.
    int sheets = 0;
    w.itemsPane()->itemTable()->clearSelection();
    whileModal([&sheets](QWidget *sheet) {
        ++sheets;
        press(sheet, "cancel");
    });
    w.listTableAction("Items_Optional_Category", 1);
    settle();
    EXPECT_EQ(sheets, 0);
    select(1);
    const QString feedDateNow = w.currentFeed()->pubDate();
    clock->advance(60);
    whileModal([](QWidget *sheet) {
        sheet->findChild<VLXTextField *>("categoryField")->setText("Talk");
        press(sheet, "accept");
    });
    w.listTableAction("Items_Optional_Category", 1);
    endAction();
    const VLXItems &item = *w.currentFeed()->itemAtIndex(1);
    ASSERT_EQ(item.category().size(), 1);
    EXPECT_EQ(item.category().first().categoryString(), "Talk");
    EXPECT_EQ(field<VLXTableView>("Items_Optional_Category")->model()->rowCount(), 1);
    EXPECT_NE(item.pubDate(), "Mon, 07 Dec 2026 09:00:00 +0000");
    EXPECT_EQ(w.currentFeed()->pubDate(), feedDateNow);
    w.undo();
    EXPECT_TRUE(item.category().isEmpty());
    EXPECT_EQ(item.pubDate(), "Mon, 07 Dec 2026 09:00:00 +0000");
}

TEST_F(ExtensionActionsTest, CommentsSkipEmptyAndUnchangedTextsAndAreMadeLegal)
{
    Vellumcast &w = openFeed();
    auto write = [](const QString &text) {
        whileModal([text](QWidget *sheet) {
            sheet->findChild<VLXTextView *>("text")->setPlainText(text);
            press(sheet, "accept");
        });
    };
    write("");
    w.listTableAction("Image_Advanced_Comments", 1);
    endAction();
    EXPECT_EQ(undo().count(), 0);
    write("made -- here");
    w.listTableAction("Image_Advanced_Comments", 1);
    endAction();
    EXPECT_EQ(w.currentFeed()->image()->XMLComments(), QStringList {"made - - here"});
    EXPECT_EQ(field<VLXTableView>("Image_Advanced_Comments")->model()->rowCount(), 1);
    EXPECT_EQ(undo().undoActionName(), "Add XML Comment");

    field<VLXTableView>("Image_Advanced_Comments")->selectRow(0);
    whileModal([](QWidget *sheet) { press(sheet, "accept"); });
    w.listTableAction("Image_Advanced_Comments", 3);
    endAction();
    EXPECT_EQ(undo().count(), 1) << "an unchanged comment is no step";
    write("changed");
    w.listTableAction("Image_Advanced_Comments", 3);
    endAction();
    EXPECT_EQ(w.currentFeed()->image()->XMLComments(), QStringList {"changed"});
    EXPECT_EQ(undo().undoActionName(), "Edit XML Comment");

    select(2);
    write("on the item");
    field<QAbstractButton>("Items_Advanced_AddComments")->click();
    endAction();
    EXPECT_EQ(w.currentFeed()->itemAtIndex(2)->XMLComments(), QStringList {"on the item"});
    write("on the channel");
    field<QAbstractButton>("Feeds_Advanced_AddComments")->click();
    endAction();
    EXPECT_EQ(w.currentFeed()->XMLComments(), QStringList {"on the channel"});
    w.undo();
    w.undo();
    EXPECT_TRUE(w.currentFeed()->XMLComments().isEmpty());
    EXPECT_TRUE(w.currentFeed()->itemAtIndex(2)->XMLComments().isEmpty());
}

TEST_F(ExtensionActionsTest, ValidateCountsWarningsAsProblems)
{
    Vellumcast &w = openFeed();
    w.command("validateAction")->trigger();
    ASSERT_EQ(alertTitles(), QStringList {"Feed Validated"});
    EXPECT_EQ(alerts->alerts().first().message,
              "Vellumcast did not detecte any problems with this feed.");
    EXPECT_FALSE(errorListing::sharedInstance()->windowOpen());

    // No pubDate on the channel is a warning, and only that.
    alerts->clear();
    w.currentFeed()->setPubDate("");
    w.validateAction();
    ASSERT_EQ(w.currentFeed()->parseXMLErrorCount(), 0);
    ASSERT_GT(w.currentFeed()->parseXMLWarnCount(), 0);
    ASSERT_EQ(alertTitles(), QStringList {"Feed Doesn't Validate"});
    EXPECT_EQ(alerts->alerts().first().message,
              "Vellumcast has detected problems with the feed that prevents it from validating.");
    EXPECT_EQ(alerts->alerts().first().style, Alert::Style::Critical);
    EXPECT_TRUE(errorListing::sharedInstance()->windowOpen());
    EXPECT_TRUE(w.command("viewParseLog")->isEnabled());
    errorListing::closePanel();
}

TEST_F(ExtensionActionsTest, ViewXMLReadsTheFeedAgainAsOneStepAndKeepsItsLocalFiles)
{
    Vellumcast &w = openFeed();
    const QString file = path("a.mp3");
    writeFile(file, "audio");
    w.document()->editField("Items_Optional_Enclosure_URL", 0, "https://example.org/a.mp3");
    ASSERT_TRUE(w.document()->attachLocalEnclosureFile(0, file, false).isEmpty());
    w.itemsPane()->itemTable()->selectRow(2);
    w.deleteItem();
    endAction();
    const int steps = undo().count();

    // Closed without a change, or cancelled: nothing happens.
    Vellumcast::setXMLSourceEditor([](const XMLSourceRequest &request) { return request.current; });
    w.viewXML();
    Vellumcast::setXMLSourceEditor([](const XMLSourceRequest &) { return std::nullopt; });
    w.viewXML();
    endAction();
    EXPECT_EQ(undo().count(), steps);

    XMLSourceRequest asked;
    Vellumcast::setXMLSourceEditor([&asked](const XMLSourceRequest &request) {
        asked = request;
        QString text = request.current;
        return std::optional(text.replace("<title>Feed</title>", "<title>Edited</title>"));
    });
    w.command("viewXML")->trigger();
    endAction();
    Vellumcast::setXMLSourceEditor({});
    EXPECT_EQ(asked.original, readFile(path("feed.xml")));
    EXPECT_EQ(w.currentFeed()->title(), "Edited");
    EXPECT_EQ(undo().undoActionName(), "View XML Edit");
    EXPECT_EQ(undo().count(), steps + 1);
    EXPECT_EQ(w.currentFeed()->itemAtIndex(0)->localEnclosureFilePath(), file)
        << "the local file chosen since the last save stays";

    w.undo();
    EXPECT_EQ(w.currentFeed()->title(), "Feed");
    w.undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
    w.redo();
    w.redo();
    EXPECT_EQ(w.currentFeed()->title(), "Edited");
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B"}));
}

TEST_F(ExtensionActionsTest, ADisclosureMovesWhatFollowsItAndGrowsItsPageAndItsBox)
{
    // On a page: the item's enclosure box opens between the GUID line and the line above.
    Vellumcast &w = openFeed();
    w.window()->show();
    w.outlet<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    w.outlet<QTabWidget>("tabsFeeds_ItemsSub")->setCurrentIndex(1);
    auto *open = field<QAbstractButton>("Items_Optional_Enclosure_Disclosure");
    QWidget *box = field("Items_Optional_Enclosure_Box");
    QWidget *below = field("Items_Optional_GUID_Disclosure");
    QWidget *page = below;
    while (page && !qobject_cast<QScrollArea *>(page->parentWidget()->parentWidget()))
        page = page->parentWidget();
    ASSERT_TRUE(page);
    QApplication::processEvents();
    const int top = below->mapTo(page, QPoint()).y();
    // The height the page needs (it scrolls once that is more than the window shows).
    const int height = page->sizeHint().height();
    ASSERT_FALSE(box->isVisible());
    open->click();
    QApplication::processEvents();
    ASSERT_TRUE(box->isVisible());
    const int moved = below->mapTo(page, QPoint()).y() - top;
    EXPECT_GE(moved, box->height());
    EXPECT_EQ(page->sizeHint().height() - height, moved);
    open->click();
    QApplication::processEvents();
    EXPECT_EQ(below->mapTo(page, QPoint()).y(), top);
    EXPECT_EQ(page->sizeHint().height(), height);

    // Inside a box (the panes of the extensions build theirs so): the enclosing box grows too.
    QWidget host;
    auto *hostLayout = new QVBoxLayout(&host);
    auto *enclosing = new VLXBox;
    auto *inner = new QVBoxLayout(enclosing);
    VLXBox *innerBox = PaneKit::disclosure(inner, "Inner", "Inner");
    (new QVBoxLayout(innerBox))->addWidget(new QLabel("hidden until opened"));
    auto *after = new QLabel("after the box");
    hostLayout->addWidget(enclosing);
    hostLayout->addWidget(after);
    hostLayout->addStretch(1);
    host.resize(300, 400);
    host.show();
    QApplication::processEvents();
    const int boxHeight = enclosing->height();
    const int afterTop = after->y();
    host.findChild<QAbstractButton *>("Inner_Disclosure")->click();
    QApplication::processEvents();
    EXPECT_GT(enclosing->height(), boxHeight);
    EXPECT_EQ(after->y() - afterTop, enclosing->height() - boxHeight);
}
