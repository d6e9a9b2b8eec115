// Template exports of a generated podcast feed of 10,000 episodes: the HTML text alone, and the
// whole Export button of the export sheet (the text, its UTF-8 bytes and the atomic write).
#include "app/ExportSheet.h"
#include "common/PodcastFeed.h"
#include "io/VLXExportTemplate.h"
#include "model/VLXFeed.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
const QString kTemplate = QStringLiteral(VLX_TEMPLATES_DIR "/BasicWebpage.html");

const std::shared_ptr<VLXFeed> &feed()
{
    static const std::shared_ptr<VLXFeed> generated = PodcastFeed::podcast(10000, 2);
    return generated;
}

void BM_BuildHTMLExport(benchmark::State &state)
{
    qint64 bytes = 0;
    for (auto _ : state) {
        const QString html
            = feed()->buildExport(VLXExportTemplate::HTML, kTemplate, false, false, 0);
        bytes = html.toUtf8().size();
        benchmark::DoNotOptimize(html.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["MB"] = double(bytes) / 1e6;
}

void BM_ExportSheetHTML(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString destination = QDir(folder.path()).filePath(QStringLiteral("show.html"));
    ExportSheet sheet;
    sheet.exportFeed(feed(), QStringLiteral("bench-feed"), QStringLiteral("show.xml"));
    auto *type = sheet.findChild<QComboBox *>(QStringLiteral("exportType"));
    type->setCurrentIndex(1); // RSS to HTML
    sheet.exportTypeChanged();
    sheet.findChild<QLineEdit *>(QStringLiteral("exportTemplate"))->setText(kTemplate);
    sheet.findChild<QLineEdit *>(QStringLiteral("exportDestination"))->setText(destination);
    for (auto _ : state) {
        if (!sheet.exportDoExport()) {
            state.SkipWithError(sheet.resultText().toUtf8().constData());
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(destination).size());
    state.counters["MB"] = double(QFileInfo(destination).size()) / 1e6;
    sheet.exportDone();
}
} // namespace

BENCHMARK(BM_BuildHTMLExport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportSheetHTML)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
