#include "common/CoreBench.h"

#include "model/VLXFeed.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <QByteArray>
#include <QStandardPaths>

#include <libxml/parser.h>
#include <libxml/tree.h>

namespace CoreBench {

void installQuietServices()
{
    QStandardPaths::setTestModeEnabled(true);
    AlertService::setInstance(std::make_shared<QuietAlerts>());
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
}

qint64 writeBesideLibxml2(benchmark::State &state, const VLXFeed &feed, double *ours,
                          double *theirs)
{
    const QByteArray source = feed.buildXMLData();
    xmlDocPtr doc = xmlReadMemory(source.constData(), int(source.size()), "feed.xml", "UTF-8",
                                  XML_PARSE_NONET);
    if (!doc) {
        state.SkipWithError("libxml2 could not read the written document");
        return -1;
    }
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        xmlChar *memory = nullptr;
        int size = 0;
        xmlDocDumpMemory(doc, &memory, &size);
        benchmark::DoNotOptimize(memory);
        xmlFree(memory);
        *theirs += secondsSince(start);

        start = std::chrono::steady_clock::now();
        const QByteArray written = feed.buildXMLData();
        benchmark::DoNotOptimize(written.constData());
        const double took = secondsSince(start);
        *ours += took;
        state.SetIterationTime(took);
    }
    xmlFreeDoc(doc);
    return source.size();
}

} // namespace CoreBench
