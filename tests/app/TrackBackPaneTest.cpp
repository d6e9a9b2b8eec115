// The trackback tab of the items: the ping typed and checked, the about URLs added and edited in
// the URL panel, each change one undo step that also puts back the item's date, and the find
// that reaches an about URL through the panel.
#include "FindFixture.h"

#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "editors/openURLPanel.h"
#include "extensions/trackback/trackBackItem.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerItem.h"
#include "panes/EditTracker.h"
#include "ui/VLXComboBox.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

namespace {
const char *const kItemDate = "Mon, 07 Dec 2026 08:00:00 +0000";
}

class TrackBackPaneTest : public FindFixture
{
protected:
    void open()
    {
        openForFind();
        QByteArray items;
        for (const char *title : {"One", "Two"})
            items += QStringLiteral("<item><title>%1</title><description>d</description>"
                                    "<pubDate>%2</pubDate><tb:about>http://example.com/%1"
                                    "</tb:about></item>")
                         .arg(QLatin1String(title), QLatin1String(kItemDate))
                         .toUtf8();
        writeFile(path("tb.xml"),
                  "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" xmlns:tb=\"http://madskills.com/"
                  "public/xml/rss/module/trackback/\"><channel><title>T</title>"
                  "<link>https://example.org/</link><description>d</description>"
                      + items + "</channel></rss>\n");
        window().openFeedAtPath(path("tb.xml"));
        endAction();
        field<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
        field<VLXTableView>("Items_Required_Items")->selectRow(0);
        QApplication::processEvents();
    }
    FeedDocument &doc() const { return *window().document(); }
    std::shared_ptr<trackBackItem> tb(int row) const
    {
        return std::dynamic_pointer_cast<trackBackItem>(
            doc().item(row)->XMLExtensions()->knownExtension(KnownNamespace::trackBack));
    }
    // Answers the URL panel the next button opens: its title is noted, the text typed, Accept.
    QString panel(const char *button, const QString &text)
    {
        QString title;
        whileModal([&title, text](QWidget *sheet) {
            title = sheet->windowTitle();
            auto *combo = sheet->findChild<VLXComboBox *>("fileComboBox");
            combo->setCurrentText(text);
            for (QPushButton *b : sheet->findChildren<QPushButton *>()) {
                if (b->isDefault() || b->text() == QLatin1String("Accept")) {
                    b->click();
                    break;
                }
            }
        });
        field<QPushButton>(button)->click();
        endAction();
        return title;
    }
};

TEST_F(TrackBackPaneTest, AboutURLsAreAddedAndEditedInTheURLPanelOneStepEach)
{
    open();
    ASSERT_TRUE(field<VLXTableView>("aboutURLTable"));
    EXPECT_EQ(panel("aboutURL_Add", QStringLiteral("http://example.net/new")),
              QStringLiteral("Create URL"));
    EXPECT_EQ(tb(0)->aboutString(),
              (QStringList {"http://example.com/One", "http://example.net/new"}));
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Add About URL"));
    EXPECT_EQ(undo().count(), 1);

    // Accepting the same URL is no edit.
    field<VLXTableView>("aboutURLTable")->selectRow(0);
    EXPECT_EQ(panel("aboutURL_Edit", QStringLiteral("http://example.com/One")),
              QStringLiteral("Edit URL"));
    EXPECT_EQ(undo().count(), 1);
    panel("aboutURL_Edit", QStringLiteral("http://example.com/uno"));
    EXPECT_EQ(tb(0)->aboutString().value(0), QStringLiteral("http://example.com/uno"));
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Edit About URL"));

    field<VLXTableView>("aboutURLTable")->selectRow(1);
    field<QPushButton>("aboutURL_Delete")->click();
    endAction();
    EXPECT_EQ(tb(0)->aboutString(), QStringList {"http://example.com/uno"});
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Delete About URL"));

    // Each undo puts the item's date back with the list.
    doc().setItemPubDate(0, QStringLiteral("Tue, 08 Dec 2026 08:00:00 +0000"));
    undo().undo();
    undo().undo();
    undo().undo();
    EXPECT_EQ(tb(0)->aboutString(), QStringList {"http://example.com/One"});
    EXPECT_EQ(doc().item(0)->pubDate(), QLatin1String(kItemDate));
    EXPECT_EQ(tb(1)->aboutString(), QStringList {"http://example.com/Two"}) << "another item's";
}

TEST_F(TrackBackPaneTest, FindReachesAnAboutURLAndReplacesItInThePanel)
{
    open();
    setScope({"items", "all"});
    find().setFindField("example.com/Two");
    find().setReplaceField("example.org/2");
    QString sheetTitle;
    answerSheets([this, &sheetTitle](QWidget *sheet) {
        sheetTitle = sheet->windowTitle();
        press("ReplaceFind");
    });
    press("Next");
    EXPECT_EQ(sheetTitle, QStringLiteral("Search & Replace URL"));
    EXPECT_EQ(window().selectedItemRow(), 1);
    EXPECT_EQ(tb(1)->aboutString(), QStringList {"http://example.org/2"});
    EXPECT_EQ(tb(0)->aboutString(), QStringList {"http://example.com/One"});
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Edit About URL"));
    undo().undo();
    EXPECT_EQ(tb(1)->aboutString(), QStringList {"http://example.com/Two"});

    // Replace All covers the lists too.
    find().setFindField("example.com");
    find().setReplaceField("example.net");
    press("ReplaceAll");
    EXPECT_EQ(tb(0)->aboutString(), QStringList {"http://example.net/One"});
    EXPECT_EQ(tb(1)->aboutString(), QStringList {"http://example.net/Two"});
}

TEST_F(TrackBackPaneTest, APingIsTrimmedCheckedAndKeptAsOneStep)
{
    open();
    auto *ping = field<VLXTextField>("pingURL");
    ASSERT_TRUE(ping);
    alerts->clear();
    window().editTracker()->setTextAsEdit(ping, QStringLiteral("  example.com "));
    endAction();
    // Refused by the check, kept all the same: the user mends it.
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().first().title, QStringLiteral("Ping URL is invalid"));
    EXPECT_EQ(tb(0)->pingString(), QStringLiteral("example.com"));
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("TrackBack Ping"));
    undo().undo();
    EXPECT_EQ(tb(0)->pingString(), QString());
    EXPECT_EQ(ping->text(), QString());

    // A query holding what looks like a tag is stored and shown as typed.
    const QString query = QStringLiteral("https://example.com/tb?a=1&b=<x>&c=2");
    window().editTracker()->setTextAsEdit(ping, query);
    endAction();
    EXPECT_EQ(tb(0)->pingString(), query);
    EXPECT_EQ(ping->text(), query);
}
