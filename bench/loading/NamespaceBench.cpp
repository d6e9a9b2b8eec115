// What a namespace class costs beside keeping its elements as raw text (RawKeptExtension), on
// the benchmarks' own podcast (see LoadingBench.cpp).
#include "Opening.h"
#include "common/CoreBench.h"
#include "common/PodcastFeed.h"
#include "model/VLXFeed.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <malloc.h>

#include <array>
#include <chrono>

namespace {

using namespace Opening;
using CoreBench::secondsSince;

void report(benchmark::State &state, double ours, double theirs, qint64 bytes)
{
    const double iterations = double(state.iterations());
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["MB"] = double(bytes) / 1e6;
    state.counters["libxml2_ms"] = theirs * 1000 / iterations;
    state.counters["x_libxml2"] = ours / theirs;
    state.counters["us_per_item"] = ours * 1e6 / iterations / double(state.range(0));
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

// The peak of an opening as the window does it, with the namespace's classes and with the
// namespace kept raw.
void comparePeaks(benchmark::State &state, KnownNamespace ns, bool mediaGroups)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("feed.xml"));
    const qint64 size
        = writeFeedFile(state, path, PodcastFeed::document(int(state.range(0)), mediaGroups));
    if (size < 0)
        return;
    long peak = 0;
    long rawPeak = 0;
    for (auto _ : state) {
        rawPeak = peakOfOpeningInChild(path, Kept::WindowPath, int(ns));
        peak = peakOfOpeningInChild(path, Kept::WindowPath);
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

// The podcast with that many namespaces declared on its root and used nowhere.
QByteArray withDeclarations(const QByteArray &document, int declarations)
{
    QByteArray declared;
    for (int n = 0; n < declarations; ++n)
        declared += " xmlns:unused" + QByteArray::number(n) + "=\"https://example.org/ns/"
            + QByteArray::number(n) + "/\"";
    QByteArray bytes = document;
    bytes.insert(bytes.indexOf("<rss") + 4, declared);
    return bytes;
}

// A feed declaring a thousand namespaces it never uses against the same feed declaring ten:
// the time of the load and the peak of the window's opening of each, and what the thousand
// add. Declared namespaces an item has no element of cost it next to nothing.
void BM_DeclaredNamespaces(benchmark::State &state)
{
    const int items = int(state.range(0));
    const QByteArray &document = PodcastFeed::document(items);
    const std::array<int, 2> counts = {10, 1000};
    std::array<QByteArray, 2> feeds;
    std::array<QString, 2> paths;
    QTemporaryDir folder;
    for (size_t k = 0; k < counts.size(); ++k) {
        feeds[k] = withDeclarations(document, counts[k]);
        paths[k] = folder.filePath(QStringLiteral("feed%1.xml").arg(counts[k]));
        if (writeFeedFile(state, paths[k], feeds[k]) < 0)
            return;
    }
    std::array<double, 2> seconds {};
    std::array<long, 2> peaks {};
    for (auto _ : state) {
        double took = 0;
        for (size_t k = 0; k < counts.size(); ++k) {
            malloc_trim(0);
            const auto start = std::chrono::steady_clock::now();
            const std::shared_ptr<VLXFeed> feed = open(feeds[k], true);
            took = secondsSince(start);
            seconds[k] += took;
            peaks[k] = peakOfOpeningInChild(paths[k], Kept::WindowPath);
            if (!feed || feed->countOfItems() != items || peaks[k] < 0) {
                state.SkipWithError("the generated feed did not read");
                return;
            }
        }
        state.SetIterationTime(took);
    }
    const double iterations = double(state.iterations());
    state.counters["MB"] = double(feeds[1].size()) / 1e6;
    state.counters["ms_10"] = seconds[0] * 1000 / iterations;
    state.counters["ms_1000"] = seconds[1] * 1000 / iterations;
    state.counters["added_ms"] = (seconds[1] - seconds[0]) * 1000 / iterations;
    state.counters["peak_MB_10"] = double(peaks[0]) * 1024 / 1e6;
    state.counters["peak_MB_1000"] = double(peaks[1]) * 1024 / 1e6;
    state.counters["added_peak_MB"] = double(peaks[1] - peaks[0]) * 1024 / 1e6;
}

// The sizes of the class-against-raw comparisons.
void comparedSizes(benchmark::internal::Benchmark *benchmark)
{
    for (int items : {1000, 10000, 2 * PodcastFeed::kLargeItems})
        benchmark->Arg(items);
    benchmark->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_MediaRead)->Apply(comparedSizes)->UseManualTime();
BENCHMARK(BM_MediaOpenValidated)->Apply(comparedSizes)->UseManualTime();
BENCHMARK(BM_MediaWrite)->Apply(comparedSizes)->UseManualTime();
BENCHMARK(BM_MediaPeakMemory)->Apply(comparedSizes)->Iterations(1);
BENCHMARK(BM_ContentRead)->Apply(comparedSizes)->UseManualTime();
BENCHMARK(BM_ContentOpenValidated)->Apply(comparedSizes)->UseManualTime();
BENCHMARK(BM_ContentWrite)->Apply(comparedSizes)->UseManualTime();
BENCHMARK(BM_ContentPeakMemory)->Apply(comparedSizes)->Iterations(1);
BENCHMARK(BM_DeclaredNamespaces)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
