// The window's thread under a watchdog while the podcast of 46,000 episodes (84 MB) is worked on:
// a timer on that thread that asks to run every millisecond records the longest time it had to
// wait ("longest_gap_ms"), from the command to its end, for each of
//   - opening it while a small feed is shown, and switching to a feed of 23,000 episodes in the
//     feed list and back;
//   - sorting its items by title, and taking the sort back with Undo;
//   - Replace All of a word every episode holds, and its Undo;
//   - View XML closed without a change, and with an edit of the text (the feed read again);
//   - saving it;
//   - closing the window (quitting).
// The resident memory after switching to the smaller feed and back is set beside the memory
// after the first opening ("after_switch_x_first": at most 1 when the memory is given back).
// Runs on the offscreen platform unless another is asked for:
//   build/bench/bench_app_watchdog
#include "BigFeedWindow.h"
#include "common/PodcastFeed.h"
#include "common/ProcessMemory.h"

#include "app/FeedDocument.h"
#include "app/FeedFindPanel.h"
#include "app/FeedListModel.h"
#include "app/VLXUndoManager.h"
#include "app/Vellumcast.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <fstream>
#include <malloc.h>
#include <string>

namespace {
constexpr int kItems = 2 * PodcastFeed::kLargeItems;

std::unique_ptr<bench::Window> &appSlot()
{
    static std::unique_ptr<bench::Window> instance;
    return instance;
}

bench::Window &app()
{
    if (!appSlot())
        appSlot() = std::make_unique<bench::Window>(PodcastFeed::document(kItems));
    return *appSlot();
}

QString fileBeside(const char *name, const std::function<QByteArray()> &contents)
{
    const QString path = QDir(app().home.path()).filePath(QLatin1String(name));
    if (!QFileInfo::exists(path)) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(contents());
    }
    return path;
}

QString smallFeedPath()
{
    return fileBeside("small.xml", [] { return bench::feedOf(10); });
}

QString otherFeedPath()
{
    return fileBeside("other.xml", [] { return PodcastFeed::document(kItems / 2); });
}

// Runs the step from a turn of the event loop, as a command is, under the watchdog; answers the
// longest gap.
double watched(const std::function<void()> &step)
{
    QCoreApplication::processEvents();
    bench::StallWatch watch;
    bool done = false;
    QTimer::singleShot(0, [&] {
        step();
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    // What the step left queued (a repaint, a release) counts too.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return double(watch.longestMs());
}

// Opens a file as a user who closes the parse results.
void openFile(bench::Window &window, const QString &path)
{
    window.alerts->clear();
    window.alerts->queueAnswer(AlertService::kAlternate);
    window.open(path);
}

bool shows(int items)
{
    return app().window().currentFeed()->countOfItems() == items;
}

int rowOf(const QString &path)
{
    const FeedListModel &list = *app().window().feedList();
    for (int row = 0; row < list.count(); ++row) {
        if (list.entry(row).localPath() == path)
            return row;
    }
    return -1;
}

void switchTo(const QString &path)
{
    bench::Window &window = app();
    window.alerts->clear();
    window.alerts->queueAnswer(AlertService::kAlternate);
    window.window().setDocumentEdited(false, true);
    window.window().listBoxNewRowSelected(nullptr, rowOf(path));
}

void BM_WatchdogOpenAndSwitch(benchmark::State &state)
{
    bench::Window &window = app();
    const QString other = otherFeedPath();
    double open = 0, toOther = 0, back = 0, memory = 0;
    for (auto _ : state) {
        openFile(window, other);
        openFile(window, smallFeedPath());
        malloc_trim(0);
        open = qMax(open, watched([&] { openFile(window, window.feedPath); }));
        if (!shows(kItems)) {
            state.SkipWithError("the feed did not open");
            return;
        }
        QTest::qWait(500); // the feed before is freed aside
        const qint64 first = ProcessMemory::statusKiB("VmRSS");
        toOther = qMax(toOther, watched([&] { switchTo(other); }));
        back = qMax(back, watched([&] { switchTo(window.feedPath); }));
        if (!shows(kItems)) {
            state.SkipWithError("the switch did not come back");
            return;
        }
        QTest::qWait(500);
        memory = qMax(memory, double(ProcessMemory::statusKiB("VmRSS")) / double(first));
    }
    state.counters["open_longest_gap_ms"] = open;
    state.counters["switch_longest_gap_ms"] = qMax(toOther, back);
    state.counters["after_switch_x_first"] = memory;
}
BENCHMARK(BM_WatchdogOpenAndSwitch)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_WatchdogSortAndUndo(benchmark::State &state)
{
    bench::Window &window = app();
    if (!shows(kItems))
        openFile(window, window.feedPath);
    double sort = 0, undo = 0;
    for (auto _ : state) {
        bool sorted = false;
        sort = qMax(sort,
                    watched([&] { sorted = window.window().sortItems("title", false, false); }));
        undo = qMax(undo, watched([&] { window.window().undo(); }));
        if (!sorted) {
            state.SkipWithError("the items did not sort");
            return;
        }
    }
    state.counters["sort_longest_gap_ms"] = sort;
    state.counters["undo_longest_gap_ms"] = undo;
}
BENCHMARK(BM_WatchdogSortAndUndo)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_WatchdogReplaceAllAndUndo(benchmark::State &state)
{
    bench::Window &window = app();
    if (!shows(kItems))
        openFile(window, window.feedPath);
    FeedFindPanel &panel = *FeedFindPanel::sharedInstance();
    panel.setFindField(QStringLiteral("Episode"));
    panel.setReplaceField(QStringLiteral("Show"));
    panel.setSearchFeed(1);
    panel.setSearchCurrentItem(1);
    panel.setSearchAllItems(1);
    panel.setSearchImage(1);
    double replace = 0, undo = 0;
    for (auto _ : state) {
        replace = qMax(replace, watched([&] {
                           panel.finderPanel()
                               ->findChild<QAbstractButton *>("findPanelReplaceAllButton")
                               ->click();
                       }));
        const QString status = panel.statusField();
        undo = qMax(undo, watched([&] { window.window().undo(); }));
        if (!status.endsWith(QLatin1String("Replacements"))) {
            state.SkipWithError("nothing was replaced");
            return;
        }
    }
    state.counters["replace_all_longest_gap_ms"] = replace;
    state.counters["undo_longest_gap_ms"] = undo;
}
BENCHMARK(BM_WatchdogReplaceAllAndUndo)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_WatchdogViewXML(benchmark::State &state)
{
    bench::Window &window = app();
    if (!shows(kItems))
        openFile(window, window.feedPath);
    // The source window stands in for the user: closed without a change, then with the channel's
    // title edited (the edited text is made beforehand: the typing is not part of the command).
    QString edited = window.window().currentFeed()->buildXML();
    edited.insert(edited.indexOf(QLatin1String("<title>")) + 7, QLatin1String("Edited "));
    bool edit = false;
    Vellumcast::setXMLSourceEditor([&](const XMLSourceRequest &) -> std::optional<QString> {
        if (!edit)
            return std::nullopt;
        return edited;
    });
    double view = 0, viewEdit = 0;
    for (auto _ : state) {
        edit = false;
        view = qMax(view, watched([&] { window.window().command("viewXML")->trigger(); }));
        edit = true;
        viewEdit = qMax(viewEdit, watched([&] { window.window().command("viewXML")->trigger(); }));
        if (!window.window().currentFeed()->title().startsWith(QLatin1String("Edited "))) {
            state.SkipWithError("the edit was not read");
            break;
        }
        window.window().undo();
    }
    Vellumcast::setXMLSourceEditor({});
    state.counters["view_xml_longest_gap_ms"] = view;
    state.counters["view_xml_edit_longest_gap_ms"] = viewEdit;
}
BENCHMARK(BM_WatchdogViewXML)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_WatchdogSave(benchmark::State &state)
{
    bench::Window &window = app();
    if (!shows(kItems))
        openFile(window, window.feedPath);
    double save = 0;
    for (auto _ : state) {
        window.alerts->clear();
        window.alerts->queueAnswer(AlertService::kDefault); // save a feed that does not validate
        window.window().setDocumentEdited(true);
        save = qMax(save, watched([&] { window.window().command("saveDocument")->trigger(); }));
        if (window.window().isDocumentEdited()) {
            state.SkipWithError("the feed was not saved");
            return;
        }
    }
    state.counters["save_longest_gap_ms"] = save;
}
BENCHMARK(BM_WatchdogSave)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_WatchdogClose(benchmark::State &state)
{
    bench::Window &window = app();
    double close = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (!window.controller)
            window.start();
        if (!shows(kItems))
            openFile(window, window.feedPath);
        window.window().setDocumentEdited(false, true);
        state.ResumeTiming();
        close = qMax(close, watched([&] { window.stop(); }));
    }
    state.counters["close_longest_gap_ms"] = close;
}
BENCHMARK(BM_WatchdogClose)->Unit(benchmark::kMillisecond)->Iterations(1);
} // namespace

int main(int argc, char **argv)
{
    return bench::runBenchmarks(argc, argv, [] { appSlot().reset(); });
}
