// A feed's format is what its root element names as XML reads it, and a refusal names one cause
// that holds, in a sentence short and plain whatever the file holds.
#include "FeedReadTest.h"
#include "io/FeedLoader.h"
#include "platform/ShownText.h"
#include "xml/vlxXMLDOM.h"

using namespace Qt::StringLiterals;

namespace {

using FeedFormats = FeedReadTest;

QStringList itemTitles(const VLXFeed &feed)
{
    QStringList titles;
    for (int i = 0; i < feed.countOfItems(); ++i)
        titles << feed.itemAtIndex(i)->title();
    return titles;
}

const QByteArray kRSSItems = "<item><title>one</title></item><item><title>two</title></item>";
const QByteArray kRDF = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";

} // namespace

// Each row opens with the items XML reads and the version its root names; a version the reader
// does not take is read as RSS 2.0, and an RDF root bound to an address taken for RDF's is read as
// RDF: the log says what the root named.
TEST_F(FeedFormats, TheRootNamesTheFormatAsXMLReadsIt)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        QStringList format;
        QString logLine; // the log's line on the version or address the root named, or ""
    } rows[] = {
        {"rss with no version",
         "<rss><channel><title>c</title>" + kRSSItems + "</channel></rss>",
         {u"RSS"_s, u"2.0"_s},
         u"The root element <rss> names no version: the feed was read as RSS 2.0."_s},
        {"rss 1.0",
         "<rss version=\"1.0\"><channel>" + kRSSItems + "</channel></rss>",
         {u"RSS"_s, u"2.0"_s},
         u"The root element <rss> names the version \"1.0\", which is none of 0.91 to 0.94 and "
         u"2.0: the feed was read as RSS 2.0."_s},
        {"rss 3.0",
         "<rss version=\"3.0\"><channel>" + kRSSItems + "</channel></rss>",
         {u"RSS"_s, u"2.0"_s},
         u"The root element <rss> names the version \"3.0\", which is none of 0.91 to 0.94 and "
         u"2.0: the feed was read as RSS 2.0."_s},
        {"rss draft, with a title that says 2.0",
         "<rss version=\"draft\"><channel><title>Release 2.0</title>" + kRSSItems
             + "</channel></rss>",
         {u"RSS"_s, u"2.0"_s},
         u"The root element <rss> names the version \"draft\", which is none of 0.91 to 0.94 and "
         u"2.0: the feed was read as RSS 2.0."_s},
        {"0.91 with 2.0 in a title and another version= before it",
         "<rss xml:base=\"http://example.com/?version=2.0\" version=\"0.91\"><channel>"
         "<title>version=\"2.0\"</title>"
             + kRSSItems + "</channel></rss>",
         {u"RSS"_s, u"0.91"_s},
         {}},
        {"the root's own attribute after a value naming another version",
         "<rss xml:base=\"http://example.com/?version=3\" version=\"2.0\"><channel>" + kRSSItems
             + "</channel></rss>",
         {u"RSS"_s, u"2.0"_s},
         {}},
        {"a comment naming RDF before an rss root",
         "<!-- once <rdf:RDF> --><rss version=\"2.0\"><channel>" + kRSSItems + "</channel></rss>",
         {u"RSS"_s, u"2.0"_s},
         {}},
        {"prefixed Atom 1.0",
         "<atom:feed xmlns:atom=\"http://www.w3.org/2005/Atom\"><atom:title>c</atom:title>"
         "<atom:entry><atom:title>one</atom:title></atom:entry>"
         "<atom:entry><atom:title>two</atom:title></atom:entry></atom:feed>",
         {u"Atom"_s, u"1.0"_s},
         {}},
        {"prefixed Atom 0.3",
         "<a:feed version=\"0.3\" xmlns:a=\"http://purl.org/atom/ns#\"><a:title>c</a:title>"
         "<a:entry><a:title>one</a:title></a:entry><a:entry><a:title>two</a:title></a:entry>"
         "</a:feed>",
         {u"Atom"_s, u"0.3"_s},
         {}},
        {"Atom holding an rss element",
         "<feed xmlns=\"http://www.w3.org/2005/Atom\"><rss version=\"2.0\"/>"
         "<entry><title>one</title></entry><entry><title>two</title></entry></feed>",
         {u"Atom"_s, u"1.0"_s},
         {}},
        {"RDF under another prefix",
         "<r:RDF xmlns:r=\"" + kRDF
             + "\" xmlns=\"http://purl.org/rss/1.0/\">"
               "<channel><title>c</title></channel>"
             + kRSSItems + "</r:RDF>",
         {u"RSS"_s, u"1.0"_s},
         {}},
        {"RDF in the default namespace",
         "<RDF xmlns=\"" + kRDF
             + "\"><channel xmlns=\"http://purl.org/rss/1.0/\"><title>c</title>"
               "</channel><item xmlns=\"http://purl.org/rss/1.0/\"><title>one</title></item>"
               "<item xmlns=\"http://purl.org/rss/1.0/\"><title>two</title></item></RDF>",
         {u"RSS"_s, u"1.0"_s},
         {}},
        {"RDF without the final # of its address",
         "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns\" "
         "xmlns=\"http://purl.org/rss/1.0/\"><channel><title>c</title></channel>"
             + kRSSItems + "</rdf:RDF>",
         {u"RSS"_s, u"1.0"_s},
         u"Old RDF namespace address used http://www.w3.org/1999/02/22-rdf-syntax-ns"_s},
        {"RDF over https, in the default namespace",
         "<RDF xmlns=\"https://www.w3.org/1999/02/22-rdf-syntax-ns#\"><channel "
         "xmlns=\"http://purl.org/rss/1.0/\"><title>c</title></channel><item "
         "xmlns=\"http://purl.org/rss/1.0/\"><title>one</title></item><item "
         "xmlns=\"http://purl.org/rss/1.0/\"><title>two</title></item></RDF>",
         {u"RSS"_s, u"1.0"_s},
         u"Old RDF namespace address used https://www.w3.org/1999/02/22-rdf-syntax-ns#"_s},
        // Every address matched before the final "#" was made optional still is.
        {"RDF with a / after the final #",
         "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#/\" "
         "xmlns=\"http://purl.org/rss/1.0/\"><channel><title>c</title></channel>"
             + kRSSItems + "</rdf:RDF>",
         {u"RSS"_s, u"1.0"_s},
         u"Old RDF namespace address used http://www.w3.org/1999/02/22-rdf-syntax-ns#/"_s},
        {"RDF with a blank after its address",
         "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns# \" "
         "xmlns=\"http://purl.org/rss/1.0/\"><channel><title>c</title></channel>"
             + kRSSItems + "</rdf:RDF>",
         {u"RSS"_s, u"1.0"_s},
         u"Old RDF namespace address used http://www.w3.org/1999/02/22-rdf-syntax-ns# "_s},
        {"RDF with an RSS 0.90 channel",
         "<rdf:RDF xmlns:rdf=\"" + kRDF
             + "\" xmlns=\"http://my.netscape.com/rdf/simple/0.9/\">"
               "<channel><title>c</title></channel>"
             + kRSSItems + "</rdf:RDF>",
         {u"RSS"_s, u"0.9"_s},
         {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray bytes = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + row.bytes;
        EXPECT_EQ(VLXParseFeed::getFeedTypeAndVersion(QString::fromUtf8(bytes)), row.format);
        const FeedLoader::Result result = opened(bytes);
        ASSERT_EQ(result.outcome, FeedLoader::Outcome::Loaded) << result.reason.toStdString();
        EXPECT_EQ(itemTitles(*result.feed), (QStringList {u"one"_s, u"two"_s}));
        const bool converted = row.format != QStringList {u"RSS"_s, u"2.0"_s};
        ASSERT_EQ(result.alerts.size(), converted ? 1 : 0);
        if (converted) {
            EXPECT_TRUE(result.alerts.front().message.startsWith(
                u"The feed is currently in %1 %2 format."_s.arg(row.format.at(0),
                                                                row.format.at(1))));
        }
        EXPECT_EQ(repairsOf(*result.feed),
                  row.logLine.isEmpty() ? QStringList() : QStringList {row.logLine});
    }
}

// A refusal names the one cause that holds, quotes the file short and plain, and a file that is
// then refused is promised no conversion.
TEST_F(FeedFormats, EachRefusalNamesOneCauseShortAndPlain)
{
    const QByteArray longName(49000, 'n');
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString reason; // the reason, or the parser's words
        VLXParseFeed::Cause cause;
        int line;
    } rows[] = {
        {"a root of 49,000 characters", "<" + longName + "/>",
         u"The document's root element is <"_s + QString(30, u'n') + u"…"_s + QString(29, u'n')
             + u">, where a feed's root element is <rss>, <rdf:RDF> or <feed>."_s,
         VLXParseFeed::Cause::NotAFeed, 2},
        {"Atom's name in another namespace", "<a:feed xmlns:a=\"urn:x\"><a:entry/></a:feed>",
         u"The document's root element <a:feed> is in the namespace \"urn:x\", where an Atom "
         u"feed's root element <feed> is in the namespace \"http://www.w3.org/2005/Atom\"."_s,
         VLXParseFeed::Cause::NotAFeed, 2},
        {"RDF's name in an address that is not RDF's",
         "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax\"><channel/></rdf:RDF>",
         u"The document's root element <rdf:RDF> is in the namespace "
         u"\"http://www.w3.org/1999/02/22-rdf-syntax\", where an RSS 1.0 feed's root element "
         u"<rdf:RDF> is in the namespace \"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"."_s,
         VLXParseFeed::Cause::NotAFeed, 2},
        {"RDF's name in no namespace", "<RDF><channel/></RDF>",
         u"The document's root element <RDF> is in no namespace, where an RSS 1.0 feed's root "
         u"element <rdf:RDF> is in the namespace "
         u"\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"."_s,
         VLXParseFeed::Cause::NotAFeed, 2},
        {"an old rss with no channel", "<rss version=\"0.91\">\n<title>t</title></rss>",
         u"The feed's root element <rss> holds no <channel> element."_s,
         VLXParseFeed::Cause::NotAFeed, 2},
        {"an RSS 1.0 feed with no channel",
         "<rdf:RDF xmlns:rdf=\"" + kRDF + "\" xmlns=\"http://purl.org/rss/1.0/\"><item/></rdf:RDF>",
         u"The feed's root element <rdf:RDF> holds no <channel> element."_s,
         VLXParseFeed::Cause::NotAFeed, 2},
        {"a tag of a long name left open",
         "<rss version=\"2.0\"><channel>\n\n<" + longName + "></channel></rss>",
         u"Opening and ending tag mismatch: "_s + QString(30, u'n') + u"…"_s + QString(29, u'n')
             + u" line 4 and channel"_s,
         VLXParseFeed::Cause::NotWellFormed, 4},
        {"a text of no known format that XML does not read", "<foo>\n<bar></foo>",
         u"It is not well-formed XML. The following error was detected on line 3: Opening and "
         u"ending tag mismatch: bar line 3 and foo"_s,
         VLXParseFeed::Cause::NotWellFormed, 3},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const FeedLoader::Result result
            = opened("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + row.bytes);
        ASSERT_EQ(result.outcome, FeedLoader::Outcome::NotAFeed);
        const QString description
            = result.error.value(QLatin1String(vlxXMLDOM::kErrorDescriptionKey)).toString();
        EXPECT_EQ((description.isEmpty() ? result.reason : description).toStdString(),
                  row.reason.toStdString());
        EXPECT_EQ(result.cause, row.cause);
        EXPECT_EQ(result.reasonLine, row.line);
        EXPECT_TRUE(result.alerts.isEmpty());
        EXPECT_LE(qMax(description.size(), result.reason.size()), 300);
    }
}

// A version quoted from the file is cut and shown plain in the log.
TEST_F(FeedFormats, TheVersionNamedIsQuotedShortAndPlain)
{
    // A tab and a line break written as references stay in an attribute's value.
    const QByteArray version = "&#9;[31m" + QByteArray(100000, '9') + "&#xA;\xE2\x80\xAE";
    const FeedLoader::Result result = opened("<?xml version=\"1.0\"?>\n<rss version=\"" + version
                                             + "\"><channel><title>c</title></channel></rss>");
    ASSERT_EQ(result.outcome, FeedLoader::Outcome::Loaded);
    const QStringList repairs = repairsOf(*result.feed);
    ASSERT_EQ(repairs.size(), 1);
    const QString quoted = ShownText::quoted(u"\t[31m"_s + QString(100000, u'9') + u"\n\u202E"_s);
    EXPECT_TRUE(quoted.startsWith(u"\\x09[31m999"_s));
    EXPECT_TRUE(quoted.endsWith(u"999\\x0A\\u202E"_s));
    EXPECT_TRUE(repairs.front().contains(u"\""_s + quoted + u"\""_s));
    EXPECT_LT(repairs.front().size(), 200);
}

// Quoting keeps a piece of the file that fits whole, and cuts a longer one in the middle on
// whole characters, escapes and pairs of surrogates never split.
TEST(ShownTextQuote, CutsInTheMiddleAndEscapesWhatWouldNotShow)
{
    const QString emoji = u"\U0001F600"_s;
    const struct
    {
        QString text;
        QString quoted;
    } rows[] = {
        {u"feed"_s, u"feed"_s},
        {QString(60, u'a'), QString(60, u'a')},
        {QString(61, u'a'), QString(30, u'a') + u"…"_s + QString(29, u'a')},
        {u"a\tb\nc\u0007d\u202Ee\u2066f\u009B"_s, u"a\\x09b\\x0Ac\\x07d\\u202Ee\\u2066f\\x9B"_s},
        {emoji.repeated(61), emoji.repeated(30) + u"…"_s + emoji.repeated(29)},
        {QString(u'\u001B').repeated(100),
         QString(u"\\x1B"_s).repeated(7) + u"…"_s + QString(u"\\x1B"_s).repeated(7)},
        {u"x"_s + QChar(0xD800) + u"y"_s, u"x\uFFFDy"_s},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text.left(20).toStdString());
        EXPECT_EQ(ShownText::quoted(row.text), row.quoted);
    }
}

// When neither the repaired text nor the text as it stood parses, the refusal tells the error of
// the text as it stood: the line and the words of the file the user has.
TEST_F(FeedFormats, ARefusalTellsTheErrorOfTheTextAsItStood)
{
    const QString text = u"<?xml version=\"1.0\"?>\n<rss version=\"2.0\">\n<channel>\n"
                         u"< title>x</title>\n</channel>\n"_s;
    VLXParseFeed reader;
    EXPECT_NE(reader.parseFeed(text, u"base"_s, nullptr), VLXParseFeed::Success);
    const QVariantMap error = reader.errorDictionary();
    EXPECT_EQ(error.value(QLatin1String(vlxXMLDOM::kErrorDescriptionKey)).toString(),
              u"StartTag: invalid element name"_s);
    EXPECT_EQ(error.value(QLatin1String(vlxXMLDOM::kErrorLineNumberKey)).toInt(), 4);
    EXPECT_EQ(reader.refusalLine(), 4);
    EXPECT_EQ(reader.refusalCause(), VLXParseFeed::Cause::NotWellFormed);
}

// A feed the repairs would make unreadable is read as it stood, and its log lists none of the
// repairs, which were not made.
TEST_F(FeedFormats, AFeedReadAsItStoodListsNoRepairs)
{
    const QByteArray bytes = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel>"
                             "<title>a &amp;apos; b</title><xml>x</xml></channel></rss>";
    const FeedLoader::Result result = opened(bytes);
    ASSERT_EQ(result.outcome, FeedLoader::Outcome::Loaded);
    EXPECT_EQ(result.feed->title(), u"a &apos; b"_s);
    EXPECT_EQ(repairsOf(*result.feed), QStringList());
}
