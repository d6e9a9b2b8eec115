// A well-formed feed is read as XML reads it, whatever its comments, instructions and CDATA
// sections hold or hide; what the program saves, it opens again; a file it refuses says why.
#include "FeedReadTest.h"
#include "io/FeedLoader.h"
#include "platform/Clock.h"
#include "xml/vlxXMLDOM.h"

#include <QTimeZone>

#include <algorithm>
#include <random>

using namespace Qt::StringLiterals;

namespace {

class WellFormedFeeds : public FeedReadTest
{
protected:
    void SetUp() override
    {
        FeedReadTest::SetUp();
        Clock::setInstance(std::make_shared<FixedClock>(
            QDateTime(QDate(2026, 12, 9), QTime(9, 0), QTimeZone::utc())));
    }
    void TearDown() override
    {
        Clock::setInstance(nullptr);
        FeedReadTest::TearDown();
    }
};

// What a reader shows of a feed: the channel's title, then each item's title and description.
QStringList valuesOf(const VLXFeed &feed)
{
    QStringList values {feed.title()};
    for (int i = 0; i < feed.countOfItems(); ++i)
        values << feed.itemAtIndex(i)->title() << feed.itemAtIndex(i)->descriptionElement();
    return values;
}

// An RSS 2.0 document of the channel's content, with what comes before its root.
QByteArray rss(const QByteArray &channel, const QByteArray &prolog = {})
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + prolog
        + "<rss version=\"2.0\">\n<channel>" + "<pubDate>Tue, 08 Dec 2026 09:00:00 +0000</pubDate>"
        + channel + "</channel>\n</rss>\n";
}

} // namespace

// Each row is read with the repairs its log lists, and no other: a repair the reader made is
// logged, and a repaired text that would not parse is dropped for the text as it stood, with no
// repair logged. What a row reads and saves tells which text was read.
TEST_F(WellFormedFeeds, CommentsInstructionsAndSectionsHideWhatTheyHoldAsXMLReadsThem)
{
    const QString title = u"Fixed the encoding in the value of the title tag"_s;
    const QString description = u"Fixed the encoding in the value of the description tag"_s;
    const struct
    {
        const char *name;
        QByteArray document;
        QStringList values; // as valuesOf gives them
        QStringList repairs; // the log's repairs of the channel, in order
        QByteArray kept = {}; // a text the saved feed holds as the document wrote it
    } rows[] = {
        // Beside each part, a value the repairs must still mend: markup written as elements.
        {"a comment naming a tag",
         rss("<!-- each item needs a <title> and a link --><title>T</title>"
             "<item><title><b>A</b></title><description>a</description></item>"),
         {u"T"_s, u"<b>A</b>"_s, u"a"_s},
         {title}},
        {"an instruction naming a tag",
         rss("<?note every <title> is plain text?><title>T</title>"
             "<item><title><b>A</b></title><description>a</description></item>"),
         {u"T"_s, u"<b>A</b>"_s, u"a"_s},
         {title}},
        {"a comment across two titles",
         rss("<title>T</title><item><title>How to open a comment: <!-- starts it</title>"
             "<link>http://example.com/1</link><description>one</description>< /item>\n"
             "<item><title>and --> ends it</title><description><p>two</p></description></item>"),
         {u"T"_s, u"How to open a comment:  ends it"_s, u"<p>two</p>"_s},
         {description}},
        {"an instruction across two items",
         rss("<title>T</title><item><title>A</title><description>a <?skip </description></item>"
             "<item><title>B</title><description>?> <i>b</i></description></item>"),
         {u"T"_s, u"A"_s, u"a  <i>b</i>"_s},
         {description}},
        {"a section across an item",
         rss("<title><i>T</i></title><item><title>A</title><description><![CDATA[<p>a</p>"
             "</description></item><item><title>B</title><description>]]></description></item>"),
         {u"<i>T</i>"_s, u"A"_s,
          u"<p>a</p></description></item><item><title>B</title><description>"_s},
         {title}},
        {"look-alikes of the ends and of the repairs",
         rss("<title>T <!-- - -> < b > </xml> &amp;apos; --></title>"
             "<item><title>A <?x ? > <![CDATA[ ]] > ?><b>!</b></title>"
             "<description><![CDATA[ <!-- a < b > c ]]></description></item>"),
         {u"T "_s, u"A <b>!</b>"_s, u" <!-- a < b > c "_s},
         {title}},
        {"an end of the prolog inside a section",
         rss("<title>T</title><item><title><b>A</b></title>"
             "<description><![CDATA[ends with </xml>]]></description></item>"),
         {u"T"_s, u"<b>A</b>"_s, u"ends with </xml>"_s},
         {title}},
        // A value holding a section is left as written, markup beside it or not.
        {"a section beside markup",
         rss("<title>T</title><item><title><b>A</b></title>"
             "<description><p>a</p><![CDATA[ 5 < 6 ]]></description></item>"),
         {u"T"_s, u"<b>A</b>"_s, u"<p>a</p> 5 &lt; 6 "_s},
         {title}},
        // A tag named in a value's comment is no markup of the value: its "&" stay as written.
        {"a tag named only in a value's comment",
         rss("<title>T</title><item><title>A</title>"
             "<description>5 &gt; 3 &amp; 2 > 1<!-- was <b>bold</b> --></description></item>"),
         {u"T"_s, u"A"_s, u"5 > 3 & 2 > 1"_s},
         {description}},
        // A tag after the last comment is: the comment stays in the HTML.
        {"a tag after a value's last comment",
         rss("<title>T</title><item><title>A</title>"
             "<description>a<!-- note --> <b>b</b> &amp; c</description></item>"),
         {u"T"_s, u"A"_s, u"a<!-- note --> <b>b</b> &amp; c"_s},
         {description}},
        {"a comment hiding an item",
         rss("<title>T</title><!-- <item><title>old</title></item> -->"
             "<item><title><b>A</b></title><description>a</description></item>"),
         {u"T"_s, u"<b>A</b>"_s, u"a"_s},
         {title}},
        {"a closing tag with blanks before its end",
         rss("<title>T</title\n><item><title>A</title\t><description>a</description  >"
             "</item><item><title>B</title><description><p>b</p></description></item>"),
         {u"T"_s, u"A"_s, u"a"_s, u"B"_s, u"<p>b</p>"_s},
         {description}},
        {"a document type whose subset names a tag",
         rss("<title>T</title><item><title><b>A</b></title><description>a</description></item>",
             "<!DOCTYPE rss [\n<!-- the <title> of each item -->\n"
             "<!ENTITY who \"<title>us</title>\">\n]>\n"),
         {u"T"_s, u"<b>A</b>"_s, u"a"_s},
         {title}},
        // The subset runs past the ">" its declarations hold, and the tag it names is no title.
        {"a document type whose subset holds a > before a tag",
         rss("<title>T</title><item><title><b>A</b></title><description>a</description></item>",
             "<!DOCTYPE rss [\n<!ENTITY arrow \"a>b\">\n<!ENTITY open \"<title>\">\n]>\n"),
         {u"T"_s, u"<b>A</b>"_s, u"a"_s},
         {title}},
        {"a > that ends no tag",
         rss("<title>Home > News</title><item><title>5 > 3</title><description>a > b"
             "</description><category domain=\"x >\">c</category></item>"),
         {u"Home > News"_s, u"5 > 3"_s, u"a > b"_s},
         {title, description}},
        // A repair that would make the feed unreadable is not made: an element named xml keeps
        // its end tag, and the feed is read as it stands.
        {"an element named xml",
         rss("<title>T</title><item><title><b>A</b></title><description>a</description>"
             "<x:xml xmlns:x=\"urn:x\"/><xml>kept</xml></item>"),
         {u"T"_s, u"<b>A</b>"_s, u"a"_s},
         {}},
        // The repairs still make the changes they are there for.
        {"markup written as elements",
         rss("<title>T</title><item><title>a <b>bold</b> word<!-- c --></title>"
             "<description><p>one</p> two</description></item>"),
         {u"T"_s, u"a <b>bold</b> word"_s, u"<p>one</p> two"_s},
         {title, description}},
        // A reference of any name's length is one: the markup reads as it stands, and the
        // escaped "<i>" stays text.
        {"a long entity name beside markup",
         rss("<title>T</title><item><title>A</title>"
             "<description>&lt;i&gt;Tom&lt;/i&gt; &amp; &abcdefg; <b>chase</b></description>"
             "</item>",
             "<!DOCTYPE rss [\n<!ENTITY abcdefg \"x\">\n]>\n"),
         {u"T"_s, u"A"_s, u"&lt;i&gt;Tom&lt;/i&gt; &amp; &abcdefg; <b>chase</b>"_s},
         {description}},
        // A kept element's comment is its text: what it names is laid out as nothing else.
        {"a kept element holding a comment naming an item's end",
         rss("<title>T</title><item><title>A</title><description>a</description>"
             "<x:note xmlns:x=\"urn:x\"><!-- old </item> here --></x:note></item>"),
         {u"T"_s, u"A"_s, u"a"_s},
         {},
         "<!-- old </item> here -->"},
        {"a kept element holding a comment with a > before a tag",
         rss("<title>T</title><item><title>A</title><description>a</description>"
             "<x:note xmlns:x=\"urn:x\"><!-- 5 > 3: <b>five</b> --></x:note></item>"),
         {u"T"_s, u"A"_s, u"a"_s},
         {},
         "<!-- 5 > 3: <b>five</b> -->"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(vlxXMLDOM(row.document).xmlTree()) << "the row is not well-formed";
        const FeedLoader::Result first = opened(row.document);
        ASSERT_EQ(first.outcome, FeedLoader::Outcome::Loaded) << first.reason.toStdString();
        EXPECT_EQ(valuesOf(*first.feed).join(u'|').toStdString(),
                  row.values.join(u'|').toStdString());
        EXPECT_EQ(repairsOf(*first.feed).join(u'|').toStdString(),
                  row.repairs.join(u'|').toStdString());
        // Saved, opened and saved again: the same feed, to the byte.
        const QByteArray saved = first.feed->buildXMLData();
        EXPECT_TRUE(saved.contains(row.kept)) << saved.toStdString();
        const FeedLoader::Result again = opened(saved);
        ASSERT_EQ(again.outcome, FeedLoader::Outcome::Loaded) << saved.toStdString();
        EXPECT_EQ(valuesOf(*again.feed).join(u'|').toStdString(),
                  row.values.join(u'|').toStdString());
        EXPECT_EQ(again.feed->buildXMLData().toStdString(), saved.toStdString());
    }
}

// Comments, instructions and CDATA sections put at random in three small feeds, some spanning
// from one element's text into a later one's and holding tag names and look-alikes of their
// ends. Every result XML reads opens with the items XML reads, and opens again once saved.
TEST_F(WellFormedFeeds, GeneratedFeedsOpenWithTheItemsXMLReads)
{
    const QByteArray bases[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
        "xmlns:content=\"http://purl.org/rss/1.0/modules/content/\" "
        "xmlns:itunes=\"http://www.itunes.com/dtds/podcast-1.0.dtd\">\n<channel>\n"
        "<title>Base</title>\n<link>http://example.com/</link>\n<description>About "
        "it</description>\n"
        "<item><title>One</title><description>First &amp; foremost</description>"
        "<dc:title>Uno</dc:title><content:encoded>&lt;p&gt;one&lt;/p&gt;</content:encoded>"
        "<itunes:author>Host</itunes:author></item>\n"
        "<item><title>Two</title><description>Second</description>"
        "<dc:description>Dos</dc:description></item>\n"
        "<item><title>Three</title><description>Third</description></item>\n"
        "</channel>\n</rss>\n",
        "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [\n<!ENTITY who \"the host\">\n]>\n"
        "<rss "
        "version=\"0.91\">\n<channel>\n<title>Typed</title>\n<link>http://example.com/</link>\n"
        "<description>d</description>\n<language>en</language>\n"
        "<item><title>A</title><link>http://example.com/a</link><description>a</description></"
        "item>\n"
        "<item><title>B</title><link>http://example.com/b</link><description>b</description></"
        "item>\n"
        "</channel>\n</rss>\n",
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\">\n"
        "<title>Atomic</title>\n<id>urn:x</id>\n<updated>2026-01-01T00:00:00Z</updated>\n"
        "<entry><title>E1</title><id>urn:1</id><updated>2026-01-02T00:00:00Z</updated>"
        "<summary>s1</summary></entry>\n"
        "<entry><title type=\"html\">E2 &lt;b&gt;</title><id>urn:2</id>"
        "<updated>2026-01-03T00:00:00Z</updated><content type=\"html\">c2</content></entry>\n"
        "</feed>\n",
    };
    const QByteArray fillers[] = {"<title>", "</title>",   "<item>",   "</description>",
                                  "< ",      " >",         "- ->",     "? >",
                                  "]] >",    "<!-",        "<?x",      "<![CDATA[",
                                  "</xml>",  "&amp;apos;", "<b>x</b>", " note ",
                                  "<!--",    "-->",        "?>",       "]]>"};
    const struct
    {
        QByteArray open, close;
    } kinds[] = {{"<!--", "-->"}, {"<?pi ", "?>"}, {"<![CDATA[", "]]>"}};

    // The places between a ">" and the next "<" after the root starts, with the names of the
    // elements open there: a part that starts at one and ends at another with the same names
    // leaves the elements around it balanced.
    struct Place
    {
        qsizetype at;
        QByteArray open;
        qsizetype text; // where the text it lies in starts
    };
    const auto placesOf = [](const QByteArray &base) {
        std::vector<Place> places;
        QList<QByteArray> open;
        qsizetype lt = base.indexOf("<rss");
        if (lt < 0)
            lt = base.indexOf("<feed");
        while (lt >= 0) {
            const qsizetype gt = base.indexOf('>', lt);
            const QByteArray tag = base.sliced(lt + 1, gt - lt - 1);
            if (tag.startsWith('/'))
                open.removeLast();
            else if (!tag.endsWith('/'))
                open.append(tag.split(' ').first());
            lt = base.indexOf('<', gt);
            // Every place of the text up to the next tag, none inside a reference.
            for (qsizetype at = gt + 1; lt >= 0 && at <= lt; ++at) {
                const QByteArray before = base.sliced(gt + 1, at - gt - 1);
                if (before.lastIndexOf('&') <= before.lastIndexOf(';'))
                    places.push_back({at, open.join('/'), gt + 1});
            }
        }
        return places;
    };

    std::mt19937 random(20261209);
    const auto pick = [&random](auto size) {
        return std::uniform_int_distribution<int>(0, int(size) - 1)(random);
    };
    int tried = 0, kept = 0;
    while (kept < 300) {
        ASSERT_LT(++tried, 20000) << "too few generated feeds are well-formed";
        const QByteArray &base = bases[pick(std::size(bases))];
        const std::vector<Place> places = placesOf(base);
        // Inserted from the last place back, so that the places before stay where they were.
        std::vector<std::pair<qsizetype, QByteArray>> inserts;
        for (int n = 1 + pick(3); n > 0; --n) {
            const auto &kind = kinds[pick(std::size(kinds))];
            const Place &from = places[pick(places.size())];
            const QByteArray inside = fillers[pick(std::size(fillers))];
            if (pick(2) == 0) {
                inserts.push_back({from.at, kind.open + inside + kind.close});
                continue;
            }
            // Mostly in the text of a later element, to hide the markup between.
            const bool later = pick(4) != 0;
            std::vector<Place> ends;
            std::copy_if(
                places.begin(), places.end(), std::back_inserter(ends), [&](const Place &p) {
                    return p.at > from.at && p.open == from.open && (p.text != from.text) == later;
                });
            if (ends.empty())
                continue;
            inserts.push_back({from.at, kind.open + inside});
            inserts.push_back(
                {ends[pick(ends.size())].at, fillers[pick(std::size(fillers))] + kind.close});
        }
        std::stable_sort(inserts.begin(), inserts.end(),
                         [](const auto &a, const auto &b) { return a.first > b.first; });
        QByteArray document = base;
        for (const auto &[at, text] : inserts)
            document.insert(at, text);
        // A part may hide the channel too: what XML reads then is no feed.
        const vlxXMLDOM dom(document);
        const vlxXMLNode *root
            = dom.xmlTree() ? dom.nodeNamed(u"rss"_s, vlxXMLDOM::Element, nullptr) : nullptr;
        if (!dom.xmlTree() || (root && !dom.nodeNamed(u"channel"_s, vlxXMLDOM::Element, root)))
            continue;
        ++kept;
        SCOPED_TRACE(document.toStdString());
        const FeedLoader::Result first = opened(document);
        ASSERT_EQ(first.outcome, FeedLoader::Outcome::Loaded)
            << first.reason.toStdString()
            << first.error.value(QLatin1String(vlxXMLDOM::kErrorDescriptionKey))
                   .toString()
                   .toStdString();
        EXPECT_EQ(first.feed->countOfItems(), VLXParseFeed::countItems(dom));
        const QByteArray saved = first.feed->buildXMLData();
        const FeedLoader::Result again = opened(saved);
        ASSERT_EQ(again.outcome, FeedLoader::Outcome::Loaded) << saved.toStdString();
        EXPECT_EQ(valuesOf(*again.feed), valuesOf(*first.feed));
    }
}

// Every kind of refusal says why: the parser's message and the line of the file, the encoding
// and the byte and line where the bytes stop being text in it, or what the document lacks.
TEST_F(WellFormedFeeds, EveryRefusalSaysWhy)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString reason; // the loader's reason, or the parser's description
        int line; // the line the parser, the decoding or the root element names
        QString shown = {}; // how the line offered to be mended shows bytes that give no text
    } rows[] = {
        {"not well-formed, with the file's lines before the declaration it lacks",
         "\n\n<rss version=\"2.0\"><channel>\n<title>x</channel></rss>",
         u"Opening and ending tag mismatch: title line 4 and channel"_s, 4},
        {"no XML at all", "this is no feed",
         u"It is not well-formed XML. The following error was detected on line 1: Start tag "
         u"expected, '<' not found"_s,
         1},
        {"bytes that are not the UTF-8 they declare",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>\n"
         "<title>caf\xE9</title></channel></rss>",
         u"Its bytes are not valid UTF-8, the encoding it declares: they stop being text at byte "
         u"79 (0xE9), on line 3."_s,
         3, u"caf\u00E9"_s},
        // UTF-8 in text declared ASCII stays the characters it is.
        {"bytes that are not the US-ASCII they declare",
         "<?xml version=\"1.0\" encoding=\"US-ASCII\"?>\n<rss version=\"2.0\">\r\n<channel>\r\n"
         "<title>\xE6\x97\xA5\xE6\x9C\xAC caf\xE9</title></channel></rss>",
         u"Its bytes are not valid US-ASCII, the encoding it declares: they stop being text at "
         u"byte 82 (0xE6), on line 4."_s,
         4, u"\u65E5\u672C caf\u00E9"_s},
        {"bytes that are not the Shift_JIS they declare",
         "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<rss version=\"2.0\"><channel>\n"
         "<title>\x82\xA0 \x81\x20</title></channel></rss>",
         u"Its bytes are not valid Shift_JIS, the encoding it declares: they stop being text at "
         u"byte 83 (0x81), on line 3."_s,
         3, u"\uFFFD"_s},
        {"bytes that are not UTF-8 in a file that declares no encoding",
         "<rss version=\"2.0\"><channel><title>caf\xE9</title></channel></rss>",
         u"Its bytes are not valid UTF-8, the encoding of a file that declares none: they stop "
         u"being text at byte 39 (0xE9), on line 1."_s,
         1, u"caf\u00E9"_s},
        {"no feed's root", "<?xml version=\"1.0\"?>\n<html><body>rss</body></html>",
         u"The document's root element is <html>, where a feed's root element is <rss>, "
         u"<rdf:RDF> or <feed>."_s,
         2},
        {"a root of a feed that only the text names", "<html><!-- <rss version=\"2.0\"> --></html>",
         u"The document's root element is <html>, where a feed's root element is <rss>, "
         u"<rdf:RDF> or <feed>."_s,
         1},
        {"no channel", "<!-- a feed -->\r\n<rss version=\"2.0\"><title>t</title></rss>",
         u"The feed's root element <rss> holds no <channel> element."_s, 2},
        {"no channel in RSS 1.0",
         "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
         "xmlns=\"http://purl.org/rss/1.0/\"><item/></rdf:RDF>",
         u"The feed's root element <rdf:RDF> holds no <channel> element."_s, 1},
        {"a feed's root in another letter case", "<Feed xmlns=\"http://www.w3.org/2005/Atom\"/>",
         u"The document's root element is <Feed>, where a feed's root element is <rss>, "
         u"<rdf:RDF> or <feed>."_s,
         1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const FeedLoader::Result result = opened(row.bytes);
        ASSERT_EQ(result.outcome, FeedLoader::Outcome::NotAFeed);
        const QString description
            = result.error.value(QLatin1String(vlxXMLDOM::kErrorDescriptionKey)).toString();
        const int parsersLine
            = result.error.value(QLatin1String(vlxXMLDOM::kErrorLineNumberKey)).toInt();
        EXPECT_EQ((parsersLine ? description : result.reason).toStdString(),
                  row.reason.toStdString());
        EXPECT_EQ(parsersLine ? parsersLine : result.reasonLine, row.line);
        // Bytes that give no text are offered to be mended all the same, the one at fault
        // shown in the line named.
        EXPECT_EQ(result.cause == VLXParseFeed::Cause::Undecodable, !row.shown.isEmpty());
        if (result.cause == VLXParseFeed::Cause::Undecodable) {
            const QStringList lines = VLXParseFeed::textForMending(row.bytes).split(u'\n');
            ASSERT_GE(lines.size(), row.line);
            EXPECT_TRUE(lines.at(row.line - 1).contains(row.shown));
        }
    }
}
