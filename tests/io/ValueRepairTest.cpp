// The repairs made before parsing keep to the value they were written for: a value left open or
// closed by a misspelt tag never takes in the next item, the author's words, blanks and
// references are read as written, and a text they cannot mend is refused at the first fault they
// leave, on the line the parser names.
#include "FeedReadTest.h"
#include "io/FeedLoader.h"
#include "xml/vlxXMLDOM.h"

using namespace Qt::StringLiterals;

namespace {

using ValueRepairs = FeedReadTest;

enum class Format { RSS20, RSS10, Atom };

const char *nameOf(Format format)
{
    return format == Format::RSS20 ? "RSS 2.0" : format == Format::RSS10 ? "RSS 1.0" : "Atom";
}

QString linkOf(int n)
{
    return u"https://example.org/%1"_s.arg(n);
}

// A feed of three items (entries), one element a line: item n has the title "Episode n", the
// link linkOf(n) and, unless the field is the title, `field` with the value "Notes n".
// `lines(n)` may rewrite the lines of item n, its start and end tags left out; `lines(0)` those
// of the channel (the feed) before the items, its title alone.
QByteArray feedOf(Format format, const QString &field,
                  const std::function<void(int, QStringList &)> &lines = {})
{
    const QString declarations = u" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                                 u"xmlns:content=\"http://purl.org/rss/1.0/modules/content/\""_s;
    QStringList out {u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"_s};
    QStringList channel {u"<title>Show</title>"_s};
    if (lines)
        lines(0, channel);
    switch (format) {
    case Format::RSS20:
        out << u"<rss version=\"2.0\"%1>"_s.arg(declarations) << u"<channel>"_s << channel;
        break;
    case Format::RSS10:
        out << u"<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
               u"xmlns=\"http://purl.org/rss/1.0/\"%1>"_s.arg(declarations)
            << u"<channel rdf:about=\"https://example.org/\">"_s << channel << u"</channel>"_s;
        break;
    case Format::Atom:
        out << u"<feed xmlns=\"http://www.w3.org/2005/Atom\"%1>"_s.arg(declarations) << channel;
        break;
    }
    for (int n = 1; n <= 3; ++n) {
        QStringList item {u"<title>Episode %1</title>"_s.arg(n),
                          format == Format::Atom ? u"<link href=\"%1\"/>"_s.arg(linkOf(n))
                                                 : u"<link>%1</link>"_s.arg(linkOf(n))};
        if (field != u"title")
            item << u"<%1>Notes %2</%1>"_s.arg(field).arg(n);
        if (lines)
            lines(n, item);
        out << (format == Format::RSS20       ? u"<item>"_s
                    : format == Format::RSS10 ? u"<item rdf:about=\"%1\">"_s.arg(linkOf(n))
                                              : u"<entry>"_s)
            << item << (format == Format::Atom ? u"</entry>"_s : u"</item>"_s);
    }
    out << (format == Format::RSS20       ? u"</channel>\n</rss>"_s
                : format == Format::RSS10 ? u"</rdf:RDF>"_s
                                          : u"</feed>"_s);
    return out.join(u'\n').toUtf8();
}

// The line the parser names for the text as it stands: what xmllint says of the file.
int parsersLine(const QByteArray &bytes)
{
    vlxXMLDOM dom;
    EXPECT_FALSE(dom.initWithData(bytes)) << "the text is well-formed";
    return dom.errorLineNumber();
}

// Every item the text starts is read, in order, with its own link.
void expectEveryItemWhole(const VLXFeed &feed)
{
    ASSERT_EQ(feed.countOfItems(), 3);
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(feed.itemAtIndex(n - 1)->link(), linkOf(n));
}

QString descriptionOf(const FeedLoader::Result &result)
{
    return result.error.value(QLatin1String(vlxXMLDOM::kErrorDescriptionKey)).toString();
}

} // namespace

// A value left open, or closed by a misspelt end tag, reaches into the next item: the repair
// leaves it alone, and the text is refused at the fault, on the line xmllint names, in the first,
// a middle and the last item, and with a bare "&" in a link of the stretch it would take in.
TEST_F(ValueRepairs, AValueLeftOpenNeverTakesInTheNextItem)
{
    const struct
    {
        const char *name;
        // The field's line of the broken item, given the field and its value.
        QString (*broken)(const QString &field, const QString &value);
    } faults[] = {
        {"left open",
         [](const QString &field, const QString &value) {
             return u"<%1>%2 & more"_s.arg(field, value);
         }},
        {"closed by a misspelt tag",
         [](const QString &field, const QString &value) {
             return u"<%1>%2 & more</%3>"_s.arg(field, value, field.chopped(1));
         }},
        {"closed without its >",
         [](const QString &field, const QString &value) {
             return u"<%1>%2 & more</%1"_s.arg(field, value);
         }},
    };
    const QStringList fields {u"title"_s, u"description"_s, u"content:encoded"_s,
                              u"dc:description"_s};
    for (const Format format : {Format::RSS20, Format::RSS10, Format::Atom}) {
        for (const QString &field : fields) {
            for (const auto &fault : faults) {
                // 0: the channel's (the feed's) title, before the first item.
                for (int broken = field == u"title" ? 0 : 1; broken <= 3; ++broken) {
                    for (const bool bareLink : {false, true}) {
                        if (bareLink && (broken == 3 || format == Format::Atom))
                            continue; // no later item, or no link text to hold a bare "&"
                        SCOPED_TRACE(
                            u"%1, %2 %3 in item %4%5"_s
                                .arg(QLatin1String(nameOf(format)), field,
                                     QLatin1String(fault.name))
                                .arg(broken)
                                .arg(bareLink ? u", a bare & in the next link"_s : QString())
                                .toStdString());
                        const QByteArray bytes
                            = feedOf(format, field, [&](int n, QStringList &item) {
                                  const qsizetype at = n == 0 || field == u"title" ? 0 : 2;
                                  if (n == broken)
                                      item[at]
                                          = fault.broken(field, n == 1 ? u"Notes"_s : u"Value"_s);
                                  if (bareLink && n == broken + 1)
                                      item[1] = u"<link>%1?a=1&b=2</link>"_s.arg(linkOf(n));
                              });
                        const FeedLoader::Result result = opened(bytes);
                        if (result.outcome == FeedLoader::Outcome::Loaded) {
                            expectEveryItemWhole(*result.feed);
                            continue;
                        }
                        EXPECT_EQ(result.outcome, FeedLoader::Outcome::NotAFeed);
                        EXPECT_EQ(result.cause, VLXParseFeed::Cause::NotWellFormed);
                        EXPECT_EQ(result.reasonLine, parsersLine(bytes));
                    }
                }
            }
        }
    }
}

// The repairs mend a bare "&" or "<", raw markup and spaced tags, and the values read as the
// author wrote them: blanks, "<" and ">" of the text, and the references already written.
TEST_F(ValueRepairs, TheMendedValuesReadAsWritten)
{
    const struct
    {
        const char *field;
        QString written;
        QString read; // null: as written
        bool rdfAndAtom = true; // also in RSS 1.0 and Atom
    } rows[] = {
        {"title", u"Team A < Team B > draw"_s, {}},
        {"title", u"1 < 2 & 3 > 2"_s, {}},
        {"title", u"<<< NEW EPISODE >>>"_s, {}},
        {"title", u"Use the < br > tag"_s, {}},
        {"title", u"Use the <br > tag & more"_s, {}},
        {"title", u"when x < y and y > z"_s, {}},
        {"title", u"Q&A"_s, {}},
        {"title", u"Q & A; R&amp;D &#233;"_s, u"Q & A; R&D \u00e9"_s},
        {"description", u"&lt;p&gt;Hi&lt;/p&gt; <br> more"_s, u"<p>Hi</p> <br> more"_s, false},
        {"description", u"Line one<br>Line two & more"_s, {}, false},
    };
    for (const auto &row : rows) {
        for (const Format format : {Format::RSS20, Format::RSS10, Format::Atom}) {
            if (format != Format::RSS20 && !row.rdfAndAtom)
                continue;
            const QString field = QLatin1String(row.field);
            SCOPED_TRACE(u"%1, %2: %3"_s.arg(QLatin1String(nameOf(format)), field, row.written)
                             .toStdString());
            const QByteArray bytes = feedOf(format, field, [&](int n, QStringList &item) {
                if (n > 0)
                    item[field == u"title" ? 0 : 2] = u"<%1>%2</%1>"_s.arg(field, row.written);
            });
            const FeedLoader::Result result = opened(bytes);
            ASSERT_EQ(result.outcome, FeedLoader::Outcome::Loaded)
                << descriptionOf(result).toStdString();
            expectEveryItemWhole(*result.feed);
            const QString expected = row.read.isNull() ? row.written : row.read;
            for (int n = 0; n < result.feed->countOfItems(); ++n) {
                const VLXItems &item = *result.feed->itemAtIndex(n);
                EXPECT_EQ(
                    (field == u"title" ? item.title() : item.descriptionElement()).toStdString(),
                    expected.toStdString());
            }
        }
    }
}

// A text the repairs mend in part is refused at the first fault they leave: its line and the
// parser's words for it, or what the document lacks.
TEST_F(ValueRepairs, ARefusalNamesTheFaultTheRepairsLeave)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString said; // the parser's message, or a part of the reason
        int line;
    } rows[] = {
        {"a bare & in a link after a mended title",
         "<?xml version=\"1.0\"?>\n<rss version=\"2.0\">\n<channel>\n<title>Salt & Pepper</title>"
         "\n<description>d</description>\n<link>https://example.org/?x=1&y=2</link>\n"
         "</channel>\n</rss>",
         u"EntityRef: expecting ';'"_s, 6},
        {"both tags of a link spaced",
         "<?xml version=\"1.0\"?>\n<rss version=\"2.0\">\n<channel>\n<title>Q&A</title>\n"
         "<link>http://example.com/< b >1< /b ></link>\n</channel>\n</rss>",
         u"StartTag: invalid element name"_s, 5},
        {"a spaced end tag that ends nothing open",
         "<?xml version=\"1.0\"?>\n<rss version=\"2.0\">\n<channel>\n<title>Q&A</title>\n"
         "<guid>a< /b></guid>\n</channel>\n</rss>",
         u"StartTag: invalid element name"_s, 5},
        {"an end tag the description did not open",
         "<?xml version=\"1.0\"?>\n<rss version=\"2.0\">\n<channel>\n<title>Q&A</title>\n"
         "<description>a < b</p></description>\n</channel>\n</rss>",
         u"StartTag: invalid element name"_s, 5},
        {"an rss root without a channel",
         "<?xml version=\"1.0\"?>\n<rss version=\"2.0\">\n<title>Q&A</title>\n</rss>",
         u"holds no <channel>"_s, 2},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const FeedLoader::Result result = opened(row.bytes);
        EXPECT_NE(result.outcome, FeedLoader::Outcome::Loaded);
        EXPECT_EQ(result.reasonLine, row.line);
        // The reader let go of the text once repaired: a text XML does not read is handed back
        // as it stood, to be mended.
        if (result.cause == VLXParseFeed::Cause::NotWellFormed) {
            EXPECT_EQ(result.text.toStdString(), row.bytes.toStdString());
        }
        EXPECT_TRUE(descriptionOf(result).contains(row.said) || result.reason.contains(row.said))
            << descriptionOf(result).toStdString() << result.reason.toStdString();
    }
}

// The repaired text may not grow past what the parser reads: a value whose escaping would take
// it one unit past the limit is refused for the text's own fault, never built; at the limit it
// opens. A repaired text within the limit in characters but past it in the parser's bytes is
// refused for the text's own fault too.
TEST_F(ValueRepairs, ARepairStopsAtTheParsersLimit)
{
    const qint64 limit = vlxXMLDOM::maximumInputSize();
    const QString head
        = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel><title>"_s;
    const QString tail = u"</title></channel></rss>"_s;
    const int ampersands = 1000; // each grows by four units
    const struct
    {
        const char *name;
        qint64 room; // units the limit leaves beyond the repaired text
        int accents; // characters of two bytes in UTF-8
        bool opens;
    } rows[] = {
        {"at the limit", 0, 0, true},
        {"one past it", -1, 0, false},
        {"past it in bytes", 0, 10, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QString value = QString(row.accents, u'\u00e9') + QString(ampersands, u'&');
        const QString text = head + value + tail;
        vlxXMLDOM::setMaximumInputSize(text.size() + 4 * ampersands + row.room);
        VLXParseFeed reader;
        const int status = reader.isItAFeed(text);
        if (row.opens) {
            EXPECT_EQ(status, VLXParseFeed::Success);
            EXPECT_EQ(reader.parseFeed(text, QString(), nullptr), VLXParseFeed::Success);
            EXPECT_EQ(reader.feed()->title(), value);
        } else {
            EXPECT_EQ(status, VLXParseFeed::NotAFeed);
            EXPECT_EQ(reader.refusalLine(), 2);
            EXPECT_TRUE(reader.errorDictionary()
                            .value(QLatin1String(vlxXMLDOM::kErrorDescriptionKey))
                            .toString()
                            .contains(u"EntityRef"));
        }
    }
    vlxXMLDOM::setMaximumInputSize(limit);
}

// A text that needs a repair is repaired once: the read takes the text the check repaired and
// the tree it parsed, so the whole open parses the text as it stood and the repaired text once
// each, and logs each repair once.
TEST_F(ValueRepairs, ATextIsRepairedAndParsedOnce)
{
    const QByteArray bytes = feedOf(Format::RSS20, u"description"_s, [](int, QStringList &item) {
        item[0] = u"<title>Q&A</title>"_s;
    });
    const quint64 parsed = vlxXMLDOM::documentsParsed();
    const quint64 repaired = VLXParseFeed::textsRepaired();
    const FeedLoader::Result result = opened(bytes);
    ASSERT_EQ(result.outcome, FeedLoader::Outcome::Loaded);
    EXPECT_EQ(vlxXMLDOM::documentsParsed() - parsed, 2u);
    EXPECT_EQ(VLXParseFeed::textsRepaired() - repaired, 1u);
    EXPECT_EQ(repairsOf(*result.feed).count(u"Fixed the encoding in the value of the title tag"_s),
              1);
}

// The blanks after a "<" go only where the written tags around it make the tag certain: a
// spaced start tag a written end tag closes, a spaced end tag that ends a written start tag's
// element. Anywhere else the "<" and its blanks are the author's text.
TEST_F(ValueRepairs, SpacedTagsAreMendedOnlyWhereTheWrittenTagsMakeThemCertain)
{
    const struct
    {
        QString in, out;
        bool mended; // whether the log says so
    } rows[] = {
        {u"<item>< title>x</title></item>"_s, u"<item><title>x</title></item>"_s, true},
        {u"<item><title>x< /title></item>"_s, u"<item><title>x</title></item>"_s, true},
        {u"<   item>< /x><title>x</title></item>"_s, u"<item>< /x><title>x</title></item>"_s, true},
        {u"<item><link>/< b >1< /b ></link></item>"_s, u"<item><link>/< b >1< /b ></link></item>"_s,
         false},
        {u"<title>a < 1> b</title>"_s, u"<title>a &lt; 1&gt; b</title>"_s, false},
        {u"<title>a < b> c</title><b>d</b>"_s, u"<title>a &lt; b&gt; c</title><b>d</b>"_s, false},
        {u"<title><<< NEW >>></title>"_s, u"<title>&lt;&lt;&lt; NEW &gt;&gt;&gt;</title>"_s, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.in.toStdString());
        QStringList messages;
        EXPECT_EQ(VLXParseFeed::repairText(row.in, &messages).toStdString(), row.out.toStdString());
        EXPECT_EQ(messages.contains(u"Removed illegal whitespace at start of XML tags"_s),
                  row.mended);
    }
}
