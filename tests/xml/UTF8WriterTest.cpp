#include "xml/UTF8Writer.h"

#include <QString>
#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

// Plain text is copied byte for byte and skips escaping altogether, so one character wrongly
// taken for plain is written unescaped or mis-encoded: the check must hold at every position,
// in and after the blocks of eight it looks at together.
TEST(UTF8Writer, PlainTextIsPrintableASCIIWithoutAnythingToEscape)
{
    EXPECT_TRUE(UTF8Writer::isPlain(QStringView()));
    EXPECT_TRUE(UTF8Writer::isPlain(u" ~"));
    const char16_t refused[]
        = {u'&', u'<', u'>', u'"', u'\'', 0x1F, 0x09, 0x0A, 0x7F, 0x80, 0xE9, 0x20AC, 0xD83D};
    for (const qsizetype length : {1, 7, 8, 9, 15, 16, 17}) {
        for (qsizetype at = 0; at < length; ++at) {
            QString text(length, u'a');
            for (const char16_t c : refused) {
                text[at] = QChar(c);
                EXPECT_FALSE(UTF8Writer::isPlain(text))
                    << int(c) << " at " << at << " of " << length;
            }
            text[at] = u' ';
            EXPECT_TRUE(UTF8Writer::isPlain(text)) << at << " of " << length;
            text[at] = u'~';
            EXPECT_TRUE(UTF8Writer::isPlain(text)) << at << " of " << length;
        }
    }
}

TEST(UTF8Writer, ASpanIsWrittenInPlaceAmongOtherAppends)
{
    UTF8Writer out;
    out.append(QLatin1StringView("<a"));
    const QString value(300, u'v'); // more than the writer holds at first
    char *to = out.appendSpan(2 + value.size() + 1);
    *to++ = ' ';
    *to++ = '"';
    to = UTF8Writer::copyPlain(to, value);
    *to = '"';
    out.appendEscaped(u"&", false);
    EXPECT_EQ(out.view(), QByteArray("<a \"" + value.toLatin1() + "\"&amp;"));
}

namespace {

// The text as the writer must write it, character by character: what XML cannot carry left
// out, and the characters of `escaped` as entities.
QByteArray referenceEscaped(QStringView text, QLatin1StringView escaped)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += text.sliced(i, 2).toUtf8();
            ++i;
        } else if (QChar::isSurrogate(c) || c == 0xFFFE || c == 0xFFFF
                   || (c < 0x20 && c != 0x9 && c != 0xA && c != 0xD)) {
            continue;
        } else if (c < 0x80 && escaped.contains(QLatin1Char(char(c)))) {
            out += c == u'&' ? "&amp;"
                : c == u'<'  ? "&lt;"
                : c == u'>'  ? "&gt;"
                : c == u'"'  ? "&quot;"
                             : "&apos;";
        } else {
            out += text.sliced(i, 1).toUtf8();
        }
    }
    return out;
}

} // namespace

// The blocks of sixteen units are narrowed and checked together: any character that is not
// plain must be found at every position of a block and after it.
TEST(UTF8Writer, EscapedTextIsEveryCharacterEncodedAtEveryPosition)
{
    const char16_t awkward[] = {u'&', u'<', u'>', u'"', u'\'', 0x01,   0x09,   0x0A,   0x0D,  0x1F,
                                0x7F, 0x80, 0xE9, 0xFF, 0x100, 0x20AC, 0xFFFE, 0xFFFF, 0xD83D};
    // Each way of writing text: escaped with and without the apostrophe, as it is, and with
    // the characters a link still needs escaped.
    const std::pair<QLatin1StringView, std::function<void(UTF8Writer &, QStringView)>> ways[]
        = {{"&<>\""_L1, [](UTF8Writer &out, QStringView t) { out.appendEscaped(t, false); }},
           {"&<>\"'"_L1, [](UTF8Writer &out, QStringView t) { out.appendEscaped(t, true); }},
           {""_L1, [](UTF8Writer &out, QStringView t) { out.append(t); }},
           {"<>\""_L1, [](UTF8Writer &out, QStringView t) { out.appendEscaping(t, "<>\""_L1); }}};
    for (const auto &[escaped, write] : ways) {
        for (const qsizetype length : {1, 15, 16, 17, 33}) {
            for (qsizetype at = 0; at < length; ++at) {
                for (const char16_t c : awkward) {
                    QString text(length, u'a');
                    text[at] = QChar(c);
                    UTF8Writer out;
                    write(out, text);
                    EXPECT_EQ(out.view(), referenceEscaped(text, escaped))
                        << int(c) << " at " << at << " of " << length << " escaping "
                        << escaped.data();
                }
            }
        }
    }
    // A surrogate pair straddling two blocks stays one character.
    const QString pair = QString(15, u'a') + QStringLiteral("\U0001F600") + QString(16, u'b');
    UTF8Writer out;
    out.appendEscaped(pair, false);
    EXPECT_EQ(out.view(), pair.toUtf8());
}

// Text held as UTF-8 is escaped (or put in CDATA past the entities allowed) by copying its bytes:
// the same bytes as for its UTF-16, for every awkward character anywhere in and around the
// blocks of sixteen bytes that are looked at together.
TEST(UTF8Writer, UTF8TextEscapesAsItsUTF16)
{
    const char16_t awkward[] = {u'&', u'<', u'>', u'"', u'\'', u']',   0x01,   0x09,   0x0A,
                                0x0D, 0x1F, 0x7F, 0xE9, 0x20AC, 0xFEFF, 0xFFFE, 0xFFFF};
    for (const qsizetype length : {1, 15, 16, 17, 33}) {
        for (qsizetype at = 0; at < length; ++at) {
            for (const char16_t c : awkward) {
                QString text(length, u'a');
                text[at] = QChar(c);
                if (at + 3 <= length)
                    text.replace(at + 1, 2, u"]>"_s); // a "]]>" where c is "]"
                for (const bool apos : {false, true}) {
                    for (const qsizetype entities : {0, 20}) {
                        UTF8Writer fromText;
                        fromText.appendEscapedOrCDATA(QStringView(text), apos, entities);
                        UTF8Writer fromUTF8;
                        fromUTF8.appendEscapedOrCDATA(QByteArrayView(text.toUtf8()), apos,
                                                      entities);
                        EXPECT_EQ(fromUTF8.view(), fromText.view())
                            << int(c) << " at " << at << " of " << length << " apos " << apos
                            << " entities " << entities;
                    }
                }
            }
        }
    }
}

// Text held as UTF-8 is written into CDATA by copying: the same sections, cut at the same
// places (counted in UTF-16 units), and the same characters left out as for its UTF-16.
TEST(UTF8Writer, UTF8TextMakesTheSameCDATAAsItsUTF16)
{
    const qsizetype k = UTF8Writer::kMaximumCDATAUnits;
    const QString emoji = QStringLiteral("\U0001F600");
    const QString cases[] = {
        QString(),
        u"<p>plain &amp; simple</p>"_s,
        u"a]]>b"_s,
        u"ends in ]]>"_s,
        u"]]]>"_s,
        u"]]>]]>"_s,
        u"]]"_s,
        u"controls \x01\x1F kept \t\n\r"_s,
        u"non-characters "_s + QChar(0xFFFE) + QChar(0xFFFF) + QChar(0xFEFF) + u"end"_s,
        u"caf\u00e9 \u20ac "_s + emoji + u" ]]> "_s + emoji,
        QString(k - 1, u'x') + u"]]>"_s, // the ">" just past the longest section
        QString(k - 2, u'x') + u"]]>"_s, // the ">" its last unit
        QString(k, u'x') + u"]]>tail"_s,
        QString(k - 1, u'x') + emoji + u"after"_s, // a pair across the cut
        QString(k, u'x') + emoji,
        QString(k - 3, u'x') + u"\x01\x02]]>"_s, // left out, yet counted
        QString(k / 2 + 7, QChar(0xE9)) + u"]]>"_s
            + QString(k / 2, QChar(0x20AC)), // more bytes than units
        QString(k / 2 - 1, u'x') + emoji.repeated(k / 4) + u"]]>"_s, // pairs: two units, four bytes
        QString(2 * k + 5, u'x'),
    };
    for (const QString &text : cases) {
        UTF8Writer fromText;
        fromText.appendCDATA(QStringView(text));
        UTF8Writer fromUTF8;
        fromUTF8.appendCDATA(QByteArrayView(text.toUtf8()));
        EXPECT_EQ(fromUTF8.view(), fromText.view())
            << text.left(40).toStdString() << " (" << text.size() << " units)";
    }
}
