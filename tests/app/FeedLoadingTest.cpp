// Feeds opened in the window are read on the loader's worker: Cancel at any stage leaves the
// feed shown as it was, the questions of the load are asked on the window's thread in their
// order, a second open replaces a load under way without mixing the two, a web address is
// downloaded on the worker too, and the remembered feed is read after the window's first paint.
#include "AppFixture.h"
#include "common/LocalServer.h"

#include "app/Controller.h"
#include "app/LoadRunner.h"
#include "app/Vellumcast.h"
#include "document/FeedDocument.h"
#include "model/VLXFeed.h"
#include "platform/AlertService.h"
#include "platform/MainThreadCall.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QSemaphore>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <mutex>

namespace {
using Stage = LoadControl::Stage;

// A feed of a few items whose every item validates (no results alert).
QByteArray feedWithItems(const QString &title, int items)
{
    QString text
        = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\">"
                         "<channel><title>%1</title><link>https://example.org/</link>"
                         "<description>d</description>"
                         "<pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate>")
              .arg(title);
    for (int i = 0; i < items; ++i)
        text += QStringLiteral("<item><title>Item %1</title><link>https://example.org/%1</link>"
                               "<description>one</description><guid>https://example.org/%1</guid>"
                               "<pubDate>Mon, 07 Dec 2026 09:00:00 +0000</pubDate></item>")
                    .arg(i);
    return (text + QStringLiteral("</channel></rss>\n")).toUtf8();
}

// Records the alerts with the thread that showed them, answering from a script.
class ThreadRecordingAlerts : public AlertService
{
public:
    int runAlert(const Alert &alert) override
    {
        titles << alert.title;
        onWindowThread << (QThread::currentThread() == qApp->thread());
        return answers.isEmpty() ? kDefault : answers.takeFirst();
    }
    QStringList titles;
    QList<bool> onWindowThread;
    QList<int> answers;
};

class FeedLoadingTest : public AppFixture
{
protected:
    void TearDown() override
    {
        LoadRunner::setStageObserver({});
        LoadRunner::setDialogDelay(250);
        Vellumcast::setXMLSourceEditor({});
        AppFixture::TearDown();
    }
    QString path(const QString &name) const { return QDir(home()).filePath(name); }

    // The window with feed A shown, saved and unedited.
    Vellumcast &windowWithA()
    {
        writeFile(path("a.xml"), feedWithItems("A", 3));
        Vellumcast &window = startWindow();
        window.openFeedAtPath(path("a.xml"));
        EXPECT_EQ(window.currentFeed()->title(), "A");
        window.setDocumentEdited(false, true);
        return window;
    }
};

// What the window shows of feed A, to compare before and after a load that went nowhere.
struct Shown
{
    const VLXFeed *feed;
    QString title;
    QString entry;
    QString text;
    bool edited;
    int listed;
    bool operator==(const Shown &) const = default;
};

Shown shown(Vellumcast &window)
{
    return {window.currentFeed().get(),
            window.currentFeed()->title(),
            window.document()->entry().uniqueIdentifier,
            window.document()->text(),
            window.isDocumentEdited(),
            int(window.currentListOfFeeds().size())};
}
} // namespace

TEST_F(FeedLoadingTest, CancelAtEveryStageLeavesTheFeedShownAsItWas)
{
    Vellumcast &window = windowWithA();
    writeFile(path("b.xml"), feedWithItems("B", 20));
    const Shown before = shown(window);
    int replaced = 0;
    QObject::connect(window.document(), &FeedDocument::feedReplaced, [&] { ++replaced; });

    for (Stage stop :
         {Stage::Decoding, Stage::Checking, Stage::Reading, Stage::Finishing, Stage::Validating}) {
        SCOPED_TRACE(int(stop));
        std::atomic<bool> reached = false;
        std::atomic<bool> onWorker = false;
        // The user presses Cancel as the stage begins (the press happens on the window's thread).
        LoadRunner::setStageObserver([&](Stage stage) {
            if (stage != stop)
                return;
            reached = true;
            onWorker = QThread::currentThread() != qApp->thread();
            MainThreadCall::run([&] { window.loadRunner()->cancel(); });
        });
        window.openFeedAtPath(path("b.xml"));
        EXPECT_TRUE(reached);
        EXPECT_TRUE(onWorker);
        EXPECT_FALSE(window.loadRunner()->isRunning());
        EXPECT_EQ(shown(window), before);
        EXPECT_EQ(replaced, 0);
        EXPECT_TRUE(alerts->alerts().isEmpty());
    }

    // Nothing of the cancelled loads lingers: the next open reads B whole.
    LoadRunner::setStageObserver({});
    window.openFeedAtPath(path("b.xml"));
    EXPECT_EQ(window.currentFeed()->title(), "B");
    EXPECT_EQ(window.currentFeed()->countOfItems(), 20);
    EXPECT_EQ(replaced, 1);
}

TEST_F(FeedLoadingTest, TheDialogsCancelReturnsAtOnceWhileTheWorkerIsStillBusy)
{
    Vellumcast &window = windowWithA();
    writeFile(path("b.xml"), feedWithItems("B", 2));
    const Shown before = shown(window);
    LoadRunner::setDialogDelay(0);
    // The worker is held inside the reader (a stage that cannot stop half-way) until the test
    // lets it go, after the window has come back.
    QSemaphore release;
    std::atomic<bool> held = false;
    LoadRunner::setStageObserver([&](Stage stage) {
        if (stage != Stage::Reading)
            return;
        held = true;
        release.acquire();
    });
    QString dialogText;
    bool determinateWhileReading = true;
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        QDialog *dialog = window.loadRunner()->progressDialog();
        if (!held || !dialog || !dialog->isVisible())
            return;
        press.stop();
        QTest::qWait(60); // a refresh of the dialog
        dialogText = dialog->findChild<QWidget *>("LoadProgressText")->property("text").toString();
        determinateWhileReading
            = dialog->findChild<QWidget *>("LoadProgressBar")->property("maximum").toInt() != 0;
        dialog->findChild<QAbstractButton *>("LoadProgressCancel")->click();
    });
    press.start(5);
    window.openFeedAtPath(path("b.xml"));
    EXPECT_TRUE(held);
    EXPECT_EQ(shown(window), before);
    // The stage and the file, and a bar that counts.
    EXPECT_EQ(dialogText, "Parsing...   " + QDir::toNativeSeparators(path("b.xml")));
    EXPECT_TRUE(determinateWhileReading);
    EXPECT_EQ(window.loadRunner()->progressDialog(), nullptr);

    // The next load waits for the old worker, which then hands on nothing.
    LoadRunner::setStageObserver({});
    QTimer::singleShot(50, [&] { release.release(); });
    window.openFeedAtPath(path("b.xml"));
    EXPECT_EQ(window.currentFeed()->title(), "B");
}

TEST_F(FeedLoadingTest, QuestionsOfTheLoadAreAskedOnTheWindowsThreadInTheirOrder)
{
    Vellumcast &window = windowWithA();
    auto recorded = std::make_shared<ThreadRecordingAlerts>();
    AlertService::setInstance(recorded);

    // An RSS 0.91 feed: the conversion notice is raised by the reader on the worker.
    writeFile(path("old.xml"),
              "<?xml version=\"1.0\"?><rss version=\"0.91\"><channel><title>Old</title>"
              "<link>https://example.org/</link><description>d</description><language>en"
              "</language><item><title>i</title><link>https://example.org/i</link></item>"
              "</channel></rss>");
    recorded->answers = {AlertService::kDefault, AlertService::kAlternate};
    window.openFeedAtPath(path("old.xml"));
    EXPECT_EQ(window.currentFeed()->title(), "Old");
    // The reader's notice, then the results of the read (the feed was repaired).
    EXPECT_EQ(recorded->titles, (QStringList {"Converting Feed", "Feed Parsing Results:"}));
    EXPECT_FALSE(recorded->onWindowThread.contains(false));

    // A text that is no feed: the fix-or-abandon question, then the source editor, both on the
    // window's thread; the mended text is read on.
    recorded->titles.clear();
    recorded->onWindowThread.clear();
    recorded->answers = {AlertService::kDefault};
    bool editorOnWindowThread = false;
    Vellumcast::setXMLSourceEditor([&](const XMLSourceRequest &) -> std::optional<QString> {
        editorOnWindowThread = QThread::currentThread() == qApp->thread();
        return QString::fromUtf8(feedWithItems("Mended", 1));
    });
    writeFile(path("broken.xml"), "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel>");
    window.openFeedAtPath(path("broken.xml"));
    ASSERT_FALSE(recorded->titles.isEmpty());
    EXPECT_EQ(recorded->titles.first(), "Error in XML");
    EXPECT_FALSE(recorded->onWindowThread.contains(false));
    EXPECT_TRUE(editorOnWindowThread);
    EXPECT_EQ(window.currentFeed()->title(), "Mended");
    EXPECT_TRUE(window.isDocumentEdited());

    // Abandoning it keeps the feed shown.
    window.setDocumentEdited(false, true);
    const Shown before = shown(window);
    recorded->titles.clear();
    recorded->answers = {AlertService::kAlternate};
    window.openFeedAtPath(path("broken.xml"));
    EXPECT_EQ(recorded->titles, QStringList {"Error in XML"});
    EXPECT_EQ(shown(window), before);
}

TEST_F(FeedLoadingTest, AnAddressIsDownloadedOnTheWorkerAndCancelStopsTheTransfer)
{
    Vellumcast &window = windowWithA();
    const Shown before = shown(window);
    LocalServer server;
    const QString served = path("served");
    writeFile(QDir(served).filePath("f.xml"), feedWithItems("Served", 4));
    ASSERT_TRUE(server.startScript("http_server.py", {"--files", served}));

    // A server that takes ten seconds to send its answer: the window's thread goes on with its
    // events meanwhile, and Cancel ends the wait without an alert or any change.
    std::atomic<bool> downloadingOnWorker = false;
    LoadRunner::setStageObserver([&](Stage stage) {
        if (stage == Stage::Decoding)
            downloadingOnWorker = QThread::currentThread() != qApp->thread();
    });
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (++ticks == 20)
            window.loadRunner()->cancel();
    });
    tick.start(10);
    QElapsedTimer clock;
    clock.start();
    window.openFeedAtPath(server.url("http", "/slow?chunks=100&delay=0.1"));
    const qint64 waited = clock.elapsed();
    tick.stop();
    EXPECT_TRUE(downloadingOnWorker);
    EXPECT_GE(ticks, 20);
    EXPECT_LT(waited, 5000);
    EXPECT_EQ(shown(window), before);
    EXPECT_TRUE(alerts->alerts().isEmpty());

    // The next download runs to the end and is read.
    LoadRunner::setStageObserver({});
    window.openFeedAtPath(server.url("http", "/d/f.xml"));
    EXPECT_EQ(window.currentFeed()->title(), "Served");
    EXPECT_EQ(window.currentFeed()->countOfItems(), 4);
    window.setDocumentEdited(false, true); // a fetched feed asks to be saved

    // One that fails is told once, on the window's thread, and changes nothing.
    auto recorded = std::make_shared<ThreadRecordingAlerts>();
    AlertService::setInstance(recorded);
    const Shown served4 = shown(window);
    window.openFeedAtPath(server.url("http", "/d/missing.xml"));
    EXPECT_EQ(recorded->titles, QStringList {"Connection Failure"});
    EXPECT_EQ(recorded->onWindowThread, QList<bool> {true});
    EXPECT_EQ(shown(window), served4);
}

TEST_F(FeedLoadingTest, OpeningAnotherFeedWhileOneLoadsReplacesThatLoad)
{
    Vellumcast &window = windowWithA();
    writeFile(path("b.xml"), feedWithItems("B", 5));
    writeFile(path("c.xml"), feedWithItems("C", 7));
    QStringList replacedBy;
    QObject::connect(window.document(), &FeedDocument::feedReplaced,
                     [&] { replacedBy << window.currentFeed()->title(); });
    // While B is being read, C is dropped on the window; B's worker goes on until it is told
    // to stop.
    std::atomic<int> loads = 0;
    std::atomic<bool> bStopped = false;
    LoadRunner::setStageObserver([&](Stage stage) {
        if (stage != Stage::Decoding || loads++ != 0)
            return;
        QMetaObject::invokeMethod(
            qApp, [&] { window.openFeedAtPath(path("c.xml")); }, Qt::QueuedConnection);
        for (int wait = 0; wait < 500 && !QThread::currentThread()->isInterruptionRequested();
             ++wait)
            QThread::msleep(10);
        bStopped = QThread::currentThread()->isInterruptionRequested();
    });
    window.openFeedAtPath(path("b.xml"));
    EXPECT_TRUE(bStopped);
    EXPECT_EQ(window.currentFeed()->title(), "C");
    EXPECT_EQ(window.currentFeed()->countOfItems(), 7);
    EXPECT_EQ(replacedBy, QStringList {"C"});
    QStringList names;
    for (const QVariantMap &entry : window.currentListOfFeeds())
        names << entry.value("feedFileName").toString();
    EXPECT_TRUE(names.contains("c.xml"));
    EXPECT_FALSE(names.contains("b.xml"));
    EXPECT_EQ(window.document()->entry().fileName, "c.xml");
}

TEST_F(FeedLoadingTest, TheRememberedFeedIsReadAfterTheWindowsFirstPaint)
{
    writeFile(path("remembered.xml"), feedWithItems("Remembered", 3));
    Vellumcast &first = startWindow();
    first.openFeedAtPath(path("remembered.xml"));
    stopApplication();

    // Records whether the window had painted when the remembered feed came in.
    struct PaintWatch : QObject
    {
        bool painted = false;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Paint && watched->isWidgetType()
                && qobject_cast<QMainWindow *>(static_cast<QWidget *>(watched)->window()))
                painted = true;
            return false;
        }
    } watch;
    qApp->installEventFilter(&watch);
    controller = std::make_unique<Controller>();
    controller->start({});
    Vellumcast *window = controller->feedController();
    bool paintedBeforeLoad = false;
    QObject::connect(window->document(), &FeedDocument::feedReplaced,
                     [&] { paintedBeforeLoad = watch.painted; });
    // Nothing is read while the start runs.
    EXPECT_TRUE(window->isStartingUp());
    EXPECT_NE(window->currentFeed()->title(), "Remembered");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isStartingUp(); }, 10000));
    qApp->removeEventFilter(&watch);
    EXPECT_EQ(window->currentFeed()->title(), "Remembered");
    EXPECT_TRUE(paintedBeforeLoad);
}
