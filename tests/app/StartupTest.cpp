#include "AppFixture.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
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
