// The check behind the repairs made before parsing: a repaired document that holds fewer items
// than the text as written starts is refused at the first item lost, whatever rule took it; a
// feed that holds items where no feed reader looks (an extension's, an entry's history), or
// tags the parser names otherwise (":item", "a:b:item"), never fails it.
#include "io/ItemCheck.h"
#include "FeedReadTest.h"
#include "common/PlantedMerge.h"
#include "xml/vlxXMLDOM.h"

#include <QDirIterator>

using namespace Qt::StringLiterals;

using ItemChecks = FeedReadTest;

// With a merging rule planted, each feed is refused at the first item start tag that did not
// become an item, written or spaced, in each format and with each line end: by the reader's
// check, by its read without the check, and by the window's loader of a file.
TEST_F(ItemChecks, AnItemTakenIntoAValueIsRefusedAtItsStart)
{
    const struct
    {
        const char *what;
        QString text;
        int lost;
    } rows[] = {
        {"RSS 2.0",
         u"<rss>\n<channel>\n<item>\n<title>One & more\n<link>x</link>\n</item>\n<item>\n"
         u"<title>Two</title>\n</item>\n</channel>\n</rss>"_s,
         7},
        {"RSS 1.0, two items on a line",
         u"<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
         u"xmlns=\"http://purl.org/rss/1.0/\">\n<channel><title>C</title></channel>\n"
         u"<item><title>One & more</item><item>\n<title>Two</title></item>\n"
         u"<item>\n<title>Three</title></item>\n</rdf:RDF>"_s,
         3},
        {"Atom, an entry start tag on three lines",
         u"<feed xmlns=\"http://www.w3.org/2005/Atom\">\n<entry>\n<title>One & more\n</entry>\n"
         u"<entry\n xml:lang=\"en\"\n>\n<title>Two</title>\n</entry>\n</feed>"_s,
         5},
        {"spaced, a prefix",
         u"<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
         u"xmlns:rss=\"http://purl.org/rss/1.0/\">\n<rss:channel><title>C</title></rss:channel>\n"
         u"<rss:item>\n<title>One & more\n</rss:item>\n  < rss:item>\n"
         u"<title>Two</title>\n</rss:item>\n</rdf:RDF>"_s,
         6},
    };
    const PlantedMerge planted;
    const auto words = [](const QVariantMap &error) {
        return error.value(QLatin1String(vlxXMLDOM::kErrorDescriptionKey)).toString();
    };
    for (const auto &row : rows) {
        for (const char *lineEnd : {"\n", "\r\n", "\r"}) {
            const QString text = QString(row.text).replace(u"\n"_s, QLatin1String(lineEnd));
            SCOPED_TRACE(text.toStdString());
            // The line and the words of each refusal: the reader's check, its read without the
            // check, the window's loader.
            std::vector<std::pair<int, QString>> refusals;
            read(text);
            refusals.emplace_back(parser->refusalLine(), words(parser->errorDictionary()));
            parser = std::make_unique<VLXParseFeed>();
            parser->parseFeed(text, u"base"_s, nullptr);
            refusals.emplace_back(parser->refusalLine(), words(parser->errorDictionary()));
            const FeedLoader::Result loaded = opened(text.toUtf8());
            refusals.emplace_back(loaded.reasonLine, words(loaded.error));
            EXPECT_EQ(refusals, std::vector(3, std::pair {row.lost, ItemCheck::description()}));
        }
    }
}

// Items and entries where the feed readers do not look count on both sides, and a tag counts
// only where the parser names an item: a well-formed text never fails the check, nor does one
// the repairs mend; every feed of the test data that opens passes it.
TEST_F(ItemChecks, AFeedThatOpensKeepsEveryItemItStarts)
{
    const auto rss = [](const QString &inChannel) {
        return u"<rss version=\"2.0\" xmlns:a=\"urn:a\">\n<channel>\n<title>Q & A</title>\n%1\n"
               u"<item><title>One</title></item>\n<item><title>Two</title></item>\n"
               u"</channel>\n</rss>"_s.arg(inChannel);
    };
    const struct
    {
        const char *what;
        QString text;
        int items;
    } feeds[] = {
        {"an entry in another's history",
         u"<feed xmlns=\"http://www.w3.org/2005/Atom\">\n<title>Q & A</title>\n<entry>\n"
         u"<title>One</title>\n<id>urn:1</id>\n<x:history xmlns:x=\"urn:x\">\n"
         u"<entry><title>Old</title><id>urn:0</id></entry>\n</x:history>\n</entry>\n"
         u"<entry><title>Two</title><id>urn:2</id></entry>\n</feed>"_s,
         2},
        {"items in an extension",
         u"<feed xmlns=\"http://www.w3.org/2005/Atom\">\n<title>Q & A</title>\n<entry>\n"
         u"<title>One</title>\n<id>urn:1</id>\n<x:list xmlns:x=\"urn:x\"><x:item>a</x:item>"
         u"<item>b</item></x:list>\n</entry>\n</feed>"_s,
         1},
        // The reader takes it for an item too.
        {"an Item element beside the items", rss(u"<Item>Not an item</Item>"_s), 3},
        {"a name led by a colon", rss(u"<:item/>"_s), 2},
        {"a name of two prefixes", rss(u"<a:b:item/>"_s), 2},
        {"a name of an empty part", rss(u"<a::item/>"_s), 2},
        {"a spaced name led by a colon", rss(u"< :item/>"_s), 2},
        {"a name of another letter", rss(u"<a:\u0130tem/>"_s), 2},
    };
    QStringList texts;
    for (const auto &feed : feeds) {
        SCOPED_TRACE(feed.what);
        const FeedLoader::Result result = opened({}, feed.text);
        ASSERT_EQ(result.outcome, FeedLoader::Outcome::Loaded) << descriptionOf(result).toStdString();
        EXPECT_EQ(result.feed->countOfItems(), feed.items);
        texts << feed.text;
    }
    for (const QString &folder : {u"feeds"_s, u"roundtrip"_s}) {
        QDirIterator files(TestSupport::dataPath(folder), {u"*.xml"_s}, QDir::Files);
        while (files.hasNext())
            texts << VLXParseFeed::stringFromXMLData(
                TestSupport::readData(folder + u'/' + files.next().section(u'/', -1)));
    }
    int checked = 0;
    for (const QString &text : std::as_const(texts)) {
        if (text.isNull())
            continue;
        SCOPED_TRACE(text.left(300).toStdString());
        const FeedLoader::Result result = opened({}, text);
        if (result.outcome != FeedLoader::Outcome::Loaded)
            continue;
        const QString work = VLXParseFeed::workingCopy(text);
        QStringList messages;
        vlxXMLDOM dom(VLXParseFeed::repairText(work, &messages));
        if (!dom.xmlTree())
            continue; // read as it stands, with none of the repairs made
        EXPECT_EQ(ItemCheck::firstLost(ItemCheck::itemTagsOf(work), dom.linesOfItems()), 0);
        ++checked;
    }
    EXPECT_GT(checked, 40);
}
