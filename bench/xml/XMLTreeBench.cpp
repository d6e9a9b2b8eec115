// Parsing generated RSS 2.0 feeds into the tree and reading every element's text, beside a bare
// libxml2 parse of the same bytes. Run: build/bench/bench_xml
//
// Counters: bytes_per_second (throughput), peak_x (peak memory added during one parse and walk,
// as a multiple of the feed's size; measured once per size from the process's peak RSS).
#include "xml/StartTagScanner.h"
#include "xml/vlxXMLDOM.h"

#include <QByteArray>
#include <QFile>

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <malloc.h>

#include <functional>
#include <map>

namespace {

// The same options the tree layer uses, so the comparison is about the layer, not the options.
constexpr int kBareOptions = XML_PARSE_NONET | XML_PARSE_COMPACT | XML_PARSE_BIG_LINES;

// With declared set, the feed declares the HTML entities it uses, so that a bare libxml2 parse
// accepts it too; without, it relies on the layer's handling of undeclared references.
QByteArray generateFeed(qint64 targetBytes, bool declared)
{
    QByteArray feed;
    feed.reserve(targetBytes + 4096);
    feed += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    if (declared)
        feed += "<!DOCTYPE rss [\n<!ENTITY eacute \"&#233;\">\n<!ENTITY egrave \"&#232;\">\n"
                "<!ENTITY nbsp \"&#160;\">\n]>\n";
    feed += "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\" "
            "xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
            "    <channel>\n"
            "        <title>Generated feed &amp; friends</title>\n"
            "        <link>http://example.com/</link>\n"
            "        <description>A feed made for measuring.</description>\n"
            "        <language>en-us</language>\n";
    for (int i = 0; feed.size() < targetBytes; ++i) {
        const QByteArray n = QByteArray::number(i);
        feed += "        <item>\n"
                "            <title>Episode "
            + n
            + ": caf&eacute; &amp; cr&egrave;me</title>\n"
              "            <link>http://example.com/items/"
            + n
            + ".html</link>\n"
              "            <description>&lt;p&gt;Show notes for episode "
            + n + " with &lt;a href=\"http://example.com/" + n
            + "\"&gt;a link&lt;/a&gt; and "
              "some ordinary prose to give the item a realistic weight.&lt;/p&gt;</description>\n"
              "            <content><![CDATA[<p>Longer notes with <b>markup</b> kept as is, "
              "item "
            + n
            + ".</p>]]></content>\n"
              "            <pubDate>Mon, 02 Jan 2006 15:04:05 +0000</pubDate>\n"
              "            <guid isPermaLink=\"false\">urn:item:"
            + n
            + "</guid>\n"
              "            <category domain=\"http://example.com/cat\">Talk</category>\n"
              "            <enclosure url=\"http://example.com/media/"
            + n
            + ".mp3?a=1&amp;b=2\" length=\"12345678\" type=\"audio/mpeg\"/>\n"
              "            <itunes:author>Somebody&nbsp;Else</itunes:author>\n"
              "            <dc:creator>Somebody</dc:creator>\n"
              "        </item>\n";
    }
    feed += "    </channel>\n</rss>\n";
    return feed;
}

const QByteArray &feedOfSize(qint64 megabytes, bool declared = true)
{
    static std::map<std::pair<qint64, bool>, QByteArray> feeds;
    const auto key = std::make_pair(megabytes, declared);
    auto found = feeds.find(key);
    if (found == feeds.end())
        found = feeds.emplace(key, generateFeed(megabytes * 1024 * 1024, declared)).first;
    return found->second;
}

qint64 statusKilobytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(strlen(field))).trimmed().split(' ').first().toLongLong();
    return -1;
}

// Peak memory one run of work adds to the process, in bytes; -1 when the kernel does not let us
// reset the peak.
qint64 peakAddedBy(const std::function<void()> &work)
{
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return -1;
    clear.close();
    const qint64 baseline = statusKilobytes("VmRSS:");
    work();
    const qint64 peak = statusKilobytes("VmHWM:");
    return baseline < 0 || peak < 0 ? -1 : (peak - baseline) * 1024;
}

void bareParse(const QByteArray &feed)
{
    xmlDocPtr doc
        = xmlReadMemory(feed.constData(), int(feed.size()), nullptr, nullptr, kBareOptions);
    if (!doc)
        qFatal("generated feed did not parse with bare libxml2");
    benchmark::DoNotOptimize(doc);
    xmlFreeDoc(doc);
}

// What a reader does: walk by index, take every element's name, text and one attribute.
qint64 walk(const vlxXMLNode *node)
{
    qint64 characters = 0;
    const int count = vlxXMLDOM::numberOfChildren(node);
    for (int i = 0; i < count; ++i) {
        const vlxXMLNode *child = vlxXMLDOM::nodeAtIndex(i, node);
        if (vlxXMLDOM::kindOfNode(child) != vlxXMLDOM::Element)
            continue;
        characters += vlxXMLDOM::nameOfNode(child).size();
        characters += vlxXMLDOM::descriptionOfNode(child).size();
        characters += vlxXMLDOM::attributeOfNode(child, QStringLiteral("url")).size();
        characters += walk(child);
    }
    return characters;
}

void treeParseAndWalk(const QByteArray &feed)
{
    vlxXMLDOM dom(feed);
    if (!dom.xmlTree())
        qFatal("generated feed did not parse: %s", qPrintable(dom.errorDescription()));
    benchmark::DoNotOptimize(walk(dom.xmlTree()));
}

void run(benchmark::State &state, void (*work)(const QByteArray &), bool declared = true)
{
    const QByteArray &feed = feedOfSize(state.range(0), declared);
    const qint64 peak = peakAddedBy([&] { work(feed); });
    for (auto _ : state)
        work(feed);
    state.SetBytesProcessed(int64_t(state.iterations()) * feed.size());
    state.counters["peak_x"] = peak < 0 ? -1.0 : double(peak) / double(feed.size());
    state.counters["feed_MB"] = double(feed.size()) / (1024.0 * 1024.0);
}

void BM_BareXmlReadMemory(benchmark::State &state)
{
    run(state, bareParse);
}

void BM_TreeLayerParseAndWalk(benchmark::State &state)
{
    run(state, treeParseAndWalk);
}

void BM_TreeLayerUndeclaredEntities(benchmark::State &state)
{
    run(state, treeParseAndWalk, false);
}

// The count of every start tag's attributes that runs before each parse, on its own.
void BM_StartTagScan(benchmark::State &state)
{
    run(state, [](const QByteArray &feed) {
        StartTagScanner scanner;
        benchmark::DoNotOptimize(scanner.scan(feed));
    });
}

} // namespace

// Side by side: the bare parse and the layer on the same feed, small feed first.
BENCHMARK(BM_BareXmlReadMemory)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeLayerParseAndWalk)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareXmlReadMemory)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeLayerParseAndWalk)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartTagScan)->Arg(50)->Unit(benchmark::kMillisecond);
// The same feed without its entity declarations, which bare libxml2 refuses.
BENCHMARK(BM_TreeLayerUndeclaredEntities)->Arg(50)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
