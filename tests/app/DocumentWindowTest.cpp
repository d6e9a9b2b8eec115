// The window and its document together: the loaded feed and the selected entry always belong
// together, so nothing is ever saved under another entry's file; a feed is parsed once; Save is
// offered as soon as a field is being changed.
#include "AppFixture.h"

#include "app/Controller.h"
#include "app/FeedSaving.h"
#include "app/Vellumcast.h"
#include "app/WindowCommands.h"
#include "common/LocalServer.h"
#include "document/FeedDocument.h"
#include "model/VLXFeed.h"
#include "panes/EditTracker.h"
#include "platform/ScriptedFileChooser.h"
#include "ui/VLXListBox.h"
#include "ui/VLXTextField.h"
#include "xml/vlxXMLDOM.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QTest>
#include <QToolBar>

class DocumentWindowTest : public AppFixture
{
protected:
    Vellumcast &start() { return startWindow(); }
    VLXListBox *list() const
    {
        return controller->feedController()->outlet<VLXListBox>("Feeds_Required_Files");
    }
    // The selected row is the loaded feed's, and the window shows that feed.
    void expectTogether(Vellumcast &window, const QString &title)
    {
        EXPECT_EQ(window.currentFeed()->title(), title);
        ASSERT_GE(list()->selectedRow(), 0);
        EXPECT_EQ(window.currentListOfFeeds().value(list()->selectedRow()).value("UniqueIdentifier"),
                  window.document()->entry().uniqueIdentifier);
        EXPECT_EQ(window.lastFeedViewed(), list()->selectedRow());
    }
    QString path(const char *name) const { return QDir(home()).filePath(name); }
};

TEST_F(DocumentWindowTest, AMendingLeftUnsavedKeepsTheLoadedFeedAndItsEntry)
{
    writeFile(path("a.xml"), smallFeed("A"));
    const QByteArray brokenText = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"></rss>\n";
    writeFile(path("broken.xml"), brokenText);
    Vellumcast &window = start();
    window.openFeedAtPath(path("a.xml"));
    const int listed = int(window.currentListOfFeeds().size());

    Vellumcast::setXMLSourceEditor(
        [](const XMLSourceRequest &) { return std::optional<QString>(); });
    alerts->queueAnswer(AlertService::kDefault); // "Manually fix it", then closed unsaved
    window.openFeedAtPath(path("broken.xml"));
    Vellumcast::setXMLSourceEditor(nullptr);
    EXPECT_EQ(int(window.currentListOfFeeds().size()), listed);
    expectTogether(window, "A");

    window.currentFeed()->setTitle("A changed");
    window.setDocumentEdited(true);
    ASSERT_TRUE(window.saving().actualSaveDocument(list()->selectedRow()));
    EXPECT_EQ(readFile(path("broken.xml")), brokenText) << "never written over";
    EXPECT_TRUE(readFile(path("a.xml")).contains("A changed"));
}

TEST_F(DocumentWindowTest, AFailedFetchOfAListedFeedReselectsTheLoadedOne)
{
    LocalServer server;
    const QString served = path("served");
    writeFile(QDir(served).filePath("f.xml"), smallFeed("Served"));
    ASSERT_TRUE(server.startScript("http_server.py", {"--files", served}));
    writeFile(path("a.xml"), smallFeed("A"));
    Vellumcast &window = start();
    window.openFeedAtPath(server.url("http", "/d/f.xml"));
    window.setDocumentEdited(false, true);
    window.openFeedAtPath(path("a.xml"));
    ASSERT_EQ(window.currentListOfFeeds().value(1).value("feedFileName"), "f.xml");
    QFile::remove(QDir(served).filePath("f.xml"));

    auto chooser = std::make_shared<ScriptedFileChooser>();
    chooser->enqueue({path("chosen.xml")});
    FileChooser::setInstance(chooser);
    list()->fieldSelected(1);
    ASSERT_FALSE(alerts->alerts().isEmpty());
    EXPECT_EQ(alerts->alerts().last().title, "Connection Failure");
    expectTogether(window, "A");
    EXPECT_EQ(list()->selectedRow(), 0);

    // Save writes the loaded feed to its own file, without asking for one.
    window.currentFeed()->setTitle("A again");
    window.setDocumentEdited(true);
    EXPECT_TRUE(window.saving().actualSaveDocument(list()->selectedRow()));
    FileChooser::setInstance(nullptr);
    EXPECT_FALSE(QFile::exists(path("chosen.xml")));
    EXPECT_TRUE(readFile(path("a.xml")).contains("A again"));
    // A row that is not the loaded feed's is never saved.
    EXPECT_FALSE(window.saving().actualSaveDocument(1));
}

TEST_F(DocumentWindowTest, AnUnreadableListedFileLeavesTheLoadedFeedSelected)
{
    writeFile(path("a.xml"), smallFeed("A"));
    writeFile(path("b.xml"), smallFeed("B"));
    Vellumcast &window = start();
    window.openFeedAtPath(path("b.xml"));
    window.openFeedAtPath(path("a.xml"));
    ASSERT_EQ(window.currentListOfFeeds().value(1).value("feedFileName"), "b.xml");
    QFile::remove(path("b.xml"));

    // Selected by the program (as after a removal), so the missing file is only found on reading.
    list()->selectRowAndNotifyDelegate(1, true);
    ASSERT_FALSE(alerts->alerts().isEmpty());
    EXPECT_EQ(alerts->alerts().last().title, "Open Feed");
    expectTogether(window, "A");

    window.currentFeed()->setTitle("A kept");
    window.setDocumentEdited(true);
    window.command("saveDocument")->trigger();
    EXPECT_FALSE(QFile::exists(path("b.xml"))) << "nothing is saved under b's file";
    EXPECT_TRUE(readFile(path("a.xml")).contains("A kept"));
}

TEST_F(DocumentWindowTest, OpeningAFeedParsesItsTextOnce)
{
    writeFile(path("once.xml"), smallFeed("Once"));
    Vellumcast &window = start();
    const quint64 before = vlxXMLDOM::documentsParsed();
    window.openFeedAtPath(path("once.xml"));
    EXPECT_EQ(window.currentFeed()->title(), "Once");
    EXPECT_EQ(vlxXMLDOM::documentsParsed() - before, 1u);

    // At start-up the check that finds the first listed feed and its load share one parse.
    stopApplication();
    const quint64 atStart = vlxXMLDOM::documentsParsed();
    startApplication();
    EXPECT_EQ(controller->feedController()->currentFeed()->title(), "Once");
    EXPECT_EQ(vlxXMLDOM::documentsParsed() - atStart, 1u);
}

TEST_F(DocumentWindowTest, SaveIsOfferedWhileAFieldIsBeingChanged)
{
    writeFile(path("a.xml"), smallFeed("A"));
    Vellumcast &window = start();
    window.openFeedAtPath(path("a.xml"));
    window.window()->show();
    QApplication::setActiveWindow(window.window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.window()));
    window.validateCommands();
    QAction *save = nullptr;
    for (QAction *action : window.commands().currentToolbar()->actions())
        save = action->objectName() == "Save Feed Item Identifier" ? action : save;
    ASSERT_NE(save, nullptr);
    EXPECT_FALSE(save->isEnabled());
    auto *title = window.outlet<VLXTextField>("Feeds_Required_Title");
    title->setFocus();
    QTest::keyClicks(title, "!");
    EXPECT_TRUE(save->isEnabled()) << "enabled before the edit is committed";
    EXPECT_FALSE(window.isDocumentEdited());
    window.finalizeChanges();
    EXPECT_TRUE(window.isDocumentEdited());
    EXPECT_TRUE(save->isEnabled());
}
