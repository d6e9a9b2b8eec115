#include "AppFixture.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "document/FeedDocument.h"
#include "model/VLXFeed.h"
#include "platform/MemoryDefaultsStore.h"
#include "ui/VLXListBox.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QTest>

using StartupTest = AppFixture;

TEST_F(StartupTest, FirstStartMakesTheUserFolderAndCopiesTheResources)
{
    startApplication();
    const QDir folder(userFolder());
    for (const char *sub : {"Templates", "RSSIcons", "Scripts", "Feeds", "Exports", "Temporary"})
        EXPECT_TRUE(QFileInfo(folder.filePath(sub)).isDir()) << sub;

    const QString sample = folder.filePath("Feeds/sample.xml");
    ASSERT_TRUE(QFileInfo(sample).isFile());
    EXPECT_EQ(readFile(sample), readFile(":/feeds/sample.xml"));
    // The copy is the user's to change.
    EXPECT_TRUE(QFileInfo(sample).isWritable());
    for (QDirIterator it(":/templates", QDir::Files); it.hasNext();) {
        QString name = QFileInfo(it.next()).fileName();
        if (name == "BasicJavaScript.js.txt")
            name = "BasicJavaScript.js";
        EXPECT_TRUE(QFileInfo(folder.filePath("Templates/" + name)).isFile()) << name.toStdString();
    }

    int badges = 0;
    for (QDirIterator it(":/RSSIcons", QDir::Files); it.hasNext(); ++badges) {
        const QString name = QFileInfo(it.next()).fileName();
        EXPECT_TRUE(QFileInfo(folder.filePath("RSSIcons/" + name)).isFile()) << name.toStdString();
    }
    EXPECT_EQ(badges, 12);
    // The companion server script and its read-me.
    for (const char *name : {"glintpax.php", "glintpax-docs.rtf"})
        EXPECT_EQ(readFile(folder.filePath(QStringLiteral("Scripts/") + name)),
                  readFile(QStringLiteral(":/scripts/") + name))
            << name;
    EXPECT_FALSE(readFile(folder.filePath("Scripts/glintpax.php")).isEmpty());

    EXPECT_EQ(store().string("LastFeedTemplatePath"), folder.filePath("Templates"));
    EXPECT_EQ(store().string("LastFeedOpenPath"), folder.filePath("Feeds"));
    EXPECT_EQ(store().string("LastImageSavePath"), folder.filePath("Feeds"));
    EXPECT_EQ(store().string("LastOPMLSavePath"), folder.filePath("Feeds"));
    EXPECT_EQ(store().string("LastOPMLSaveName"), "Vellumcast.opml");
    EXPECT_EQ(store().string("LastFeedExportPath"), folder.filePath("Exports"));
    EXPECT_TRUE(controller->userFolderProblem().isEmpty());
}

TEST_F(StartupTest, ASecondStartOverwritesNothingTheUserChanged)
{
    startApplication();
    stopApplication();
    const QString sample = QDir(userFolder()).filePath("Feeds/sample.xml");
    writeFile(sample, smallFeed("Mine now"));
    QString edited;
    for (QDirIterator it(QDir(userFolder()).filePath("Templates"), QDir::Files); it.hasNext();) {
        edited = it.next();
        writeFile(edited, "my own template");
        break;
    }
    store().setObject(home() + "/elsewhere", "LastFeedOpenPath");

    startApplication();
    EXPECT_EQ(readFile(sample), smallFeed("Mine now"));
    if (!edited.isEmpty()) {
        EXPECT_EQ(readFile(edited), "my own template");
    }
    EXPECT_EQ(store().string("LastFeedOpenPath"), home() + "/elsewhere");
}

TEST_F(StartupTest, AFolderThatCannotBeMadeIsReportedAndStartUpGoesOn)
{
    // "Documents" is a file, so the user folder cannot be made inside it.
    writeFile(QDir(home()).filePath("Documents"), "not a folder");
    startApplication();
    EXPECT_FALSE(controller->userFolderProblem().isEmpty());
    EXPECT_TRUE(controller->userFolderProblem().contains("Vellumcast"));
    EXPECT_TRUE(controller->transferLayerStarted());
    // Without the folder the path settings fall back to the home folder.
    EXPECT_EQ(store().string("LastFeedOpenPath"), QDir::homePath());
    EXPECT_EQ(store().string("LastFeedExportPath"), QDir::homePath());
    EXPECT_FALSE(store().contains("LastOPMLSavePath"));
    ASSERT_NE(controller->mainWindow(), nullptr);
    EXPECT_TRUE(controller->mainWindow()->isVisible());
    EXPECT_EQ(controller->feedController()->statusText(), controller->userFolderProblem());
}

TEST_F(StartupTest, EveryDocumentHandedOverBeforeTheWindowIsOpenedTheLastOnTop)
{
    const QString first = QDir(home()).filePath("first.xml");
    const QString second = QDir(home()).filePath("second.xml");
    writeFile(first, smallFeed("First"));
    writeFile(second, smallFeed("Second"));
    startApplication({first, second});
    const auto &feeds = controller->feedController()->currentListOfFeeds();
    QStringList names;
    for (const QVariantMap &entry : feeds)
        names << entry.value("feedFileName").toString();
    EXPECT_TRUE(names.contains("second.xml"));
    EXPECT_TRUE(names.contains("first.xml"));
    EXPECT_EQ(names.value(0), "second.xml");
    EXPECT_TRUE(controller->filesToOpenLater().isEmpty());

    // Afterwards a document goes straight to the window, at the top of the list.
    controller->applicationOpenFile(first);
    EXPECT_EQ(controller->feedController()->currentListOfFeeds().value(0).value("feedFileName"),
              "first.xml");
}

TEST_F(StartupTest, QuittingStoresTheFeedListAndTheSettings)
{
    startApplication();
    const int syncsBefore = store().syncCount();
    stopApplication();
    EXPECT_GT(store().syncCount(), syncsBefore);
    EXPECT_TRUE(store().contains("feedListKey"));
    EXPECT_TRUE(store().contains("NSWindow Frame Vellumcast"));
}

// The feed shown when the program last quit is checked at the start and read from that check.
// One that needed the reader's repairs (a bare "&" in its title) opens again asking to be saved,
// and the next file opens after it. tests/app/CMakeLists.txt runs this test under valgrind too:
// the check's text must not be read once it has been let go of.
TEST_F(StartupTest, ARememberedFeedThatNeededRepairsOpensAgainAndAnotherFileAfterIt)
{
    const QString repaired = QDir(home()).filePath("repaired.xml");
    const QString other = QDir(home()).filePath("other.xml");
    writeFile(repaired, smallFeed("Tom & Jerry"));
    writeFile(other, smallFeed("Other"));
    Vellumcast &first = startWindow();
    alerts->queueAnswer(AlertService::kAlternate); // the results of the read: Close
    first.openFeedAtPath(repaired);
    ASSERT_EQ(first.currentFeed()->title(), "Tom & Jerry");
    ASSERT_TRUE(first.isDocumentEdited());
    alerts->queueAnswer(AlertService::kAlternate); // Don't Save
    stopApplication();
    ASSERT_EQ(readFile(repaired), smallFeed("Tom & Jerry"));

    alerts->clear();
    alerts->queueAnswer(AlertService::kAlternate); // the results of the read: Close
    startApplication();
    Vellumcast *window = controller->feedController();
    EXPECT_EQ(window->currentFeed()->title(), "Tom & Jerry");
    EXPECT_EQ(window->document()->entry().localPath(), repaired);
    EXPECT_TRUE(window->isDocumentEdited());

    alerts->queueAnswer(AlertService::kAlternate); // Don't Save
    window->openFeedAtPath(other);
    EXPECT_EQ(window->currentFeed()->title(), "Other");
    EXPECT_EQ(window->document()->entry().localPath(), other);
    EXPECT_FALSE(window->isDocumentEdited());
    QStringList titles;
    for (const Alert &alert : alerts->alerts())
        titles << alert.title;
    EXPECT_EQ(titles, (QStringList {"Feed Parsing Results:", "Warning"}));
}
