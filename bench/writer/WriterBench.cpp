#include "common/PodcastFeed.h"
#include "model/VLXFeed.h"

#include <QByteArray>
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

// Writes generated podcast feeds as RSS 2.0 and, side by side, has libxml2 serialise a tree of
// the very same document, so the two rates can be compared in one run. Throughput counts the
// UTF-8 bytes of the document.

namespace {

// 10,000 episodes of about 1 KB each, or about 50 MB of episodes with long show notes.
const VLXFeed &feedFor(int which)
{
    static const auto small = PodcastFeed::podcast(10000, 2);
    static const auto large = PodcastFeed::podcast(25000, 10);
    return which == 0 ? *small : *large;
}

void BM_WriteRSS(benchmark::State &state)
{
    const VLXFeed &feed = feedFor(int(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        const QByteArray utf8 = feed.buildXML().toUtf8();
        bytes = utf8.size();
        benchmark::DoNotOptimize(utf8.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["MB"] = double(bytes) / 1e6;
}

void BM_WriteRSSText(benchmark::State &state)
{
    // The string alone, without the UTF-8 encoding a save adds.
    const VLXFeed &feed = feedFor(int(state.range(0)));
    const qint64 bytes = feed.buildXML().toUtf8().size();
    for (auto _ : state) {
        const QString xml = feed.buildXML();
        benchmark::DoNotOptimize(xml.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void BM_Libxml2Serialise(benchmark::State &state)
{
    const QByteArray source = feedFor(int(state.range(0))).buildXML().toUtf8();
    xmlDocPtr doc = xmlReadMemory(source.constData(), int(source.size()), "feed.xml", "UTF-8",
                                  XML_PARSE_NONET);
    if (!doc) {
        state.SkipWithError("libxml2 could not read the document");
        return;
    }
    qint64 bytes = 0;
    for (auto _ : state) {
        xmlChar *memory = nullptr;
        int size = 0;
        xmlDocDumpMemoryEnc(doc, &memory, &size, "UTF-8");
        bytes = size;
        benchmark::DoNotOptimize(memory);
        xmlFree(memory);
    }
    xmlFreeDoc(doc);
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["MB"] = double(bytes) / 1e6;
}

} // namespace

BENCHMARK(BM_WriteRSS)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteRSSText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2Serialise)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
