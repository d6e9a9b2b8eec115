// What a bare "&" in a title costs an opening. A feed XML does not read as it stands is repaired
// once and parsed again; what that second pass may cost is measured here against the same feed
// without the "&" (its well-formed twin), on the typical podcast (PodcastFeed::typicalDocument):
// - OpenWithBareAmpersands/<where>/<items>: the window's opening of the file (read, loaded and
//   validated by FeedDocument::prepare on a worker, through FeedLoader), where 0 is the twin,
//   1 one bare "&" in the title of the middle item, 2 in the title of the last item, 3 one in
//   every item's title. Each iteration opens the file, opens the twin and has libxml2 parse the
//   twin, in an order that turns: "ms", "twin_ms" and "libxml2_ms" are medians, "x_twin" and
//   "x_libxml2" the medians of the ratios. After them, fresh processes measure the peak
//   resident memory of the opening of each file ("peak_MB", "twin_peak_MB", "peak_x_twin") and
//   of libxml2's parse of the twin ("libxml2_peak_MB").
// - OpenWithBareAmpersandsAlone/<where>/<items> and Libxml2ParseAlone/<items>: one opening, or
//   one parse of the twin, and nothing else, for counting instructions: under callgrind the
//   stretch is dumped on its own (common/Callgrind.h), so that the making of the feed is not in
//   its count. For example, with the filter
//   'OpenWithBareAmpersandsAlone/where:1/items:20000/', run as
//   valgrind --tool=callgrind --dump-instr=no build/bench/bench_one_repair --benchmark_filter=...
//   the "summary:" line of callgrind.out.PID.1 is the opening's instructions.
// - OpenLargeTitle/<MiB>/<way>/<title>: a feed of that many MiB whose one item's title is all
//   "&" (title 0), or "& " and then a run of "<title>" (1) or "<item>" start tags (2), each left
//   open, made in memory and opened in a fresh process under a 4 GiB address-space limit, as
//   the window opens it (way 0) or by the loader alone (way 1). It must be refused or opened, never
//   abort: "outcome" is 0 for opened, 1 refused, 2 stopped, -1 a std::bad_alloc that reached the
//   open's caller, -2 a process that died (an abort, an exception no one caught). "open_ms" is
//   the time of the opening, "peak_MB" the peak resident memory above the process's before the
//   feed was made (its bytes count, as a file read would).
//   VLX_BENCH_PAIRS sets the repetitions of the timed openings (7).

#include "Opening.h"
#include "common/Callgrind.h"
#include "common/CoreBench.h"
#include "common/ProcessMemory.h"
#include "io/FeedLoader.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <malloc.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <new>

namespace {

using namespace Opening;
using CoreBench::median;
using CoreBench::secondsSince;

// Where the bare ampersands are.
enum class Where { Twin = 0, Middle = 1, Last = 2, Every = 3 };
constexpr int kLargeItems = 20000; // 46 MB

// The typical podcast with "Tom & Jerry: " leading the titles of the chosen items.
QByteArray withBareAmpersands(int items, Where where)
{
    const QByteArray &twin = typicalOf(items);
    if (where == Where::Twin)
        return twin;
    const QByteArray itemTitle = "<item>\n<title>";
    const QByteArray bare = "Tom & Jerry: ";
    const auto chosen = [&](int item) {
        return where == Where::Every || (where == Where::Middle && item == items / 2)
            || (where == Where::Last && item == items - 1);
    };
    QByteArray feed;
    feed.reserve(twin.size() + (where == Where::Every ? items : 1) * bare.size());
    qsizetype copied = 0;
    int item = 0;
    for (qsizetype at = twin.indexOf(itemTitle); at >= 0;
         at = twin.indexOf(itemTitle, at + itemTitle.size()), ++item) {
        if (!chosen(item))
            continue;
        const qsizetype title = at + itemTitle.size();
        feed.append(twin.constData() + copied, title - copied);
        feed += bare;
        copied = title;
    }
    feed.append(twin.constData() + copied, twin.size() - copied);
    return feed;
}

// The feed's file, written once; empty when it could not be.
QString fileOf(int items, Where where)
{
    if (where == Where::Twin)
        return typicalFile(items);
    static QTemporaryDir folder;
    static std::map<std::pair<int, Where>, QString> files;
    const auto key = std::make_pair(items, where);
    auto it = files.find(key);
    if (it != files.end())
        return it->second;
    const QString path
        = QDir(folder.path())
              .filePath(QStringLiteral("ampersands-%1-%2.xml").arg(int(where)).arg(items));
    const QByteArray bytes = withBareAmpersands(items, where);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return files.emplace(key, path).first->second;
}

// Whether the opening gave the whole feed, having repaired its text once when it holds a bare
// "&" and not at all otherwise (the repairs of the validation, of the dates, are not these).
bool openedWhole(const FeedDocument::Prepared &prepared, int items, Where where,
                 quint64 repairedBefore)
{
    const quint64 repairs = VLXParseFeed::textsRepaired() - repairedBefore;
    return prepared.feed && prepared.feed->countOfItems() == items
        && repairs == (where == Where::Twin ? 0 : 1);
}

// The window's opening of the file; its seconds, or -1 when it was not opened as it should be.
// The freeing of the feed is not timed.
double openedInSeconds(const QString &path, int items, Where where)
{
    malloc_trim(0);
    const quint64 repairedBefore = VLXParseFeed::textsRepaired();
    const auto start = std::chrono::steady_clock::now();
    const FeedDocument::Prepared prepared = openAsTheWindow(path);
    const double took = secondsSince(start);
    return openedWhole(prepared, items, where, repairedBefore) ? took : -1;
}

double parsedByLibxml2(const QByteArray &bytes)
{
    malloc_trim(0);
    return libxml2TreeParse(bytes);
}

std::vector<double> ratios(const std::vector<double> &ours, const std::vector<double> &theirs)
{
    std::vector<double> all;
    for (size_t i = 0; i < ours.size(); ++i)
        all.push_back(theirs[i] > 0 ? ours[i] / theirs[i] : 0);
    return all;
}

void BM_OpenWithBareAmpersands(benchmark::State &state)
{
    const Where where = Where(state.range(0));
    const int items = int(state.range(1));
    const QString path = fileOf(items, where);
    const QString twinPath = fileOf(items, Where::Twin);
    if (path.isEmpty() || twinPath.isEmpty()) {
        state.SkipWithError("the feed's file could not be written");
        return;
    }
    const QByteArray &twin = typicalOf(items);
    std::vector<double> sides[3]; // ours, the twin, libxml2
    const auto run = [&](int side) {
        switch (side) {
        case 0:
            return openedInSeconds(path, items, where);
        case 1:
            return openedInSeconds(twinPath, items, Where::Twin);
        default:
            return parsedByLibxml2(twin);
        }
    };
    for (auto _ : state) {
        // Each side goes first, second and last in turn.
        const int first = int(sides[0].size() % 3);
        double took[3];
        for (int k = 0; k < 3; ++k) {
            const int side = (first + k) % 3;
            took[side] = run(side);
        }
        if (took[0] < 0 || took[1] < 0 || took[2] < 0) {
            state.SkipWithError("a feed did not open, or the bare & was not repaired");
            return;
        }
        for (int side = 0; side < 3; ++side)
            sides[side].push_back(took[side]);
        state.SetIterationTime(took[0]);
    }
    const long peak = peakOfOpeningInChild(path, Kept::WindowPath);
    const long twinPeak = peakOfOpeningInChild(twinPath, Kept::WindowPath);
    const long libxml2Peak = peakOfOpeningInChild(twinPath, Kept::Libxml2);
    if (peak < 0 || twinPeak < 0 || libxml2Peak < 0) {
        state.SkipWithError("a feed did not open in the child");
        return;
    }
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
    state.counters["ms"] = median(sides[0]) * 1000;
    state.counters["twin_ms"] = median(sides[1]) * 1000;
    state.counters["libxml2_ms"] = median(sides[2]) * 1000;
    state.counters["x_twin"] = median(ratios(sides[0], sides[1]));
    state.counters["x_libxml2"] = median(ratios(sides[0], sides[2]));
    state.counters["peak_MB"] = double(peak) * 1024 / 1e6;
    state.counters["twin_peak_MB"] = double(twinPeak) * 1024 / 1e6;
    state.counters["libxml2_peak_MB"] = double(libxml2Peak) * 1024 / 1e6;
    state.counters["peak_x_twin"] = double(peak) / double(twinPeak);
    state.counters["pairs"] = double(sides[0].size());
}

// The code and tables an opening uses are in memory before the counted one, as in a window
// that has shown a feed.
bool warmedUp()
{
    const QString warmUp = typicalFile(1);
    return !warmUp.isEmpty() && openAsTheWindow(warmUp).feed;
}

void BM_OpenWithBareAmpersandsAlone(benchmark::State &state)
{
    const Where where = Where(state.range(0));
    const int items = int(state.range(1));
    const QString path = fileOf(items, where);
    if (path.isEmpty() || !warmedUp()) {
        state.SkipWithError("the feed's file could not be written or opened");
        return;
    }
    for (auto _ : state) {
        malloc_trim(0);
        const quint64 repairedBefore = VLXParseFeed::textsRepaired();
        Callgrind::zero();
        FeedDocument::Prepared prepared = openAsTheWindow(path);
        Callgrind::dump("opening");
        if (!openedWhole(prepared, items, where, repairedBefore)) {
            state.SkipWithError("the feed did not open, or was repaired as it should not be");
            return;
        }
    }
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}

void BM_Libxml2ParseAlone(benchmark::State &state)
{
    const QByteArray &twin = typicalOf(int(state.range(0)));
    for (auto _ : state) {
        malloc_trim(0);
        Callgrind::zero();
        xmlDocPtr doc
            = xmlReadMemory(twin.constData(), int(twin.size()), nullptr, nullptr, XML_PARSE_NONET);
        Callgrind::dump("libxml2");
        if (!doc) {
            state.SkipWithError("libxml2 did not parse the feed");
            return;
        }
        xmlFreeDoc(doc);
    }
    state.counters["MB"] = double(twin.size()) / 1e6;
}

constexpr char kLargeTitleOption[] = "--open-large-title";
constexpr qint64 kAddressLimitKiB = qint64(4) << 20; // 4 GiB

// What the one large title holds.
enum class Title { Ampersands = 0, StartTitles = 1, StartItems = 2 };

// A feed of about `bytes` whose one item's title is large. Made with fills, so that the making
// costs little beside the opening.
QByteArray largeTitle(Title title, qint64 bytes)
{
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\">"
                            "<channel><title>Ampersands</title><link>http://example.com/</link>"
                            "<description>One title of ampersands</description><item><title>";
    const QByteArray tail = "</title><link>http://example.com/1</link></item></channel></rss>\n";
    QByteArray feed;
    feed.reserve(bytes);
    feed += head;
    const qint64 fill = std::max<qint64>(bytes - head.size() - tail.size(), 1);
    if (title == Title::Ampersands) {
        feed.append(fill, '&');
    } else {
        feed += "& ";
        const QByteArray tag = title == Title::StartTitles ? "<title>" : "<item>";
        while (feed.size() + tag.size() <= head.size() + fill)
            feed += tag;
    }
    feed += tail;
    return feed;
}

int outcomeOf(const FeedDocument::LoadOutcome outcome)
{
    switch (outcome) {
    case FeedDocument::LoadOutcome::Loaded:
        return 0;
    case FeedDocument::LoadOutcome::Cancelled:
        return 2;
    default:
        return 1; // offered to be mended (and left), or unreadable
    }
}

int outcomeOf(const FeedLoader::Outcome outcome)
{
    switch (outcome) {
    case FeedLoader::Outcome::Loaded:
        return 0;
    case FeedLoader::Outcome::Stopped:
        return 2;
    default:
        return 1;
    }
}

// Run as "bench_one_repair --open-large-title MIB WAY TITLE": under the address-space limit,
// makes the feed and opens it, and prints the outcome, the peak resident memory above what the
// process held before the feed was made (KiB) and the milliseconds of the opening.
int printLargeTitleOpening(qint64 mebibytes, int way, Title title)
{
    const rlimit limit {rlim_t(kAddressLimitKiB) * 1024, rlim_t(kAddressLimitKiB) * 1024};
    if (setrlimit(RLIMIT_AS, &limit) != 0 || !warmedUp())
        return 1;
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const qint64 base = ProcessMemory::statusKiB("VmRSS");
    int outcome = -1;
    double took = 0;
    try {
        QByteArray bytes = largeTitle(title, mebibytes << 20);
        const auto start = std::chrono::steady_clock::now();
        if (way == 0) {
            outcome = outcomeOf(openBytesAsTheWindow(std::move(bytes)).result.outcome);
        } else {
            FeedLoader::Request request;
            request.bytes = std::move(bytes);
            request.keepText = false;
            FeedLoader loader(std::move(request));
            outcome = outcomeOf(loader.run().outcome);
        }
        took = secondsSince(start);
    } catch (const std::bad_alloc &) {
        outcome = -1;
    }
    const long long peak = ProcessMemory::statusKiB("VmHWM") - base;
    std::printf("%d %lld %.1f\n", outcome, peak, took * 1000);
    return 0;
}

void BM_OpenLargeTitle(benchmark::State &state)
{
    const qint64 mebibytes = state.range(0);
    const int way = int(state.range(1));
    const int title = int(state.range(2));
    int outcome = -3;
    double peakKiB = 0;
    double took = 0;
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(kLargeTitleOption), QString::number(mebibytes),
                     QString::number(way), QString::number(title)});
        if (!child.waitForFinished(600000)) {
            child.kill();
            child.waitForFinished();
            state.SkipWithError("the opening did not end within ten minutes");
            return;
        }
        const QList<QByteArray> said = child.readAllStandardOutput().trimmed().split(' ');
        if (child.exitStatus() == QProcess::CrashExit) {
            outcome = -2;
        } else if (child.exitCode() != 0 || said.size() != 3) {
            state.SkipWithError("the child could not set its limit or warm up");
            return;
        } else {
            outcome = said[0].toInt();
            peakKiB = said[1].toDouble();
            took = said[2].toDouble();
        }
    }
    static const std::map<int, const char *> kLabels
        = {{0, "opened"}, {1, "refused"}, {2, "stopped"}, {-1, "bad_alloc escaped"}, {-2, "died"}};
    state.SetLabel(kLabels.at(outcome));
    state.counters["MiB"] = double(mebibytes);
    state.counters["outcome"] = outcome;
    state.counters["open_ms"] = took;
    state.counters["peak_MB"] = peakKiB * 1024 / 1e6;
}

void wheres(benchmark::internal::Benchmark *benchmark)
{
    for (Where where : {Where::Twin, Where::Middle, Where::Last})
        benchmark->Args({int(where), kLargeItems});
    benchmark->Args({int(Where::Twin), 10000});
    benchmark->Args({int(Where::Every), 10000});
    benchmark->ArgNames({"where", "items"});
    benchmark->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_OpenWithBareAmpersands)
    ->Apply(wheres)
    ->Iterations(CoreBench::pairs())
    ->UseManualTime();
BENCHMARK(BM_OpenWithBareAmpersandsAlone)->Apply(wheres)->Iterations(1);
BENCHMARK(BM_Libxml2ParseAlone)
    ->Arg(kLargeItems)
    ->Arg(10000)
    ->ArgName("items")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_OpenLargeTitle)
    ->ArgsProduct({{128, 255}, {0, 1}, {int(Title::Ampersands)}})
    ->ArgsProduct({{64, 255}, {0, 1}, {int(Title::StartTitles), int(Title::StartItems)}})
    ->ArgNames({"MiB", "way", "title"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    CoreBench::installQuietServices();
    if (argc == 5 && std::strcmp(argv[1], kPeakOption) == 0)
        return printPeakOfOpening(QString::fromLocal8Bit(argv[2]), Kept(std::atoi(argv[3])),
                                  std::atoi(argv[4]));
    if (argc == 5 && std::strcmp(argv[1], kLargeTitleOption) == 0)
        return printLargeTitleOpening(std::atoll(argv[2]), std::atoi(argv[3]),
                                      Title(std::atoi(argv[4])));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
