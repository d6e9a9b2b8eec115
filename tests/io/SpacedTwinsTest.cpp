// A feed whose tags some tool spaced ("< item>", "< /title>") reads as its written twin does, or
// is refused: never with other values, never with one item taken into another, and never where
// the written twin is refused.
#include "FeedReadTest.h"
#include "common/TwinFeed.h"
#include "io/VLXRSSWriter.h"
#include "xml/vlxXMLDOM.h"

#include <random>

using namespace Qt::StringLiterals;

namespace {

using SpacedTwins = FeedReadTest;
using Field = TwinFeed::Field;
using Fault = TwinFeed::Fault;
using Format = TwinFeed::Format;

// What a feed opened to, as the program writes it: every value it read, in order. The time of
// writing is left out.
QString readingOf(const VLXFeed &feed)
{
    QString reading = QString::fromUtf8(VLXRSSWriter(false).document(feed, false, false, 0));
    const qsizetype date = reading.indexOf(u"<lastBuildDate>");
    return date < 0 ? reading : reading.remove(date, reading.indexOf(u'\n', date) - date);
}

QString descriptionOf(const FeedLoader::Result &result)
{
    return result.error.value(QLatin1String(vlxXMLDOM::kErrorDescriptionKey)).toString();
}

// A feed of three items in the format, each with a title, a link, a description (Atom: a
// dc:description) and a guid; `change(n, fields)` rewrites the fields of item n, or of the
// channel for 0.
TwinFeed feedOf(Format format, const std::function<void(int, QList<Field> &)> &change)
{
    const bool atom = format == Format::Atom;
    const QString description = atom ? u"dc:description"_s : u"description"_s;
    TwinFeed feed;
    feed.format = format;
    for (int n = 0; n <= 3; ++n) {
        const QString link = u"https://example.org/%1"_s.arg(n);
        QList<Field> fields {{u"title"_s, n == 0 ? u"Show"_s : u"Episode %1"_s.arg(n)},
                             atom ? Field {u"link"_s, {}, u" href=\"%1\""_s.arg(link)}
                                  : Field {u"link"_s, link},
                             {description, n == 0 ? u"About the show"_s : u"Notes %1"_s.arg(n)}};
        if (n > 0)
            fields << Field {atom ? u"id"_s : u"guid"_s, u"urn:ep:%1"_s.arg(n)};
        change(n, fields);
        if (n == 0)
            feed.channel = fields;
        else
            feed.items << fields;
    }
    return feed;
}

// Item n's field at `index` (0 title, 1 link, 2 description) holding `value`, and that fault;
// the channel's for 0.
std::function<void(int, QList<Field> &)> itemField(int n, int index, const QString &value,
                                                   Fault fault = Fault::None)
{
    return [=](int at, QList<Field> &fields) {
        if (at != n)
            return;
        if (!value.isNull())
            fields[index].value = value;
        fields[index].fault = fault;
    };
}

// The feed with the tags of its faulty fields kept written.
TwinFeed faultsWritten(TwinFeed feed)
{
    for (QList<Field> *fields : {&feed.channel, &feed.items[0], &feed.items[1], &feed.items[2]}) {
        for (Field &field : *fields)
            field.written = field.fault != Fault::None;
    }
    return feed;
}

// Every item's field at `index` holding `value`.
std::function<void(int, QList<Field> &)> everyItemsField(int index, const QString &value)
{
    return [=](int at, QList<Field> &fields) {
        if (at > 0)
            fields[index].value = value;
    };
}

} // namespace

// From each written twin, the variant with every one of its own tags spaced, the same with a
// faulty value's tags written, and variants with a seeded half of them spaced: each opens with
// exactly its twin's values, or is refused, and is refused wherever its twin is, at the line
// the twin is refused at. Feeds whose every value a spaced reading can tell open in every
// variant.
TEST_F(SpacedTwins, ASpacedFeedReadsAsItsWrittenTwinOrIsRefused)
{
    for (const Format format : {Format::RSS20, Format::RSS10, Format::Atom}) {
        const struct
        {
            const char *what;
            std::function<void(int, QList<Field> &)> change;
            bool opens; // every variant opens, as the twin does
        } rows[] = {
            {"plain", [](int, QList<Field> &) {}, true},
            {"bare ampersands", everyItemsField(0, u"Fish & Chips"_s), true},
            {"bare brackets", everyItemsField(0, u"Team A < Team B > draw"_s), true},
            {"markup in a description", everyItemsField(2, u"Line one<br>Line two & more"_s), true},
            {"stray end tags", everyItemsField(2, u"Hello <b>bold</i> text</p>"_s), true},
            {"own name, spaced", everyItemsField(0, u"Why the < title> tag matters"_s), true},
            {"other names, spaced", everyItemsField(0, u"Team A < b > wins < /b >"_s), true},
            {"own end, written", everyItemsField(2, u"a </title> b"_s), true},
            {"own end, spaced", everyItemsField(0, u"Close it with < /title> please"_s), true},
            {"references", everyItemsField(0, u"R&amp;D &#233; &lt;i&gt;"_s), true},
            {"a value's end tag in a link", everyItemsField(1, u"https://e.org/</title>"_s), false},
            {"a document type in a value", everyItemsField(2, u"<!DOCTYPE x [ <item> ]> b & c"_s),
             false},
            {"attributes",
             [format](int n, QList<Field> &fields) {
                 if (n == 0)
                     return;
                 fields << Field {u"category"_s, u"News &amp; more"_s, u" domain=\"x\""_s}
                        << Field {u"category"_s, u"Tech"_s};
                 if (format == Format::Atom)
                     fields << Field {u"link"_s, {}, u" rel=\"enclosure\" href=\"a.mp3\""_s};
                 else
                     fields << Field {
                         u"enclosure"_s, {}, u" url=\"a.mp3\" length=\"1\" type=\"audio/mpeg\""_s};
             },
             true},
            {"title left open", itemField(1, 0, {}, Fault::LeftOpen), false},
            {"last title left open", itemField(3, 0, u"Episode 3 & more"_s, Fault::LeftOpen),
             false},
            {"description left open", itemField(2, 2, {}, Fault::LeftOpen), false},
            {"title misspelt", itemField(1, 0, {}, Fault::Misspelt), false},
            {"description misspelt", itemField(2, 2, u"a < b"_s, Fault::Misspelt), false},
            {"channel title left open", itemField(0, 0, {}, Fault::LeftOpen), false},
            {"link left open", itemField(2, 1, {}, Fault::LeftOpen), false},
        };
        constexpr int kSeeds = 6;
        for (const auto &row : rows) {
            const TwinFeed feed = feedOf(format, row.change);
            const QByteArray written = feed.written();
            const FeedLoader::Result twin = opened(written);
            const bool twinOpens = twin.outcome == FeedLoader::Outcome::Loaded;
            for (int seed = -2; seed < kSeeds; ++seed) {
                std::mt19937 random {unsigned(seed)};
                const QByteArray variant = (seed == -2 ? faultsWritten(feed) : feed).text([&](int) {
                    return seed < 0 || std::bernoulli_distribution(0.5)(random);
                });
                SCOPED_TRACE(
                    u"%1, %2, seed %3:\n%4"_s
                        .arg(QLatin1String(TwinFeed::nameOf(format)), QLatin1String(row.what))
                        .arg(seed)
                        .arg(QString::fromUtf8(variant))
                        .toStdString());
                const FeedLoader::Result result = opened(variant);
                const bool opens = result.outcome == FeedLoader::Outcome::Loaded;
                if (row.opens) {
                    ASSERT_TRUE(twinOpens) << descriptionOf(twin).toStdString();
                    EXPECT_TRUE(opens) << descriptionOf(result).toStdString();
                }
                if (!twinOpens) {
                    ASSERT_FALSE(opens) << readingOf(*result.feed).toStdString();
                    EXPECT_EQ(result.reasonLine, twin.reasonLine)
                        << descriptionOf(result).toStdString() << result.reason.toStdString();
                } else if (opens) {
                    EXPECT_EQ(readingOf(*result.feed).toStdString(),
                              readingOf(*twin.feed).toStdString());
                }
            }
        }
    }
}
