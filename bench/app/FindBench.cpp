// Find and replace over a podcast of 10,000 episodes (show notes, enclosure, guid and a category
// each): Find Next through the channel, every item and the image without a match (from the
// button to "Not Found"), and Replace All of a word every episode's show notes hold (10,000
// replacements, the feed read again), taken back with Undo outside the timing.
#include "BigFeedWindow.h"
#include "common/PodcastFeed.h"

#include "app/FeedFindPanel.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"

#include <QAbstractButton>
#include <benchmark/benchmark.h>

#include <chrono>

namespace {
using bench::kItems;

// The podcast written once beside the window's big feed; opened for each benchmark.
void openPodcast(bench::Window &app)
{
    static const QString path = [&app] {
        const QString file = QDir(app.home.path()).filePath("podcast.xml");
        QFile out(file);
        if (out.open(QIODevice::WriteOnly))
            out.write(PodcastFeed::podcast(kItems, 1)->buildXML().toUtf8());
        return file;
    }();
    app.open(path);
}

void BM_FindNextWithoutAMatchInTenThousandEpisodes(benchmark::State &state)
{
    bench::Window &app = bench::shared();
    openPodcast(app);
    FeedFindPanel &panel = bench::findEverywhere(QStringLiteral("nowhere to be found"), QString());
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        bench::press(panel, "Next");
        QCoreApplication::processEvents();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    if (panel.statusField() != QLatin1String("Not Found"))
        state.SkipWithError("the search found something");
    state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_FindNextWithoutAMatchInTenThousandEpisodes)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

void BM_ReplaceAllOfAWordInTenThousandEpisodes(benchmark::State &state)
{
    bench::Window &app = bench::shared();
    openPodcast(app);
    Vellumcast &window = app.window();
    FeedFindPanel &panel
        = bench::findEverywhere(QStringLiteral("feeds"), QStringLiteral("podcasts"));
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        bench::press(panel, "ReplaceAll");
        QCoreApplication::processEvents();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        window.undoManager()->undo();
        QCoreApplication::processEvents();
    }
    if (panel.statusField() != QStringLiteral("%1 Replacements").arg(kItems)
        || !window.currentFeed()->itemAtIndex(0)->descriptionElement().contains("feeds"))
        state.SkipWithError("the replacements were not made and taken back");
    state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_ReplaceAllOfAWordInTenThousandEpisodes)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
} // namespace
