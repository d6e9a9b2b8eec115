// Leaving the feed shown for another: the question about unsaved changes comes before anything
// else, Cancel there changes nothing, and "Don't Save" lets the changes go only once another feed
// has taken their place; a feed that cannot be read leaves the one shown exactly as it was.
#include "ActionsFixture.h"

#include "app/LoadRunner.h"
#include "document/FeedDocument.h"
#include "document/FeedListEntry.h"
#include "document/VLXUndoManager.h"
#include "model/VLXFeed.h"
#include "platform/MainThreadCall.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXListBox.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <ostream>

namespace {
using Stage = LoadControl::Stage;

// Answers the open panel from a queue and notes how many alerts had been shown when it came.
class RecordingChooser : public FileChooser
{
public:
    explicit RecordingChooser(std::shared_ptr<ScriptedAlertService> alerts)
        : m_alerts(std::move(alerts))
    {
    }
    QStringList choose(const FileRequest &) override
    {
        alertsBefore << int(m_alerts->alerts().size());
        return answers.isEmpty() ? QStringList() : answers.takeFirst();
    }
    QList<QStringList> answers;
    QList<int> alertsBefore;

private:
    std::shared_ptr<ScriptedAlertService> m_alerts;
};
} // namespace

class LeavingFeedTest : public ActionsFixture
{
protected:
    void TearDown() override
    {
        LoadRunner::setStageObserver({});
        ActionsFixture::TearDown();
    }
    void edit(const QString &title)
    {
        window().document()->editField("Feeds_Required_Title", -1, title);
        endAction();
    }
    int rowOf(const QString &name) const { return int(fileNames().indexOf(name)); }

    // What the user has of the feed shown: its text, its state and its undo.
    struct Held
    {
        const VLXFeed *feed;
        QString title;
        QString entry;
        bool edited;
        int undoSteps;
        int selectedRow;
        QStringList listed;
        bool operator==(const Held &) const = default;
        friend void PrintTo(const Held &held, std::ostream *out)
        {
            *out << held.title.toStdString() << (held.edited ? " edited, " : " unedited, ")
                 << held.undoSteps << " undo steps, row " << held.selectedRow << " of "
                 << held.listed.join(',').toStdString();
        }
    };
    Held held() const
    {
        return {window().currentFeed().get(),
                window().currentFeed()->title(),
                window().document()->entry().uniqueIdentifier,
                window().isDocumentEdited(),
                undo().count(),
                list()->selectedRow(),
                fileNames()};
    }
};

TEST_F(LeavingFeedTest, DontSaveThenAFeedThatCannotBeReadKeepsTheEditsTheirStateAndTheirUndo)
{
    openFeed({"A"}, "a.xml");
    openFeed({"B"}, "b.xml");
    edit("B edited");
    writeFile(path("a.xml"), "<html/>");
    const Held before = held();
    ASSERT_TRUE(before.edited);
    ASSERT_EQ(before.undoSteps, 1);

    // Chosen in the list: "Don't Save", then "Abandon it".
    alerts->queueAnswer(AlertService::kAlternate);
    alerts->queueAnswer(AlertService::kAlternate);
    list()->fieldSelected(rowOf("a.xml"));
    ASSERT_EQ(alertTitles().size(), 2);
    EXPECT_EQ(alertTitles().first(), "Warning");
    EXPECT_EQ(held(), before);

    // Opened again by its path: the same.
    alerts->clear();
    alerts->queueAnswer(AlertService::kAlternate);
    alerts->queueAnswer(AlertService::kAlternate);
    window().openFeedAtPath(path("a.xml"));
    EXPECT_EQ(alertTitles().size(), 2);
    EXPECT_EQ(held(), before);

    // A file that cannot be read at all: its reason, and nothing else changes.
    alerts->clear();
    alerts->queueAnswer(AlertService::kAlternate);
    const QString folder = path("folder.xml");
    QDir().mkpath(folder);
    window().openFeedAtPath(folder);
    EXPECT_EQ(alertTitles(), (QStringList {"Warning", "Open Feed"}));
    EXPECT_EQ(held(), before);

    // The undo step still undoes the edit, and quitting still asks.
    undo().undo();
    EXPECT_EQ(window().currentFeed()->title(), "Feed");
    undo().redo();
    alerts->clear();
    alerts->queueAnswer(AlertService::kOther); // Cancel the quit
    EXPECT_FALSE(window().shouldTerminate());
    EXPECT_EQ(alertTitles(), QStringList {"Warning"});

    // Once the other feed is read, the edits are gone with their undo.
    alerts->clear();
    writeFile(path("a.xml"), feedText("A", {"A"}));
    alerts->queueAnswer(AlertService::kAlternate);
    list()->fieldSelected(rowOf("a.xml"));
    EXPECT_EQ(window().document()->entry().fileName, "a.xml");
    EXPECT_FALSE(window().isDocumentEdited());
    EXPECT_EQ(undo().count(), 0);
}

// The start's check that the window shows a feed may come due while another feed is being put
// in place (the status line lets events through as it shows, so does an alert of its picture),
// when the window holds that feed before its list does: the check leaves it alone, and no new
// feed takes its place with a second question. Both ways of switching.
TEST_F(LeavingFeedTest, AStartCheckDueWhileAFeedIsPutInPlaceLeavesIt)
{
    openFeed({"A"}, "a.xml");
    const std::function<void()> switches[] = {[this] { window().openFeedAtPath(path("b.xml")); },
                                              [this] { list()->fieldSelected(rowOf("a.xml")); }};
    for (const auto &switchFeed : switches) {
        writeFile(path("b.xml"), feedText("B", {"B"}));
        edit("edited");
        alerts->clear();
        alerts->queueAnswer(AlertService::kAlternate); // "Don't Save"
        alerts->queueAnswer(AlertService::kAlternate); // the same to a second question
        QMetaObject::Connection due;
        due = QObject::connect(window().document(), &FeedDocument::feedReplaced, [this, &due] {
            QObject::disconnect(due);
            QTimer::singleShot(0, &window(), [this] { window().feedWizardIfNeededAfterDelay(); });
        });
        const QString wanted = window().document()->entry().fileName == "a.xml" ? "b.xml" : "a.xml";
        switchFeed();
        QTest::qWait(50);
        EXPECT_EQ(window().document()->entry().fileName, wanted);
        EXPECT_EQ(alertTitles(), QStringList {"Warning"});
        EXPECT_FALSE(fileNames().join(',').contains("(untitled)"))
            << fileNames().join(',').toStdString();
    }
}

TEST_F(LeavingFeedTest, OpenAsksAboutChangesBeforeItsPanelAndCancelThereChangesNothing)
{
    openFeed({"A"}, "a.xml");
    writeFile(path("b.xml"), feedText("B", {"B"}));
    auto panel = std::make_shared<RecordingChooser>(alerts);
    FileChooser::setInstance(panel);
    edit("A edited");
    const Held before = held();

    // Cancel: no panel, nothing changed.
    alerts->queueAnswer(AlertService::kOther);
    window().command("openDocument")->trigger();
    ASSERT_EQ(alertTitles(), QStringList {"Warning"});
    EXPECT_EQ(alerts->alerts().first().message,
              "Changes have been made to this feed.  Do you want to save them before opening "
              "another feed?");
    EXPECT_TRUE(panel->alertsBefore.isEmpty());
    EXPECT_EQ(held(), before);

    // "Don't Save" and the panel cancelled: still nothing has changed.
    alerts->clear();
    alerts->queueAnswer(AlertService::kAlternate);
    window().command("openDocument")->trigger();
    EXPECT_EQ(panel->alertsBefore, QList<int> {1});
    EXPECT_EQ(held(), before);

    // "Don't Save" and a file chosen: asked once, before the panel; the file is opened.
    alerts->clear();
    panel->alertsBefore.clear();
    panel->answers << QStringList {path("b.xml")};
    alerts->queueAnswer(AlertService::kAlternate);
    window().command("openDocument")->trigger();
    EXPECT_EQ(panel->alertsBefore, QList<int> {1});
    EXPECT_EQ(alertTitles(), QStringList {"Warning"});
    EXPECT_EQ(window().currentFeed()->title(), "B");
    EXPECT_FALSE(window().isDocumentEdited());
    EXPECT_EQ(undo().count(), 0);
}

TEST_F(LeavingFeedTest, ACancelledStartShowsTheSampleOrANewFeed)
{
    // The remembered feed's check, or its load, is cancelled at the start: the sample feed is
    // shown in its place, and without a sample a new feed.
    for (const bool withSample : {true, false}) {
        for (const Stage cancelAt : {Stage::Decoding, Stage::Reading}) {
            SCOPED_TRACE(testing::Message() << withSample << " " << int(cancelAt));
            VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
            writeFile(path("kept.xml"), feedText("Kept", {"K"}));
            const QVariantMap entry
                = FeedListEntry::make("kept.xml", QUrl::fromLocalFile(path("kept.xml")).toString(),
                                      false)
                      .toMap();
            store().setObject(QVariantList {entry}, QStringLiteral("feedListKey"));
            // A folder in the sample's place keeps the start from copying it.
            const QString sample = QDir(userFolder()).filePath("Feeds/sample.xml");
            if (!withSample) {
                QFile::remove(sample);
                QDir().mkpath(sample);
            }
            std::atomic<bool> cancelled = false;
            LoadRunner::setStageObserver([&](Stage stage) {
                if (stage == cancelAt && !cancelled.exchange(true))
                    MainThreadCall::run([&] { window().loadRunner()->cancel(); });
            });
            alerts->clear();
            startApplication();
            QTest::qWait(400);
            LoadRunner::setStageObserver({});
            EXPECT_TRUE(cancelled);
            Vellumcast &w = window();
            ASSERT_GE(w.lastFeedViewed(), 0) << "no feed shown";
            EXPECT_EQ(list()->selectedRow(), w.lastFeedViewed());
            EXPECT_EQ(w.currentFeed()->title(),
                      withSample ? QString("Harbour Lights Radio") : QString("(untitled)"))
                << w.currentFeed()->title().toStdString() << " "
                << fileNames().join(",").toStdString();
            EXPECT_TRUE(fileNames().contains("kept.xml")) << fileNames().join(",").toStdString();
            stopApplication();
        }
    }
}
