// Bringing a podcast in and writing it out, each timed beside libxml2 doing the comparable
// work on the same bytes, in paired repetitions whose order alternates (see
// CoreBench::PairedTimes): "x_libxml2" is the median of the pairs' ratios, which holds whatever
// the load of the machine. The figures of large feeds are taken on the typical podcast
// (PodcastFeed::typicalDocument: Media RSS, content:encoded in CDATA, iTunes and Dublin Core,
// 2.3 KB an episode) at 1,000, 10,000, 23,000 and 46,000 episodes:
// - Open: the file read and the window's whole load of it with validation (FeedDocument::prepare
//   on the worker, as the window runs it), beside libxml2's tree parse (xmlReadMemory) of the
//   same bytes. Neither side's time holds the freeing of what it made.
// - Read: the loader's run on the bytes without validation, beside the same parse. ReadAtom:
//   the same for the typical podcast written as Atom 1.0 (PodcastFeed::typicalAtomDocument),
//   converted to RSS 2.0 as it is read.
// - OpenStages: where the time of an opening goes, in milliseconds a stage.
// - ValidateAsLoad / ValidateAsSave: the whole-feed validation as the load runs it (a feed just
//   read) and as Save runs it (validateAfresh: messages cleared, validated again and the message
//   log taken, in one walk; the dates as the file has them again, so that the log is the
//   load's, tens of thousands long),
//   "per_10k_ms" milliseconds per 10,000 items, beside libxml2's parse of as many items.
// - OpenAndSave: the window's opening of a podcast of 20,000 episodes (46 MB) and the writing
//   of its bytes, beside libxml2's parse of the file and its dump of the tree.
// - OpenAndSaveAlone: the same opening and writing once, and nothing else, for counting
//   instructions: under callgrind the stretch is dumped on its own (common/Callgrind.h), after
//   an opening of a one-episode feed that brings in the code and tables. The file is the typical
//   podcast of the argument's episodes, or the one VLX_BENCH_FEED names (a feed made elsewhere,
//   the same file for two builds). Run with VLX_BENCH_FEED=feed.xml as
//   valgrind --tool=callgrind --dump-instr=no build/bench/bench_loading
//   --benchmark_filter='OpenAndSaveAlone/', the "summary:" line of callgrind.out.PID.1 is the
//   opening's and writing's instructions.
// - Write: the model to UTF-8 bytes (as Save writes them), beside xmlDocDumpMemory of a tree of
//   the same document; neither side's time holds the freeing of what it wrote.
// - PeakMemory: a fresh process reads the file and opens it as the window does (the file's bytes
//   kept for Revert); its resident high-water mark above what it held before, as a multiple of
//   the file's size ("peak_x_size"), beside a fresh process that reads the file and has libxml2
//   parse it ("libxml2_peak_x_size"). PeakMemoryOfOpening and ...KeepingText are the loader
//   alone, keeping nothing or the decoded text.
// - Media and Content: what a namespace class costs beside keeping its elements as raw text
//   (RawKeptExtension), on the benchmarks' own podcast (PodcastFeed::document), whose episodes
//   hold a media:group of two media:content elements, content:encoded and two elements of a
//   namespace the program does not know. Each iteration times libxml2, the raw keeping and the
//   class on the same bytes: "x_libxml2" is the class over libxml2, "raw_x_libxml2" the raw
//   keeping over libxml2 and "x_raw" the class over the raw keeping. Their PeakMemory gives
//   "peak_x_size" of the class and "raw_peak_x_size" of the raw keeping.
// Timed work starts on a trimmed heap (malloc_trim, not timed), so that neither side pays for
// consolidating the blocks the other one freed. VLX_BENCH_PAIRS sets the repetitions (7).
//   build/bench/bench_loading --benchmark_filter='Open|Validate|Write|PeakMemory/'
// "bench_loading --typical-podcast N" prints the typical podcast of N episodes.

#include "Opening.h"
#include "common/Callgrind.h"
#include "common/CoreBench.h"
#include "common/PodcastFeed.h"
#include "common/ProcessMemory.h"
#include "io/FeedLoader.h"
#include "model/VLXFeed.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace Opening;
using CoreBench::PairedTimes;
using CoreBench::secondsSince;

int itemsOf(const benchmark::State &state)
{
    return int(state.range(0));
}

// Each side starts on a tidy heap: otherwise the first large allocation of one side pays for
// merging the millions of small blocks the other side has just freed.
double parsedByLibxml2(const QByteArray &bytes)
{
    malloc_trim(0);
    return libxml2TreeParse(bytes);
}

void reportSize(benchmark::State &state, qint64 bytes)
{
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["MB"] = double(bytes) / 1e6;
}

// The window's opening of the typical podcast, and with `save` the writing of its bytes as Save
// writes them, beside libxml2's parse of the same bytes and, with `save`, its dump of the tree.
void openBesideLibxml2(benchmark::State &state, bool save)
{
    const QString path = typicalFile(itemsOf(state));
    const QByteArray &bytes = typicalOf(itemsOf(state));
    PairedTimes times;
    const auto ours = [&] {
        malloc_trim(0);
        const auto start = std::chrono::steady_clock::now();
        FeedDocument::Prepared prepared = openAsTheWindow(path);
        if (!prepared.feed || prepared.feed->countOfItems() != itemsOf(state))
            return -1.0;
        if (save) {
            const QByteArray saved = prepared.feed->buildXMLData();
            benchmark::DoNotOptimize(saved.constData());
        }
        return secondsSince(start);
    };
    const auto theirs = [&] {
        if (!save)
            return parsedByLibxml2(bytes);
        malloc_trim(0);
        const auto start = std::chrono::steady_clock::now();
        xmlDocPtr doc = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr,
                                      XML_PARSE_NONET);
        if (!doc)
            return -1.0;
        xmlChar *memory = nullptr;
        int size = 0;
        xmlDocDumpMemory(doc, &memory, &size);
        benchmark::DoNotOptimize(memory);
        const double took = secondsSince(start);
        xmlFree(memory);
        xmlFreeDoc(doc);
        return took;
    };
    for (auto _ : state) {
        if (!times.run(state, ours, theirs)) {
            state.SkipWithError("the feed did not open");
            return;
        }
    }
    times.report(state);
    reportSize(state, bytes.size());
}

void BM_OpenBesideLibxml2(benchmark::State &state)
{
    openBesideLibxml2(state, false);
}

void BM_OpenAndSaveBesideLibxml2(benchmark::State &state)
{
    openBesideLibxml2(state, true);
}

void BM_OpenAndSaveAlone(benchmark::State &state)
{
    const QByteArray named = qgetenv("VLX_BENCH_FEED");
    const QString path
        = named.isEmpty() ? typicalFile(itemsOf(state)) : QString::fromLocal8Bit(named);
    const QString warmUp = typicalFile(1);
    if (path.isEmpty() || warmUp.isEmpty() || !openAsTheWindow(warmUp).feed) {
        state.SkipWithError("the feed's file could not be written or opened");
        return;
    }
    for (auto _ : state) {
        malloc_trim(0);
        Callgrind::zero();
        FeedDocument::Prepared prepared = openAsTheWindow(path);
        const QByteArray saved = prepared.feed ? prepared.feed->buildXMLData() : QByteArray();
        Callgrind::dump("open-and-save");
        if (saved.isEmpty()) {
            state.SkipWithError("the feed did not open");
            return;
        }
        state.counters["items"] = prepared.feed->countOfItems();
    }
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}

// The loader's read of a podcast's bytes, timed beside libxml2's parse of them.
void readBesideLibxml2(benchmark::State &state, const QByteArray &bytes)
{
    PairedTimes times;
    const auto ours = [&] {
        malloc_trim(0);
        const auto start = std::chrono::steady_clock::now();
        const std::shared_ptr<VLXFeed> feed = open(bytes, false);
        const double took = secondsSince(start);
        return feed && feed->countOfItems() == itemsOf(state) ? took : -1.0;
    };
    for (auto _ : state) {
        if (!times.run(state, ours, [&] { return parsedByLibxml2(bytes); })) {
            state.SkipWithError("the feed did not read");
            return;
        }
    }
    times.report(state);
    reportSize(state, bytes.size());
}

void BM_ReadBesideLibxml2(benchmark::State &state)
{
    readBesideLibxml2(state, typicalOf(itemsOf(state)));
}

void BM_ReadAtomBesideLibxml2(benchmark::State &state)
{
    static QByteArray bytes;
    static int madeOf = -1;
    if (madeOf != itemsOf(state)) {
        bytes = PodcastFeed::typicalAtomDocument(itemsOf(state));
        madeOf = itemsOf(state);
    }
    readBesideLibxml2(state, bytes);
}

// Where the time of an opening goes: milliseconds in each stage, from the progress reports.
void BM_OpenStages(benchmark::State &state)
{
    const QByteArray &bytes = typicalOf(itemsOf(state));
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

// The validation's progress as the window's runner takes it.
bool reported(int done, int total)
{
    benchmark::DoNotOptimize(done + total);
    return true;
}

// As the load runs it: once, on a feed just read.
void BM_ValidateAsLoad(benchmark::State &state)
{
    const QByteArray &bytes = typicalOf(itemsOf(state));
    PairedTimes times;
    int messages = 0;
    const auto ours = [&] {
        const std::shared_ptr<VLXFeed> feed = open(bytes, false);
        if (!feed)
            return -1.0;
        malloc_trim(0);
        VLXFeed::MessageCounts counts;
        const auto start = std::chrono::steady_clock::now();
        const bool finished = feed->validate(reported, &counts);
        const double took = secondsSince(start);
        messages = counts.total();
        return finished ? took : -1.0;
    };
    for (auto _ : state) {
        if (!times.run(state, ours, [&] { return parsedByLibxml2(bytes); })) {
            state.SkipWithError("the feed did not read");
            return;
        }
    }
    times.report(state, "per_10k_", itemsOf(state) / 10000.0);
    state.counters["messages"] = messages;
}

// As Save runs it: the messages of the load cleared, the feed validated again and the message
// log taken when there are messages. Each time the dates are as the file has them, so that Save
// repairs them as the load did and its log is as long as the load's (tens of thousands).
void BM_ValidateAsSave(benchmark::State &state)
{
    const QByteArray &bytes = typicalOf(itemsOf(state));
    const FeedDocument::Prepared opened = openAsTheWindow(typicalFile(itemsOf(state)));
    if (!opened.feed) {
        state.SkipWithError("the feed did not open");
        return;
    }
    VLXFeed &feed = *opened.feed;
    PairedTimes times;
    qsizetype groups = 0;
    int messages = 0;
    const auto ours = [&] {
        PodcastFeed::restoreTypicalDates(feed);
        malloc_trim(0);
        const auto start = std::chrono::steady_clock::now();
        VLXFeed::MessageCounts counts;
        QList<MessageGroup> log;
        if (!feed.validateAfresh(reported, &counts, &log))
            return -1.0;
        if (counts.total() > 0)
            groups = log.size();
        // Let go within the time, as the walk taking the log after the check did.
        log = QList<MessageGroup>();
        const double took = secondsSince(start);
        messages = counts.total();
        return took;
    };
    for (auto _ : state) {
        if (!times.run(state, ours, [&] { return parsedByLibxml2(bytes); })) {
            state.SkipWithError("the feed did not validate");
            return;
        }
    }
    times.report(state, "per_10k_", itemsOf(state) / 10000.0);
    state.counters["messages"] = messages;
    state.counters["log_groups"] = double(groups);
}

void BM_WriteBesideLibxml2(benchmark::State &state)
{
    // The feed as the window holds it: validated (and so repaired) when it was read.
    const FeedDocument::Prepared opened = openAsTheWindow(typicalFile(itemsOf(state)));
    if (!opened.feed) {
        state.SkipWithError("the feed did not open");
        return;
    }
    PairedTimes times;
    const qint64 bytes = CoreBench::writeBesideLibxml2(state, *opened.feed, &times);
    if (bytes < 0)
        return;
    times.report(state);
    reportSize(state, bytes);
}

// The peaks of the window's opening and of libxml2's, each in fresh processes, in turns.
void BM_PeakMemory(benchmark::State &state)
{
    const QString path = typicalFile(itemsOf(state));
    const double size = double(QFileInfo(path).size());
    std::vector<double> ours;
    std::vector<double> theirs;
    for (auto _ : state) {
        const bool oursFirst = ours.size() % 2 == 1;
        long peak = oursFirst ? peakOfOpeningInChild(path, Kept::WindowPath) : 0;
        const long libxml2 = peakOfOpeningInChild(path, Kept::Libxml2);
        if (!oursFirst)
            peak = peakOfOpeningInChild(path, Kept::WindowPath);
        if (peak < 0 || libxml2 < 0) {
            state.SkipWithError("the feed did not open in the child");
            return;
        }
        ours.push_back(double(peak) * 1024 / size);
        theirs.push_back(double(libxml2) * 1024 / size);
    }
    state.counters["MB"] = size / 1e6;
    state.counters["peak_x_size"] = CoreBench::median(ours);
    state.counters["peak_MB"] = CoreBench::median(ours) * size / 1e6;
    state.counters["libxml2_peak_x_size"] = CoreBench::median(theirs);
    state.counters["pairs"] = double(ours.size());
}

// The loader alone, once, keeping nothing or the decoded text.
void peakMemoryOfOpening(benchmark::State &state, Kept kept)
{
    const QString path = typicalFile(itemsOf(state));
    const double size = double(QFileInfo(path).size());
    long peak = 0;
    for (auto _ : state) {
        peak = peakOfOpeningInChild(path, kept);
        if (peak < 0) {
            state.SkipWithError("the feed did not open in the child");
            return;
        }
    }
    state.counters["MB"] = size / 1e6;
    state.counters["peak_MB"] = double(peak) * 1024 / 1e6;
    state.counters["peak_x_size"] = double(peak) * 1024 / size;
}

void BM_PeakMemoryOfOpening(benchmark::State &state)
{
    peakMemoryOfOpening(state, Kept::Nothing);
}

void BM_PeakMemoryOfOpeningKeepingText(benchmark::State &state)
{
    peakMemoryOfOpening(state, Kept::Text);
}

void sizes(benchmark::internal::Benchmark *benchmark)
{
    for (int items : PodcastFeed::kTypicalSizes)
        benchmark->Arg(items);
    benchmark->Unit(benchmark::kMillisecond);
}

void pairedSizes(benchmark::internal::Benchmark *benchmark)
{
    sizes(benchmark);
    benchmark->Iterations(CoreBench::pairs());
}

} // namespace

BENCHMARK(BM_OpenBesideLibxml2)->Apply(pairedSizes)->UseManualTime();
BENCHMARK(BM_ReadBesideLibxml2)->Apply(pairedSizes)->UseManualTime();
BENCHMARK(BM_ReadAtomBesideLibxml2)->Apply(pairedSizes)->UseManualTime();
BENCHMARK(BM_OpenStages)->Apply(sizes);
BENCHMARK(BM_ValidateAsLoad)->Apply(pairedSizes)->UseManualTime();
BENCHMARK(BM_ValidateAsSave)->Apply(pairedSizes)->UseManualTime();
BENCHMARK(BM_WriteBesideLibxml2)->Apply(pairedSizes)->UseManualTime();
BENCHMARK(BM_OpenAndSaveBesideLibxml2)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(CoreBench::pairs())
    ->UseManualTime();
BENCHMARK(BM_OpenAndSaveAlone)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PeakMemory)->Apply(pairedSizes);
BENCHMARK(BM_PeakMemoryOfOpening)->Apply(sizes)->Iterations(1);
BENCHMARK(BM_PeakMemoryOfOpeningKeepingText)->Apply(sizes)->Iterations(1);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    CoreBench::installQuietServices();
    if (argc == 5 && std::strcmp(argv[1], kPeakOption) == 0)
        return printPeakOfOpening(QString::fromLocal8Bit(argv[2]), Kept(std::atoi(argv[3])),
                                  std::atoi(argv[4]));
    if (argc == 3 && std::strcmp(argv[1], "--typical-podcast") == 0) {
        const QByteArray bytes = PodcastFeed::typicalDocument(std::atoi(argv[2]));
        return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout)
                == size_t(bytes.size())
            ? 0
            : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
