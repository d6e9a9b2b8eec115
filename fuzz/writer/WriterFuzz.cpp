// Whatever the reader makes of a document, the writer's text must read back: a feed that
// opens must never become one that does not after saving. The second read must also keep the
// number of items, and the text must be XML that the strictest namespace-aware reader accepts
// (libxml2 without recovery, namespace errors and warnings fatal).
//
// Built and run like the reader's target (see fuzz/reader/ReaderFuzzer.cpp), with the feeds of
// the corpus folder and the dictionary beside this file:
//   build-fuzz/fuzz/writer/fuzz_writer -max_len=16384 -timeout=20 -dict=fuzz/feeds.dict \
//     work-corpus fuzz/writer/corpus tests/data/feeds

#include "common/StrictXML.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "platform/AlertService.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

class QuietAlerts : public AlertService
{
public:
    int runAlert(const Alert &) override { return kDefault; }
};

void setUp()
{
    static int argc = 1;
    static char name[] = "fuzz_writer";
    static char *argv[] = {name, nullptr};
    QStandardPaths::setTestModeEnabled(true);
    static QCoreApplication app(argc, argv);
    AlertService::setInstance(std::make_shared<QuietAlerts>());
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool ready = (setUp(), true);
    (void)ready;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    VLXParseFeed first;
    if (first.parseFeed(VLXParseFeed::stringFromXMLData(bytes), QString(), nullptr) != 0)
        return 0;
    const QString written = first.feed()->buildXML();
    const QString problem = StrictXML::problem(written.toUtf8());
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "written feed is not strict XML (%s):\n%s\n",
                     problem.toUtf8().constData(), written.toUtf8().constData());
        std::abort();
    }
    VLXParseFeed second;
    const int status = second.parseFeed(written, QString(), nullptr);
    if (status != 0 || second.feed()->countOfItems() != first.feed()->countOfItems()) {
        std::fprintf(stderr, "written feed reads back with status %d:\n%s\n", status,
                     written.toUtf8().constData());
        std::abort();
    }
    return 0;
}
