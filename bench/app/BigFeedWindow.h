#pragma once

// The feed window of the benchmarks: one running application in a home folder of its own, with
// a feed of 10,000 items on disk.
#include "../../tests/common/StallWatch.h"
#include "common/CoreBench.h"

#include "app/Controller.h"
#include "app/FeedFindPanel.h"
#include "app/Vellumcast.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/ScriptedAlertService.h"
#include "settings/VLXPreferences.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace bench {

// The window's stall watch is the tests' own.
using StallWatch = ::StallWatch;

inline constexpr int kItems = 10000;

inline QByteArray feedOf(int items)
{
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
                      "<title>Big</title><link>https://example.org/</link>"
                      "<description>A feed of many items</description>"
                      "<pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate>\n";
    for (int i = 0; i < items; ++i)
        text += QStringLiteral("<item><title>Episode %1</title><link>https://example.org/%1</link>"
                               "<description>What happens in episode %1, told in a sentence or "
                               "two.</description><guid>https://example.org/%1</guid>"
                               "<pubDate>Mon, 07 Dec 2026 09:00:00 +0000</pubDate>"
                               "<enclosure url=\"https://example.org/%1.mp3\" length=\"%1\" "
                               "type=\"audio/mpeg\"/></item>\n")
                    .arg(i)
                    .toUtf8();
    return text + "</channel></rss>\n";
}

// One running application in a home folder of its own, with the big feed on disk.
struct Window
{
    QTemporaryDir home;
    QString feedPath;
    std::unique_ptr<Controller> controller;
    std::shared_ptr<ScriptedAlertService> alerts;

    // The feed on disk is the one given (by default the feed of 10,000 items).
    explicit Window(const QByteArray &feed = feedOf(kItems))
    {
        qputenv("HOME", home.path().toUtf8());
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        alerts = ScriptedAlertService::install();
        feedPath = QDir(home.path()).filePath("big.xml");
        QFile file(feedPath);
        if (file.open(QIODevice::WriteOnly))
            file.write(feed);
        file.close();
        start();
    }
    void start()
    {
        // The wizard is offered once the first feed shows, which under load may take a while:
        // the user declines it (the offer would otherwise open the wizard's modal window).
        alerts->clear();
        alerts->queueAnswer(AlertService::kAlternate);
        controller = std::make_unique<Controller>();
        controller->start({});
        const auto offered = [this] {
            for (const Alert &alert : alerts->alerts()) {
                if (alert.title == QLatin1String("Feed Creation Wizard"))
                    return true;
            }
            return false;
        };
        static_cast<void>(QTest::qWaitFor(offered, 3000));
        alerts->clear();
        window().window()->show();
    }
    // Quits the application the way the user does (the feed list is kept in the settings).
    void stop()
    {
        if (QMainWindow *main = controller->mainWindow())
            main->close();
        controller->applicationWillTerminate();
        controller.reset();
    }
    Vellumcast &window() const { return *controller->feedController(); }
    // Opens the big feed, or another file.
    void open(const QString &path = QString())
    {
        window().setDocumentEdited(false, true);
        window().openFeedAtPath(path.isEmpty() ? feedPath : path);
    }
};

inline std::unique_ptr<Window> &sharedSlot()
{
    static std::unique_ptr<Window> instance;
    return instance;
}

inline Window &shared()
{
    if (!sharedSlot())
        sharedSlot() = std::make_unique<Window>();
    return *sharedSlot();
}

// Quits the shared window before the application object goes: widgets need it to the end.
inline void releaseShared()
{
    sharedSlot().reset();
}

// A window of its own that starts with a feed of ten items, for the benchmarks that write their
// feeds beside it.
inline std::unique_ptr<Window> &smallFeedSlot()
{
    static std::unique_ptr<Window> instance;
    return instance;
}

inline Window &smallFeedWindow()
{
    if (!smallFeedSlot())
        smallFeedSlot() = std::make_unique<Window>(feedOf(10));
    return *smallFeedSlot();
}

inline void releaseSmallFeedWindow()
{
    smallFeedSlot().reset();
}

// Whether the work handed to the thread pool is done.
inline bool workAsideDone()
{
    return QThreadPool::globalInstance()->activeThreadCount() == 0;
}

// Runs the step from a turn of the event loop, as a command is, under the watchdog, until it and
// what it handed to other threads are done; answers the longest gap.
inline double watched(const std::function<void()> &step)
{
    while (!workAsideDone())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QCoreApplication::processEvents();
    StallWatch watch;
    bool done = false;
    QTimer::singleShot(0, [&] {
        step();
        done = true;
    });
    while (!done || !workAsideDone())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    // What the step left queued (a repaint, a release) counts too.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return double(watch.longestMs());
}

// The repetitions' figures: the median and the largest of each.
class Figures
{
public:
    void add(const std::string &name, double value) { m_values[name].push_back(value); }
    // "<name>" the median, "<name>_max" the largest.
    void report(benchmark::State &state) const
    {
        for (const auto &[name, values] : m_values) {
            state.counters[name] = CoreBench::median(values);
            state.counters[name + "_max"] = *std::max_element(values.begin(), values.end());
        }
    }

private:
    std::map<std::string, std::vector<double>> m_values;
};

// The find panel set to search the channel, every item and the image for the text, with the
// replacement given.
inline FeedFindPanel &findEverywhere(const QString &find, const QString &replacement = QString())
{
    FeedFindPanel &panel = *FeedFindPanel::sharedInstance();
    panel.setFindField(find);
    panel.setReplaceField(replacement);
    panel.setSearchFeed(1);
    panel.setSearchCurrentItem(1);
    panel.setSearchAllItems(1);
    panel.setSearchImage(1);
    return panel;
}

// Presses one of the panel's buttons ("Next", "ReplaceAll").
inline void press(FeedFindPanel &panel, const char *button)
{
    panel.finderPanel()
        ->findChild<QAbstractButton *>(
            QStringLiteral("findPanel%1Button").arg(QLatin1String(button)))
        ->click();
}

// The main() of a window benchmark: on the offscreen platform unless another is asked for;
// quit() lets the windows go while the application object still lives.
inline int runBenchmarks(int argc, char **argv, const std::function<void()> &quit)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    quit();
    return 0;
}

} // namespace bench
