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

// The fields of item n (0: the channel; -1: every item) rewritten by `edit`.
Change in(int n, const std::function<void(QList<Field> &)> &edit)
{
    return [=](int at, QList<Field> &fields) {
        if (at == n || (n < 0 && at > 0))
            edit(fields);
    };
}

// The field at `index` (0 title, 1 link, 2 description) of item n (as for `in`) holding `value`
// (null: as it was), with that fault.
Change field(int n, int index, const QString &value, Fault fault = Fault::None)
{
    return in(n, [=](QList<Field> &fields) {
        if (!value.isNull())
            fields[index].value = value;
        fields[index].fault = fault;
    });
}

} // namespace

// The layouts feeds are written in: indented or not, their lines ended as on each system.
const struct
{
    const char *what;
    QString indent, lineEnd;
} kLayouts[] = {
    {"flush, LF", {}, u"\n"_s},
    {"tabs, LF", u"\t"_s, u"\n"_s},
    {"spaces, CRLF", u"  "_s, u"\r\n"_s},
    {"tabs, CR", u"\t"_s, u"\r"_s},
};

// What a row's written twin does, and so its spaced variants.
enum class Twin {
    Opens, // the twin opens, and every variant with it
    // The twin opens, and so do the variants with every tag spaced; one spaced in part may
    // leave its tags in doubt ("<a><a>< /a></a>": the spaced end tag is text) and be refused.
    SpacedOpens,
    Either, // each variant opens as the twin does or is refused
    Refused, // the twin is refused, and every variant at its line
};

// From each written twin, the variant with every one of its own tags spaced, the same with a
// faulty value's tags written, and variants with a random half of them spaced (the same half on
// every run), in each layout: each opens with exactly its twin's values, or is refused, and is
// refused wherever its twin is, at the line the twin is refused at. Feeds whose every value a
// spaced reading can tell open in every variant.
TEST_F(SpacedTwins, ASpacedFeedReadsAsItsWrittenTwinOrIsRefused)
{
    for (const Format format : {Format::RSS20, Format::RSS10, Format::Atom}) {
        const bool atom = format == Format::Atom;
        const Field enclosure = atom
            ? Field {u"link"_s, {}, u" rel=\"enclosure\" href=\"a.mp3\""_s}
            : Field {u"enclosure"_s, {}, u" url=\"a.mp3\" length=\"1\""_s};
        const Field endAlone {u"title"_s, {}, {}, Fault::EndAlone};
        const struct
        {
            const char *what;
            Change change;
            Twin twin;
        } rows[] = {
            {"plain", [](int, QList<Field> &) {}, Twin::Opens},
            {"bare ampersands", field(-1, 0, u"Fish & Chips"_s), Twin::Opens},
            {"bare brackets", field(-1, 0, u"Team A < Team B > draw"_s), Twin::Opens},
            {"markup in a description", field(-1, 2, u"Line one<br>Line two & more"_s),
             Twin::Opens},
            {"stray end tags", field(-1, 2, u"Hello <b>bold</i> text</p>"_s), Twin::Opens},
            {"own name, spaced", field(-1, 0, u"Why the < title> tag matters"_s), Twin::Opens},
            {"an item's name, spaced", field(-1, 0, u"Why the < item> tag & more"_s), Twin::Opens},
            {"other names, spaced", field(-1, 0, u"Team A < b > wins < /b >"_s), Twin::Opens},
            {"own end, written", field(-1, 2, u"a </title> b"_s), Twin::Opens},
            {"own end, spaced", field(-1, 0, u"Close it with < /title> please"_s), Twin::Opens},
            {"own end, then another name, spaced",
             field(-1, 0, u"Close it with < /title> then < b > bold"_s), Twin::Opens},
            {"own end, spaced, after an empty description", in(-1, [](QList<Field> &fields) {
                 fields.move(2, 0);
                 fields[0].value = QString();
                 fields[1].value = u"Close it with < /title> please"_s;
             }),
             Twin::Opens},
            {"an item's end, spaced and unclosed", field(-1, 0, u"Close it with < /item then"_s),
             Twin::Opens},
            {"references", field(-1, 0, u"R&amp;D &#233; &lt;i&gt;"_s), Twin::Opens},
            {"attributes and categories", in(-1, [&](QList<Field> &fields) {
                 fields << Field {u"category"_s, u"News &amp; more"_s, u" domain=\"x\""_s}
                        << Field {u"category"_s, u"Tech"_s} << enclosure;
             }),
             Twin::Opens},
            {"nested categories", in(0, [](QList<Field> &fields) {
                 fields << Field {u"itunes:category"_s, u""_s, u" text=\"Technology\""_s,
                                  Fault::None,
                                  {{u"itunes:category"_s, u""_s, u" text=\"Podcasting\""_s}}};
             }),
             Twin::SpacedOpens},
            {"an Item element beside the items", in(0, [](QList<Field> &fields) {
                 fields[0].value = u"Fish & Chips"_s;
                 fields << Field {u"Item"_s, u"Not an item"_s};
             }),
             Twin::Opens},
            {"a value's end tag in a link", field(-1, 1, u"https://e.org/</title>"_s),
             Twin::Either},
            {"a document type in a value", field(-1, 2, u"<!DOCTYPE x [ <item> ]> b & c"_s),
             Twin::Either},
            {"title left open", field(1, 0, {}, Fault::LeftOpen), Twin::Refused},
            {"last title left open", field(3, 0, u"Episode 3 & more"_s, Fault::LeftOpen),
             Twin::Refused},
            {"description left open", field(2, 2, {}, Fault::LeftOpen), Twin::Refused},
            {"title misspelt", field(1, 0, {}, Fault::Misspelt), Twin::Refused},
            {"description misspelt", field(2, 2, u"a < b"_s, Fault::Misspelt), Twin::Refused},
            {"channel title left open", field(0, 0, {}, Fault::LeftOpen), Twin::Refused},
            {"two titles left open, then an enclosure", in(1, [&](QList<Field> &fields) {
                 fields[0].fault = Fault::LeftOpen;
                 fields.insert(1, {u"title"_s, u"Episode 1, again"_s, {}, Fault::LeftOpen});
                 fields.insert(2, enclosure);
             }),
             Twin::Refused},
            // In Atom a link is an empty element: nothing is left open.
            {"link left open", field(2, 1, {}, Fault::LeftOpen), Twin::Either},
            {"title closed with a word, a guid, then closed", in(1, [&](QList<Field> &fields) {
                 fields[0] = {u"title"_s, u"Fish & Chips"_s, {}, Fault::WordInEnd};
                 fields.insert(1, fields.takeLast());
                 fields.insert(2, endAlone);
             }),
             Twin::Refused},
            {"title closed spaced, an enclosure, then closed", in(1, [&](QList<Field> &fields) {
                 fields[0] = {u"title"_s, u"Ep 1"_s, {}, Fault::SpacedEnd};
                 fields.insert(1, enclosure);
                 fields.insert(2, endAlone);
             }),
             Twin::Refused},
        };
        for (const auto &row : rows) {
            for (const auto &layout : kLayouts) {
                TwinFeed feed = feedOf(format, row.change);
                feed.indent = layout.indent;
                feed.lineEnd = layout.lineEnd;
                const FeedLoader::Result twin = opened(feed.written());
                const bool twinOpens = twin.outcome == FeedLoader::Outcome::Loaded;
                ASSERT_TRUE(row.twin == Twin::Either || twinOpens == (row.twin != Twin::Refused))
                    << TwinFeed::nameOf(format) << ", " << row.what << ", " << layout.what << ":\n"
                    << feed.written().toStdString() << descriptionOf(twin).toStdString();
                // -2: every tag spaced but a faulty value's; -1: every tag; else a random half.
                for (int variant = -2; variant < 6; ++variant) {
                    std::mt19937 random {unsigned(variant)};
                    const QByteArray text = feed.text(
                        [&](int) { return variant < 0 || std::bernoulli_distribution(0.5)(random); },
                        variant == -2);
                    SCOPED_TRACE(u"%1, %2, %3:\n%4"_s
                                     .arg(QLatin1String(TwinFeed::nameOf(format)),
                                          QLatin1String(row.what), QLatin1String(layout.what),
                                          QString::fromUtf8(text))
                                     .toStdString());
                    const FeedLoader::Result result = opened(text);
                    const bool opens = result.outcome == FeedLoader::Outcome::Loaded;
                    EXPECT_TRUE(opens || row.twin > Twin::SpacedOpens
                                || (row.twin == Twin::SpacedOpens && variant >= 0))
                        << descriptionOf(result).toStdString();
                    if (!twinOpens) {
                        ASSERT_FALSE(opens);
                        // Refused with the same kind of alert (an XML error, or no feed), at
                        // the same line.
                        EXPECT_EQ((std::tuple {int(result.cause), result.reasonLine,
                                               descriptionOf(result).isEmpty()}),
                                  (std::tuple {int(twin.cause), twin.reasonLine,
                                               descriptionOf(twin).isEmpty()}));
                    } else if (opens) {
                        EXPECT_EQ(readingOf(*result.feed).toStdString(),
                                  readingOf(*twin.feed).toStdString());
                    }
                }
            }
        }
    }
}
