// Opening a podcast feed from its bytes to the finished model, beside the bare libxml2 tree
// parse of the same bytes. Besides time, each run reports the peak memory it took on top of
// what the process held before (resident set high-water mark, reset before the run), as a
// multiple of the feed's size.

#include "common/CoreBench.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "platform/AlertService.h"
#include "settings/VLXPreferences.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <malloc.h>

#include <fstream>
#include <string>

namespace {

QByteArray makePodcastFeed(qint64 targetBytes)
{
    QByteArray feed;
    feed.reserve(targetBytes + 4096);
    feed += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
            "xmlns:content=\"http://purl.org/rss/1.0/modules/content/\">\n"
            "  <channel>\n"
            "    <title>Benchmark Radio</title>\n"
            "    <link>http://bench.example.com/</link>\n"
            "    <description>Generated episodes for timing the reader.</description>\n"
            "    <language>en-us</language>\n"
            "    <itunes:author>Bench Host</itunes:author>\n"
            "    <itunes:explicit>no</itunes:explicit>\n"
            "    <itunes:category text=\"Technology\"/>\n";
    for (int n = 1; feed.size() < targetBytes; ++n) {
        const QByteArray num = QByteArray::number(n);
        feed += "    <item>\n"
                "      <title>Episode " + num + ": signals &amp; noise</title>\n"
                "      <link>http://bench.example.com/episodes/" + num + "</link>\n"
                "      <description>&lt;p&gt;Show notes for episode " + num +
                ", with links and a few words about the guests.&lt;/p&gt;</description>\n"
                "      <enclosure url=\"http://media.example.com/audio/episode-" + num +
                ".mp3\" length=\"" + QByteArray::number(20000000 + n) + "\" type=\"audio/mpeg\"/>\n"
                "      <guid isPermaLink=\"false\">bench-episode-" + num + "</guid>\n"
                "      <pubDate>Mon, 07 Dec 2026 06:00:00 +0000</pubDate>\n"
                "      <itunes:duration>00:42:17</itunes:duration>\n"
                "      <itunes:subtitle>Episode " + num + " in brief</itunes:subtitle>\n"
                "      <itunes:explicit>no</itunes:explicit>\n"
                "      <content:encoded><![CDATA[<p>Full notes for episode " + num +
                ".</p><ul><li>First topic with <a href=\"http://bench.example.com/a\">a link</a>"
                "</li><li>Second topic</li><li>Listener mail &amp; answers</li></ul><p>Music by "
                "the house band. Thanks for listening, and see you next week.</p>]]>"
                "</content:encoded>\n"
                "    </item>\n";
    }
    feed += "  </channel>\n</rss>\n";
    return feed;
}

const QByteArray &feedOfSize(qint64 bytes)
{
    static QByteArray small = makePodcastFeed(1 << 20);
    static QByteArray large = makePodcastFeed(50 << 20);
    return bytes <= (1 << 20) ? small : large;
}

long residentKiB(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(key.size()));
    }
    return 0;
}

// Returns the resident set to its current size so the next high-water mark is the run's own.
long resetPeak()
{
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    return residentKiB("VmRSS");
}

void reportPeak(benchmark::State &state, long baseKiB, qint64 size)
{
    const double peakBytes = double(residentKiB("VmHWM") - baseKiB) * 1024.0;
    state.counters["peak_x_size"] = peakBytes / double(size);
    state.counters["peak_MB"] = peakBytes / (1024.0 * 1024.0);
}

void BM_BareLibxml2TreeParse(benchmark::State &state)
{
    const QByteArray &bytes = feedOfSize(state.range(0));
    long base = resetPeak();
    for (auto _ : state) {
        xmlDocPtr doc = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr,
                                      XML_PARSE_NONET);
        benchmark::DoNotOptimize(doc);
        xmlFreeDoc(doc);
    }
    reportPeak(state, base, bytes.size());
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_OpenFeedToModel(benchmark::State &state)
{
    const QByteArray &bytes = feedOfSize(state.range(0));
    long base = resetPeak();
    int items = 0;
    for (auto _ : state) {
        const QString text = VLXParseFeed::stringFromXMLData(bytes);
        VLXParseFeed parser;
        if (parser.isItAFeed(text) != 0 || parser.parseFeed(text, QString(), nullptr) != 0) {
            state.SkipWithError("the generated feed did not read");
            break;
        }
        items = parser.feed()->countOfItems();
    }
    reportPeak(state, base, bytes.size());
    state.counters["items"] = items;
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

BENCHMARK(BM_BareLibxml2TreeParse)->Arg(1 << 20)->Arg(50 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenFeedToModel)->Arg(1 << 20)->Arg(50 << 20)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    CoreBench::installQuietServices();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
