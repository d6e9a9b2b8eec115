// Whole-feed validation and sorting on a generated feed held in memory.

#include "model/VLXFeed.h"
#include "model/VLXItems.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QRandomGenerator>

namespace {

const char *const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char *const kMonths[]
    = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// A valid RFC 822 date for a random instant between 2000 and 2020, in UTC.
QString randomDate(QRandomGenerator &random)
{
    const QDateTime when
        = QDateTime::fromSecsSinceEpoch(946684800 + qint64(random.bounded(631152000)), Qt::UTC);
    return QStringLiteral("%1, %2 %3 %4 %5 +0000")
        .arg(QLatin1String(kDays[when.date().dayOfWeek() % 7]))
        .arg(when.date().day(), 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(kMonths[when.date().month() - 1]))
        .arg(when.date().year())
        .arg(when.time().toString(QStringLiteral("HH:mm:ss")));
}

std::unique_ptr<VLXFeed> makeFeed(int items)
{
    QRandomGenerator random(20061);
    auto feed = std::make_unique<VLXFeed>();
    feed->setTitle(QStringLiteral("Benchmark feed"));
    feed->setDescriptionElement(QStringLiteral("Generated items"));
    feed->setLink(QStringLiteral("http://example.com/"));
    feed->setPubDate(randomDate(random));
    for (int i = 0; i < items; ++i) {
        auto item = std::make_shared<VLXItems>();
        item->setTitle(QStringLiteral("Episode %1").arg(i));
        item->setDescriptionElement(QStringLiteral("About <b>episode</b> %1 & more").arg(i));
        item->setLink(QStringLiteral("http://example.com/episodes/%1").arg(i));
        item->setGUID(QStringLiteral("http://example.com/episodes/%1").arg(i));
        item->setGUIDAttr(1);
        item->setPubDate(randomDate(random));
        item->setAuthor(QStringLiteral("host@example.com"));
        item->setEnclosureAttrURL(QStringLiteral("http://example.com/media/%1.mp3").arg(i));
        item->setEnclosureAttrLength(QString::number(1000000 + i));
        item->setEnclosureAttrType(QStringLiteral("audio/mpeg"));
        feed->addItem(item);
    }
    return feed;
}

void BM_ValidateFeed(benchmark::State &state)
{
    const int n = int(state.range(0));
    const std::unique_ptr<VLXFeed> feed = makeFeed(n);
    for (auto _ : state) {
        feed->clearParseXMLErrorList();
        feed->validate();
        benchmark::DoNotOptimize(feed->parseXMLErrorCount());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ValidateFeed)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_SortByPubDate(benchmark::State &state)
{
    const int n = int(state.range(0));
    const std::unique_ptr<VLXFeed> feed = makeFeed(n);
    const VLXFeed::ItemList original = feed->arrayOfItems();
    for (auto _ : state) {
        state.PauseTiming();
        feed->removeAllItems();
        for (const auto &item : original)
            feed->addItem(item);
        state.ResumeTiming();
        benchmark::DoNotOptimize(feed->sortItemsByNumberField(QStringLiteral("pubDate"), true));
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SortByPubDate)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_SortByTitle(benchmark::State &state)
{
    const int n = int(state.range(0));
    const std::unique_ptr<VLXFeed> feed = makeFeed(n);
    const VLXFeed::ItemList original = feed->arrayOfItems();
    for (auto _ : state) {
        state.PauseTiming();
        feed->removeAllItems();
        for (const auto &item : original)
            feed->addItem(item);
        state.ResumeTiming();
        benchmark::DoNotOptimize(feed->sortItemsByStringField(QStringLiteral("title"), false));
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_SortByTitle)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
