// Writes podcast feeds as RSS 2.0 (UTF-8 bytes, as a save does) and, in the same iteration, has
// libxml2 serialise a tree of the very same document with xmlDocDumpMemory, so the two can be
// compared in one run: "x_libxml2" is our time over libxml2's. Throughput counts the bytes of
// the document.
//
// Feeds: 0 = 10,000 episodes built in memory (about 1 KB each, no namespace elements); 1 = the
// large podcast (23,000 episodes, 53 MB) as read from its file, with iTunes, content and kept
// elements of an unknown namespace.

#include "common/PodcastFeed.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "platform/AlertService.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QStandardPaths>
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <chrono>

namespace {

class QuietAlerts : public AlertService
{
public:
    int runAlert(const Alert &) override { return kDefault; }
};

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
    static const std::shared_ptr<VLXFeed> large = readFeed(PodcastFeed::largeDocument());
    return which == 0 ? small.get() : large.get();
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_WriteFeedBesideLibxml2(benchmark::State &state)
{
    const VLXFeed *feed = feedFor(int(state.range(0)));
    if (!feed) {
        state.SkipWithError("the feed did not read");
        return;
    }
    const QByteArray source = feed->buildXMLData();
    xmlDocPtr doc = xmlReadMemory(source.constData(), int(source.size()), "feed.xml", "UTF-8",
                                  XML_PARSE_NONET);
    if (!doc) {
        state.SkipWithError("libxml2 could not read the written document");
        return;
    }
    double ours = 0;
    double theirs = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        xmlChar *memory = nullptr;
        int size = 0;
        xmlDocDumpMemory(doc, &memory, &size);
        benchmark::DoNotOptimize(memory);
        xmlFree(memory);
        theirs += secondsSince(start);

        start = std::chrono::steady_clock::now();
        const QByteArray written = feed->buildXMLData();
        benchmark::DoNotOptimize(written.constData());
        const double took = secondsSince(start);
        ours += took;
        state.SetIterationTime(took);
    }
    xmlFreeDoc(doc);
    state.SetBytesProcessed(state.iterations() * source.size());
    state.counters["MB"] = double(source.size()) / 1e6;
    state.counters["libxml2_ms"] = theirs * 1000 / double(state.iterations());
    state.counters["x_libxml2"] = ours / theirs;
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
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteFeedText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    AlertService::setInstance(std::make_shared<QuietAlerts>());
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
