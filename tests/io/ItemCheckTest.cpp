// The check behind the repairs made before parsing: a repaired document that holds fewer items
// than the text as written starts is refused at the first item lost, whatever rule took it; a
// feed that holds items where no feed reader looks (an extension's, an entry's history) counts
// them on both sides and never fails it.
#include "io/ItemCheck.h"
#include "FeedReadTest.h"
#include "xml/vlxXMLDOM.h"

#include <QDirIterator>

using namespace Qt::StringLiterals;

namespace {

using ItemChecks = FeedReadTest;

// The lost item's line the check names for a text and the document made of `repaired`.
int firstLost(const QString &written, const QString &repaired)
{
    vlxXMLDOM dom(repaired);
    EXPECT_TRUE(dom.xmlTree()) << dom.errorDescription().toStdString();
    return ItemCheck::firstLost(ItemCheck::itemTagsOf(written), dom.linesOfItems());
}

} // namespace

// A rule that escapes a value as far as the next end tag of its name (the value left open, as the
// repairs once read it) takes the items between into it: the check names the first item start
// tag that did not become an item, written or spaced, in each format.
TEST_F(ItemChecks, AnItemTakenIntoAValueIsRefusedAtItsStart)
{
    const struct
    {
        const char *what;
        QString written;
        int lost;
    } rows[] = {
        {"RSS 2.0",
         u"<rss>\n<channel>\n<item>\n<title>One & more\n<link>x</link>\n</item>\n<item>\n"
         u"<title>Two</title>\n</item>\n</channel>\n</rss>"_s,
         7},
        {"RSS 1.0, two items on a line",
         u"<rdf:RDF>\n<item><title>One & more</item><item>\n<title>Two</title></item>\n"
         u"<item>\n<title>Three</title></item>\n</rdf:RDF>"_s,
         2},
        {"Atom, an entry start tag on three lines",
         u"<feed>\n<entry>\n<title>One & more\n</entry>\n<entry\n xml:lang=\"en\"\n>\n"
         u"<title>Two</title>\n</entry>\n</feed>"_s,
         5},
        {"spaced, a prefix",
         u"<rdf:RDF>\n<rss:item>\n<title>One & more\n</rss:item>\n  < rss:item>\n"
         u"<title>Two</title>\n</rss:item>\n</rdf:RDF>"_s,
         5},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        // The planted rule: the value from its start tag to the next end tag of its name,
        // escaped.
        const qsizetype start = row.written.indexOf(u"<title>") + 7;
        const qsizetype end = row.written.indexOf(u"</title>", start);
        QString merged = row.written;
        merged.replace(
            start, end - start,
            VLXParseFeed::encodeIllegalXMLCharacters(row.written.sliced(start, end - start)));
        // The spaced tags the repairs mend where a tool writes them.
        merged.replace(u"< rss:item>"_s, u"<rss:item>"_s);
        EXPECT_EQ(firstLost(row.written, merged), row.lost);
    }
    EXPECT_FALSE(ItemCheck::description().isEmpty());
}

// Items and entries where the feed readers do not look count on both sides: a well-formed text
// never fails the check, nor does one the repairs mend; every feed of the test data that opens
// passes it.
TEST_F(ItemChecks, AFeedThatOpensKeepsEveryItemItStarts)
{
    const QString entryInHistory
        = u"<feed xmlns=\"http://www.w3.org/2005/Atom\">\n<title>Q & A</title>\n<entry>\n"
          u"<title>One</title>\n<id>urn:1</id>\n<x:history xmlns:x=\"urn:x\">\n"
          u"<entry><title>Old</title><id>urn:0</id></entry>\n</x:history>\n</entry>\n"
          u"<entry><title>Two</title><id>urn:2</id></entry>\n</feed>"_s;
    const QString itemInAnExtension
        = u"<feed xmlns=\"http://www.w3.org/2005/Atom\">\n<title>Q & A</title>\n<entry>\n"
          u"<title>One</title>\n<id>urn:1</id>\n<x:list xmlns:x=\"urn:x\"><x:item>a</x:item>"
          u"<item>b</item></x:list>\n</entry>\n</feed>"_s;
    QStringList texts {entryInHistory, itemInAnExtension};
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
    // The two opened, the repairs made, with their items.
    EXPECT_EQ(opened({}, entryInHistory).feed->countOfItems(), 2);
    EXPECT_EQ(opened({}, itemInAnExtension).feed->countOfItems(), 1);
}
