// A feed whose tags some tool spaced ("< item>", "< /title>") reads as its written twin does, or
// is refused: never with other values, never with one item taken into another, and never where
// the written twin is refused.
#include "FeedReadTest.h"
#include "common/TwinFeed.h"
#include "io/VLXRSSWriter.h"

#include <random>

using namespace Qt::StringLiterals;

namespace {

using SpacedTwins = FeedReadTest;
using Field = TwinFeed::Field;
using Fault = TwinFeed::Fault;
using Format = TwinFeed::Format;
using Change = std::function<void(int, QList<Field> &)>;

// What a feed opened to, as the program writes it: every value it read, in order. The time of
// writing is left out.
QString readingOf(const VLXFeed &feed)
{
    QString reading = QString::fromUtf8(VLXRSSWriter(false).document(feed, false, false, 0));
    const qsizetype date = reading.indexOf(u"<lastBuildDate>");
    return date < 0 ? reading : reading.remove(date, reading.indexOf(u'\n', date) - date);
}

// A feed of three items in the format, each with a title, a link, a description (Atom: a
// dc:description) and a guid; `change(n, fields)` rewrites the fields of item n, or of the
// channel for 0.
TwinFeed feedOf(Format format, const Change &change)
{
    const bool atom = format == Format::Atom;
    TwinFeed feed;
    feed.format = format;
    for (int n = 0; n <= 3; ++n) {
        const QString link = u"https://example.org/%1"_s.arg(n);
        QList<Field> fields {{u"title"_s, n == 0 ? u"Show"_s : u"Episode %1"_s.arg(n)},
                             atom ? Field {u"link"_s, {}, u" href=\"%1\""_s.arg(link)}
                                  : Field {u"link"_s, link},
                             {atom ? u"dc:description"_s : u"description"_s, u"Notes"_s}};
        if (n > 0)
            fields << Field {atom ? u"id"_s : u"guid"_s, u"urn:ep:%1"_s.arg(n)};
        change(n, fields);
        (n == 0 ? feed.channel : feed.items.emplace_back()) = fields;
    }
    return feed;
}

// The field at `index` (0 title, 1 link, 2 description) of item n (0: the channel; -1: every
// item) holding `value` (null: as it was), with that fault.
Change field(int n, int index, const QString &value, Fault fault = Fault::None)
{
    return [=](int at, QList<Field> &fields) {
        if (at != n && (n >= 0 || at == 0))
            return;
        if (!value.isNull())
            fields[index].value = value;
        fields[index].fault = fault;
    };
}

} // namespace

// From each written twin, the variant with every one of its own tags spaced, the same with a
// faulty value's tags written, and variants with a random half of them spaced (the same half on
// every run): each opens with exactly its twin's values, or is refused, and is refused wherever
// its twin is, at the line the twin is refused at. Feeds whose every value a spaced reading can
// tell open in every variant.
TEST_F(SpacedTwins, ASpacedFeedReadsAsItsWrittenTwinOrIsRefused)
{
    for (const Format format : {Format::RSS20, Format::RSS10, Format::Atom}) {
        const Change attributes = [format](int n, QList<Field> &fields) {
            if (n == 0)
                return;
            fields << Field {u"category"_s, u"News &amp; more"_s, u" domain=\"x\""_s}
                   << Field {u"category"_s, u"Tech"_s};
            fields << (format == Format::Atom
                           ? Field {u"link"_s, {}, u" rel=\"enclosure\" href=\"a.mp3\""_s}
                           : Field {u"enclosure"_s, {}, u" url=\"a.mp3\" length=\"1\""_s});
        };
        const struct
        {
            const char *what;
            Change change;
            bool opens; // every variant opens, as the twin does
        } rows[] = {
            {"plain", [](int, QList<Field> &) {}, true},
            {"bare ampersands", field(-1, 0, u"Fish & Chips"_s), true},
            {"bare brackets", field(-1, 0, u"Team A < Team B > draw"_s), true},
            {"markup in a description", field(-1, 2, u"Line one<br>Line two & more"_s), true},
            {"stray end tags", field(-1, 2, u"Hello <b>bold</i> text</p>"_s), true},
            {"own name, spaced", field(-1, 0, u"Why the < title> tag matters"_s), true},
            {"other names, spaced", field(-1, 0, u"Team A < b > wins < /b >"_s), true},
            {"own end, written", field(-1, 2, u"a </title> b"_s), true},
            {"own end, spaced", field(-1, 0, u"Close it with < /title> please"_s), true},
            {"references", field(-1, 0, u"R&amp;D &#233; &lt;i&gt;"_s), true},
            {"attributes and categories", attributes, true},
            {"a value's end tag in a link", field(-1, 1, u"https://e.org/</title>"_s), false},
            {"a document type in a value", field(-1, 2, u"<!DOCTYPE x [ <item> ]> b & c"_s), false},
            {"title left open", field(1, 0, {}, Fault::LeftOpen), false},
            {"last title left open", field(3, 0, u"Episode 3 & more"_s, Fault::LeftOpen), false},
            {"description left open", field(2, 2, {}, Fault::LeftOpen), false},
            {"title misspelt", field(1, 0, {}, Fault::Misspelt), false},
            {"description misspelt", field(2, 2, u"a < b"_s, Fault::Misspelt), false},
            {"channel title left open", field(0, 0, {}, Fault::LeftOpen), false},
            {"link left open", field(2, 1, {}, Fault::LeftOpen), false},
        };
        for (const auto &row : rows) {
            const TwinFeed feed = feedOf(format, row.change);
            const FeedLoader::Result twin = opened(feed.written());
            const bool twinOpens = twin.outcome == FeedLoader::Outcome::Loaded;
            ASSERT_TRUE(twinOpens || !row.opens) << row.what;
            // -2: every tag spaced but a faulty value's; -1: every tag; else a random half.
            for (int variant = -2; variant < 6; ++variant) {
                std::mt19937 random {unsigned(variant)};
                const QByteArray text = feed.text(
                    [&](int) { return variant < 0 || std::bernoulli_distribution(0.5)(random); },
                    variant == -2);
                SCOPED_TRACE(u"%1, %2:\n%3"_s
                                 .arg(QLatin1String(TwinFeed::nameOf(format)),
                                      QLatin1String(row.what), QString::fromUtf8(text))
                                 .toStdString());
                const FeedLoader::Result result = opened(text);
                const bool opens = result.outcome == FeedLoader::Outcome::Loaded;
                EXPECT_TRUE(opens || !row.opens) << descriptionOf(result).toStdString();
                if (!twinOpens) {
                    ASSERT_FALSE(opens);
                    EXPECT_EQ(result.reasonLine, twin.reasonLine);
                } else if (opens) {
                    EXPECT_EQ(readingOf(*result.feed).toStdString(),
                              readingOf(*twin.feed).toStdString());
                }
            }
        }
    }
}
