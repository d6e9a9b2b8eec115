#include "model/DatePattern.h"
#include "model/NaturalDateReader.h"
#include "model/VLXLogic.h"
#include "model/ZoneAbbreviations.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

namespace {
constexpr double kJan2 = 1136193072; // 2006-01-02 09:11:12 UTC

// The local offset at an instant, to pick the expected text for the zone the suite runs in.
int localOffset(double instant)
{
    return QDateTime::fromSecsSinceEpoch(qint64(instant)).toLocalTime().offsetFromUtc();
}

QDateTime local(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime);
}
} // namespace

TEST(DateTexts, RfcFormsReadAndTheWeekdayDoesNotFixTheDate)
{
    EXPECT_TRUE(VLXLogic::isValidInternetDateTime(QString()));
    EXPECT_TRUE(VLXLogic::isValidRDFInternetDateTime(QString()));
    EXPECT_EQ(VLXLogic::InternetDateTime(QString()), 0);

    for (const char *text : {"Mon, 02 Jan 2006 10:11:12 +0100", "Sun, 02 Jan 2006 10:11:12 +0100",
                             "02 Jan 2006 10:11:12 +0100", "Mon, 02 Jan 2006 09:11:12 GMT",
                             "02 Jan 2006 04:11:12 EST", "mon, 2 jan 2006 10:11:12 +0100",
                             "Mon, 02 Jan 06 10:11:12 +0100", "Mon, 02 Jan 2006 09:11:12 UT"}) {
        EXPECT_TRUE(VLXLogic::isValidInternetDateTime(QString::fromLatin1(text))) << text;
        EXPECT_EQ(VLXLogic::InternetDateTime(QString::fromLatin1(text)), kJan2) << text;
    }
    for (const char *text : {"02 January 2006 10:11:12 +0100", "Mon, 02 Jan 2006 10:11:12",
                             "Mon, 02 Jan 2006 10:11:12 +0100 ", "Mon, 30 Feb 2006 10:11:12 +0100",
                             "Mon, 02 Jan 2006 24:11:12 +0100", "Mon, 02 Jan 2006 10:11:12 XYZ",
                             "Mon, 02 Jan 2006 10:11:12 IST", "Mon, 02 Jan 206 10:11:12 +0100"})
        EXPECT_FALSE(VLXLogic::isValidInternetDateTime(QString::fromLatin1(text))) << text;
}

TEST(DateTexts, ReadDatesKeepTheZoneTheTextNames)
{
    const QDateTime date
        = VLXLogic::dateFromRFC822(QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"));
    EXPECT_EQ(date.offsetFromUtc(), 3600);
    EXPECT_EQ(VLXLogic::rfc822String(date), QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"));
    const QDateTime west = VLXLogic::dateFromRFC822(QStringLiteral("02 Jan 2006 04:11:12 EST"));
    EXPECT_EQ(VLXLogic::rfc822String(west), QStringLiteral("Mon, 02 Jan 2006 04:11:12 -0500"));
    EXPECT_EQ(VLXLogic::createRDFDateString(date), QStringLiteral("2006-01-02T10:11:12+01:00"));
    EXPECT_EQ(VLXLogic::createRDFDateString(date.toUTC()),
              QStringLiteral("2006-01-02T09:11:12+00:00"));
    EXPECT_TRUE(VLXLogic::createRDFDateString(QDateTime()).isNull());
}

TEST(DateTexts, EveryW3CFormReadsWithOrWithoutTheOffsetColon)
{
    for (const char *text :
         {"2006-01-02T10:11:12+01:00", "2006-01-02T10:11:12+0100", "2006-01-02T09:11:12Z",
          "2006-01-02T10:11:12.000+01:00", "2006-01-02T10:11:12.0+0100",
          "2006-01-02T09:11:12.000000000Z", "2006-01-02T04:11:12-05:00",
          "Mon, 02 Jan 2006 10:11:12 +0100", "2006-01-02t09:11:12z"}) {
        EXPECT_TRUE(VLXLogic::isValidRDFInternetDateTime(QString::fromLatin1(text))) << text;
        EXPECT_EQ(VLXLogic::RDFInternetDateTime(QString::fromLatin1(text)), kJan2) << text;
    }
    EXPECT_EQ(VLXLogic::RDFInternetDateTime(QStringLiteral("2006-01-02T10:11+0100")), kJan2 - 12);
    EXPECT_EQ(VLXLogic::RDFInternetDateTime(QStringLiteral("2006-01-02T10:11+01:00")), kJan2 - 12);
    EXPECT_EQ(VLXLogic::RDFInternetDateTime(QStringLiteral("2006-01-02T10:11:12.5+01:00")),
              kJan2 + 0.5);
    // Date-only forms name a local day.
    EXPECT_EQ(VLXLogic::RDFInternetDateTime(QStringLiteral("2006-01-02")),
              local(2006, 1, 2).toSecsSinceEpoch());
    EXPECT_EQ(VLXLogic::RDFInternetDateTime(QStringLiteral("2006-01")),
              local(2006, 1, 1).toSecsSinceEpoch());
    for (const char *text : {"2006-01-02T10:11:12+1:00", "2006-01-02T10:11:12.+01:00",
                             "2006-01-02T10:11:12.1234567890Z", "2006-13-02", "2006-01-02T",
                             "2006-01-02T10:11:12+01:00x", "06-01-02"})
        EXPECT_FALSE(VLXLogic::isValidRDFInternetDateTime(QString::fromLatin1(text))) << text;
}

TEST(DateTexts, WritersUseTheLocalZoneForInstants)
{
    const bool utc = localOffset(kJan2) == 0;
    EXPECT_EQ(VLXLogic::internetDateStringFromInterval(kJan2),
              utc ? QStringLiteral("Mon, 02 Jan 2006 09:11:12 +0000")
                  : QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"));
    EXPECT_EQ(VLXLogic::RDFInternetDateStringFromInterval(kJan2),
              utc ? QStringLiteral("2006-01-02T09:11:12+0000")
                  : QStringLiteral("2006-01-02T10:11:12+0100"));
    // A summer date in Berlin carries the summer offset.
    const double july = kJan2 + 180 * 86400.0;
    EXPECT_TRUE(VLXLogic::internetDateStringFromInterval(july).endsWith(
        localOffset(july) == 0 ? QStringLiteral("+0000") : QStringLiteral("+0200")));
}

TEST(DateTexts, ConversionToRfc822GoesToLocalTime)
{
    const bool utc = localOffset(kJan2) == 0;
    const QString expected = utc ? QStringLiteral("Mon, 02 Jan 2006 09:11:12 +0000")
                                 : QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100");
    EXPECT_EQ(VLXLogic::convertValidDateToRFC822(QStringLiteral("2006-01-02T10:11:12+01:00")),
              expected);
    EXPECT_EQ(VLXLogic::convertValidDateToRFC822(QStringLiteral("02 Jan 2006 04:11:12 EST")),
              expected);
    EXPECT_EQ(VLXLogic::convertValidDateToRFC822(QStringLiteral("no date at all")),
              QStringLiteral("no date at all"));
}

TEST(DateTexts, CleanUpCollapsesBlanksOnly)
{
    EXPECT_EQ(VLXLogic::cleanUpRFC822Date(QStringLiteral("  Mon,  02   Jan 2006 ")),
              QStringLiteral("Mon, 02 Jan 2006"));
    EXPECT_EQ(VLXLogic::cleanUpRFC822Date(QStringLiteral("\n a\t\tb     c\r\n")),
              QStringLiteral("a\t\tb c"));
    EXPECT_EQ(VLXLogic::cleanUpRFC822Date(QStringLiteral("a b  ")), QStringLiteral("a b"));
    EXPECT_EQ(VLXLogic::cleanUpRFC822Date(QStringLiteral("ab  c")), QStringLiteral("ab c"));
}

TEST(DatePatterns, EnglishNamesWhateverTheLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const DatePattern pattern(u"%a %d %b %m %Y %H:%M:%S.%F %z");
    const QDateTime date(QDate(2026, 12, 7), QTime(4, 5, 6, 78), Qt::OffsetFromUTC,
                         -(5 * 3600 + 1800));
    EXPECT_EQ(pattern.write(date), QStringLiteral("Mon 07 Dec 12 2026 04:05:06.078 -0530"));
    DateFields fields;
    EXPECT_TRUE(pattern.read(u"Mon 07 Dec 12 2026 04:05:06.078 -0530", fields));
    EXPECT_EQ(fields.toDateTime(), date);
    EXPECT_FALSE(pattern.read(u"Mo 07 Dez 12 2026 04:05:06.078 -0530", fields));
    QLocale::setDefault(previous);
    // Names match in either case, letter by letter; a sign that only folds to a letter does not.
    EXPECT_TRUE(pattern.read(u"mON 07 dEC 12 2026 04:05:06.078 -0530", fields));
    EXPECT_EQ(fields.toDateTime(), date);
    EXPECT_FALSE(pattern.read(u"Mon 07 De\u212A 12 2026 04:05:06.078 -0530", fields));
    EXPECT_FALSE(pattern.read(u"Mo", fields));

    EXPECT_EQ(ZoneAbbreviations::offsetFor(u"pdt"), -7 * 3600);
    EXPECT_EQ(ZoneAbbreviations::offsetFor(u"NST"), -(3 * 3600 + 1800));
    EXPECT_FALSE(ZoneAbbreviations::offsetFor(u"IST"));
}

TEST(NaturalDates, RelativeWordsMonthNamesAndIsoForms)
{
    const QDateTime now = local(2026, 3, 13, 10, 20, 30); // a Friday
    const auto read
        = [&](const char *text) { return NaturalDateReader::read(QString::fromLatin1(text), now); };
    EXPECT_EQ(read("now"), now);
    EXPECT_EQ(read("Today"), now);
    EXPECT_EQ(read("tomorrow"), local(2026, 3, 14, 10, 20, 30));
    EXPECT_EQ(read("yesterday at 9:15 pm"), local(2026, 3, 12, 21, 15));
    EXPECT_EQ(read("next friday"), local(2026, 3, 20, 10, 20, 30));
    EXPECT_EQ(read("last friday 9am"), local(2026, 3, 6, 9));
    EXPECT_EQ(read("next Monday 12:00 AM"), local(2026, 3, 16, 0));
    EXPECT_EQ(read("last tuesday"), local(2026, 3, 10, 10, 20, 30));
    EXPECT_EQ(read("January 2, 2006"), local(2006, 1, 2));
    EXPECT_EQ(read("Monday, 2 January 2006 10:11:12"), local(2006, 1, 2, 10, 11, 12));
    EXPECT_EQ(read("Sept 9 2001 8:30 am"), local(2001, 9, 9, 8, 30));
    EXPECT_EQ(read("2 Jan"), local(2026, 1, 2));
    EXPECT_EQ(read("2006-01-02 10:11"), local(2006, 1, 2, 10, 11));
    EXPECT_EQ(read("2006/01/02"), local(2006, 1, 2));
    EXPECT_EQ(read("Monday, 02 January 2006 10:11:12 +0100").toSecsSinceEpoch(), kJan2);
    EXPECT_EQ(read("January 2 2006 4:11:12 am EST").toSecsSinceEpoch(), kJan2);
    EXPECT_EQ(read("2006-01-02T10:11:12 +01:00").toSecsSinceEpoch(), kJan2);
    for (const char *text : {"", "soon", "next", "February 30, 2006", "13:00 banana",
                             "2006-01-02 25:00", "January 2, 2006 13 pm", "1234567"})
        EXPECT_FALSE(read(text).isValid()) << text;
}

TEST(NaturalDates, RfcReaderFallsBackToFreeTextWithTheProcessClock)
{
    Clock::setInstance(std::make_shared<FixedClock>(local(2026, 3, 13, 10, 20, 30)));
    EXPECT_EQ(VLXLogic::InternetDateTime(QStringLiteral("tomorrow")),
              local(2026, 3, 14, 10, 20, 30).toSecsSinceEpoch());
    EXPECT_EQ(VLXLogic::InternetDateTime(QStringLiteral("gibberish")), 0);
    // The reference instant itself counts as no reading.
    EXPECT_EQ(VLXLogic::InternetDateTime(QStringLiteral("January 1, 2001 00:00 GMT")), 0);
    Clock::setInstance(nullptr);
}
