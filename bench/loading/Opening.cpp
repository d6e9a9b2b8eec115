#include "Opening.h"

#include "RawKeptExtension.h"
#include "common/CoreBench.h"
#include "common/PodcastFeed.h"
#include "common/ProcessMemory.h"
#include "document/LoadControl.h"
#include "io/FeedLoader.h"
#include "model/VLXFeed.h"
#include "model/extensionFactory.h"
#include "model/extensionNSChannel.h"
#include "model/extensionNSItem.h"
#include "platform/BoundedFileReader.h"
#include "xml/vlxXMLDOM.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <fstream>
#include <map>

namespace Opening {

using CoreBench::secondsSince;

const QByteArray &typicalOf(int items)
{
    static std::map<int, QByteArray> documents;
    auto it = documents.find(items);
    if (it == documents.end())
        it = documents.emplace(items, PodcastFeed::typicalDocument(items)).first;
    return it->second;
}

QString typicalFile(int items)
{
    static QTemporaryDir folder;
    static std::map<int, QString> files;
    auto it = files.find(items);
    if (it != files.end())
        return it->second;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("typical-%1.xml").arg(items));
    QFile file(path);
    const QByteArray &bytes = typicalOf(items);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return files.emplace(items, path).first->second;
}

const QByteArray &documentOf(int items, bool mediaGroups)
{
    static std::map<std::pair<int, bool>, QByteArray> documents;
    const auto key = std::make_pair(items, mediaGroups);
    auto it = documents.find(key);
    if (it == documents.end())
        it = documents.emplace(key, PodcastFeed::document(items, mediaGroups)).first;
    return it->second;
}

void keepRaw(KnownNamespace ns, bool raw)
{
    extensionFactory &factory = extensionFactory::shared();
    using P = ExtensionPlace;
    if (!raw) {
        registerExtensionClasses(factory);
        return;
    }
    if (knownNamespaces::existsAt(ns, P::Channel))
        factory.registerClass(ns, P::Channel, [ns] {
            return std::make_shared<RawKeptExtension<extensionNSChannel>>(ns, P::Channel);
        });
    if (knownNamespaces::existsAt(ns, P::Item))
        factory.registerClass(ns, P::Item, [ns] {
            return std::make_shared<RawKeptExtension<extensionNSItem>>(ns, P::Item);
        });
}

double libxml2TreeParse(const QByteArray &bytes)
{
    const auto start = std::chrono::steady_clock::now();
    xmlDocPtr doc
        = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr, XML_PARSE_NONET);
    benchmark::DoNotOptimize(doc);
    const double took = secondsSince(start);
    xmlFreeDoc(doc);
    return doc ? took : -1;
}

std::shared_ptr<VLXFeed> open(const QByteArray &bytes, bool validate)
{
    FeedLoader::Request request;
    request.bytes = bytes;
    request.validate = validate;
    request.keepText = false;
    FeedLoader loader(std::move(request));
    return loader.run().feed;
}

namespace {
// The window's runner takes the progress into atomics for its dialog, and goes on.
class ThroughControl : public LoadControl
{
public:
    bool report(Stage stage, qint64 done, qint64 total) override
    {
        m_stage = int(stage);
        m_done = done;
        m_total = total;
        return true;
    }
    bool stopRequested() const override { return false; }

private:
    std::atomic<int> m_stage {0};
    std::atomic<qint64> m_done {0};
    std::atomic<qint64> m_total {0};
};
// Runs a load on a thread of its own, as the window's runner starts one for each load: its
// allocations come from an arena of the allocator's other than the main thread's, which grows
// its heap in other steps. The load makes its loader on the main thread (which copies the
// settings there), and so waits for this thread to turn its event loop, as the window's does
// meanwhile: an event loop that wakes as soon as a call is posted to it, as the window's does.
void runAsTheWindow(const std::function<void()> &load)
{
    std::unique_ptr<QThread> worker(QThread::create(load));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();
}
} // namespace

FeedDocument::Prepared openAsTheWindow(const QString &path)
{
    FeedDocument::Prepared prepared;
    runAsTheWindow([&prepared, &path] {
        ThroughControl control;
        if (!control.report(LoadControl::Stage::Decoding, 0, QFileInfo(path).size()))
            return;
        QString problem;
        std::optional<QByteArray> bytes
            = BoundedFileReader::read(path, vlxXMLDOM::maximumInputSize(), &problem);
        if (!bytes)
            return;
        FeedDocument::LoadOptions options;
        options.hideErrors = true;
        options.address = QUrl::fromLocalFile(path);
        prepared = FeedDocument::prepare(std::move(*bytes), QString(), options, {}, &control);
    });
    return prepared;
}

FeedDocument::Prepared openBytesAsTheWindow(QByteArray bytes)
{
    FeedDocument::Prepared prepared;
    runAsTheWindow([&prepared, &bytes] {
        ThroughControl control;
        if (!control.report(LoadControl::Stage::Decoding, 0, bytes.size()))
            return;
        FeedDocument::LoadOptions options;
        options.hideErrors = true;
        prepared = FeedDocument::prepare(std::move(bytes), QString(), options, {}, &control);
    });
    return prepared;
}

namespace {
// How the process opens the file for its peak; false when it did not open.
bool openFor(const QString &path, Kept kept)
{
    if (kept == Kept::WindowPath) {
        // The document keeps the bytes the load hands back (what Revert reads again).
        const FeedDocument::Prepared prepared = openAsTheWindow(path);
        return prepared.feed && !prepared.bytes.isNull();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    file.close();
    if (kept == Kept::Libxml2) {
        xmlDocPtr doc = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr,
                                      XML_PARSE_NONET);
        xmlFreeDoc(doc);
        return doc != nullptr;
    }
    FeedLoader::Request request;
    request.bytes = std::move(bytes);
    request.keepText = kept == Kept::Text;
    FeedLoader loader(std::move(request));
    return loader.run().feed != nullptr;
}
} // namespace

int printPeakOfOpening(const QString &path, Kept kept, int rawNamespace)
{
    if (rawNamespace >= 0 && size_t(rawNamespace) < knownNamespaces::table().size())
        keepRaw(KnownNamespace(rawNamespace), true);
    // The program's own code and tables are in memory before a user opens a big feed (the
    // window has shown one at start): a one-item opening first, so that what is measured is
    // what the feed costs, not the pages of code read in on first use.
    const QString warmUp = typicalFile(1);
    if (warmUp.isEmpty() || !openFor(warmUp, kept))
        return 1;
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long base = ProcessMemory::statusKiB("VmRSS");
    const long peak = openFor(path, kept) ? ProcessMemory::statusKiB("VmHWM") - base : -1;
    std::printf("%ld\n", peak);
    return peak < 0 ? 1 : 0;
}

long peakOfOpeningInChild(const QString &path, Kept kept, int rawNamespace)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(kPeakOption), path, QString::number(int(kept)),
                 QString::number(rawNamespace)});
    if (!child.waitForFinished(300000) || child.exitCode() != 0)
        return -1;
    bool ok = false;
    const long peak = child.readAllStandardOutput().trimmed().toLong(&ok);
    return ok ? peak : -1;
}

qint64 writeFeedFile(benchmark::State &state, const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        state.SkipWithError("the feed's file could not be written");
        return -1;
    }
    return bytes.size();
}

} // namespace Opening
