// The window's thread under a watchdog while the typical podcast (PodcastFeed::typicalDocument,
// 1,000 to 46,000 episodes, 2 to 106 MB) is worked on: a timer on that thread that asks to run
// every millisecond records the longest time it had to wait, from the command until it and the
// work it left (a repaint, a feed freed aside) are done, for each of
//   - opening it while a small feed is shown, and switching to a feed of half as many episodes in
//     the feed list and back;
//   - sorting its items by title, and taking the sort back with Undo;
//   - Replace All of a word every episode holds, and its Undo;
//   - View XML closed without a change, and with an edit of the text (the feed read again);
//   - saving it, its dates as the file has them so that the save repairs them again and shows a
//     log as long as the load's (tens of thousands of messages at the larger sizes);
//   - the Validate command on it, its dates again as the file has them;
//   - letting it go: a small feed opened while it is shown;
//   - closing the window (quitting).
// Each is repeated (VLX_BENCH_PAIRS, 7 unset, at least 5): "<step>_gap_ms" is the median of the
// longest waits, "<step>_gap_ms_max" the longest of them (and so for every figure). Memory, as a
// multiple of the file's size, above what the process held with a small feed shown:
// "open_peak_x_size" the peak of an opening, "replace_all_peak_x_size" the peak of Replace All (the
// feed open, its text and the feed read again from the replaced text); "after_switch_x_first" the
// resident memory after switching away and back over that after the first opening (at most 1 when
// memory is given back). Runs on the offscreen platform unless another is asked for:
//   build/bench/bench_app_watchdog [--benchmark_filter=/46000]
#include "BigFeedWindow.h"
#include "common/CoreBench.h"
#include "common/PodcastFeed.h"
#include "common/ProcessMemory.h"

#include "app/FeedFindPanel.h"
#include "app/OutputActions.h"
#include "app/Vellumcast.h"
#include "document/FeedDocument.h"
#include "document/FeedListModel.h"
#include "document/VLXUndoManager.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QThreadPool>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <fstream>
#include <malloc.h>
#include <map>
#include <string>
#include <vector>

namespace {

// The window starts with a small feed on disk; the podcasts are written beside it.
bench::Window &app()
{
    return bench::smallFeedWindow();
}

QString fileBeside(const QString &name, const std::function<QByteArray()> &contents)
{
    const QString path = QDir(app().home.path()).filePath(name);
    if (!QFileInfo::exists(path)) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(contents());
    }
    return path;
}

QString smallFeedPath()
{
    return app().feedPath;
}

int itemsOf(const benchmark::State &state)
{
    return int(state.range(0));
}

QString podcastPath(int items)
{
    return fileBeside(QStringLiteral("podcast-%1.xml").arg(items),
                      [items] { return PodcastFeed::typicalDocument(items); });
}

// The feed switched to from the podcast: another podcast, of half as many episodes.
QString otherPath(int items)
{
    return fileBeside(QStringLiteral("other-%1.xml").arg(items),
                      [items] { return PodcastFeed::typicalDocument(qMax(1, items / 2)); });
}

double fileSize(const QString &path)
{
    return double(QFileInfo(path).size());
}

// Opens a file as a user who closes the parse results.
void openFile(const QString &path)
{
    bench::Window &window = app();
    window.alerts->clear();
    window.alerts->queueAnswer(AlertService::kAlternate);
    window.open(path);
}

bool shows(int items)
{
    return app().window().currentFeed()->countOfItems() == items;
}

bool showPodcast(benchmark::State &state)
{
    if (!shows(itemsOf(state)))
        openFile(podcastPath(itemsOf(state)));
    if (shows(itemsOf(state)))
        return true;
    state.SkipWithError("the podcast did not open");
    return false;
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

// Brings the high-water mark down to what the process holds now; answers that, in bytes.
double resetPeak()
{
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    return double(ProcessMemory::statusKiB("VmRSS")) * 1024;
}

double peakSince(double base)
{
    return double(ProcessMemory::statusKiB("VmHWM")) * 1024 - base;
}

// What the process holds with only the small feed shown (and the podcast's file written).
double baseWithSmallFeed(int items)
{
    podcastPath(items);
    openFile(smallFeedPath());
    while (!bench::workAsideDone())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return resetPeak();
}

void BM_WatchdogOpenAndSwitch(benchmark::State &state)
{
    const QString path = podcastPath(itemsOf(state));
    const QString other = otherPath(itemsOf(state));
    bench::Figures figures;
    for (auto _ : state) {
        openFile(other);
        const double base = baseWithSmallFeed(itemsOf(state));
        figures.add("open_gap_ms", bench::watched([&] { openFile(path); }));
        figures.add("open_peak_x_size", peakSince(base) / fileSize(path));
        if (!shows(itemsOf(state))) {
            state.SkipWithError("the podcast did not open");
            return;
        }
        const double first = double(ProcessMemory::statusKiB("VmRSS"));
        figures.add("switch_gap_ms", bench::watched([&] { switchTo(other); }));
        figures.add("switch_back_gap_ms", bench::watched([&] { switchTo(path); }));
        if (!shows(itemsOf(state))) {
            state.SkipWithError("the switch did not come back");
            return;
        }
        figures.add("after_switch_x_first", double(ProcessMemory::statusKiB("VmRSS")) / first);
    }
    figures.report(state);
}

void BM_WatchdogSortAndUndo(benchmark::State &state)
{
    if (!showPodcast(state))
        return;
    bench::Figures figures;
    Vellumcast &window = app().window();
    for (auto _ : state) {
        bool sorted = false;
        figures.add("sort_gap_ms", bench::watched([&] {
                        sorted = window.output().sortItems("title", false, false);
                    }));
        figures.add("sort_undo_gap_ms", bench::watched([&] { window.undo(); }));
        if (!sorted) {
            state.SkipWithError("the items did not sort");
            return;
        }
    }
    figures.report(state);
}

void BM_WatchdogReplaceAllAndUndo(benchmark::State &state)
{
    const double base = baseWithSmallFeed(itemsOf(state));
    if (!showPodcast(state))
        return;
    const double size = fileSize(podcastPath(itemsOf(state)));
    FeedFindPanel &panel = bench::findEverywhere(QStringLiteral("Episode"), QStringLiteral("Show"));
    bench::Figures figures;
    for (auto _ : state) {
        resetPeak();
        figures.add("replace_all_gap_ms",
                    bench::watched([&] { bench::press(panel, "ReplaceAll"); }));
        figures.add("replace_all_peak_x_size", peakSince(base) / size);
        const QString status = panel.statusField();
        figures.add("replace_all_undo_gap_ms", bench::watched([&] { app().window().undo(); }));
        // The feed of the replacement, kept for Redo, would be in the next peak: the user's
        // first Replace All has none.
        app().window().setDocumentEdited(false, true);
        if (!status.endsWith(QLatin1String("Replacements"))) {
            state.SkipWithError("nothing was replaced");
            return;
        }
    }
    figures.report(state);
}

void BM_WatchdogFindAbsent(benchmark::State &state)
{
    if (!showPodcast(state))
        return;
    FeedFindPanel &panel = bench::findEverywhere(QStringLiteral("Nowhere at all"));
    bench::Figures figures;
    for (auto _ : state)
        figures.add("find_absent_gap_ms", bench::watched([&] { bench::press(panel, "Next"); }));
    figures.report(state);
}

void BM_WatchdogViewXML(benchmark::State &state)
{
    if (!showPodcast(state))
        return;
    Vellumcast &window = app().window();
    // The source window stands in for the user: closed without a change, then with the channel's
    // title edited (the edited text is made beforehand: the typing is not part of the command).
    QString edited = window.currentFeed()->buildXML();
    edited.insert(edited.indexOf(QLatin1String("<title>")) + 7, QLatin1String("Edited "));
    bool edit = false;
    Vellumcast::setXMLSourceEditor([&](const XMLSourceRequest &) -> std::optional<QString> {
        if (!edit)
            return std::nullopt;
        return edited;
    });
    bench::Figures figures;
    for (auto _ : state) {
        edit = false;
        figures.add("view_xml_gap_ms",
                    bench::watched([&] { window.command("viewXML")->trigger(); }));
        edit = true;
        figures.add("view_xml_edit_gap_ms",
                    bench::watched([&] { window.command("viewXML")->trigger(); }));
        if (!window.currentFeed()->title().startsWith(QLatin1String("Edited "))) {
            state.SkipWithError("the edit was not read");
            break;
        }
        window.undo();
    }
    Vellumcast::setXMLSourceEditor({});
    figures.report(state);
}

// A command of the window on the shown podcast, its dates as the file has them each time so
// that the command repairs them again (Save's log and Validate's are as long as the load's).
// `before` prepares each run; `worked` says whether it did its work, false skips the benchmark.
bool commandOnTypicalDates(benchmark::State &state, bench::Figures &figures, const char *command,
                           const char *figure, const std::function<void()> &before,
                           const std::function<bool()> &worked)
{
    bench::Window &window = app();
    for (auto _ : state) {
        PodcastFeed::restoreTypicalDates(*window.window().currentFeed());
        window.alerts->clear();
        before();
        figures.add(figure, bench::watched([&] {
                        window.window().command(QLatin1String(command))->trigger();
                    }));
        if (!worked()) {
            state.SkipWithError("the command did not do its work");
            return false;
        }
    }
    return true;
}

void BM_WatchdogSave(benchmark::State &state)
{
    if (!showPodcast(state))
        return;
    bench::Window &window = app();
    bench::Figures figures;
    const bool saved = commandOnTypicalDates(
        state, figures, "saveDocument", "save_gap_ms",
        [&] {
            window.alerts->queueAnswer(
                AlertService::kDefault); // save a feed that does not validate
            window.window().setDocumentEdited(true);
        },
        [&] {
            figures.add("log_messages",
                        double(window.window().currentFeed()->parseXMLRepairCount()));
            return !window.window().isDocumentEdited();
        });
    // The file as it was, for the benchmarks that open it again.
    QFile::remove(podcastPath(itemsOf(state)));
    podcastPath(itemsOf(state));
    if (saved)
        figures.report(state);
}

void BM_WatchdogValidate(benchmark::State &state)
{
    if (!showPodcast(state))
        return;
    bench::Window &window = app();
    bench::Figures figures;
    if (commandOnTypicalDates(
            state, figures, "validateAction", "validate_gap_ms", [] {},
            [&] { return !window.alerts->alerts().isEmpty(); }))
        figures.report(state);
}

void BM_WatchdogLetGo(benchmark::State &state)
{
    bench::Figures figures;
    for (auto _ : state) {
        if (!showPodcast(state))
            return;
        figures.add("let_go_gap_ms", bench::watched([&] { openFile(smallFeedPath()); }));
    }
    figures.report(state);
}

void BM_WatchdogClose(benchmark::State &state)
{
    bench::Window &window = app();
    bench::Figures figures;
    for (auto _ : state) {
        if (!window.controller)
            window.start();
        if (!showPodcast(state))
            return;
        window.window().setDocumentEdited(false, true);
        figures.add("close_gap_ms", bench::watched([&] { window.stop(); }));
    }
    figures.report(state);
}

void sizes(benchmark::internal::Benchmark *benchmark)
{
    for (int items : PodcastFeed::kTypicalSizes)
        benchmark->Arg(items);
    benchmark->Unit(benchmark::kMillisecond)->Iterations(CoreBench::pairs());
}
} // namespace

BENCHMARK(BM_WatchdogOpenAndSwitch)->Apply(sizes);
BENCHMARK(BM_WatchdogSortAndUndo)->Apply(sizes);
BENCHMARK(BM_WatchdogReplaceAllAndUndo)->Apply(sizes);
BENCHMARK(BM_WatchdogFindAbsent)->Apply(sizes);
BENCHMARK(BM_WatchdogViewXML)->Apply(sizes);
BENCHMARK(BM_WatchdogSave)->Apply(sizes);
BENCHMARK(BM_WatchdogValidate)->Apply(sizes);
BENCHMARK(BM_WatchdogLetGo)->Apply(sizes);
BENCHMARK(BM_WatchdogClose)->Apply(sizes);

int main(int argc, char **argv)
{
    return bench::runBenchmarks(argc, argv, bench::releaseSmallFeedWindow);
}
