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
// - Media and Content: what a namespace class costs beside keeping its elements as raw text
//   (RawKeptExtension). Media reads the podcast with a media:group of two media:content
//   elements in each episode; Content the usual podcast, whose episodes hold content:encoded.
//   Each iteration times libxml2, the raw keeping and the class on the same bytes:
//   "x_libxml2" is the class over libxml2, "raw_x_libxml2" the raw keeping over libxml2 and
//   "x_raw" the class over the raw keeping. Their PeakMemory gives "peak_x_size" of the class
//   and "raw_peak_x_size" of the raw keeping.
// Arguments are the number of episodes (about 1.8 KB each): 1,000 to 46,000. "us_per_item"
// shows that the cost grows linearly. Timed work starts on a trimmed heap (malloc_trim, not
// timed), so that neither side pays for consolidating the blocks the other one freed.

#include "RawKeptExtension.h"
#include "common/CoreBench.h"
#include "common/PodcastFeed.h"
#include "common/ProcessMemory.h"
#include "io/FeedLoader.h"
#include "model/VLXFeed.h"
#include "model/extensionFactory.h"
#include "model/extensionNSChannel.h"
#include "model/extensionNSItem.h"
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

// The namespace read into its classes, or kept as raw text (the comparison the Media and
// Content benchmarks make).
void keepRaw(KnownNamespace ns, bool raw)
{
    extensionFactory &factory = extensionFactory::shared();
    using P = ExtensionPlace;
    if (!raw) {
        registerExtensionClasses(factory);
        return;
    }
    if (knownNamespaces::existsAt(ns, P::Channel))
        factory.registerClass(ns, P::Channel, [ns] {
            return std::make_shared<RawKeptExtension<extensionNSChannel>>(ns, P::Channel);
        });
    if (knownNamespaces::existsAt(ns, P::Item))
        factory.registerClass(ns, P::Item, [ns] {
            return std::make_shared<RawKeptExtension<extensionNSItem>>(ns, P::Item);
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

void openBesideLibxml2(benchmark::State &state, bool validate)
{
    const QByteArray &bytes = documentOf(int(state.range(0)));
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

// The feed opened with the namespace's classes and with the namespace kept raw, beside
// libxml2, all three in each iteration.
void compareOpenings(benchmark::State &state, KnownNamespace ns, bool mediaGroups, bool validate)
{
    const QByteArray &bytes = documentOf(int(state.range(0)), mediaGroups);
    double ours = 0;
    double raw = 0;
    double theirs = 0;
    const auto timedOpen = [&](bool keptRaw, double *sum) {
        keepRaw(ns, keptRaw);
        malloc_trim(0);
        const auto start = std::chrono::steady_clock::now();
        const std::shared_ptr<VLXFeed> feed = open(bytes, validate);
        const double took = secondsSince(start);
        *sum += took;
        return feed && feed->countOfItems() == state.range(0) ? took : -1.0;
    };
    for (auto _ : state) {
        malloc_trim(0);
        theirs += libxml2TreeParse(bytes);
        const double tookRaw = timedOpen(true, &raw);
        const double took = timedOpen(false, &ours);
        if (took < 0 || tookRaw < 0) {
            state.SkipWithError("the generated feed did not read");
            return;
        }
        state.SetIterationTime(took);
    }
    report(state, ours, theirs, bytes.size());
    state.counters["raw_x_libxml2"] = raw / theirs;
    state.counters["x_raw"] = ours / raw;
}

// The feed written with the namespace's classes and kept raw, beside libxml2's dump. Whichever
// feed is opened first lies on an untouched heap and the second among the holes the first
// one's reading left, which alone makes writing the second up to a tenth slower: each is
// opened once first and once second, and all four are written in every iteration.
void compareWritings(benchmark::State &state, KnownNamespace ns, bool mediaGroups)
{
    const QByteArray &bytes = documentOf(int(state.range(0)), mediaGroups);
    const auto opened = [&](bool raw) {
        keepRaw(ns, raw);
        return open(bytes, false);
    };
    const std::shared_ptr<VLXFeed> rawFirst = opened(true);
    const std::shared_ptr<VLXFeed> classSecond = opened(false);
    const std::shared_ptr<VLXFeed> classFirst = opened(false);
    const std::shared_ptr<VLXFeed> rawSecond = opened(true);
    if (!rawFirst || !classSecond || !classFirst || !rawSecond) {
        state.SkipWithError("the generated feed did not read");
        return;
    }
    const QByteArray written = classFirst->buildXMLData();
    xmlDocPtr doc = xmlReadMemory(written.constData(), int(written.size()), "feed.xml", "UTF-8",
                                  XML_PARSE_NONET);
    if (!doc) {
        state.SkipWithError("libxml2 could not read the written document");
        return;
    }
    const auto timedWrite = [](const VLXFeed &feed) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(feed.buildXMLData().constData());
        return secondsSince(start);
    };
    double ours = 0;
    double raw = 0;
    double theirs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        xmlChar *memory = nullptr;
        int size = 0;
        xmlDocDumpMemory(doc, &memory, &size);
        benchmark::DoNotOptimize(memory);
        xmlFree(memory);
        theirs += secondsSince(start);

        raw += timedWrite(*rawFirst);
        const double took = timedWrite(*classSecond) + timedWrite(*classFirst);
        raw += timedWrite(*rawSecond);
        ours += took;
        state.SetIterationTime(took / 2);
    }
    xmlFreeDoc(doc);
    report(state, ours / 2, theirs, written.size());
    state.counters["raw_x_libxml2"] = raw / 2 / theirs;
    state.counters["x_raw"] = ours / raw;
}

void BM_MediaRead(benchmark::State &state)
{
    compareOpenings(state, KnownNamespace::mediaRSS, true, false);
}

void BM_MediaOpenValidated(benchmark::State &state)
{
    compareOpenings(state, KnownNamespace::mediaRSS, true, true);
}

void BM_MediaWrite(benchmark::State &state)
{
    compareWritings(state, KnownNamespace::mediaRSS, true);
}

void BM_ContentRead(benchmark::State &state)
{
    compareOpenings(state, KnownNamespace::contentEncoded, false, false);
}

void BM_ContentOpenValidated(benchmark::State &state)
{
    compareOpenings(state, KnownNamespace::contentEncoded, false, true);
}

void BM_ContentWrite(benchmark::State &state)
{
    compareWritings(state, KnownNamespace::contentEncoded, false);
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

constexpr char kPeakOption[] = "--peak-of-opening";

// What an opening keeps for Revert: nothing, the decoded text, or the file's bytes (as the
// window does).
enum class Kept { Nothing = 0, Text = 1, Bytes = 2 };

// Run as "bench_loading --peak-of-opening FILE KEEP RAW": opens a one-item feed, then reads the
// file, opens the feed (keeping what KEEP names, with the known namespace numbered RAW kept as
// raw text, none for -1) and prints the peak resident memory above what the process held before
// that, in KiB; -1 when the feed did not open.
int printPeakOfOpening(const QString &path, Kept kept, int rawNamespace)
{
    if (rawNamespace >= 0 && size_t(rawNamespace) < knownNamespaces::table().size())
        keepRaw(KnownNamespace(rawNamespace), true);
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
    const long base = ProcessMemory::statusKiB("VmRSS");
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
            peak = ProcessMemory::statusKiB("VmHWM") - base;
    }
    std::printf("%ld\n", peak);
    return peak < 0 ? 1 : 0;
}

// The peak of an opening in a fresh process of its own, whose allocator has seen nothing of
// the benchmarks before; negative when it failed.
long peakOfOpeningInChild(const QString &path, Kept kept, int rawNamespace = -1)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(kPeakOption), path, QString::number(int(kept)),
                 QString::number(rawNamespace)});
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        return -1;
    bool ok = false;
    const long peak = child.readAllStandardOutput().trimmed().toLong(&ok);
    return ok ? peak : -1;
}

// The feed's file, written to the folder; its size, or -1 with the state skipped.
qint64 writeFeedFile(benchmark::State &state, const QString &path, bool mediaGroups)
{
    const QByteArray bytes = PodcastFeed::document(int(state.range(0)), mediaGroups);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        state.SkipWithError("the feed's file could not be written");
        return -1;
    }
    return bytes.size();
}

void peakMemoryOfOpening(benchmark::State &state, Kept kept)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("feed.xml"));
    const qint64 size = writeFeedFile(state, path, false);
    if (size < 0)
        return;
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

// The peak of an opening as the window does it, with the namespace's classes and with the
// namespace kept raw.
void comparePeaks(benchmark::State &state, KnownNamespace ns, bool mediaGroups)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("feed.xml"));
    const qint64 size = writeFeedFile(state, path, mediaGroups);
    if (size < 0)
        return;
    long peak = 0;
    long rawPeak = 0;
    for (auto _ : state) {
        rawPeak = peakOfOpeningInChild(path, Kept::Bytes, int(ns));
        peak = peakOfOpeningInChild(path, Kept::Bytes);
        if (peak < 0 || rawPeak < 0) {
            state.SkipWithError("the feed did not open in the child");
            return;
        }
    }
    state.counters["MB"] = double(size) / 1e6;
    state.counters["peak_MB"] = double(peak) * 1024 / 1e6;
    state.counters["peak_x_size"] = double(peak) * 1024 / double(size);
    state.counters["raw_peak_x_size"] = double(rawPeak) * 1024 / double(size);
}

void BM_MediaPeakMemory(benchmark::State &state)
{
    comparePeaks(state, KnownNamespace::mediaRSS, true);
}

void BM_ContentPeakMemory(benchmark::State &state)
{
    comparePeaks(state, KnownNamespace::contentEncoded, false);
}

// The sizes of the class-against-raw comparisons.
void comparedSizes(benchmark::internal::Benchmark *benchmark)
{
    for (int items : {1000, 10000, 2 * PodcastFeed::kLargeItems})
        benchmark->Arg(items);
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
BENCHMARK(BM_MediaRead)->Apply(comparedSizes)->UseManualTime();
BENCHMARK(BM_MediaOpenValidated)->Apply(comparedSizes)->UseManualTime();
BENCHMARK(BM_MediaWrite)->Apply(comparedSizes)->UseManualTime();
BENCHMARK(BM_MediaPeakMemory)->Apply(comparedSizes)->Iterations(1);
BENCHMARK(BM_ContentRead)->Apply(comparedSizes)->UseManualTime();
BENCHMARK(BM_ContentOpenValidated)->Apply(comparedSizes)->UseManualTime();
BENCHMARK(BM_ContentWrite)->Apply(comparedSizes)->UseManualTime();
BENCHMARK(BM_ContentPeakMemory)->Apply(comparedSizes)->Iterations(1);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    CoreBench::installQuietServices();
    if (argc == 5 && std::strcmp(argv[1], kPeakOption) == 0)
        return printPeakOfOpening(QString::fromLocal8Bit(argv[2]), Kept(std::atoi(argv[3])),
                                  std::atoi(argv[4]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
