#include "xml/UTF8Writer.h"

#include <QString>
#include <gtest/gtest.h>

// Plain text is copied byte for byte and skips escaping altogether, so one character wrongly
// taken for plain is written unescaped or mis-encoded: the check must hold at every position,
// in and after the blocks of eight it looks at together.
TEST(UTF8Writer, PlainTextIsPrintableASCIIWithoutAnythingToEscape)
{
    EXPECT_TRUE(UTF8Writer::isPlain(QStringView()));
    EXPECT_TRUE(UTF8Writer::isPlain(u" ~"));
    const char16_t refused[] = {u'&', u'<', u'>', u'"', u'\'', 0x1F, 0x09, 0x0A, 0x7F, 0x80, 0xE9, 0x20AC, 0xD83D};
    for (const qsizetype length : {1, 7, 8, 9, 15, 16, 17}) {
        for (qsizetype at = 0; at < length; ++at) {
            QString text(length, u'a');
            for (const char16_t c : refused) {
                text[at] = QChar(c);
                EXPECT_FALSE(UTF8Writer::isPlain(text)) << int(c) << " at " << at << " of " << length;
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
