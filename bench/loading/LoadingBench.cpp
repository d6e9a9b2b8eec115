// Bringing the generated podcast feed in and writing it out, each timed in the same iteration
// as libxml2 doing the comparable work on the same bytes, so that "x_libxml2" (our time over
// libxml2's) holds whatever the load of the machine:
// - Read: bytes to the finished model (decoding, check, repairs, read, repairs after reading),
//   beside libxml2's tree parse (xmlReadMemory) and freeing that tree.
// - Open: the same plus the whole-feed validation, as the window opens a feed (FeedLoader).
// - Write: the model to UTF-8 bytes, beside xmlDocDumpMemory of a tree of the same document.
// - Validate: the whole-feed validation alone ("ms_per_10k_items").
// - PeakMemory: a fresh process reads the feed's file and opens it (keeping nothing, the text,
//   or the file's bytes as the window does for Revert); its resident set's high-water mark
//   above what it held before, as a multiple of the file's size ("peak_x_size").
// - Media: the same podcast with a media:group of two media:content elements in each episode,
//   read, opened and written with the Media RSS classes (second argument 0) and, for comparison,
//   with Media RSS kept as raw text (1).
// Arguments are the number of episodes (about 1.8 KB each): 1,000 to 46,000. "us_per_item"
// shows that the cost grows linearly. Timed work starts on a trimmed heap (malloc_trim, not
// timed), so that neither side pays for consolidating the blocks the other one freed.

#include "common/CoreBench.h"
#include "common/PodcastFeed.h"
#include "extensions/mrss/mrssChannel.h"
#include "extensions/mrss/mrssItem.h"
#include "io/FeedLoader.h"
#include "model/VLXFeed.h"
#include "model/extensionFactory.h"
#include "model/extensionNSStandIn.h"
#include "platform/AlertService.h"
#include "settings/VLXPreferences.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

using namespace Qt::StringLiterals;

namespace {

using CoreBench::secondsSince;

const QByteArray &documentOf(int items, bool mediaGroups = false)
{
    static std::map<std::pair<int, bool>, QByteArray> documents;
    const auto key = std::make_pair(items, mediaGroups);
    auto it = documents.find(key);
    if (it == documents.end())
        it = documents.emplace(key, PodcastFeed::document(items, mediaGroups)).first;
    return it->second;
}

// Media RSS read into its classes, or kept as raw text by the stand-in of a namespace without
// classes (the comparison the Media benchmarks make).
void useMediaClasses(bool classes)
{
    extensionFactory &factory = extensionFactory::shared();
    using K = KnownNamespace;
    using P = ExtensionPlace;
    if (classes) {
        factory.registerClass(K::mediaRSS, P::Channel,
                              [] { return std::make_shared<mrssChannel>(); });
        factory.registerClass(K::mediaRSS, P::Item, [] { return std::make_shared<mrssItem>(); });
        return;
    }
    factory.registerClass(K::mediaRSS, P::Channel, [] {
        return std::make_shared<extensionNSStandIn<extensionNSChannel>>(K::mediaRSS, P::Channel);
    });
    factory.registerClass(K::mediaRSS, P::Item, [] {
        return std::make_shared<extensionNSStandIn<extensionNSItem>>(K::mediaRSS, P::Item);
    });
}

double libxml2TreeParse(const QByteArray &bytes)
{
    const auto start = std::chrono::steady_clock::now();
    xmlDocPtr doc
        = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr, XML_PARSE_NONET);
    benchmark::DoNotOptimize(doc);
    xmlFreeDoc(doc);
    return secondsSince(start);
}

std::shared_ptr<VLXFeed> open(const QByteArray &bytes, bool validate)
{
    FeedLoader::Request request;
    request.bytes = bytes;
    request.validate = validate;
    request.keepText = false;
    FeedLoader loader(std::move(request));
    return loader.run().feed;
}

void report(benchmark::State &state, double ours, double theirs, qint64 bytes)
{
    const double iterations = double(state.iterations());
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["MB"] = double(bytes) / 1e6;
    state.counters["libxml2_ms"] = theirs * 1000 / iterations;
    state.counters["x_libxml2"] = ours / theirs;
    state.counters["us_per_item"] = ours * 1e6 / iterations / double(state.range(0));
}

void openBesideLibxml2(benchmark::State &state, bool validate, bool mediaGroups = false)
{
    const QByteArray &bytes = documentOf(int(state.range(0)), mediaGroups);
    double ours = 0;
    double theirs = 0;
    for (auto _ : state) {
        // Each side starts on a tidy heap: otherwise the first large allocation of one side
        // pays for merging the millions of small blocks the other side has just freed.
        malloc_trim(0);
        theirs += libxml2TreeParse(bytes);
        malloc_trim(0);
        const auto start = std::chrono::steady_clock::now();
        const std::shared_ptr<VLXFeed> feed = open(bytes, validate);
        if (!feed || feed->countOfItems() != state.range(0)) {
            state.SkipWithError("the generated feed did not read");
            return;
        }
        const double took = secondsSince(start);
        ours += took;
        state.SetIterationTime(took);
    }
    report(state, ours, theirs, bytes.size());
}

void BM_ReadBesideLibxml2(benchmark::State &state)
{
    openBesideLibxml2(state, false);
}

void BM_OpenValidatedBesideLibxml2(benchmark::State &state)
{
    openBesideLibxml2(state, true);
}

void BM_MediaReadBesideLibxml2(benchmark::State &state)
{
    useMediaClasses(state.range(1) == 0);
    openBesideLibxml2(state, false, true);
    useMediaClasses(true);
}

void BM_MediaOpenValidatedBesideLibxml2(benchmark::State &state)
{
    useMediaClasses(state.range(1) == 0);
    openBesideLibxml2(state, true, true);
    useMediaClasses(true);
}

void BM_MediaWriteBesideLibxml2(benchmark::State &state)
{
    useMediaClasses(state.range(1) == 0);
    const std::shared_ptr<VLXFeed> feed = open(documentOf(int(state.range(0)), true), false);
    double ours = 0;
    double theirs = 0;
    const qint64 bytes = CoreBench::writeBesideLibxml2(state, *feed, &ours, &theirs);
    if (bytes >= 0)
        report(state, ours, theirs, bytes);
    useMediaClasses(true);
}

// Where the time of an opening goes: milliseconds in each stage, from the progress reports.
void BM_OpenStages(benchmark::State &state)
{
    const QByteArray &bytes = documentOf(int(state.range(0)));
    static const char *const kNames[]
        = {"decode_ms", "check_ms", "read_ms", "finish_ms", "validate_ms"};
    double spent[5] = {};
    for (auto _ : state) {
        state.PauseTiming();
        malloc_trim(0);
        state.ResumeTiming();
        FeedLoader::Request request;
        request.bytes = bytes;
        request.keepText = false;
        FeedLoader loader(std::move(request));
        int stage = 0;
        auto since = std::chrono::steady_clock::now();
        const auto progress = [&](FeedLoader::Stage now, qint64, qint64) {
            if (int(now) != stage) {
                spent[stage] += secondsSince(since);
                since = std::chrono::steady_clock::now();
                stage = int(now);
            }
            return true;
        };
        benchmark::DoNotOptimize(loader.run(progress).feed);
        spent[stage] += secondsSince(since);
    }
    for (int i = 0; i < 5; ++i)
        state.counters[kNames[i]] = spent[i] * 1000 / double(state.iterations());
}

void BM_WriteBesideLibxml2(benchmark::State &state)
{
    const std::shared_ptr<VLXFeed> feed = open(documentOf(int(state.range(0))), false);
    double ours = 0;
    double theirs = 0;
    const qint64 bytes = CoreBench::writeBesideLibxml2(state, *feed, &ours, &theirs);
    if (bytes >= 0)
        report(state, ours, theirs, bytes);
}

void BM_Validate(benchmark::State &state)
{
    const std::shared_ptr<VLXFeed> feed = open(documentOf(int(state.range(0))), false);
    double took = 0;
    for (auto _ : state) {
        feed->clearParseXMLErrorList();
        const auto start = std::chrono::steady_clock::now();
        feed->validate();
        took += secondsSince(start);
        benchmark::DoNotOptimize(feed->parseXMLErrorCount());
    }
    state.counters["ms_per_10k_items"]
        = took * 1000 / double(state.iterations()) * 10000 / double(state.range(0));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

long statusKiB(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(key.size()));
    }
    return -1;
}

constexpr char kPeakOption[] = "--peak-of-opening";

// What an opening keeps for Revert: nothing, the decoded text, or the file's bytes (as the
// window does).
enum class Kept { Nothing = 0, Text = 1, Bytes = 2 };

// Run as "bench_loading --peak-of-opening FILE KEEP": opens a one-item feed, then reads the file,
// opens the feed (keeping what KEEP names) and prints the peak resident memory above what the
// process held before that, in KiB; -1 when the feed did not open.
int printPeakOfOpening(const QString &path, Kept kept)
{
    // The program's own code and tables are in memory before a user opens a big feed (the
    // window has shown one at start): a one-item opening first, so that what is measured is
    // what the feed costs, not the pages of code read in on first use.
    {
        FeedLoader::Request warmUp;
        warmUp.bytes = PodcastFeed::document(1);
        FeedLoader loader(std::move(warmUp));
        if (!loader.run().feed)
            return 1;
    }
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long base = statusKiB("VmRSS");
    long peak = -1;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        FeedLoader::Request request;
        QByteArray bytes = file.readAll();
        // Held here, the bytes outlive the opening as the window's copy for Revert does.
        const QByteArray heldBytes = kept == Kept::Bytes ? bytes : QByteArray();
        request.bytes = std::move(bytes);
        request.keepText = kept == Kept::Text;
        file.close();
        FeedLoader loader(std::move(request));
        if (loader.run().feed)
            peak = statusKiB("VmHWM") - base;
    }
    std::printf("%ld\n", peak);
    return peak < 0 ? 1 : 0;
}

// The peak of an opening in a fresh process of its own, whose allocator has seen nothing of
// the benchmarks before; negative when it failed.
long peakOfOpeningInChild(const QString &path, Kept kept)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(kPeakOption), path, QString::number(int(kept))});
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        return -1;
    bool ok = false;
    const long peak = child.readAllStandardOutput().trimmed().toLong(&ok);
    return ok ? peak : -1;
}

void peakMemoryOfOpening(benchmark::State &state, Kept kept, bool mediaGroups = false)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("feed.xml"));
    qint64 size = 0;
    {
        const QByteArray bytes = PodcastFeed::document(int(state.range(0)), mediaGroups);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            state.SkipWithError("the feed's file could not be written");
            return;
        }
        size = bytes.size();
    }
    long peak = 0;
    for (auto _ : state) {
        peak = peakOfOpeningInChild(path, kept);
        if (peak < 0) {
            state.SkipWithError("the feed did not open in the child");
            return;
        }
    }
    state.counters["MB"] = double(size) / 1e6;
    state.counters["peak_MB"] = double(peak) * 1024 / 1e6;
    state.counters["peak_x_size"] = double(peak) * 1024 / double(size);
}

// The core path: the text goes once the tree holds it.
void BM_PeakMemoryOfOpening(benchmark::State &state)
{
    peakMemoryOfOpening(state, Kept::Nothing);
}

// The decoded text kept beside the feed (twice the file).
void BM_PeakMemoryOfOpeningKeepingText(benchmark::State &state)
{
    peakMemoryOfOpening(state, Kept::Text);
}

// As the window opens a feed: the file's bytes stay for Revert.
void BM_PeakMemoryOfOpeningKeepingBytes(benchmark::State &state)
{
    peakMemoryOfOpening(state, Kept::Bytes);
}

void BM_MediaPeakMemoryOfOpening(benchmark::State &state)
{
    peakMemoryOfOpening(state, Kept::Nothing, true);
}

void mediaSizes(benchmark::internal::Benchmark *benchmark)
{
    for (int items : {1000, PodcastFeed::kLargeItems}) {
        benchmark->Args({items, 0});
        benchmark->Args({items, 1});
    }
    benchmark->ArgNames({"items", "raw"});
    benchmark->Unit(benchmark::kMillisecond);
}

void sizes(benchmark::internal::Benchmark *benchmark)
{
    for (int items : {1000, 10000, PodcastFeed::kLargeItems, 2 * PodcastFeed::kLargeItems})
        benchmark->Arg(items);
    benchmark->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_ReadBesideLibxml2)->Apply(sizes)->UseManualTime();
BENCHMARK(BM_OpenValidatedBesideLibxml2)->Apply(sizes)->UseManualTime();
BENCHMARK(BM_OpenStages)->Apply(sizes);
BENCHMARK(BM_WriteBesideLibxml2)->Apply(sizes)->UseManualTime();
BENCHMARK(BM_Validate)->Apply(sizes);
BENCHMARK(BM_PeakMemoryOfOpening)->Apply(sizes)->Iterations(1);
BENCHMARK(BM_PeakMemoryOfOpeningKeepingText)->Apply(sizes)->Iterations(1);
BENCHMARK(BM_PeakMemoryOfOpeningKeepingBytes)->Apply(sizes)->Iterations(1);
BENCHMARK(BM_MediaReadBesideLibxml2)->Apply(mediaSizes)->UseManualTime();
BENCHMARK(BM_MediaOpenValidatedBesideLibxml2)->Apply(mediaSizes)->UseManualTime();
BENCHMARK(BM_MediaWriteBesideLibxml2)->Apply(mediaSizes)->UseManualTime();
BENCHMARK(BM_MediaPeakMemoryOfOpening)
    ->Arg(PodcastFeed::kLargeItems)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    CoreBench::installQuietServices();
    if (argc == 4 && std::strcmp(argv[1], kPeakOption) == 0)
        return printPeakOfOpening(QString::fromLocal8Bit(argv[2]), Kept(std::atoi(argv[3])));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
