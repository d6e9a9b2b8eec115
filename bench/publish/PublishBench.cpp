// Publishing to the local FTP server: 500 enclosures and a 50 MB feed through the publisher,
// side by side with the curl command line sending the same files in the same run. Reports the
// cost per file, the resident memory the run adds (which must not grow with the enclosures'
// total size), that progress restarts for every file, and how soon Abort ends a transfer.

#include "common/LocalServer.h"
#include "io/CURLHandle.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "platform/MemoryDefaultsStore.h"
#include "publish/vlxFTP.h"
#include "settings/VLXPreferences.h"
#include "settings/VLXSite.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <unistd.h>

namespace {

constexpr int kEnclosures = 500;
const QString kUser = QStringLiteral("bench");
const QString kPassword = QStringLiteral("bench");

// The window as far as a run needs it: what to send, and a count of what it was told.
class BenchView : public PublishView
{
public:
    bool isOn(Toggle toggle) const override { return toggles.value(toggle); }
    void setOn(Toggle toggle, bool on) override { toggles.insert(toggle, on); }
    QString text(Field field) const override { return fields.value(field); }
    void setText(Field field, const QString &text) override { fields.insert(field, text); }
    bool isSectionOpen(Table) const override { return true; }
    void setSectionOpen(Table, bool) override { }
    void reloadTable(Table) override { }
    void setStatus(const QString &text) override { status = text; }
    void setProgress(const Progress &p) override
    {
        // Each file's bar starts at 0 once its block is in the log; it never passes the size.
        if (p.determinate && p.value == 0 && awaitingStart) {
            ++fileStarts;
            awaitingStart = false;
        }
        if (p.value > p.maximum)
            ++overshoots;
    }
    void setLastPublished(Stamp, const QString &) override { }
    void setRunning(bool) override { }
    void transferLogCleared() override { }
    void transferLogAppended(const QString &text) override
    {
        if (text.contains(QLatin1String("REMOTE FILENAME: ")))
            awaitingStart = true;
    }
    void showAlertSheet(const Alert &) override { }
    void imageConversionEnded(bool) override { }
    void closeWindow() override { }

    QHash<Toggle, bool> toggles;
    QHash<Field, QString> fields;
    QString status;
    int fileStarts = 0;
    int overshoots = 0;
    bool awaitingStart = false;
};

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

// One FTP server, the enclosure files and the feeds, made once for all benchmarks.
struct Setup
{
    QTemporaryDir local;
    QTemporaryDir remote;
    LocalServer server;
    LocalServer slowServer;
    QTemporaryDir slowRemote;

    Setup()
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
        const QStringList login {QStringLiteral("--user"), kUser, QStringLiteral("--password"),
                                 kPassword};
        if (!server.startScript(QStringLiteral("ftp_server.py"),
                                QStringList {QStringLiteral("--root"), remote.path()} + login))
            qFatal("FTP server: %s", qPrintable(server.errorString()));
        if (!slowServer.startScript(QStringLiteral("ftp_server.py"),
                                    QStringList {QStringLiteral("--root"), slowRemote.path(),
                                                 QStringLiteral("--throttle"),
                                                 QStringLiteral("2000000")}
                                        + login))
            qFatal("FTP server: %s", qPrintable(slowServer.errorString()));
    }

    // kEnclosures files of the given size, made on first use.
    QStringList enclosures(int kilobytes)
    {
        const QString dir = local.filePath(QStringLiteral("enc%1").arg(kilobytes));
        QStringList paths;
        QDir().mkpath(dir);
        const QByteArray bytes(kilobytes * 1024, 'e');
        for (int i = 0; i < kEnclosures; ++i) {
            const QString path = dir + QStringLiteral("/episode-%1.mp3").arg(i);
            if (!QFile::exists(path)) {
                QFile file(path);
                if (file.open(QIODevice::WriteOnly))
                    file.write(bytes);
            }
            paths.append(path);
        }
        return paths;
    }
};

Setup &setup()
{
    static Setup *instance = new Setup;
    return *instance;
}

std::shared_ptr<VLXSite> siteFor(const LocalServer &server)
{
    auto site = std::make_shared<VLXSite>();
    site->setType(1);
    site->setFtpServer(QStringLiteral("127.0.0.1:%1").arg(server.port()));
    site->setFtpUsername(kUser);
    site->setFtpUsePASV(1);
    site->setFtpUseEPSV(1);
    return site;
}

bool runUntilIdle(vlxFTP &publisher, int timeoutMs = 600000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (publisher.isRunning() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return !publisher.isRunning();
}

// Publishes every enclosure through vlxFTP; resident memory is sampled while the run goes on.
void BM_PublishEnclosures(benchmark::State &state)
{
    const int kilobytes = int(state.range(0));
    const QStringList paths = setup().enclosures(kilobytes);
    VLXFeed feed;
    BenchView view;
    vlxFTP publisher;
    publisher.setView(&view);
    publisher.setFeed(&feed, QStringLiteral("BENCH"));
    publisher.setSite(siteFor(setup().server));
    view.setText(PublishView::Field::Password, kPassword);
    view.setText(PublishView::Field::RemoteEnclosurePath, QStringLiteral("ours"));
    for (const QString &path : paths) {
        auto item = std::make_shared<VLXItems>();
        item->setEnclosureAttrURL(QStringLiteral("http://example.com/")
                                  + QFileInfo(path).fileName());
        item->setLocalEnclosureFilePath(path);
        publisher.itemsWithEnclosures().append({item, nullptr, 1, {}});
    }
    qint64 peak = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { peak = qMax(peak, residentBytes()); });
    const qint64 before = residentBytes();
    int fileStarts = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    for (auto _ : state) {
        for (auto &row : publisher.itemsWithEnclosures())
            row.checked = 1;
        view.setOn(PublishView::Toggle::UploadEnclosure, true);
        view.fileStarts = 0;
        sampler.start(10);
        publisher.upload();
        if (!runUntilIdle(publisher) || publisher.publishFailure() != 0)
            state.SkipWithError(qPrintable(view.status));
        sampler.stop();
        fileStarts = view.fileStarts;
    }
    const double files = double(state.iterations()) * kEnclosures;
    state.SetBytesProcessed(int64_t(files * kilobytes * 1024));
    state.counters["per_file_ms"] = double(elapsed.elapsed()) / files;
    state.counters["total_MB"] = double(kEnclosures) * kilobytes / 1024.0;
    state.counters["rss_added_MB"] = double(qMax<qint64>(0, peak - before)) / (1024.0 * 1024.0);
    state.counters["progress_starts"] = fileStarts;
    state.counters["progress_overshoots"] = view.overshoots;
}
BENCHMARK(BM_PublishEnclosures)->Arg(20)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same files with the curl command line: one process a file, as a script would do it.
void BM_CurlEachFile(benchmark::State &state)
{
    const QStringList paths = setup().enclosures(int(state.range(0)));
    const QString base = QStringLiteral("ftp://127.0.0.1:%1/curl-each/").arg(setup().server.port());
    QElapsedTimer elapsed;
    elapsed.start();
    for (auto _ : state) {
        for (const QString &path : paths) {
            const int code = QProcess::execute(
                QStringLiteral("curl"),
                {QStringLiteral("-s"), QStringLiteral("--ftp-create-dirs"), QStringLiteral("-u"),
                 kUser + u':' + kPassword, QStringLiteral("-T"), path, base});
            if (code != 0)
                state.SkipWithError("curl failed");
        }
    }
    const double files = double(state.iterations()) * kEnclosures;
    state.SetBytesProcessed(int64_t(files * double(state.range(0)) * 1024));
    state.counters["per_file_ms"] = double(elapsed.elapsed()) / files;
}
BENCHMARK(BM_CurlEachFile)->Arg(20)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same files with one curl process for all of them, reusing its connection.
void BM_CurlOneProcess(benchmark::State &state)
{
    const QStringList paths = setup().enclosures(int(state.range(0)));
    const QString base = QStringLiteral("ftp://127.0.0.1:%1/curl-one/").arg(setup().server.port());
    const QString config
        = setup().local.filePath(QStringLiteral("curl-%1.conf").arg(state.range(0)));
    QFile file(config);
    if (file.open(QIODevice::WriteOnly)) {
        for (const QString &path : paths)
            file.write(
                QStringLiteral("upload-file = \"%1\"\nurl = \"%2\"\n").arg(path, base).toUtf8());
        file.close();
    }
    QElapsedTimer elapsed;
    elapsed.start();
    for (auto _ : state) {
        const int code = QProcess::execute(
            QStringLiteral("curl"),
            {QStringLiteral("-s"), QStringLiteral("--ftp-create-dirs"), QStringLiteral("-u"),
             kUser + u':' + kPassword, QStringLiteral("-K"), config});
        if (code != 0)
            state.SkipWithError("curl failed");
    }
    const double files = double(state.iterations()) * kEnclosures;
    state.SetBytesProcessed(int64_t(files * double(state.range(0)) * 1024));
    state.counters["per_file_ms"] = double(elapsed.elapsed()) / files;
}
BENCHMARK(BM_CurlOneProcess)->Arg(20)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();

// A podcast feed of about 50 MB of RSS text.
std::unique_ptr<VLXFeed> bigFeed()
{
    auto feed = std::make_unique<VLXFeed>();
    feed->setTitle(QStringLiteral("Big Show"));
    feed->setLink(QStringLiteral("http://example.com/"));
    feed->setDescriptionElement(QStringLiteral("A feed of many long episodes."));
    const QString notes = QString(1800, u'n');
    for (int i = 0; i < 25000; ++i) {
        auto item = std::make_shared<VLXItems>();
        item->setTitle(QStringLiteral("Episode %1").arg(i));
        item->setDescriptionElement(notes);
        item->setEnclosureAttrURL(QStringLiteral("http://example.com/e%1.mp3").arg(i));
        feed->addItem(item);
    }
    return feed;
}

// Builds and sends the 50 MB feed.
void BM_PublishFeed50MB(benchmark::State &state)
{
    const auto feed = bigFeed();
    BenchView view;
    vlxFTP publisher;
    publisher.setView(&view);
    publisher.setFeed(feed.get(), QStringLiteral("BIG"));
    publisher.setSite(siteFor(setup().server));
    view.setText(PublishView::Field::Password, kPassword);
    view.setText(PublishView::Field::RemoteFilename, QStringLiteral("big.xml"));
    for (auto _ : state) {
        view.setOn(PublishView::Toggle::UploadXML, true);
        publisher.upload();
        if (!runUntilIdle(publisher) || publisher.publishFailure() != 0)
            state.SkipWithError(qPrintable(view.status));
    }
    const qint64 size = QFileInfo(setup().remote.filePath(QStringLiteral("big.xml"))).size();
    state.SetBytesProcessed(int64_t(state.iterations()) * size);
    state.counters["feed_MB"] = double(size) / (1024.0 * 1024.0);
}
BENCHMARK(BM_PublishFeed50MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Abort while the 50 MB feed goes to a server that takes 2 MB a second: time until the run ends.
void BM_AbortLatency(benchmark::State &state)
{
    const auto feed = bigFeed();
    BenchView view;
    vlxFTP publisher;
    publisher.setView(&view);
    publisher.setFeed(feed.get(), QStringLiteral("BIG"));
    publisher.setSite(siteFor(setup().slowServer));
    view.setText(PublishView::Field::Password, kPassword);
    view.setText(PublishView::Field::RemoteFilename, QStringLiteral("big.xml"));
    double worst = 0;
    for (auto _ : state) {
        view.setOn(PublishView::Toggle::UploadXML, true);
        publisher.upload();
        QDeadlineTimer wait(1500);
        while (!wait.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QElapsedTimer timer;
        timer.start();
        publisher.abort();
        if (!runUntilIdle(publisher, 10000))
            state.SkipWithError("the run did not end");
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        worst = qMax(worst, ms);
        state.SetIterationTime(ms / 1000.0);
    }
    state.counters["worst_abort_ms"] = worst;
}
BENCHMARK(BM_AbortLatency)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CURLHandle::curlGoodbye();
    return 0;
}
