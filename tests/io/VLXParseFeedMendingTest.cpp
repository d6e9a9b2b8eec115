// Bytes that give no text in their encoding: the text offered to mend them keeps every character
// that decodes, with each byte of text that should be UTF-8 or ASCII the windows-1252 letter it
// most likely is, and one U+FFFD for each sequence of any other encoding; the reason names the
// first such sequence; and the mended text, read and saved, is UTF-8 that holds every one of
// those characters.
#include "FeedReadTest.h"
#include "io/FeedLoader.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Bytes in an encoding that are no text in it, and what they are shown as: the letters they
// are in windows-1252, or (without letters) `marks` U+FFFD.
struct Bad
{
    QByteArray bytes;
    int marks = 1;
    bool startsCharacter = false; // a character's start: at the end of the file, cut off
    bool lastOnly = false; // the bytes after it would join it, or be read out of step
    QString letters = {};

    QString shown() const { return letters.isEmpty() ? QString(marks, QChar(0xFFFD)) : letters; }
};

// A feed's encoding: how the file names it, the words around the bad bytes (as bytes in it and
// as the characters they stand for) and bytes that are no text in it.
struct Encoding
{
    const char *label; // declared in the prolog; nullptr for none
    std::optional<QStringConverter::Encoding> wide; // UTF-16 or UTF-32, led by its byte order mark
    QByteArray before;
    QString beforeText;
    QByteArray after;
    QString afterText;
    QList<Bad> bad;
};

QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}

const QString kOpen = u"<rss version=\"2.0\"><channel>\n<title>"_s;
const QString kClose = u"</title><link>https://example.org/</link><description>d</description>"
                       u"</channel></rss>\n"_s;

// A feed in the encoding with the given bytes at its very start, between the two words of its
// title or at its very end; the text those bytes are to be read as, with what they are shown as
// in their places; and that text mended: the marks taken out, and letters outside the root too.
struct Feed
{
    QByteArray bytes;
    QString text;
    QString mended;
    QString title; // of the mended text
    qsizetype badAt = 0; // where the bad bytes start
    qsizetype shownAt = 0; // where the text shows them
};

enum class Place { Start, Middle, End };
const char *const kPlaces[] = {"at the start", "in the middle", "at the end"};

Feed feedOf(const Encoding &e, Place place, const Bad &bad)
{
    const auto in = [&](const QString &ascii) {
        return e.wide ? QByteArray(QStringEncoder(*e.wide).encode(ascii)) : ascii.toLatin1();
    };
    const QString prolog = e.label
        ? u"<?xml version=\"1.0\" encoding=\"%1\"?>\n"_s.arg(QLatin1String(e.label))
        : QString();
    const QByteArray mark
        = e.wide ? QByteArray(QStringEncoder(*e.wide).encode(u"\uFEFF"_s)) : QByteArray();
    const QByteArray before = e.wide ? in(e.beforeText) : e.before;
    const QByteArray after = e.wide ? in(e.afterText) : e.after;
    const QString shown = bad.shown();
    const QByteArray at[3] = {place == Place::Start ? bad.bytes : QByteArray(),
                              place == Place::Middle ? bad.bytes : QByteArray(),
                              place == Place::End ? bad.bytes : QByteArray()};
    const QString atText[3]
        = {place == Place::Start ? shown : QString(), place == Place::Middle ? shown : QString(),
           place == Place::End ? shown : QString()};
    Feed feed;
    feed.bytes = mark + at[0] + in(prolog + kOpen) + before + at[1] + after + in(kClose) + at[2];
    feed.text
        = atText[0] + prolog + kOpen + e.beforeText + atText[1] + e.afterText + kClose + atText[2];
    const QString kept = place == Place::Middle && !bad.letters.isEmpty() ? bad.letters : QString();
    feed.title = e.beforeText + kept + e.afterText;
    feed.mended = prolog + kOpen + feed.title + kClose;
    feed.shownAt = place == Place::Start ? 0
        : place == Place::Middle         ? (prolog + kOpen + e.beforeText).size()
                                         : feed.text.size() - shown.size();
    feed.badAt = place == Place::Start ? mark.size()
        : place == Place::Middle       ? mark.size() + in(prolog + kOpen).size() + before.size()
                                       : feed.bytes.size() - bad.bytes.size();
    return feed;
}

const Encoding kEncodings[] = {
    {"UTF-8",
     {},
     "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",
     u"日本語"_s,
     "caf\xC3\xA9",
     u"café"_s,
     {{.bytes = hex("ff"), .letters = u"ÿ"_s},
      {.bytes = hex("e974e9"), .letters = u"été"_s}, // Latin-1
      {.bytes = hex("e9a9"),
       .startsCharacter = true,
       .letters = u"é©"_s}, // Latin-1 that reads as the start of a longer character
      {.bytes = hex("93") + "Hi" + hex("94858099"), .letters = u"“Hi”…€™"_s}, // windows-1252
      {.bytes = hex("818d8f909d"),
       .letters = u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"_s}, // none in windows-1252
      {.bytes = hex("e697"), .startsCharacter = true, .letters = u"æ—"_s},
      {.bytes = hex("c0af"),
       .letters = u"À¯"_s}, // never a lead byte, then a continuation byte on its own
      {.bytes = hex("eda080"), .letters = u"í\u00A0€"_s}, // a surrogate: ED allows no A0 after it
      {.bytes = hex("f4908080"), .letters = u"ô\uFFFD€€"_s}}}, // past U+10FFFF
    {nullptr,
     {},
     "\xC3\xA9t\xC3\xA9",
     u"été"_s,
     "\xF0\x9F\x98\x80",
     u"😀"_s,
     {{.bytes = hex("80"), .letters = u"€"_s},
      {.bytes = hex("e8"), .startsCharacter = true, .letters = u"è"_s},
      {.bytes = hex("f09f98"), .startsCharacter = true, .letters = u"ðŸ˜"_s}}},
    {"UTF-16",
     QStringConverter::Utf16LE,
     {},
     u"日本語"_s,
     {},
     u"😀 é"_s,
     {{hex("00d8"), 1, true}, {hex("00dc")}, {hex("41"), 1, true, true}}},
    {"UTF-16",
     QStringConverter::Utf16BE,
     {},
     u"日本語"_s,
     {},
     u"😀 é"_s,
     {{hex("d800"), 1, true}, {hex("dfff")}, {hex("00"), 1, true, true}}},
    {"UTF-32",
     QStringConverter::Utf32LE,
     {},
     u"日本語"_s,
     {},
     u"😀 é"_s,
     {{hex("00001100")},
      {hex("00d80000")},
      {hex("3dd8000000de0000"), 2}, // the halves of a UTF-16 pair are no UTF-32
      {hex("3c0000"), 1, true, true}}},
    {"US-ASCII",
     {},
     "Plain",
     u"Plain"_s,
     "text",
     u"text"_s,
     {{.bytes = hex("80"), .letters = u"€"_s},
      {.bytes = hex("e9"), .letters = u"é"_s},
      {.bytes = hex("9394"), .letters = u"“”"_s}}},
    {"windows-1251",
     {},
     "\xCF\xF0\xE8\xE2\xE5\xF2",
     u"Привет"_s,
     "\xEC\xE8\xF0",
     u"мир"_s,
     {{hex("98")}}},
    {"ISO-8859-7",
     {},
     "\xC5\xEB\xEB\xDC\xE4\xE1",
     u"Ελλάδα"_s,
     "\xC1\xE8\xDE\xED\xE1",
     u"Αθήνα"_s,
     {{hex("ae")}, {hex("ff")}}},
    {"EUC-JP",
     {},
     "\xC6\xFC\xCB\xDC\xB8\xEC",
     u"日本語"_s,
     "\xA5\xC6\xA5\xB9\xA5\xC8",
     u"テスト"_s,
     {{hex("ff")}, {hex("c6"), 1, true, true}}},
    {"Shift_JIS",
     {},
     "\x93\xFA\x96\x7B\x8C\xEA",
     u"日本語"_s,
     "\x83\x65\x83\x58\x83\x67",
     u"テスト"_s,
     {{hex("a0")}, {hex("fd")}, {hex("93"), 1, true, true}}},
    {"GB18030",
     {},
     "\xC4\xE3\xBA\xC3",
     u"你好"_s,
     "\xCA\xC0\xBD\xE7",
     u"世界"_s,
     {{hex("ff")}, {hex("813081"), 1, true, true}}},
    // The bad byte in the middle falls between two characters of JIS X 0208, which go on after
    // it without a new escape.
    {"ISO-2022-JP", {}, "\x1B$BF|", u"日"_s, "K\\8l\x1B(B", u"本語"_s, {{hex("80")}, {hex("ff")}}},
    // The converter holds a letter back until it knows no point follows.
    {"windows-1255",
     {},
     "\xF9\xEC\xE5\xED",
     u"שלום"_s,
     "\xF2\xE5\xEC\xED",
     u"עולם"_s,
     {{hex("ff")}}},
};

using MendingTest = FeedReadTest;

} // namespace

TEST_F(MendingTest, EveryCharacterThatDecodesIsOfferedAndSavedAsUTF8)
{
    for (const Encoding &e : kEncodings) {
        for (const Bad &bad : e.bad) {
            for (const Place place : {Place::Start, Place::Middle, Place::End}) {
                if (bad.lastOnly && place != Place::End)
                    continue;
                const Feed feed = feedOf(e, place, bad);
                SCOPED_TRACE(std::string(e.label ? e.label : "no label") + " "
                             + (e.wide ? QStringConverter::nameForEncoding(*e.wide) : "") + " "
                             + bad.bytes.toHex(' ').toStdString() + " " + kPlaces[int(place)]);
                ASSERT_TRUE(VLXParseFeed::stringFromXMLData(feed.bytes).isNull());
                const QString offered = VLXParseFeed::textForMending(feed.bytes);
                EXPECT_EQ(offered.toStdString(), feed.text.toStdString());

                // The reason names the first of the bytes, on its line.
                int line = 0;
                const QString reason = VLXParseFeed::decodingProblem(feed.bytes, &line);
                EXPECT_EQ(line, 1 + feed.text.first(feed.shownAt).count(u'\n'));
                const QString where = bad.startsCharacter && place == Place::End
                    ? u"they end in the middle of a character, on line %1."_s.arg(line)
                    : u"they stop being text at byte %1 (0x%2), on line %3."_s.arg(
                        QString::number(feed.badAt + 1),
                        QString::fromLatin1(bad.bytes.first(1).toHex().toUpper()),
                        QString::number(line));
                EXPECT_TRUE(reason.endsWith(u": "_s + where)) << reason.toStdString();

                // Mended, read and saved: UTF-8 with every character.
                const FeedLoader::Result read = opened({}, feed.mended);
                ASSERT_EQ(read.outcome, FeedLoader::Outcome::Loaded) << read.reason.toStdString();
                const QString &title = feed.title;
                EXPECT_EQ(read.feed->title(), title);
                const QByteArray saved = read.feed->buildXMLData();
                QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
                const QString savedText = utf8.decode(saved);
                EXPECT_FALSE(utf8.hasError());
                EXPECT_TRUE(savedText.contains(u"<title>"_s + title + u"</title>"_s));
                const FeedLoader::Result again = opened(saved);
                ASSERT_EQ(again.outcome, FeedLoader::Outcome::Loaded);
                EXPECT_EQ(again.feed->title(), title);
            }
        }
    }
}

// Each reason names the one way the bytes were read, and what of the file it quotes stays short,
// on one line and plain.
TEST_F(MendingTest, EachReasonNamesHowTheBytesWereRead)
{
    const auto utf16 = [](const QString &text, QStringConverter::Encoding encoding) {
        return QByteArray(QStringEncoder(encoding).encode(text));
    };
    const QByteArray rss = "<rss version=\"2.0\"><channel><title>caf\xE9</title></channel></rss>";
    const auto declaring = [&](const QByteArray &label) {
        return "<?xml version=\"1.0\" encoding=\"" + label + "\"?>\n" + rss;
    };
    const QString notUtf8 = u"its bytes are not valid UTF-8 either: they stop being text at byte "
                            u"%1 (0xE9), on line 2."_s;
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString reason;
    } rows[] = {
        {"a byte order mark",
         hex("fffe") + utf16(u"<a>"_s, QStringConverter::Utf16LE) + hex("00d8")
             + utf16(u"</a>"_s, QStringConverter::Utf16LE),
         u"Its bytes are not valid UTF-16LE, the encoding its byte order mark names: they stop "
         u"being text at byte 9 (0x00), on line 1."_s},
        {"UTF-16 without a mark",
         utf16(u"<?xml version=\"1.0\"?><a>"_s, QStringConverter::Utf16BE) + hex("dc00")
             + utf16(u"</a>"_s, QStringConverter::Utf16BE),
         u"Its bytes are not valid UTF-16BE, the encoding its first character \"<\" is written "
         u"in: they stop being text at byte 49 (0xDC), on line 1."_s},
        {"a declared encoding", declaring("EUC-JP"),
         u"Its bytes are not valid EUC-JP, the encoding it declares: they stop being text at byte "
         u"79 (0xE9), on line 2."_s},
        {"a declared encoding cut off",
         "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<rss/>\x82",
         u"Its bytes are not valid Shift_JIS, the encoding it declares: they end in the middle of "
         u"a character, on line 2."_s},
        {"UTF-8 declared", declaring("utf-8"),
         u"Its bytes are not valid UTF-8, the encoding it declares: they stop being text at byte "
         u"78 (0xE9), on line 2."_s},
        {"no declaration", "<?xml version=\"1.0\"?>\n" + rss,
         u"Its bytes are not valid UTF-8, the encoding of a file that declares none: they stop "
         u"being text at byte 61 (0xE9), on line 2."_s},
        // An instruction that names "encoding" is no declaration of one.
        {"no declaration, an instruction first", "<?xml-stylesheet href=\"encoding.xsl\"?>\n" + rss,
         u"Its bytes are not valid UTF-8, the encoding of a file that declares none: they stop "
         u"being text at byte 78 (0xE9), on line 2."_s},
        {"an unknown encoding", declaring("x-unknown"),
         u"It declares the encoding \"x-unknown\", which Vellumcast does not know, and "_s
             + notUtf8.arg(82)},
        {"UTF-16 declared in single bytes", declaring("UTF-16"),
         u"It declares the encoding \"UTF-16\", in which the declaration itself, written one byte "
         u"a character, cannot stand, and "_s
             + notUtf8.arg(79)},
        {"control characters in the label", declaring("x\x1B[2J\x07"),
         u"It declares the encoding \"x\\x1B[2J\\x07\", which Vellumcast does not know, and "_s
             + notUtf8.arg(79)},
        {"a label of 100,000 characters",
         declaring(QByteArray(50000, 'a') + QByteArray(50000, 'z')),
         u"It declares the encoding \"%1\u2026%2\", which Vellumcast does not know, and "_s.arg(
             QString(30, u'a'), QString(29, u'z'))
             + notUtf8.arg(u"100,073"_s)},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(VLXParseFeed::decodingProblem(row.bytes).toStdString(), row.reason.toStdString());
    }
}
