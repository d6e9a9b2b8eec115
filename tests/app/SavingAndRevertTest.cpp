// Saving on the loader's worker behind its progress dialog, and Revert from the bytes that were
// read: a cancelled or failed save leaves the file, its companion and the backups as they were;
// Revert goes back to what was read or saved, whatever the file on disk holds by then.
#include "AppFixture.h"

#include "app/Controller.h"
#include "app/FeedSaving.h"
#include "app/LoadRunner.h"
#include "app/Vellumcast.h"
#include "document/VLXUndoManager.h"
#include "model/VLXFeed.h"
#include "panes/EditTracker.h"
#include "platform/ScriptedFileChooser.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>

namespace {
class SavingAndRevertTest : public AppFixture
{
protected:
    void TearDown() override
    {
        LoadRunner::setStageObserver({});
        LoadRunner::setDialogDelay(250);
        AppFixture::TearDown();
    }
    QString path(const QString &name) const { return QDir(home()).filePath(name); }
    QString temporary() const { return QDir(userFolder()).filePath("Temporary"); }
    // The feed, its companion and both backup generations, as bytes ("" when missing).
    QStringList files(const QString &feed) const
    {
        QStringList contents;
        for (const QString &name :
             {feed, feed + ".plist", path("news.xml-bak"), path("news.xml.plist-bak"),
              QDir(temporary()).filePath("news.xml-bak")})
            contents << (QFileInfo(name).isFile() ? QString::fromUtf8(readFile(name)) : QString());
        return contents;
    }
    QStringList alertTitles() const
    {
        QStringList titles;
        for (const Alert &alert : alerts->alerts())
            titles << alert.title;
        return titles;
    }
    // Saves as the user does and presses the dialog's Cancel once the work reached the stage.
    bool saveCancelledAt(Vellumcast &window, LoadControl::Stage at, QString *dialogTitle)
    {
        LoadRunner::setDialogDelay(0);
        std::atomic<bool> released = false;
        std::atomic<bool> held = false;
        std::atomic<bool> left = false;
        LoadRunner::setStageObserver([&](LoadControl::Stage stage) {
            if (stage != at)
                return;
            held = true;
            // Held until the window has come back from the cancelled save.
            while (!released)
                QThread::msleep(1);
            left = true;
        });
        QTimer press;
        QObject::connect(&press, &QTimer::timeout, [&] {
            QDialog *dialog = window.loadRunner()->progressDialog();
            if (!held || !dialog || !dialog->isVisible())
                return;
            press.stop();
            *dialogTitle = dialog->windowTitle();
            dialog->findChild<QAbstractButton *>("LoadProgressCancel")->click();
        });
        press.start(2);
        const bool saved = window.saving().actualSaveDocument(0);
        released = true;
        while (held && !left)
            QThread::msleep(1);
        LoadRunner::setStageObserver({});
        return saved;
    }
};
} // namespace

TEST_F(SavingAndRevertTest, ASaveCancelledWhileValidatingOrBuildingLeavesTheFilesAndTheBackups)
{
    const QString news = path("news.rss");
    writeFile(news, smallFeed("One"));
    Vellumcast &window = startWindow();
    window.openFeedAtPath(news);
    for (const char *title : {"Two", "Three"}) {
        window.currentFeed()->setTitle(title);
        window.setDocumentEdited(true);
        ASSERT_TRUE(window.saving().actualSaveDocument(0));
    }
    const QStringList before = files(news);
    ASSERT_FALSE(before.at(2).isEmpty());
    ASSERT_FALSE(before.at(4).isEmpty());

    window.currentFeed()->setTitle("Four");
    window.setDocumentEdited(true);
    for (const LoadControl::Stage stage :
         {LoadControl::Stage::Validating, LoadControl::Stage::Finishing}) {
        QString dialogTitle;
        EXPECT_FALSE(saveCancelledAt(window, stage, &dialogTitle));
        EXPECT_EQ(dialogTitle, "Saving Feed");
        // The worker, let go, stops before it writes anything.
        QTest::qWait(100);
        EXPECT_EQ(files(news), before);
        EXPECT_TRUE(window.isDocumentEdited());
        EXPECT_EQ(window.currentFeed()->title(), "Four");
        // Cancelled is no failure to report.
        EXPECT_TRUE(alerts->alerts().isEmpty()) << alertTitles().join(", ").toStdString();
    }
    // The next save goes through and moves the generations on.
    ASSERT_TRUE(window.saving().actualSaveDocument(0));
    EXPECT_FALSE(window.isDocumentEdited());
    EXPECT_TRUE(readFile(news).contains("<title>Four</title>"));
    EXPECT_EQ(QString::fromUtf8(readFile(path("news.xml-bak"))), before.at(0));
}

TEST_F(SavingAndRevertTest, ASaveFailingOnTheWorkerLeavesTheFilesAndTheBackupsAndIsReported)
{
    const QString news = path("news.rss");
    writeFile(news, smallFeed("One"));
    Vellumcast &window = startWindow();
    window.openFeedAtPath(news);
    window.currentFeed()->setTitle("Two");
    window.setDocumentEdited(true);
    ASSERT_TRUE(window.saving().actualSaveDocument(0));
    // A folder where the companion goes: the save cannot put its files in place.
    ASSERT_TRUE(QFile::remove(news + ".plist"));
    ASSERT_TRUE(QDir().mkpath(news + ".plist"));
    const QStringList before = files(news);
    window.currentFeed()->setTitle("Three");
    window.setDocumentEdited(true);
    EXPECT_FALSE(window.saving().actualSaveDocument(0));
    EXPECT_EQ(alertTitles(), QStringList {"Save Failed"});
    EXPECT_EQ(files(news), before);
    EXPECT_TRUE(QFileInfo(news + ".plist").isDir());
    EXPECT_TRUE(window.isDocumentEdited());
    EXPECT_EQ(window.currentFeed()->title(), "Three");
    // Revert goes back to what the last good save wrote.
    window.command("revertDocumentToSaved")->trigger();
    EXPECT_EQ(window.currentFeed()->title(), "Two");
}

TEST_F(SavingAndRevertTest, RevertGoesBackToWhatWasReadWhenTheFileChangedOnDisk)
{
    const QString news = path("news.rss");
    writeFile(news, smallFeed("As Read"));
    Vellumcast &window = startWindow();
    window.openFeedAtPath(news);
    EXPECT_FALSE(window.document()->bytes().isEmpty());
    window.editTracker()->setTextAsEdit(window.outlet("Feeds_Required_Title"), "Changed");
    ASSERT_TRUE(window.isDocumentEdited());
    // Another program writes the file meanwhile, or takes it away.
    writeFile(news, smallFeed("Written Elsewhere"));
    window.command("revertDocumentToSaved")->trigger();
    EXPECT_EQ(window.currentFeed()->title(), "As Read");
    EXPECT_EQ(window.outlet<QLineEdit>("Feeds_Required_Title")->text(), "As Read");
    EXPECT_FALSE(window.isDocumentEdited());
    EXPECT_FALSE(window.undoManager()->canUndo());

    // A copy written elsewhere is not what Revert goes back to.
    window.editTracker()->setTextAsEdit(window.outlet("Feeds_Required_Title"), "Copied");
    auto chooser = std::make_shared<ScriptedFileChooser>();
    chooser->enqueue({path("copy.xml")});
    FileChooser::setInstance(chooser);
    EXPECT_FALSE(window.saving().actualSaveDocumentAs(window.lastFeedViewed()).isEmpty());
    FileChooser::setInstance(nullptr);
    ASSERT_TRUE(QString::fromUtf8(readFile(path("copy.xml"))).contains("<title>Copied</title>"));
    window.command("revertDocumentToSaved")->trigger();
    EXPECT_EQ(window.currentFeed()->title(), "As Read");

    ASSERT_TRUE(QFile::remove(news));
    window.currentFeed()->setTitle("Changed Again");
    window.setDocumentEdited(true);
    window.command("revertDocumentToSaved")->trigger();
    EXPECT_EQ(window.currentFeed()->title(), "As Read");
    EXPECT_TRUE(alerts->alerts().isEmpty()) << alertTitles().join(", ").toStdString();
}

// Revert reads the file's text again: a text the reader had to repair (a bare "&" in a title)
// is still not what the file holds, and asks to be saved as it did when it was opened.
TEST_F(SavingAndRevertTest, RevertToATextTheReaderRepairedStillAsksToBeSaved)
{
    const struct
    {
        const char *title;
        bool repaired;
    } cases[] = {{"As Read", false}, {"Tom & Jerry", true}};
    const QString news = path("news.rss");
    Vellumcast &window = startWindow();
    for (const auto &c : cases) {
        writeFile(news, smallFeed(c.title));
        // The results of each read of the repaired text are answered Close.
        for (int i = 0; i < 2; ++i)
            alerts->queueAnswer(AlertService::kAlternate);
        window.openFeedAtPath(news);
        ASSERT_EQ(window.currentFeed()->title(), c.title);
        EXPECT_EQ(window.isDocumentEdited(), c.repaired) << c.title;
        window.editTracker()->setTextAsEdit(window.outlet("Feeds_Required_Title"), "Changed");
        ASSERT_TRUE(window.isDocumentEdited());

        window.command("revertDocumentToSaved")->trigger();
        EXPECT_EQ(window.currentFeed()->title(), c.title);
        EXPECT_EQ(window.isDocumentEdited(), c.repaired) << c.title;
        EXPECT_EQ(window.window()->isWindowModified(), c.repaired) << c.title;
        window.validateCommands();
        EXPECT_EQ(window.command("saveDocument")->isEnabled(), c.repaired) << c.title;
        EXPECT_FALSE(window.undoManager()->canUndo()) << c.title;
        EXPECT_EQ(readFile(news), smallFeed(c.title));
        alerts->clear();
    }
}

TEST_F(SavingAndRevertTest, ASaveWhoseOnlyMessageIsARepairStillAsksWhetherToGoOn)
{
    const QString news = path("news.rss");
    writeFile(news, smallFeed("One"));
    Vellumcast &window = startWindow();
    window.openFeedAtPath(news);
    const QByteArray before = readFile(news);
    // The 7th of December 2026 is a Monday: the check mends the day's name and says so.
    window.currentFeed()->setTitle("Two");
    window.currentFeed()->setPubDate("Tue, 07 Dec 2026 10:00:00 +0000");
    window.setDocumentEdited(true);
    alerts->queueAnswer(AlertService::kAlternate);
    EXPECT_FALSE(window.saving().actualSaveDocument(0));
    EXPECT_EQ(alertTitles(), QStringList {"Feed Doesn't Validate"});
    EXPECT_EQ(readFile(news), before);
    EXPECT_TRUE(window.isDocumentEdited());
    window.setDocumentEdited(false, true);
}
