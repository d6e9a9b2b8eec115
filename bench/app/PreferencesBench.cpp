// The preferences window over a settings file of 1,000 feed entries: opening it (every page
// filled, the navigation read and pruned), its first opening (every page built as well), and OK
// without changes (every page read back and compared with the live settings).
// Runs on the offscreen platform unless another is asked for:
//   build/bench/bench_preferences
#include "platform/PlistDefaultsStore.h"
#include "prefs/PreferencesWindow.h"
#include "settings/VLXPreferences.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kEntries = 1000;

struct Setting
{
    QTemporaryDir dir;
    std::unique_ptr<PreferencesWindow> window;

    Setting()
    {
        const QString path = dir.filePath(QStringLiteral("Vellumcast.plist"));
        {
            PlistDefaultsStore file(path);
            QVariantList entries;
            for (int i = 0; i < kEntries; ++i) {
                entries.append(QVariantMap {
                    {QStringLiteral("FD_CF_ArrayUniqueKey"), QStringLiteral("feed-%1").arg(i)},
                    {QStringLiteral("FD_CF_IF_Author"),
                     QStringLiteral("author%1@example.org").arg(i)},
                    {QStringLiteral("FTP_CF_RemotePath"), QStringLiteral("/feeds/%1").arg(i)},
                    {QStringLiteral("FD_CF_SD_Enabled"), 1},
                });
            }
            file.setObject(entries, QStringLiteral("FD_CF_Array"));
            file.sync();
        }
        VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(path));
        window = std::make_unique<PreferencesWindow>();
    }
    void open()
    {
        window->openPanel(VLXPreferences::sharedInstance(), QStringLiteral("feed-500"), {});
    }
};

Setting &shared()
{
    static Setting setting;
    return setting;
}

void BM_OpenThePreferencesWindow(benchmark::State &state)
{
    Setting &s = shared();
    for (auto _ : state) {
        s.open();
        state.PauseTiming();
        s.window->revert();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenThePreferencesWindow)->Unit(benchmark::kMillisecond)->Iterations(20);

// The first opening of a run: every page built, then filled.
void BM_FirstOpeningBuildsEveryPage(benchmark::State &state)
{
    shared();
    for (auto _ : state) {
        PreferencesWindow window;
        window.openPanel(VLXPreferences::sharedInstance(), QStringLiteral("feed-500"), {});
        state.PauseTiming();
        window.revert();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstOpeningBuildsEveryPage)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_OKWithoutChanges(benchmark::State &state)
{
    Setting &s = shared();
    for (auto _ : state) {
        state.PauseTiming();
        s.open();
        state.ResumeTiming();
        s.window->ok();
    }
    if (VLXPreferences::sharedInstance().preferences().value("FD_CF_Array").toList().size()
        != kEntries)
        state.SkipWithError("the entries changed");
}
BENCHMARK(BM_OKWithoutChanges)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    shared().window.reset();
    return 0;
}
