// Whether the typical podcast of 20,000 episodes needs any repair before it is parsed, asked as
// the reader asks it: of a file's bytes (headOfBytesReadAsTheyAre, which reads them as they are
// when they need none) and of a decoded text (repairText, which answers the text itself), each
// beside libxml2's tree parse of the same bytes.
#include "common/CoreBench.h"
#include "common/PodcastFeed.h"
#include "io/VLXParseFeed.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <chrono>

namespace {

using CoreBench::secondsSince;

double parsedByLibxml2(const QByteArray &bytes)
{
    const auto start = std::chrono::steady_clock::now();
    xmlDocPtr doc
        = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr, XML_PARSE_NONET);
    const double took = secondsSince(start);
    xmlFreeDoc(doc);
    return doc ? took : -1;
}

void BM_RepairCheckOfBytesBesideLibxml2(benchmark::State &state)
{
    const QByteArray bytes = PodcastFeed::typicalDocument(int(state.range(0)));
    CoreBench::PairedTimes times;
    const auto ours = [&] {
        const auto start = std::chrono::steady_clock::now();
        const std::optional<QString> head = VLXParseFeed::headOfBytesReadAsTheyAre(bytes);
        return head ? secondsSince(start) : -1.0;
    };
    for (auto _ : state) {
        if (!times.run(state, ours, [&] { return parsedByLibxml2(bytes); })) {
            state.SkipWithError("the bytes were not taken as they are");
            return;
        }
    }
    times.report(state);
}

void BM_RepairCheckOfTextBesideLibxml2(benchmark::State &state)
{
    const QByteArray bytes = PodcastFeed::typicalDocument(int(state.range(0)));
    const QString text = VLXParseFeed::stringFromXMLData(bytes);
    CoreBench::PairedTimes times;
    const auto ours = [&] {
        const auto start = std::chrono::steady_clock::now();
        QStringList messages;
        const QString repaired = VLXParseFeed::repairText(text, &messages);
        return repaired.constData() == text.constData() ? secondsSince(start) : -1.0;
    };
    for (auto _ : state) {
        if (!times.run(state, ours, [&] { return parsedByLibxml2(bytes); })) {
            state.SkipWithError("the text was repaired");
            return;
        }
    }
    times.report(state);
}

} // namespace

BENCHMARK(BM_RepairCheckOfBytesBesideLibxml2)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(CoreBench::pairs())
    ->UseManualTime();
BENCHMARK(BM_RepairCheckOfTextBesideLibxml2)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(CoreBench::pairs())
    ->UseManualTime();
