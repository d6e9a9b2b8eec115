// Importing a whole podcast of 10,000 episodes into the sample feed through the import window:
// opening the source (read on a worker while the window paints), marking all, importing, and
// the undo step that takes it back. Reports the longest time the window's thread went without
// turning its event loop while the source came in.
// Runs on the offscreen platform unless another is asked for:
//   build/bench/bench_app_import
#include "BigFeedWindow.h"
#include "common/PodcastFeed.h"

#include "app/Vellumcast.h"
#include "document/VLXUndoManager.h"
#include "import/VLXImport.h"
#include "model/VLXFeed.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>

namespace {
constexpr int kEpisodes = 10000;

void BM_ImportTenThousandEpisodesIntoTheSampleFeed(benchmark::State &state)
{
    // The sample feed is loaded; the source is on disk beside it.
    bench::Window app(bench::feedOf(1));
    Vellumcast &window = app.window();
    const QString source = QDir(app.home.path()).filePath("podcast.xml");
    {
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write the podcast");
            return;
        }
        file.write(PodcastFeed::document(kEpisodes));
    }
    const int before = window.currentFeed()->countOfItems();
    qint64 longestGap = 0;
    qint64 openMs = 0;
    qint64 importMs = 0;
    for (auto _ : state) {
        window.command("importFeedItems")->trigger();
        auto *import = window.window()->findChild<VLXImport *>();
        if (!import) {
            state.SkipWithError("no import window");
            return;
        }
        QElapsedTimer clock;
        clock.start();
        // A timer of the window's thread: the gaps between its turns are what the user sees.
        QElapsedTimer sinceTurn;
        sinceTurn.start();
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout,
                         [&] { longestGap = std::max(longestGap, sinceTurn.restart()); });
        tick.start(5);
        import->openFeedAtPath(source);
        while (import->isOpening())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        longestGap = std::max(longestGap, sinceTurn.elapsed());
        tick.stop();
        openMs += clock.restart();
        import->markAllItems();
        const int imported = import->doImport();
        QCoreApplication::processEvents();
        importMs += clock.elapsed();
        if (imported != kEpisodes || window.currentFeed()->countOfItems() != before + kEpisodes) {
            state.SkipWithError("the episodes were not imported");
            return;
        }
        state.PauseTiming();
        window.undoManager()->closeGroup();
        window.undoManager()->undo();
        import->cancel();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    if (window.currentFeed()->countOfItems() != before)
        state.SkipWithError("undo did not restore the sample feed");
    const double runs = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["open_ms"] = double(openMs) / runs;
    state.counters["mark_and_import_ms"] = double(importMs) / runs;
    state.counters["longest_event_loop_gap_ms"] = double(longestGap);
    state.SetItemsProcessed(state.iterations() * kEpisodes);
}
BENCHMARK(BM_ImportTenThousandEpisodesIntoTheSampleFeed)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
} // namespace

int main(int argc, char **argv)
{
    return bench::runBenchmarks(argc, argv, [] {});
}
