#include "AppFixture.h"

#include "app/Controller.h"
#include "app/FeedOpening.h"
#include "app/FeedSaving.h"
#include "app/ItemsPane.h"
#include "app/Vellumcast.h"
#include "common/LocalServer.h"
#include "common/TestSupport.h"
#include "editors/errorListing.h"
#include "editors/openURLPanel.h"
#include "model/VLXFeed.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/QtAlertService.h"
#include "ui/VLXButton.h"
#include "ui/VLXComboBox.h"
#include "ui/VLXOutlineView.h"
#include "ui/VLXTableView.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>

class MessagePanelWindowTest : public AppFixture
{
protected:
    Vellumcast &start() { return startWindow(); }
    QModelIndex find(const QString &text, const QModelIndex &parent = {}) const
    {
        return TestSupport::findInModel(errorListing::sharedInstance()->errors()->model(), text,
                                        parent);
    }
    int mainTab(Vellumcast &window) const
    {
        return window.outlet<QTabWidget>("tabsFeeds")->currentIndex();
    }
    // The panel as shown: the three toggles, then every row of the outline in order, indented
    // by its depth.
    static QStringList shown()
    {
        errorListing *panel = errorListing::sharedInstance();
        QStringList lines {panel->repairButton()->text(), panel->errorButton()->text(),
                           panel->warnButton()->text()};
        const QAbstractItemModel *model = panel->errors()->model();
        const std::function<void(const QModelIndex &, int)> rows
            = [&](const QModelIndex &parent, int depth) {
                  for (int row = 0; row < model->rowCount(parent); ++row) {
                      const QModelIndex index = model->index(row, 0, parent);
                      lines << QString(depth, QLatin1Char(' ')) + index.data().toString();
                      rows(index, depth + 1);
                  }
              };
        rows({}, 0);
        return lines;
    }
};

TEST_F(MessagePanelWindowTest, ABrokenFeedShowsItsMessagesAndTheyLeadToTheirItem)
{
    Vellumcast &window = start();
    const QString path = QDir(home()).filePath("broken.xml");
    writeFile(path, TestSupport::readData("feeds/episodes-with-problems.xml"));
    // The reading results offer "View Log" (the scripted answer takes it).
    window.openFeedAtPath(path);
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().first().title, "Feed Parsing Results:");
    // The repair is explained in the program's own name.
    EXPECT_EQ(alerts->alerts().first().message,
              "   1 Repairs\n   8 Errors\n   5 Warnings\n\nVellumcast has made some "
              "modifications to this file to make it conform better to the standards.  To "
              "preserve these changes the feed will have to be saved.");
    errorListing *panel = errorListing::sharedInstance();
    ASSERT_TRUE(panel->windowOpen());
    EXPECT_EQ(panel->panel()->parentWidget(), window.window());
    EXPECT_EQ(panel->repairButton()->text(), "1 Repairs");
    EXPECT_EQ(panel->errorButton()->text(), "8 Errors");
    EXPECT_EQ(panel->warnButton()->text(), "5 Warnings");

    VLXOutlineView *outline = panel->errors();
    outline->setCurrentIndex(
        find("Validate Error - Item link can not be blank", find("Item - \"Episode 3\"")));
    EXPECT_EQ(mainTab(window), Vellumcast::ItemsTab);
    EXPECT_EQ(window.itemsPane()->itemTable()->selectedRow(), 2);
    EXPECT_EQ(window.itemsPane()->shownItem(), 2);
    outline->setCurrentIndex(find("RSS Feed: \"Broken Episodes\""));
    EXPECT_EQ(mainTab(window), Vellumcast::FeedsTab);

    // Toggling reads the loaded feed again: warnings off.
    panel->warnButton()->click();
    EXPECT_FALSE(find("Validate Warning - The item pubDate should not be blank").isValid());
    EXPECT_TRUE(find("Validate Error - Item link is not a valid URL").isValid());

    // The panel closes before the feed is read again (whose results are closed this time) and
    // when the window closes.
    alerts->queueAnswer(AlertService::kAlternate);
    window.opening().reparseLoadedFeed(window.document()->text());
    EXPECT_FALSE(panel->windowOpen());
    window.command("viewParseLog")->trigger();
    EXPECT_TRUE(panel->windowOpen());
    window.setDocumentEdited(false, true);
    window.window()->close();
    EXPECT_FALSE(panel->windowOpen());
}

// The log opened from the results of a read, answered on the real alert with its default, takes
// the keyboard from the window: Return presses Done, Escape closes it. It is as wide as its lines
// need, and no wider than the screen: a longer line scrolls.
TEST_F(MessagePanelWindowTest, TheLogTakesTheKeyboardAndIsAsWideAsItsLines)
{
    Vellumcast &window = start();
    window.window()->show();
    const QByteArray text = TestSupport::readData("feeds/episodes-with-problems.xml");
    const struct
    {
        QByteArray text;
        Qt::Key key;
        bool scrolls;
    } cases[]
        = {{text, Qt::Key_Return, false},
           {QByteArray(text).replace("Episode 3", QByteArray(400, 'w')), Qt::Key_Escape, true}};
    AlertService::setInstance(std::make_shared<QtAlertService>());
    errorListing *panel = errorListing::sharedInstance();
    for (const auto &c : cases) {
        writeFile(QDir(home()).filePath("broken.xml"), c.text);
        // The results question takes Return ("View Log") as a user presses it.
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&answer] {
            if (QWidget *question = QApplication::activeModalWidget()) {
                answer.stop();
                QTest::keyClick(question, Qt::Key_Return);
            }
        });
        answer.start(20);
        window.setDocumentEdited(false, true);
        window.openFeedAtPath(QDir(home()).filePath("broken.xml"));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return QApplication::activeWindow() == panel->panel(); }, 5000));
        panel->panel()->grab(); // painted: a line that does not fit widens the outline
        QApplication::processEvents();
        EXPECT_EQ(panel->errors()->horizontalScrollBar()->maximum() > 0, c.scrolls);
        EXPECT_LE(panel->panel()->frameGeometry().width(),
                  panel->panel()->screen()->availableGeometry().width());
        QTest::keyClick(QApplication::focusWidget(), c.key);
        EXPECT_FALSE(panel->windowOpen());
        EXPECT_FALSE(panel->panel()->isVisible());
    }
    AlertService::setInstance(alerts);
}

// The messages of a read or of the check before a save are gathered on the worker that did the
// work: the panel shows just what the command gathers from the feed on the window's thread.
TEST_F(MessagePanelWindowTest, TheLogOfALoadOrASaveIsTheOneTheCommandShows)
{
    Vellumcast &window = start();
    const QString path = QDir(home()).filePath("broken.xml");
    writeFile(path, TestSupport::readData("feeds/episodes-with-problems.xml"));
    window.openFeedAtPath(path);
    errorListing *panel = errorListing::sharedInstance();
    ASSERT_TRUE(panel->windowOpen());
    const QStringList loaded = shown();
    EXPECT_EQ(loaded.mid(0, 3), (QStringList {"1 Repairs", "8 Errors", "5 Warnings"}));
    EXPECT_TRUE(loaded.contains("  Validate Error - Item link can not be blank"));
    window.command("viewParseLog")->trigger();
    EXPECT_EQ(shown(), loaded);

    // The save's check finds the feed wanting; the user does not save it after all.
    alerts->clear();
    alerts->queueAnswer(AlertService::kAlternate);
    window.document()->editField("Feeds_Required_Title", -1, "Still Broken");
    EXPECT_FALSE(window.saving().actualSaveDocument(0));
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().first().title, "Feed Doesn't Validate");
    ASSERT_TRUE(panel->windowOpen());
    const QStringList checked = shown();
    EXPECT_TRUE(checked.contains("RSS Feed: \"Still Broken\""));
    EXPECT_TRUE(checked.contains("  Validate Error - Item link can not be blank"));
    window.command("viewParseLog")->trigger();
    EXPECT_EQ(shown(), checked);
    window.setDocumentEdited(false, true);
}

TEST_F(MessagePanelWindowTest, OpenURLTakesTheAddressFromThePanelAndKeepsTheHistoryCapped)
{
    LocalServer server;
    const QString served = QDir(home()).filePath("served");
    writeFile(QDir(served).filePath("f.xml"), smallFeed("Served"));
    ASSERT_TRUE(server.startScript("http_server.py", {"--files", served}))
        << server.log().toStdString();
    QVariantList history;
    for (int i = 1; i <= 10; ++i)
        history << QStringLiteral("http://old.example/%1").arg(i);
    store().setObject(history, "feedDownloadHistory");
    Vellumcast &window = start();

    QString preselected;
    QTimer::singleShot(0, [&] {
        auto *panel = QApplication::activeModalWidget();
        ASSERT_TRUE(panel);
        auto *combo = panel->findChild<VLXComboBox *>("fileComboBox");
        preselected = combo->currentText();
        combo->setEditText(QStringLiteral("feed://127.0.0.1:%1/d/f.xml").arg(server.port()));
        panel->findChild<QPushButton *>("acceptButton")->click();
    });
    window.command("openURL")->trigger();
    const QString address = QStringLiteral("http://127.0.0.1:%1/d/f.xml").arg(server.port());
    EXPECT_EQ(preselected, "http://old.example/1");
    EXPECT_EQ(window.currentFeed()->title(), "Served");
    EXPECT_EQ(window.currentListOfFeeds().first().value("feedURL"), address);
    const QVariantList stored = store().array("feedDownloadHistory").value_or(QVariantList());
    ASSERT_EQ(stored.size(), 10);
    EXPECT_EQ(stored.first(), address);
    EXPECT_EQ(stored.last(), "http://old.example/9");

    // Cancel opens nothing and keeps the history.
    window.setDocumentEdited(false, true);
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto *panel = QApplication::activeModalWidget();
        ASSERT_TRUE(panel);
        shown = true;
        panel->findChild<QPushButton *>("cancelButton")->click();
    });
    window.command("openURL")->trigger();
    EXPECT_TRUE(shown);
    EXPECT_EQ(store().array("feedDownloadHistory").value_or(QVariantList()), stored);
    EXPECT_EQ(window.currentFeed()->title(), "Served");
}
