// Feeds that are not well-formed: the parser's message reaches the user in its own words, with
// only the names it takes from the file cut; a fault the repairs were written for (a bare "&" or
// "<" in a title or a description) is repaired and the feed read, on every path that reads one;
// any other is refused at the line XML names.
#include "FeedReadTest.h"
#include "io/FeedLoader.h"
#include "xml/vlxXMLDOM.h"

using namespace Qt::StringLiterals;

namespace {

using BrokenFeeds = FeedReadTest;

const QByteArray kProlog = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

int lineOf(const FeedLoader::Result &result)
{
    return result.error.value(QLatin1String(vlxXMLDOM::kErrorLineNumberKey)).toInt();
}

// An RSS 2.0 feed with `lines` line breaks after its channel's start tag, then `rest`.
QByteArray rssWith(const QByteArray &rest, int lines = 0)
{
    return kProlog + "<rss version=\"2.0\"><channel>" + QByteArray(lines, '\n') + rest
        + "</channel></rss>\n";
}

} // namespace

// What no listed repair reads (a bare "&" in a link, a tag that does not close) is refused as it
// stood, at the line XML names, with the message xmllint gives for the file, whole; a name of the
// file longer than a quote is cut within itself, the words around it kept.
TEST_F(BrokenFeeds, TheParsersMessageIsToldInItsOwnWords)
{
    const QByteArray longName(49000, 'n');
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString message; // xmllint's
        int line;
    } rows[] = {
        {"a description left open, line 2", rssWith("<description>open</title>"),
         u"Opening and ending tag mismatch: description line 2 and title"_s, 2},
        {"a description left open, line 12", rssWith("<description>Show notes\n</title>", 10),
         u"Opening and ending tag mismatch: description line 12 and title"_s, 13},
        {"a long name left open, line 120",
         rssWith("<descriptionOfTheChannelAsItsAuthorWroteIt>open\n</title>", 118),
         u"Opening and ending tag mismatch: descriptionOfTheChannelAsItsAuthorWroteIt line 120 "
         u"and title"_s,
         121},
        {"prefixed names",
         kProlog
             + "<rss version=\"2.0\" xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">"
               "<channel>\n<itunes:subtitle>x</itunes:summary></channel></rss>",
         u"Opening and ending tag mismatch: subtitle line 3 and summary"_s, 3},
        // The parser quotes the section's start after a line break, which is shown escaped.
        {"an unfinished CDATA section", rssWith("\n<title><![CDATA[x</title>"),
         u"CData section not finished\\x0Ax</title></channel></rss"_s, 4},
        {"an attribute without a value", rssWith("\n<guid isPermaLink=>x</guid>"),
         u"AttValue: \" or ' expected"_s, 3},
        {"a name of 49,000 characters", rssWith("\n<" + longName + ">open\n</title>"),
         u"Opening and ending tag mismatch: "_s + QString(30, u'n') + u"…"_s + QString(29, u'n')
             + u" line 3 and title"_s,
         4},
        {"a bare & in a link", rssWith("<title>c</title>\n<link>http://a.example/?a=1&b=2</link>"),
         u"EntityRef: expecting ';'"_s, 3},
        // The title's fault is mended: the link's, two lines on, is the one left to tell.
        {"a bare & beside a repaired title",
         rssWith("<title>Tom & Jerry</title>\n\n<link>http://a.example/?q=a & b</link>"),
         u"xmlParseEntityRef: no name"_s, 4},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const FeedLoader::Result result = opened(row.bytes);
        ASSERT_EQ(result.outcome, FeedLoader::Outcome::NotAFeed);
        EXPECT_EQ(result.cause, VLXParseFeed::Cause::NotWellFormed);
        EXPECT_EQ(descriptionOf(result).toStdString(), row.message.toStdString());
        EXPECT_EQ(lineOf(result), row.line);
        EXPECT_EQ(result.reasonLine, row.line);
    }
}

// A bare "&" or "<" in a title or a description makes no feed XML reads; the repairs make it
// one, and it opens with the value as the user wrote it and the repair in its log: from a file
// or a download, as a mended text, and in the channel-only read of the feed list's export.
TEST_F(BrokenFeeds, TheRepairsReachTheTextsTheyWereWrittenFor)
{
    const QByteArray rdf = kProlog
        + "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
          "xmlns=\"http://purl.org/rss/1.0/\">";
    const QByteArray atom = kProlog + "<feed xmlns=\"http://www.w3.org/2005/Atom\">";
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString channelTitle;
        QString itemTitle;
        QString itemDescription;
        QString tag; // the tag whose repair the log names
    } rows[] = {
        {"RSS 2.0, a channel title",
         rssWith("<title>Tom & Jerry</title><item><title>i</title></item>"),
         u"Tom & Jerry"_s,
         u"i"_s,
         {},
         u"title"_s},
        {"RSS 2.0, an item title",
         rssWith("<title>c</title><item><title>Q&A: 1<2</title></item>"),
         u"c"_s,
         u"Q&A: 1<2"_s,
         {},
         u"title"_s},
        {"RSS 2.0, a channel description",
         rssWith("<title>c</title><description>Fish & Chips</description><item/>"),
         u"c"_s,
         u""_s,
         {},
         u"description"_s},
        {"RSS 2.0, an item description",
         rssWith("<title>c</title><item><title>i</title><description>a<b & c</description>"
                 "</item>"),
         u"c"_s, u"i"_s, u"a<b & c"_s, u"description"_s},
        {"RSS 1.0, a channel title and an item description",
         rdf
             + "<channel><title>R & D</title></channel><item><title>i</title>"
               "<description>x & y</description></item></rdf:RDF>",
         u"R & D"_s, u"i"_s, u"x & y"_s, u"title"_s},
        {"Atom, a feed and an entry title",
         atom + "<title>Tom & Jerry</title><entry><title>a < b & 1 < 2</title></entry></feed>",
         u"Tom & Jerry"_s,
         u"a < b & 1 < 2"_s,
         {},
         u"title"_s},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QString text = QString::fromUtf8(row.bytes);
        const QString repair = u"Fixed the encoding in the value of the %1 tag"_s.arg(row.tag);
        for (const FeedLoader::Result &result : {opened(row.bytes), opened({}, text)}) {
            ASSERT_EQ(result.outcome, FeedLoader::Outcome::Loaded)
                << descriptionOf(result).toStdString();
            const VLXFeed &feed = *result.feed;
            EXPECT_EQ(feed.title(), row.channelTitle);
            ASSERT_GE(feed.countOfItems(), 1);
            EXPECT_EQ(feed.itemAtIndex(0)->title(), row.itemTitle);
            if (!row.itemDescription.isNull()) {
                EXPECT_EQ(feed.itemAtIndex(0)->descriptionElement(), row.itemDescription);
            }
            EXPECT_TRUE(repairsOf(feed).contains(repair));
        }
        VLXParseFeed channelOnly;
        const bool rss = row.bytes.contains("<rss");
        EXPECT_EQ(channelOnly.parseFeedChannelOnly(text) == VLXParseFeed::Success, rss);
        if (rss) {
            EXPECT_EQ(channelOnly.feed()->title(), row.channelTitle);
        }
    }
}
