#include "common/CoreBench.h"

#include "model/VLXFeed.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <QByteArray>
#include <QStandardPaths>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>

namespace CoreBench {

void installQuietServices()
{
    QStandardPaths::setTestModeEnabled(true);
    AlertService::setInstance(std::make_shared<QuietAlerts>());
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

int pairs()
{
    bool ok = false;
    const int asked = qEnvironmentVariableIntValue("VLX_BENCH_PAIRS", &ok);
    return ok ? std::max(asked, 5) : 7;
}

bool PairedTimes::run(benchmark::State &state, const std::function<double()> &ours,
                      const std::function<double()> &theirs)
{
    const bool oursFirst = m_ours.size() % 2 == 1;
    double mine = -1;
    double libxml2 = -1;
    if (oursFirst)
        mine = ours();
    libxml2 = theirs();
    if (!oursFirst)
        mine = ours();
    if (mine < 0 || libxml2 < 0)
        return false;
    add(mine, libxml2);
    state.SetIterationTime(mine);
    return true;
}

void PairedTimes::add(double ours, double theirs)
{
    m_ours.push_back(ours);
    m_theirs.push_back(theirs);
}

double PairedTimes::ratio() const
{
    std::vector<double> ratios;
    for (size_t i = 0; i < m_ours.size(); ++i)
        ratios.push_back(m_theirs[i] > 0 ? m_ours[i] / m_theirs[i] : 0);
    return median(ratios);
}

void PairedTimes::report(benchmark::State &state, const char *prefix, double perCall) const
{
    const std::string name(prefix);
    state.counters[name + "ms"] = median(m_ours) * 1000 / perCall;
    state.counters[name + "libxml2_ms"] = median(m_theirs) * 1000 / perCall;
    state.counters[name + "x_libxml2"] = ratio();
    state.counters["pairs"] = double(m_ours.size());
}

qint64 writeBesideLibxml2(benchmark::State &state, const VLXFeed &feed, PairedTimes *times)
{
    const QByteArray source = feed.buildXMLData();
    xmlDocPtr doc = xmlReadMemory(source.constData(), int(source.size()), "feed.xml", "UTF-8",
                                  XML_PARSE_NONET);
    if (!doc) {
        state.SkipWithError("libxml2 could not read the written document");
        return -1;
    }
    const auto dump = [doc] {
        const auto start = std::chrono::steady_clock::now();
        xmlChar *memory = nullptr;
        int size = 0;
        xmlDocDumpMemory(doc, &memory, &size);
        benchmark::DoNotOptimize(memory);
        const double took = secondsSince(start);
        xmlFree(memory);
        return took;
    };
    const auto write = [&feed] {
        // Neither side's time holds the freeing of what it wrote: a save keeps its bytes (for
        // Revert), and the pages of a large block given back would weigh on one side alone.
        const auto start = std::chrono::steady_clock::now();
        const QByteArray written = feed.buildXMLData();
        benchmark::DoNotOptimize(written.constData());
        return secondsSince(start);
    };
    for (auto _ : state)
        times->run(state, write, dump);
    xmlFreeDoc(doc);
    return source.size();
}

} // namespace CoreBench
