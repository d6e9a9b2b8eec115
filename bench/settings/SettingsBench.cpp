#include "platform/MemoryDefaultsStore.h"
#include "platform/PlistDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// The settings store's costs as the feed list grows: loading the settings file, the full sparse
// save every setting change makes, per-feed reads (one-feed cache hits and misses) and the
// migration a feed gets when it first appears in the feed list.

namespace {

QVariantList feedEntries(int feeds)
{
    QVariantList entries;
    for (int i = 0; i < feeds; ++i) {
        entries.append(QVariantMap {
            {VLXPreferences::kUniqueKey, QStringLiteral("feed-%1").arg(i)},
            {QStringLiteral("FD_CF_Version"), 2.05f},
            {QStringLiteral("FTP_CF_RemotePath"), QStringLiteral("/www/feeds/%1").arg(i)},
            {QStringLiteral("OPML_CF_Included"), 1}});
    }
    return entries;
}

void BM_LoadSettingsFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vellumcast.plist"));
    {
        PlistDefaultsStore store(path);
        store.setObject(feedEntries(int(state.range(0))), VLXPreferences::kFeedArray);
        store.sync();
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(
            VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(path)).preferences());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadSettingsFile)->Arg(10)->Arg(100)->Arg(1000);

void BM_SparseSaveToFile(benchmark::State &state)
{
    QTemporaryDir dir;
    VLXPreferences &prefs = VLXPreferences::useStore(
        std::make_unique<PlistDefaultsStore>(dir.filePath(QStringLiteral("Vellumcast.plist"))));
    prefs.preferences().insert(VLXPreferences::kFeedArray, feedEntries(int(state.range(0))));
    int n = 0;
    for (auto _ : state) {
        // A changed value each time, so the file is really written.
        VLXPreferences::setObjectForKey(QStringLiteral("t%1").arg(++n),
                                        QStringLiteral("OPML_Title"));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SparseSaveToFile)->Arg(10)->Arg(100)->Arg(1000);

void BM_PerFeedReads(benchmark::State &state)
{
    const int feeds = int(state.range(0));
    VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>(
        QVariantMap {{VLXPreferences::kFeedArray, feedEntries(feeds)}}));
    const bool sameFeed = state.range(1) != 0;
    int i = 0;
    for (auto _ : state) {
        const QString id = QStringLiteral("feed-%1").arg(sameFeed ? feeds - 1 : (i++ % feeds));
        benchmark::DoNotOptimize(
            VLXPreferences::objectForKey(QStringLiteral("FTP_CF_RemotePath"), id));
    }
}
BENCHMARK(BM_PerFeedReads)->Args({100, 1})->Args({100, 0})->Args({1000, 1})->Args({1000, 0});

void BM_NewFeedMigration(benchmark::State &state)
{
    QTemporaryDir dir;
    VLXPreferences::useStore(
        std::make_unique<PlistDefaultsStore>(dir.filePath(QStringLiteral("Vellumcast.plist"))));
    VLXPreferences::sharedInstance().preferences().insert(VLXPreferences::kFeedArray,
                                                          feedEntries(int(state.range(0))));
    int n = 0;
    for (auto _ : state)
        VLXPreferences::checkVersion(QStringLiteral("new-%1").arg(++n));
}
BENCHMARK(BM_NewFeedMigration)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
