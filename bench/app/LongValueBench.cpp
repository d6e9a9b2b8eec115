// The feed window opening a small feed with one long value the reader warns about, the user
// asking for the parse results: an itunes:explicit value of 10 and 30 MB (its warning quotes
// the value), and an item title of 8 MB (the list names the item's group after it). Reported:
// the longest stretch the window's thread went without processing events from the open to the
// list shown, and the peak resident memory over what the process held before.
// Runs on the offscreen platform unless another is asked for:
//   build/bench/bench_app_longvalues
#include "BigFeedWindow.h"
#include "common/ProcessMemory.h"

#include "editors/errorListing.h"

#include <malloc.h>

#include <fstream>

namespace {

// A feed of one item; the channel's explicit value or the item's title is the long text.
QByteArray feedWithLongValue(qint64 explicitBytes, qint64 titleBytes)
{
    const auto words = [](qint64 bytes) {
        const QByteArray word = "perhaps ";
        return word.repeated(bytes / word.size());
    };
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\" "
                      "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\"><channel>"
                      "<title>Long</title><link>https://example.org/</link>"
                      "<description>A feed with one long value</description>"
                      "<pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate>";
    if (explicitBytes > 0)
        text += "<itunes:explicit>" + words(explicitBytes) + "</itunes:explicit>";
    // Without a date the item has a warning of its own, under a group named after its title.
    text += "<item><title>" + (titleBytes > 0 ? words(titleBytes) : QByteArray("Episode"))
        + "</title><link>https://example.org/1</link><description>One.</description></item>";
    return text + "</channel></rss>\n";
}

// Between the runs the window shows its feed of ten items.
void openWithResults(benchmark::State &state, qint64 explicitBytes, qint64 titleBytes)
{
    bench::Window &app = bench::smallFeedWindow();
    const QString path = QDir(app.home.path()).filePath(QStringLiteral("long.xml"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        state.SkipWithError("the feed could not be written");
        return;
    }
    file.write(feedWithLongValue(explicitBytes, titleBytes));
    file.close();
    qint64 stall = 0;
    double peakMiB = 0;
    for (auto _ : state) {
        state.PauseTiming();
        errorListing::closePanel();
        app.alerts->clear();
        app.alerts->queueAnswer(AlertService::kAlternate);
        app.open();
        QCoreApplication::processEvents();
        malloc_trim(0);
        std::ofstream("/proc/self/clear_refs") << "5";
        const qint64 base = ProcessMemory::statusKiB("VmRSS");
        state.ResumeTiming();

        bench::StallWatch watch;
        app.alerts->clear();
        app.alerts->queueAnswer(AlertService::kDefault);
        app.open(path);
        QCoreApplication::processEvents();
        stall = qMax(stall, watch.longestMs());
        peakMiB = qMax(peakMiB, double(ProcessMemory::statusKiB("VmHWM") - base) / 1024.0);
        if (!errorListing::sharedInstance()->windowOpen()) {
            state.SkipWithError("the parse results were not shown");
            return;
        }
    }
    state.counters["longest_stall_ms"] = double(stall);
    state.counters["peak_MiB"] = peakMiB;
}

void BM_ExplicitValueInTheParseResults(benchmark::State &state)
{
    openWithResults(state, state.range(0) << 20, 0);
}
BENCHMARK(BM_ExplicitValueInTheParseResults)
    ->Arg(10)
    ->Arg(30)
    ->ArgName("MB")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_ItemTitleInTheParseResults(benchmark::State &state)
{
    openWithResults(state, 0, state.range(0) << 20);
}
BENCHMARK(BM_ItemTitleInTheParseResults)
    ->Arg(8)
    ->ArgName("MB")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return bench::runBenchmarks(argc, argv, bench::releaseSmallFeedWindow);
}
