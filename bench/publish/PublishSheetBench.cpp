// The publish sheet for a podcast of 500 episodes, each with its enclosure on disk: filling the
// sheet (every file looked at once, the tables shown) from the Publish command to the sheet on
// screen, and the table rows alone. Runs on the offscreen platform unless another is asked for:
//   build/bench/bench_publishsheet
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/ScriptedAlertService.h"
#include "publish/PublishWindow.h"
#include "publish/vlxFTP.h"
#include "settings/VLXPreferences.h"
#include "settings/VLXSite.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <benchmark/benchmark.h>

namespace {

constexpr int kEnclosures = 500;
const QString kFeedKey = QStringLiteral("BENCH");

// A feed whose items each have a local enclosure file, a local site chosen for it, and the
// sheet over a publisher of its own.
struct Podcast
{
    QTemporaryDir files;
    VLXFeed feed;
    vlxFTP publisher;
    PublishWindow sheet {publisher};
    QWidget feedWindow;

    Podcast()
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        ScriptedAlertService::install();
        feed.setTitle(QStringLiteral("Big Show"));
        for (int i = 0; i < kEnclosures; ++i) {
            const QString path = QDir(files.path()).filePath(QStringLiteral("ep%1.mp3").arg(i));
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write("sound");
            auto item = std::make_shared<VLXItems>();
            item->setTitle(QStringLiteral("Episode %1").arg(i));
            item->setEnclosureAttrURL(QStringLiteral("https://example.org/ep%1.mp3").arg(i));
            item->setLocalEnclosureFilePath(path);
            // Every other one sent already.
            if (i % 2)
                item->setLastUploaded(QDateTime::currentDateTime().addDays(1));
            feed.addItem(item);
        }
        auto site = std::make_shared<VLXSite>();
        site->setType(3);
        site->setSiteName(QStringLiteral("Folders"));
        VLXPreferences::updatePubSite(site);
        VLXPreferences::setObjectForKey(site->siteIdentifier(), QStringLiteral("FTP_CF_PubSiteID"),
                                        kFeedKey);
        feedWindow.resize(900, 800);
        feedWindow.show();
    }
};

Podcast &shared()
{
    static Podcast podcast;
    return podcast;
}

void BM_FillThePublishSheetFor500Enclosures(benchmark::State &state)
{
    Podcast &podcast = shared();
    for (auto _ : state) {
        // The sheet is painted once and closed as soon as its modal run has begun: what is
        // measured is filling it and getting it on screen.
        QTimer::singleShot(0, &podcast.sheet, [&] {
            benchmark::DoNotOptimize(podcast.sheet.uploadWindow()->grab());
            podcast.sheet.closeWindow();
        });
        podcast.sheet.uploadFile(&podcast.feedWindow, {&podcast.feed, kFeedKey, false});
    }
    if (podcast.publisher.itemsWithEnclosures().size() != kEnclosures
        || !podcast.sheet.isShowingContents())
        state.SkipWithError("the sheet does not show the enclosure table");
    state.SetItemsProcessed(state.iterations() * kEnclosures);
}
BENCHMARK(BM_FillThePublishSheetFor500Enclosures)->Unit(benchmark::kMillisecond);

void BM_RebuildTheRowsOf500Enclosures(benchmark::State &state)
{
    Podcast &podcast = shared();
    podcast.publisher.setFeed(&podcast.feed, kFeedKey);
    for (auto _ : state) {
        podcast.publisher.rebuildEnclosureRows();
        benchmark::DoNotOptimize(podcast.publisher.itemsWithEnclosures().size());
    }
    state.SetItemsProcessed(state.iterations() * kEnclosures);
}
BENCHMARK(BM_RebuildTheRowsOf500Enclosures)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
