// Writes podcast feeds as RSS 2.0 (UTF-8 bytes, as a save does) and, in the same iteration, has
// libxml2 serialise a tree of the very same document with xmlDocDumpMemory, so the two can be
// compared in one run: "x_libxml2" is the median of our time over libxml2's in paired
// repetitions (see CoreBench::PairedTimes). Throughput counts the bytes of the document.
//
// Feeds: 0 = 10,000 episodes built in memory (about 1 KB each, no namespace elements); 1 = the
// typical podcast (23,000 episodes, about 53 MB) as read from its file, with iTunes, content,
// Dublin Core and Media RSS elements.

#include "common/CoreBench.h"
#include "common/PodcastFeed.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "platform/AlertService.h"
#include "settings/VLXPreferences.h"

#include <QByteArray>
#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <chrono>

namespace {

using CoreBench::secondsSince;

std::shared_ptr<VLXFeed> readFeed(const QByteArray &bytes)
{
    VLXParseFeed parser;
    const QString text = VLXParseFeed::stringFromXMLData(bytes);
    if (parser.isItAFeed(text) != 0 || parser.parseFeed(text, QString(), nullptr) != 0)
        return nullptr;
    return parser.feed();
}

const VLXFeed *feedFor(int which)
{
    static const std::shared_ptr<VLXFeed> small = PodcastFeed::podcast(10000, 2);
    static const std::shared_ptr<VLXFeed> large
        = readFeed(PodcastFeed::typicalDocument(PodcastFeed::kLargeItems));
    return which == 0 ? small.get() : large.get();
}

void BM_WriteFeedBesideLibxml2(benchmark::State &state)
{
    const VLXFeed *feed = feedFor(int(state.range(0)));
    if (!feed) {
        state.SkipWithError("the feed did not read");
        return;
    }
    CoreBench::PairedTimes times;
    const qint64 bytes = CoreBench::writeBesideLibxml2(state, *feed, &times);
    if (bytes < 0)
        return;
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["MB"] = double(bytes) / 1e6;
    times.report(state);
}

void BM_WriteFeedText(benchmark::State &state)
{
    // The document as text, for the callers that show or search it.
    const VLXFeed *feed = feedFor(int(state.range(0)));
    if (!feed) {
        state.SkipWithError("the feed did not read");
        return;
    }
    qint64 units = 0;
    for (auto _ : state) {
        const QString xml = feed->buildXML();
        units = xml.size();
        benchmark::DoNotOptimize(xml.constData());
    }
    state.SetItemsProcessed(state.iterations() * units);
}

} // namespace

BENCHMARK(BM_WriteFeedBesideLibxml2)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(CoreBench::pairs())
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteFeedText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    CoreBench::installQuietServices();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
