#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"

#include <QByteArray>
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

// Writes generated podcast feeds as RSS 2.0 and, side by side, has libxml2 serialise a tree of
// the very same document, so the two rates can be compared in one run. Throughput counts the
// UTF-8 bytes of the document.

namespace {

// A podcast episode as real feeds carry them: HTML in the description (escaped when written),
// an enclosure, a guid, a date and a category.
std::shared_ptr<VLXItems> episode(int i, int descriptionRepeats)
{
    auto item = std::make_shared<VLXItems>();
    item->setTitle(QStringLiteral("Episode %1: Tom & Jerry's \"best\" moments").arg(i));
    QString description;
    for (int r = 0; r < descriptionRepeats; ++r)
        description += QStringLiteral("<p>In this episode we talk about feeds, enclosures and "
                                      "the <a href=\"http://example.com/%1\">show notes</a>; "
                                      "listeners wrote in with questions.</p>\n")
                           .arg(i);
    item->setDescriptionElement(description);
    item->setLink(
        QStringLiteral("http://example.com/episodes/%1?utm_source=feed&utm_medium=rss").arg(i));
    item->setAuthor(QStringLiteral("host@example.com (The Host)"));
    categoryElement category;
    category.setCategoryString(QStringLiteral("Technology"));
    item->setCategory({category});
    item->setEnclosureAttrURL(QStringLiteral("http://media.example.com/episodes/%1.mp3").arg(i));
    item->setEnclosureAttrLength(QString::number(20000000 + i));
    item->setEnclosureAttrType(QStringLiteral("audio/mpeg"));
    item->setGUID(QStringLiteral("http://example.com/episodes/%1").arg(i));
    item->setGUIDAttr(1);
    item->setPubDate(
        QStringLiteral("Mon, 02 Mar 2026 09:%1:00 +0000").arg(i % 60, 2, 10, QLatin1Char('0')));
    return item;
}

std::unique_ptr<VLXFeed> podcast(int items, int descriptionRepeats)
{
    auto feed = std::make_unique<VLXFeed>();
    feed->setTitle(QStringLiteral("The Example Show"));
    feed->setDescriptionElement(QStringLiteral("A weekly show about examples."));
    feed->setLink(QStringLiteral("http://example.com/"));
    feed->setLanguage(QStringLiteral("en-us"));
    feed->setCopyright(QStringLiteral("(c) 2026 Example & Co"));
    feed->image()->setURL(QStringLiteral("http://example.com/logo.png"));
    feed->image()->setTitle(QStringLiteral("The Example Show"));
    feed->image()->setLink(QStringLiteral("http://example.com/"));
    for (int i = 0; i < items; ++i)
        feed->addItem(episode(i, descriptionRepeats));
    return feed;
}

// 10,000 episodes of about 1 KB each, or about 50 MB of episodes with long show notes.
const VLXFeed &feedFor(int which)
{
    static const auto small = podcast(10000, 2);
    static const auto large = podcast(25000, 10);
    return which == 0 ? *small : *large;
}

void BM_WriteRSS(benchmark::State &state)
{
    const VLXFeed &feed = feedFor(int(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        const QByteArray utf8 = feed.buildXML().toUtf8();
        bytes = utf8.size();
        benchmark::DoNotOptimize(utf8.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["MB"] = double(bytes) / 1e6;
}

void BM_WriteRSSText(benchmark::State &state)
{
    // The string alone, without the UTF-8 encoding a save adds.
    const VLXFeed &feed = feedFor(int(state.range(0)));
    const qint64 bytes = feed.buildXML().toUtf8().size();
    for (auto _ : state) {
        const QString xml = feed.buildXML();
        benchmark::DoNotOptimize(xml.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void BM_Libxml2Serialise(benchmark::State &state)
{
    const QByteArray source = feedFor(int(state.range(0))).buildXML().toUtf8();
    xmlDocPtr doc = xmlReadMemory(source.constData(), int(source.size()), "feed.xml", "UTF-8",
                                  XML_PARSE_NONET);
    if (!doc) {
        state.SkipWithError("libxml2 could not read the document");
        return;
    }
    qint64 bytes = 0;
    for (auto _ : state) {
        xmlChar *memory = nullptr;
        int size = 0;
        xmlDocDumpMemoryEnc(doc, &memory, &size, "UTF-8");
        bytes = size;
        benchmark::DoNotOptimize(memory);
        xmlFree(memory);
    }
    xmlFreeDoc(doc);
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["MB"] = double(bytes) / 1e6;
}

} // namespace

BENCHMARK(BM_WriteRSS)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteRSSText)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2Serialise)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
