// The repairs made before parsing keep to the value they were written for: a value left open or
// closed by a misspelt tag never takes in the next item, the author's words, blanks and
// references are read as written, and a text they cannot mend is refused at the first fault they
// leave, on the line the parser names.
#include "FeedReadTest.h"
#include "io/FeedLoader.h"
#include "xml/vlxXMLDOM.h"

#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace {

using ValueRepairs = FeedReadTest;

struct Format
{
    const char *name;
    QString open, channel, item, close; // `channel` around the channel's lines, or none
    bool atom = false;
};
const QString kDeclarations = u" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                              u"xmlns:content=\"http://purl.org/rss/1.0/modules/content/\""_s;
const Format kFormats[] = {
    {"RSS 2.0", u"<rss version=\"2.0\"%1>\n<channel>"_s, {}, u"item"_s, u"</channel>\n</rss>"_s},
    {"RSS 1.0",
     u"<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
     u"xmlns=\"http://purl.org/rss/1.0/\"%1>"_s,
     u"channel"_s, u"item"_s, u"</rdf:RDF>"_s},
    {"Atom",
     u"<feed xmlns=\"http://www.w3.org/2005/Atom\"%1>"_s,
     {},
     u"entry"_s,
     u"</feed>"_s,
     true},
};

QString linkOf(int n)
{
    return u"https://example.org/%1"_s.arg(n);
}

// A feed of three items (entries), or `items`, one element a line: item n has the title
// "Episode n", the link linkOf(n) and, unless the field is the title, `field` with the value
// "Notes n". `lines(n)` may rewrite the lines of item n; `lines(0)` those of the channel, its
// title alone.
QByteArray feedOf(const Format &format, const QString &field,
                  const std::function<void(int, QStringList &)> &lines, int items = 3)
{
    QStringList out {u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"_s,
                     format.open.arg(kDeclarations)};
    for (int n = 0; n <= items; ++n) {
        QStringList item {n == 0 ? u"<title>Show</title>"_s
                                 : u"<title>Episode %1</title>"_s.arg(n)};
        if (n > 0) {
            item << (format.atom ? u"<link href=\"%1\"/>"_s : u"<link>%1</link>"_s).arg(linkOf(n));
            if (field != u"title")
                item << u"<%1>Notes %2</%1>"_s.arg(field).arg(n);
        }
        lines(n, item);
        const QString element = n == 0 ? format.channel : format.item;
        const QString about = format.atom ? QString() : u" rdf:about=\"%1\""_s.arg(linkOf(n));
        if (!element.isEmpty())
            out << u"<%1%2>"_s.arg(element, format.channel.isEmpty() ? QString() : about);
        out << item;
        if (!element.isEmpty())
            out << u"</%1>"_s.arg(element);
    }
    out << format.close;
    return out.join(u'\n').toUtf8();
}

// Every item the text starts is read, in order, with its own link.
void expectEveryItemWhole(const VLXFeed &feed, int items = 3)
{
    ASSERT_EQ(feed.countOfItems(), items);
    for (int n = 1; n <= items; ++n)
        EXPECT_EQ(feed.itemAtIndex(n - 1)->link(), linkOf(n));
}

// The text XML reads in every element of that qualified name, in order.
QStringList valuesIn(const QString &text, const QString &qualifiedName)
{
    QStringList values;
    QXmlStreamReader reader(text);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement
            && reader.qualifiedName() == qualifiedName)
            values << reader.readElementText(QXmlStreamReader::IncludeChildElements);
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return values;
}

} // namespace

// A value left open, or closed by a misspelt end tag, reaches into the next item: the repair
// leaves it alone, and the text is refused at the fault, on the line xmllint names, in the
// channel, the first, a middle and the last item, and with a bare "&" in a link of the stretch it
// would take in.
TEST_F(ValueRepairs, AValueLeftOpenNeverTakesInTheNextItem)
{
    const QString faults[] = {u"<%1>%2 & more"_s, u"<%1>%2 & more</%3>"_s, u"<%1>%2 & more</%1"_s,
                              u"<%1>%2 <b>bold</i> & more"_s};
    for (const Format &format : kFormats) {
        for (const QString &field :
             {u"title"_s, u"description"_s, u"content:encoded"_s, u"dc:description"_s}) {
            for (const QString &fault : faults) {
                for (int broken = field == u"title" ? 0 : 1; broken <= 3; ++broken) {
                    for (const bool bareLink : {false, true}) {
                        if (bareLink && (broken == 3 || format.atom))
                            continue; // no later item, or no link text to hold a bare "&"
                        SCOPED_TRACE(u"%1, %2 as %3 in item %4, bare link %5"_s
                                         .arg(QLatin1String(format.name), field, fault)
                                         .arg(broken)
                                         .arg(bareLink)
                                         .toStdString());
                        const QByteArray bytes
                            = feedOf(format, field, [&](int n, QStringList &item) {
                                  if (n == broken)
                                      item[n == 0 || field == u"title" ? 0 : 2]
                                          = QString(fault)
                                                .replace(u"%3"_s, field.chopped(1))
                                                .arg(field, u"Notes"_s);
                                  if (bareLink && n == broken + 1)
                                      item[1] = u"<link>%1?a=1&b=2</link>"_s.arg(linkOf(n));
                              });
                        const FeedLoader::Result result = opened(bytes);
                        if (result.outcome == FeedLoader::Outcome::Loaded) {
                            expectEveryItemWhole(*result.feed);
                            continue;
                        }
                        vlxXMLDOM asItStands;
                        EXPECT_FALSE(asItStands.initWithData(bytes));
                        EXPECT_EQ(result.outcome, FeedLoader::Outcome::NotAFeed);
                        EXPECT_EQ(result.cause, VLXParseFeed::Cause::NotWellFormed);
                        EXPECT_EQ(result.reasonLine, asItStands.errorLineNumber());
                    }
                }
            }
        }
    }
}

// The repairs mend a bare "&" or "<", raw markup and spaced tags, and the values read as the
// author wrote them: blanks, "<" and ">" of the text, and the references already written. Each
// text is repaired once, the text as it stood and the repaired text parsed once each, and the
// repair logged once.
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
        // A spaced tag inside a value is the author's text, its own name's among them.
        {"title", u"Why the < title> tag matters"_s, {}},
        {"title", u"Close it with < /title> please"_s, {}},
        {"title", u"a < b > c </b>"_s, {}},
        {"title", u"Team A < b > wins < /b >"_s, {}},
        {"description", u"Use < description> for show notes"_s, {}, false},
        {"title", u"< b >Bold< /b > news"_s, {}},
        {"description", u"< p>Hello< /p> & more"_s, {}, false},
    };
    for (const auto &row : rows) {
        for (const Format &format : kFormats) {
            if (!row.rdfAndAtom && &format != &kFormats[0])
                continue;
            const QString field = QLatin1String(row.field);
            SCOPED_TRACE(
                u"%1, %2: %3"_s.arg(QLatin1String(format.name), field, row.written).toStdString());
            const QByteArray bytes = feedOf(format, field, [&](int n, QStringList &item) {
                if (n > 0)
                    item[field == u"title" ? 0 : 2] = u"<%1>%2</%1>"_s.arg(field, row.written);
            });
            const quint64 parsed = vlxXMLDOM::documentsParsed();
            const quint64 repaired = VLXParseFeed::textsRepaired();
            const FeedLoader::Result result = opened(bytes);
            ASSERT_EQ(result.outcome, FeedLoader::Outcome::Loaded)
                << descriptionOf(result).toStdString();
            EXPECT_EQ(vlxXMLDOM::documentsParsed() - parsed, 2u);
            EXPECT_EQ(VLXParseFeed::textsRepaired() - repaired, 1u);
            EXPECT_EQ(repairsOf(*result.feed)
                          .count(u"Fixed the encoding in the value of the %1 tag"_s.arg(field)),
                      1);
            EXPECT_FALSE(repairsOf(*result.feed)
                             .contains(u"Removed illegal whitespace at start of XML tags"_s));
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
// parser's words for it, or what the document lacks. The reader let go of the text once
// repaired: a text XML does not read is handed back as it stood, to be mended.
TEST_F(ValueRepairs, ARefusalNamesTheFaultTheRepairsLeave)
{
    const QByteArray head = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\">\n<channel>\n";
    const struct
    {
        QByteArray bytes;
        QString said; // the parser's message, or a part of the reason
        int line;
    } rows[] = {
        {head
             + "<title>Salt & Pepper</title>\n<description>d</description>\n"
               "<link>https://example.org/?x=1&y=2</link>\n</channel>\n</rss>",
         u"EntityRef: expecting ';'"_s, 6},
        // Both tags of a link spaced among its text; a spaced end tag that ends nothing open.
        {head
             + "<title>Q&A</title>\n<link>http://example.com/< b >1< /b ></link>\n</channel>\n"
               "</rss>",
         u"StartTag: invalid element name"_s, 5},
        {head + "<title>Q&A</title>\n<guid>a< /b></guid>\n</channel>\n</rss>",
         u"StartTag: invalid element name"_s, 5},
        // A channel title left open before the image's title: the fault is the title's line.
        {head
             + "<title>Show & more\n<link>https://example.org/</link>\n<image>\n"
               "<title>Logo</title>\n<url>https://example.org/a.png</url>\n</image>\n"
               "</channel>\n</rss>",
         u"EntityRef"_s, 4},
        {"<?xml version=\"1.0\"?>\n<rss version=\"2.0\">\n<title>Q&A</title>\n</rss>",
         u"holds no <channel>"_s, 2},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.bytes.toStdString());
        const FeedLoader::Result result = opened(row.bytes);
        EXPECT_NE(result.outcome, FeedLoader::Outcome::Loaded);
        EXPECT_EQ(result.reasonLine, row.line);
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
    const struct
    {
        qint64 room; // units the limit leaves beyond the repaired text
        int accents; // characters of two bytes in UTF-8
    } rows[] = {{0, 0}, {-1, 0}, {0, 10}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.room - row.accents);
        // 1,000 ampersands, each grown by four units.
        const QString value = QString(row.accents, u'\u00e9') + QString(1000, u'&');
        const QString text = u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\">"
                             u"<channel><title>%1</title></channel></rss>"_s.arg(value);
        vlxXMLDOM::setMaximumInputSize(text.size() + 4000 + row.room);
        VLXParseFeed reader;
        const quint64 escaped = VLXParseFeed::valuesEscaped();
        const int status = reader.isItAFeed(text);
        // A value that would take the text past the limit in characters is never built.
        EXPECT_EQ(VLXParseFeed::valuesEscaped() - escaped, row.room < 0 ? 0u : 1u);
        if (row.room == 0 && row.accents == 0) {
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

// An end tag a value's HTML did not open ("</i>" in "<b>bold</i>"), or a "<" that ends no tag,
// is the author's text: no item is in doubt, and the value opens as written, in the
// descriptions and the encoded content of every format.
TEST_F(ValueRepairs, StrayMarkupInAValueIsTheAuthorsText)
{
    const QString values[]
        = {u"Hello <b>bold</i> text"_s, u"one</p> two"_s, u"use the <item element"_s,
           u"<p>Fish & Chips</b></p>"_s, u"a < b</p>"_s};
    for (const Format &format : kFormats) {
        for (const QString &field : {u"description"_s, u"content:encoded"_s, u"dc:description"_s}) {
            for (const QString &value : values) {
                SCOPED_TRACE(
                    u"%1, %2: %3"_s.arg(QLatin1String(format.name), field, value).toStdString());
                const QByteArray bytes = feedOf(format, field, [&](int n, QStringList &item) {
                    if (n > 0)
                        item[2] = u"<%1>%2</%1>"_s.arg(field, value);
                });
                const FeedLoader::Result result = opened(bytes);
                ASSERT_EQ(result.outcome, FeedLoader::Outcome::Loaded)
                    << descriptionOf(result).toStdString();
                expectEveryItemWhole(*result.feed);
                QStringList messages;
                const QString repaired
                    = VLXParseFeed::repairText(QString::fromUtf8(bytes), &messages);
                EXPECT_EQ(valuesIn(repaired, field), QStringList(3, value));
            }
        }
    }
}

// A feed whose every tag is spaced ("< item>" … "< /item>", down to the root's) opens whole, in
// each format, and so does one whose values name their own tags, spaced, as text.
TEST_F(ValueRepairs, AFeedOfSpacedTagsOpensWhole)
{
    // Every "<" of a tag, but the declaration's, followed by blanks (Atom's empty links too).
    const auto spaced = [](const QByteArray &bytes) {
        QByteArray out;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            out += bytes[i];
            if (bytes[i] == '<' && i + 1 < bytes.size() && bytes[i + 1] != '?')
                out += i % 2 ? " " : "  ";
        }
        return out;
    };
    // The items' titles: the episodes', or one that names a tag spaced, set once spaced.
    const QString titles[] = {{}, u"Why the < title> tag"_s, u"Team A < b > wins"_s};
    for (const Format &format : kFormats) {
        for (const QString &title : titles) {
            SCOPED_TRACE(u"%1, %2"_s.arg(QLatin1String(format.name), title).toStdString());
            QByteArray bytes = spaced(feedOf(format, u"description"_s, [](int, QStringList &) {}));
            for (int n = 1; n <= 3 && !title.isNull(); ++n)
                bytes.replace(u"Episode %1"_s.arg(n).toUtf8(), title.toUtf8());
            const FeedLoader::Result result = opened(bytes);
            ASSERT_EQ(result.outcome, FeedLoader::Outcome::Loaded)
                << descriptionOf(result).toStdString() << "\n"
                << bytes.toStdString();
            expectEveryItemWhole(*result.feed);
            EXPECT_EQ(result.feed->title(), u"Show"_s);
            for (int n = 1; n <= 3; ++n) {
                EXPECT_EQ(result.feed->itemAtIndex(n - 1)->title(),
                          title.isNull() ? u"Episode %1"_s.arg(n) : title);
            }
            EXPECT_TRUE(repairsOf(*result.feed)
                            .contains(u"Removed illegal whitespace at start of XML tags"_s));
        }
    }
}

// What is open around a value is the feed's own elements: the markup of an earlier value (its
// unclosed "<br>", however many), of a comment, or of an element closed before, leaves nothing
// open that a later value's stray end tag could end. The values read as written, references
// beside their markup too.
TEST_F(ValueRepairs, WhatIsOpenAroundAValueIsTheFeedsOwn)
{
    using Lines = std::function<void(int, QStringList &)>;
    // The descriptions of items `first` to `last` holding `value`; a line added to item n.
    const auto descriptions = [](int first, int last, const QString &value) -> Lines {
        return [=](int n, QStringList &lines) {
            if (n >= first && n <= last)
                lines[2] = u"<description>%1</description>"_s.arg(value);
        };
    };
    const auto added = [](int at, const QString &line) -> Lines {
        return [=](int n, QStringList &lines) {
            if (n == at)
                lines << line;
        };
    };
    const struct
    {
        const char *what;
        QString description; // of the last item
        Lines before; // the lines of the channel and the items before it
        int items = 3;
        QString read = {}; // the last description read; null: as written
    } rows[] = {
        {"64 unclosed tags before", u"Hello </br> world"_s,
         descriptions(1, 1, u"<br>"_s.repeated(64))},
        {"65 unclosed tags before", u"Hello </br> world"_s,
         descriptions(1, 1, u"<br>"_s.repeated(65))},
        {"past 65,536 unclosed tags before", u"a</p> b"_s,
         descriptions(1, 1000, u"<br>"_s.repeated(66)), 1001},
        {"a paragraph closed in an earlier value", u"two</p> & three"_s,
         descriptions(1, 1, u"<p>one</p>"_s)},
        {"an element closed before", u"a </category> & b"_s,
         added(1, u"<category><p>News</p></category>"_s)},
        {"a tag in a comment", u"Fish & chips</p> more"_s, added(0, u"<!-- template: <p> -->"_s)},
        {"references beside markup", u"AT&T &lt;i&gt;hi&lt;/i&gt; <b>news</b>"_s,
         [](int, QStringList &) {}, 3, u"AT&T <i>hi</i> <b>news</b>"_s},
    };
    for (const Format &format : kFormats) {
        for (const auto &row : rows) {
            SCOPED_TRACE(
                u"%1, %2"_s.arg(QLatin1String(format.name), QLatin1String(row.what)).toStdString());
            const QByteArray bytes = feedOf(
                format, u"dc:description"_s,
                [&](int n, QStringList &lines) {
                    row.before(n, lines);
                    if (n == row.items)
                        lines[2] = u"<dc:description>%1</dc:description>"_s.arg(row.description);
                },
                row.items);
            const FeedLoader::Result result = opened(bytes);
            ASSERT_EQ(result.outcome, FeedLoader::Outcome::Loaded)
                << descriptionOf(result).toStdString();
            expectEveryItemWhole(*result.feed, row.items);
            QStringList messages;
            const QStringList values = valuesIn(
                VLXParseFeed::repairText(QString::fromUtf8(bytes), &messages), u"dc:description"_s);
            EXPECT_EQ(values.value(values.size() - 1).toStdString(),
                      (row.read.isNull() ? row.description : row.read).toStdString());
        }
    }
}
