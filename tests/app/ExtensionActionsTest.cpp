// Namespaces switched on and off for the whole feed, the list tables with their sheets, Validate
// and View XML: each action's effect and its one undo step.
#include "ActionsFixture.h"

#include "app/ExtensionActions.h"
#include "app/ItemActions.h"
#include "app/ItemsPane.h"
#include "app/ValidationActions.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "editors/errorListing.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/baseExtensionManager.h"
#include "model/extensionManagerItem.h"
#include "model/extensionNSName.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"

#include <QAbstractButton>
#include <QAction>
#include <QTabWidget>

namespace {
void press(QWidget *sheet, const char *button)
{
    sheet->findChild<QAbstractButton *>(QLatin1String(button))->click();
}
} // namespace

class ExtensionActionsTest : public ActionsFixture
{
protected:
    // The check box of the namespace's row (the registry's rows, then "User Defined").
    QModelIndex namespaceBox(const QString &prefix)
    {
        const QStringList registry
            = VLXPreferences::objectForKey("General_XMLNamespaces").toStringList();
        int row = int(registry.size());
        for (int i = 0; i < registry.size(); ++i) {
            if (extensionNSName::extensionNameFromDescription(registry[i]) == prefix)
                row = i;
        }
        return field<VLXTableView>("Feeds_Extensions_List")->model()->index(row, 0);
    }
    void clickNamespace(const QString &prefix)
    {
        field<VLXTableView>("Feeds_Extensions_List")
            ->model()
            ->setData(namespaceBox(prefix), Qt::Checked, Qt::CheckStateRole);
        endAction();
    }
    // Whether the table shows the namespace used.
    bool shownUsed(const QString &prefix)
    {
        return namespaceBox(prefix).data(Qt::CheckStateRole) == Qt::Checked;
    }
    // Which of the channel, the image and the items use the namespace.
    QList<bool> usedBy(const QString &prefix) const
    {
        QList<bool> used;
        window().document()->forEachExtensionManager([&](baseExtensionManager &manager) {
            used << (prefix == "User Defined" ? manager.unknownExtensionUsed()
                                              : manager.arrayOfExtensionNames().contains(prefix));
        });
        return used;
    }
    static QList<bool> all(bool value) { return QList<bool>(5, value); }
};

TEST_F(ExtensionActionsTest, ANamespaceGoesOnAndOffForTheWholeFeedOneStepEach)
{
    Vellumcast &w = openFeed();
    EXPECT_FALSE(shownUsed("dc"));
    clickNamespace("dc");
    EXPECT_EQ(usedBy("dc"), all(true));
    EXPECT_TRUE(shownUsed("dc"));
    EXPECT_TRUE(alerts->alerts().isEmpty()) << "no defaults: nothing asked";
    EXPECT_EQ(undo().undoActionName(), "Add XML Namespace");
    auto *tabs = field<QTabWidget>("tabsFeeds_FeedsExtensions");
    EXPECT_EQ(tabs->tabText(tabs->count() - 1), "Dublin Core");

    alerts->queueAnswer(AlertService::kAlternate); // "No" keeps it and registers nothing
    clickNamespace("dc");
    EXPECT_EQ(alerts->alerts().first().message,
              "Deleting the \"Dublin Core\" extension will delete all entries in this feed in the "
              "\"Dublin Core\" extension also.  Do you still wish to continue");
    EXPECT_EQ(usedBy("dc"), all(true));
    EXPECT_EQ(undo().count(), 1);
    clickNamespace("dc"); // YES
    EXPECT_EQ(usedBy("dc"), all(false));
    EXPECT_FALSE(shownUsed("dc"));
    EXPECT_EQ(undo().undoActionName(), "Delete XML Namespace");
    w.undo();
    EXPECT_EQ(usedBy("dc"), all(true));
    EXPECT_TRUE(shownUsed("dc"));
    EXPECT_EQ(tabs->tabText(tabs->count() - 1), "Dublin Core");

    // One manager with the raw extension means all of them get it after any namespace action.
    w.currentFeed()->itemAtIndex(1)->XMLExtensions()->setUnknownExtensionUsed(true);
    clickNamespace("itunes");
    EXPECT_EQ(usedBy("User Defined"), all(true));
    clickNamespace("User Defined"); // YES
    EXPECT_EQ(usedBy("User Defined"), all(false));
    clickNamespace("User Defined");
    EXPECT_EQ(usedBy("User Defined"), all(true));
}

TEST_F(ExtensionActionsTest, DefaultsGoInOnYesAndANewNamespaceJoinsTheRegistry)
{
    Vellumcast &w = openFeed();
    VLXPreferences::setObjectForKey("Sub", "FD_AF_FF_EX_ITCSubtitle");
    alerts->queueAnswer(AlertService::kAlternate); // No: added empty
    clickNamespace("itunes");
    ASSERT_EQ(alertTitles(), QStringList {"Update Existing?"});
    EXPECT_EQ(alerts->alerts().first().message,
              "You have choosen to add the \"itunes\" extension to the current feed.  Do you wish "
              "to populate the feed and all existing items with the default values you have "
              "configured in preferences?");
    EXPECT_TRUE(w.document()->usesNamespace("itunes"));
    EXPECT_FALSE(w.currentFeed()->buildXML().contains("Sub"));
    w.undo();
    clickNamespace("itunes"); // YES
    EXPECT_TRUE(w.currentFeed()->buildXML().contains("<itunes:subtitle>Sub</itunes:subtitle>"));

    whileModal([](QWidget *sheet) {
        sheet->findChild<VLXTextField *>("nameSpace")->setText("abc");
        sheet->findChild<VLXTextField *>("DTDURL")->setText("http://example.org/abc/");
        press(sheet, "accept");
    });
    field<QAbstractButton>("Feeds_Extensions_Add")->click();
    endAction();
    EXPECT_EQ(usedBy("abc"), all(true));
    EXPECT_EQ(undo().undoActionName(), "Add XML Namespace");
    EXPECT_TRUE(VLXPreferences::objectForKey("General_XMLNamespaces")
                    .toStringList()
                    .join(' ')
                    .contains("http://example.org/abc/"));
}

TEST_F(ExtensionActionsTest, CategoriesAreAddedEditedAndDeletedThroughTheirSheet)
{
    Vellumcast &w = openFeed();
    auto *table = field<VLXTableView>("Feeds_Optional_Category");
    whileModal([](QWidget *sheet) {
        sheet->findChild<VLXTextField *>("categoryField")->setText("Music");
        press(sheet, "accept");
    });
    field<QAbstractButton>("Feeds_Optional_AddCategory")->click();
    endAction();
    ASSERT_EQ(w.currentFeed()->category().size(), 1);
    EXPECT_EQ(table->model()->rowCount(), 1);
    EXPECT_EQ(undo().undoActionName(), "Add Category");
    // Delete and edit need a selected row; an unchanged category accepted is a step all the
    // same, and a double click edits.
    w.extensionActions().listTableAction("Feeds_Optional_Category", 2);
    w.extensionActions().listTableAction("Feeds_Optional_Category", 3);
    settle();
    EXPECT_EQ(undo().count(), 1);
    table->selectRow(0);
    whileModal([](QWidget *sheet) { press(sheet, "accept"); });
    emit table->doubleAction(0);
    endAction();
    EXPECT_EQ(undo().undoActionName(), "Edit Category");
    field<QAbstractButton>("Feeds_Optional_DelCategory")->click();
    endAction();
    EXPECT_TRUE(w.currentFeed()->category().isEmpty());
    EXPECT_EQ(undo().undoActionName(), "Delete Category");

    // An item's list: nothing without a selected item; with one, its own date follows.
    w.itemsPane()->itemTable()->clearSelection();
    int sheets = 0;
    whileModal([&sheets](QWidget *sheet) {
        ++sheets;
        press(sheet, "cancel");
    });
    w.extensionActions().listTableAction("Items_Optional_Category", 1);
    settle();
    EXPECT_EQ(sheets, 0);
    w.document()->setAutoPubDate(true);
    w.itemsPane()->itemTable()->selectRow(1);
    const QString feedDate = w.currentFeed()->pubDate();
    whileModal([](QWidget *sheet) {
        sheet->findChild<VLXTextField *>("categoryField")->setText("Talk");
        press(sheet, "accept");
    });
    w.extensionActions().listTableAction("Items_Optional_Category", 1);
    endAction();
    const VLXItems &item = *w.currentFeed()->itemAtIndex(1);
    EXPECT_EQ(item.category().size(), 1);
    EXPECT_EQ(field<VLXTableView>("Items_Optional_Category")->model()->rowCount(), 1);
    EXPECT_NE(item.pubDate(), "Mon, 07 Dec 2026 09:00:00 +0000");
    EXPECT_EQ(w.currentFeed()->pubDate(), feedDate);
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
    w.extensionActions().listTableAction("Image_Advanced_Comments", 1);
    endAction();
    EXPECT_EQ(undo().count(), 0);
    write("made -- here");
    w.extensionActions().listTableAction("Image_Advanced_Comments", 1);
    endAction();
    EXPECT_EQ(w.currentFeed()->image()->XMLComments(), QStringList {"made - - here"});
    EXPECT_EQ(field<VLXTableView>("Image_Advanced_Comments")->model()->rowCount(), 1);
    EXPECT_EQ(undo().undoActionName(), "Add XML Comment");

    field<VLXTableView>("Image_Advanced_Comments")->selectRow(0);
    whileModal([](QWidget *sheet) { press(sheet, "accept"); });
    w.extensionActions().listTableAction("Image_Advanced_Comments", 3);
    endAction();
    EXPECT_EQ(undo().count(), 1) << "an unchanged comment is no step";
    write("changed");
    w.extensionActions().listTableAction("Image_Advanced_Comments", 3);
    endAction();
    EXPECT_EQ(w.currentFeed()->image()->XMLComments(), QStringList {"changed"});
    EXPECT_EQ(undo().undoActionName(), "Edit XML Comment");
    write("on the channel");
    field<QAbstractButton>("Feeds_Advanced_AddComments")->click();
    endAction();
    EXPECT_EQ(w.currentFeed()->XMLComments(), QStringList {"on the channel"});
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
    w.validation().validateAction();
    ASSERT_EQ(w.currentFeed()->parseXMLErrorCount(), 0);
    ASSERT_EQ(alertTitles(), QStringList {"Feed Doesn't Validate"});
    EXPECT_EQ(alerts->alerts().first().message,
              "Vellumcast has detected problems with the feed that prevents it from validating.");
    EXPECT_TRUE(errorListing::sharedInstance()->windowOpen());
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
    w.itemActions().deleteItem();
    endAction();
    const int steps = undo().count();
    // Closed without a change: nothing happens.
    Vellumcast::setXMLSourceEditor([](const XMLSourceRequest &request) { return request.current; });
    w.validation().viewXML();
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
    EXPECT_EQ(w.currentFeed()->itemAtIndex(0)->localEnclosureFilePath(), file)
        << "the local file chosen since the last save stays";
    // Undo shows the feed as it was, and the steps before it still find their items.
    w.undo();
    EXPECT_EQ(w.currentFeed()->title(), "Feed");
    w.undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
    w.redo();
    w.redo();
    EXPECT_EQ(w.currentFeed()->title(), "Edited");
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B"}));
}
