#include "model/VLXLogic.h"

#include <QStringList>
#include <benchmark/benchmark.h>

// Reads and writes 100,000 RFC 822 and W3C date texts per iteration, the work a validation
// of a large feed does per date field.

namespace {
constexpr int kDates = 100000;

QList<double> instants()
{
    QList<double> list;
    list.reserve(kDates);
    double t = 1136193072; // 2006-01-02
    for (int i = 0; i < kDates; ++i) {
        list.append(t);
        t += 3607.25; // hours apart, crossing daylight-saving changes
    }
    return list;
}

QStringList texts(bool w3c)
{
    QStringList list;
    list.reserve(kDates);
    for (double t : instants()) {
        list.append(w3c ? VLXLogic::createRDFDateString(
                        QDateTime::fromSecsSinceEpoch(qint64(t), Qt::OffsetFromUTC, 3600))
                        : VLXLogic::rfc822String(
                            QDateTime::fromSecsSinceEpoch(qint64(t), Qt::OffsetFromUTC, -18000)));
    }
    return list;
}

void BM_ReadRFC822(benchmark::State &state)
{
    const QStringList dates = texts(false);
    for (auto _ : state) {
        double sum = 0;
        for (const QString &date : dates)
            sum += VLXLogic::InternetDateTime(date);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kDates);
}
BENCHMARK(BM_ReadRFC822)->Unit(benchmark::kMillisecond);

void BM_ReadW3C(benchmark::State &state)
{
    const QStringList dates = texts(true);
    for (auto _ : state) {
        double sum = 0;
        for (const QString &date : dates)
            sum += VLXLogic::RDFInternetDateTime(date);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kDates);
}
BENCHMARK(BM_ReadW3C)->Unit(benchmark::kMillisecond);

void BM_WriteRFC822(benchmark::State &state)
{
    const QList<double> list = instants();
    for (auto _ : state) {
        qsizetype length = 0;
        for (double t : list)
            length += VLXLogic::internetDateStringFromInterval(t).size();
        benchmark::DoNotOptimize(length);
    }
    state.SetItemsProcessed(state.iterations() * kDates);
}
BENCHMARK(BM_WriteRFC822)->Unit(benchmark::kMillisecond);

void BM_WriteW3C(benchmark::State &state)
{
    const QList<double> list = instants();
    for (auto _ : state) {
        qsizetype length = 0;
        for (double t : list)
            length += VLXLogic::createRDFDateString(
                          QDateTime::fromSecsSinceEpoch(qint64(t), Qt::LocalTime))
                          .size();
        benchmark::DoNotOptimize(length);
    }
    state.SetItemsProcessed(state.iterations() * kDates);
}
BENCHMARK(BM_WriteW3C)->Unit(benchmark::kMillisecond);

// The strict repair of whole-feed validation on already well-formed dates.
void BM_RepairWellFormedRFC822(benchmark::State &state)
{
    const QStringList dates = texts(false);
    for (auto _ : state) {
        qsizetype length = 0;
        for (const QString &date : dates)
            length += VLXLogic::FixInternetDateTime(date, true, nullptr).size();
        benchmark::DoNotOptimize(length);
    }
    state.SetItemsProcessed(state.iterations() * kDates);
}
BENCHMARK(BM_RepairWellFormedRFC822)->Unit(benchmark::kMillisecond);

void BM_ConvertW3CToRFC822(benchmark::State &state)
{
    const QStringList dates = texts(true);
    for (auto _ : state) {
        qsizetype length = 0;
        for (const QString &date : dates)
            length += VLXLogic::convertValidDateToRFC822(date).size();
        benchmark::DoNotOptimize(length);
    }
    state.SetItemsProcessed(state.iterations() * kDates);
}
BENCHMARK(BM_ConvertW3CToRFC822)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
