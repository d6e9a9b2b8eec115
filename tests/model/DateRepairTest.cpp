#include "model/FeedElement.h"
#include "model/VLXLogic.h"
#include "platform/Clock.h"
#include "platform/ScriptedAlertService.h"

#include <gtest/gtest.h>

namespace {
class DateRepair : public ::testing::Test
{
protected:
    void SetUp() override
    {
        now = QDateTime(QDate(2026, 3, 13), QTime(10, 20, 30), Qt::LocalTime); // a Friday
        Clock::setInstance(std::make_shared<FixedClock>(now));
        alerts = ScriptedAlertService::install();
    }
    void TearDown() override
    {
        Clock::setInstance(nullptr);
        AlertService::setInstance(nullptr);
    }
    QStringList alertMessages() const
    {
        QStringList messages;
        for (const Alert &alert : alerts->alerts()) {
            EXPECT_EQ(alert.title, QStringLiteral("Warning"));
            EXPECT_EQ(alert.style, Alert::Style::Informational);
            EXPECT_TRUE(alert.otherButton.isEmpty() && alert.alternateButton.isEmpty());
            messages.append(alert.message);
        }
        return messages;
    }
    QString nowRFC() const { return VLXLogic::rfc822String(now); }
    QString localRFC(const QDateTime &date) const
    {
        return VLXLogic::rfc822String(date.toLocalTime());
    }

    QDateTime now;
    std::shared_ptr<ScriptedAlertService> alerts;
    FeedElement owner;
};

const QString kRepair = QStringLiteral("Automatic Repair::");
const QString kError = QStringLiteral("Validate Error::");
} // namespace

TEST_F(DateRepair, FullMonthNameIsAbbreviatedOnce)
{
    EXPECT_EQ(VLXLogic::FixInternetDateTime(QStringLiteral("Mon, 02 January 2006 10:11:12 +0100"),
                                            true, &owner),
              QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"));
    EXPECT_EQ(owner.errorList(),
              QStringList({kRepair + "Month must be abbrivated, fixed \"January\" to \"Jan\""}));
    EXPECT_EQ(owner.repairCount(), 1);
    EXPECT_EQ(owner.errorCount(), 0);
    // May has no longer form; only the first long name found is handled.
    EXPECT_EQ(VLXLogic::FixInternetDateTime(QStringLiteral("Tue, 02 May 2006 10:11:12 +0100"), true,
                                            &owner),
              QStringLiteral("Tue, 02 May 2006 10:11:12 +0100"));
    EXPECT_EQ(owner.errorList().size(), 1);
}

TEST_F(DateRepair, WrongWeekdayIsCorrectedKeepingOrConvertingTheZone)
{
    EXPECT_EQ(VLXLogic::FixInternetDateTime(QStringLiteral("Sun, 02 Jan 2006 10:11:12 +0100"), true,
                                            &owner),
              QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"));
    EXPECT_EQ(owner.errorList(),
              QStringList({kRepair
                           + "Fixed impossible date \"Sun, 02 Jan 2006 10:11:12 +0100\" the "
                             "correct day of week is \"Mon\""}));
    EXPECT_EQ(VLXLogic::FixInternetDateTime(QStringLiteral("Sun, 02 Jan 2006 10:11:12 EST"), false,
                                            &owner),
              QStringLiteral("Mon, 02 Jan 2006 10:11:12 -0500"));
    EXPECT_EQ(VLXLogic::FixInternetDateTime(QStringLiteral("Mon, 02 Jan 2006 10:11:12 GMT"), true,
                                            &owner),
              QStringLiteral("Mon, 02 Jan 2006 10:11:12 GMT"));
    EXPECT_EQ(owner.repairCount(), 2);
    EXPECT_EQ(owner.errorList().size(), 2);

    // Month and weekday fixes together give two entries.
    FeedElement other;
    EXPECT_EQ(VLXLogic::FixInternetDateTime(QStringLiteral("Fri, 02 January 2006 10:11:12 +0100"),
                                            true, &other),
              QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"));
    EXPECT_EQ(other.repairCount(), 2);
}

// Dates near the usual form, each with the text and the entry its repair gives.
TEST_F(DateRepair, DatesNearTheUsualFormGiveTheirRepairAndEntry)
{
    const QString weekday = QStringLiteral("Fixed impossible date \"%1\" the correct day of week "
                                           "is \"%2\"");
    const QString unfixable = QStringLiteral("Date format \"%1\" was unfixable");
    struct Case
    {
        const char *text;
        const char *repaired;
        const char *correctDay; // a weekday repair naming this day; "" none, "!" unfixable
    };
    const Case cases[] = {
        {"Fri, 01 Jan 2010 00:00:00 +0000", "Fri, 01 Jan 2010 00:00:00 +0000", ""},
        {"Fri, 01 Jan 10 00:00:00 +0000", "Fri, 01 Jan 10 00:00:00 +0000", ""},
        {"Tue, 01 Jan 2010 00:00:00 +0000", "Fri, 01 Jan 2010 00:00:00 +0000", "Fri"},
        {"fri, 01 Jan 2010 00:00:00 +0000", "Fri, 01 Jan 2010 00:00:00 +0000", "Fri"},
        {"Mon, 1 Jan 2010 0:0:0 +0000", "Fri, 01 Jan 2010 00:00:00 +0000", "Fri"},
        {"Mon, 01 JAN 10 00:00:00 +0000", "Fri, 01 Jan 2010 00:00:00 +0000", "Fri"},
        {"Mon, 01 Jan 99 12:00:00 -0000", "Fri, 01 Jan 1999 12:00:00 +0000", "Fri"},
        {"Mon, 01 Jan 2010 23:59:59 +05:30", "Fri, 01 Jan 2010 23:59:59 +0530", "Fri"},
        {"Mon, 01 Jan 2010 23:00:00 -0500", "Fri, 01 Jan 2010 23:00:00 -0500", "Fri"},
        {"Mon, 01 Jan 2010 00:00:00 -2359", "Fri, 01 Jan 2010 00:00:00 -2359", "Fri"},
        {"Mon, 01 Jan 2010 00:00:00 GMT", "Fri, 01 Jan 2010 00:00:00 +0000", "Fri"},
        {"Mon, 01 Jan 2010 00:00:00 nzdt", "Fri, 01 Jan 2010 00:00:00 +1300", "Fri"},
        {"Mon, 29 Feb 2012 10:00:00 +0100", "Wed, 29 Feb 2012 10:00:00 +0100", "Wed"},
        {"Mon, 31 Dec 9999 23:59:59 +0000", "Fri, 31 Dec 9999 23:59:59 +0000", "Fri"},
        {"Tue, 01 Jan 0001 00:00:00 +0000", "Mon, 01 Jan 0001 00:00:00 +0000", "Mon"},
        {"Mon, 29 Feb 2013 10:00:00 +0100", "Mon, 29 Feb 2013 10:00:00 +0100", "!"},
        {"Mon, 01 Jan 0000 00:00:00 +0000", "Mon, 01 Jan 0000 00:00:00 +0000", "!"},
        {"Mon, 01 Jan 2010 00:00:60 +0000", "Mon, 01 Jan 2010 00:00:60 +0000", "!"},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromLatin1(c.text);
        FeedElement element;
        EXPECT_EQ(VLXLogic::FixInternetDateTime(text, true, &element),
                  QString::fromLatin1(c.repaired))
            << c.text;
        const QString day = QString::fromLatin1(c.correctDay);
        const QStringList entries = day.isEmpty() ? QStringList()
            : day == u"!"                         ? QStringList {kError + unfixable.arg(text)}
                                                  : QStringList {kRepair + weekday.arg(text, day)};
        EXPECT_EQ(element.errorList(), entries) << c.text;
        // Validation mends the field where it stands: the same text and entries, and a text
        // sharing the field's characters keeps its own.
        QString field = text;
        FeedElement mended;
        VLXLogic::repairInternetDateTime(field, true, &mended);
        EXPECT_EQ(field, QString::fromLatin1(c.repaired)) << c.text;
        EXPECT_EQ(mended.errorList(), entries) << c.text;
        EXPECT_EQ(text, QString::fromLatin1(c.text));
    }
    // A field the cleaning changes is mended from the cleaned text.
    QString field = QStringLiteral("  Sun,  02 Jan 2006 10:11:12 +0100 ");
    VLXLogic::repairInternetDateTime(field, true, &owner);
    EXPECT_EQ(field, QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"));
    EXPECT_EQ(owner.repairCount(), 1);
}

TEST_F(DateRepair, BlanksEmptyAndNowNeedNoEntry)
{
    EXPECT_EQ(VLXLogic::FixInternetDateTime(QStringLiteral("  Mon,  02 Jan 2006   10:11:12 +0100 "),
                                            true, &owner),
              QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"));
    EXPECT_EQ(
        VLXLogic::FixInternetDateTime(QStringLiteral("02 Jan 2006 10:11:12 +0100"), true, &owner),
        QStringLiteral("02 Jan 2006 10:11:12 +0100"));
    EXPECT_EQ(VLXLogic::FixInternetDateTime(QString(), true, &owner), QString());
    EXPECT_EQ(VLXLogic::FixInternetDateTime(QStringLiteral("now"), true, &owner), nowRFC());
    EXPECT_EQ(VLXLogic::FixInternetDateTimeAndInform(QStringLiteral("   "), false,
                                                     QStringLiteral("pubDate")),
              QString());
    EXPECT_EQ(VLXLogic::FixInternetDateTimeAndInform(QStringLiteral("now"), false,
                                                     QStringLiteral("pubDate")),
              nowRFC());
    EXPECT_EQ(VLXLogic::FixRDFInternetDateTime(QStringLiteral("now"), true, &owner),
              VLXLogic::createRDFDateString(now));
    EXPECT_TRUE(owner.errorList().isEmpty());
    EXPECT_EQ(owner.repairCount() + owner.errorCount(), 0);
    EXPECT_TRUE(alerts->alerts().isEmpty());
}

TEST_F(DateRepair, FreeTextKeepsTheDateItNamesEvenWhenStrict)
{
    const QString tomorrow = localRFC(now.addDays(1));
    for (bool strict : {true, false}) {
        FeedElement element;
        EXPECT_EQ(VLXLogic::FixInternetDateTime(QStringLiteral("tomorrow"), strict, &element),
                  tomorrow);
        EXPECT_EQ(element.errorList(),
                  QStringList({kRepair + "Fixed bad date format from \"tomorrow\" to \"" + tomorrow
                               + "\""}));
        EXPECT_EQ(element.repairCount(), 1);
    }
    // A long month name fixed first, then read as free text: both entries.
    FeedElement element;
    const QString jan5 = localRFC(QDateTime(QDate(2006, 1, 5), QTime(0, 0), Qt::LocalTime));
    EXPECT_EQ(VLXLogic::FixInternetDateTime(QStringLiteral("January 5, 2006"), true, &element),
              jan5);
    EXPECT_EQ(
        element.errorList(),
        QStringList({kRepair + "Month must be abbrivated, fixed \"January\" to \"Jan\"",
                     kRepair + "Fixed bad date format from \"Jan 5, 2006\" to \"" + jan5 + "\""}));
    EXPECT_EQ(element.repairCount(), 2);
}

TEST_F(DateRepair, UnreadableTextIsAnErrorAndStaysAsTyped)
{
    EXPECT_EQ(VLXLogic::FixInternetDateTime(QStringLiteral(" the  day after "), true, &owner),
              QStringLiteral("the day after"));
    EXPECT_EQ(owner.errorList(),
              QStringList({kError + "Date format \"the day after\" was unfixable"}));
    EXPECT_EQ(owner.errorCount(), 1);
    EXPECT_EQ(owner.repairCount(), 0);
    // Without an owner the answer is the same and nothing is recorded anywhere.
    EXPECT_EQ(VLXLogic::FixInternetDateTime(QStringLiteral("the day after"), true, nullptr),
              QStringLiteral("the day after"));
}

TEST_F(DateRepair, RfcAlertsNameTheField)
{
    const QString field = QStringLiteral("Item pubDate");
    EXPECT_EQ(VLXLogic::FixInternetDateTimeAndInform(
                  QStringLiteral("Sun, 02 Jan 2006 10:11:12 +0100"), false, field),
              QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"));
    const QString tomorrow = localRFC(now.addDays(1));
    EXPECT_EQ(VLXLogic::FixInternetDateTimeAndInform(QStringLiteral("tomorrow"), true, field),
              tomorrow);
    EXPECT_EQ(VLXLogic::FixInternetDateTimeAndInform(QStringLiteral("junk  text"), false, field),
              QStringLiteral("junk text"));
    // A well-formed date passes silently.
    EXPECT_EQ(VLXLogic::FixInternetDateTimeAndInform(
                  QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"), false, field),
              QStringLiteral("Mon, 02 Jan 2006 10:11:12 +0100"));
    EXPECT_EQ(alertMessages(),
              QStringList({QStringLiteral("The value of Item pubDate, \"Sun, 02 Jan 2006 10:11:12 "
                                          "+0100\", is an impossible date.  The correct day of "
                                          "the week is \"Mon\"."),
                           "The value of Item pubDate, \"tomorrow\", was able to be fixed to a "
                           "proper value of \""
                               + tomorrow + "\".",
                           QStringLiteral("The value of Item pubDate, \"junk text\", does not seem "
                                          "to be a valid date format.")}));
}

TEST_F(DateRepair, W3CFormsComeBackWithTheColonAndTheRightZone)
{
    EXPECT_EQ(
        VLXLogic::FixRDFInternetDateTime(QStringLiteral("2006-01-02T10:11:12+0100"), true, &owner),
        QStringLiteral("2006-01-02T10:11:12+01:00"));
    EXPECT_EQ(
        VLXLogic::FixRDFInternetDateTime(QStringLiteral("2006-01-02T10:11:12+01:00"), true, &owner),
        QStringLiteral("2006-01-02T10:11:12+01:00"));
    const QDateTime jan2 = QDateTime::fromSecsSinceEpoch(1136193072).toLocalTime();
    const QString localJan2 = VLXLogic::createRDFDateString(jan2);
    for (const char *text : {"2006-01-02T09:11:12Z", "2006-01-02T09:11:12.750Z",
                             "Mon, 02 Jan 2006 10:11:12 +0100", "2006-01-02T10:11:12.5+01:00"})
        EXPECT_EQ(VLXLogic::FixRDFInternetDateTime(QString::fromLatin1(text), false, &owner),
                  localJan2)
            << text;
    EXPECT_EQ(
        VLXLogic::FixRDFInternetDateTime(QStringLiteral("2006-01-02T10:11+01:00"), false, &owner),
        VLXLogic::createRDFDateString(jan2.addSecs(-12)));
    EXPECT_TRUE(owner.errorList().isEmpty());

    // The alerting form answers "Z" dates in UTC, others as the recording form.
    EXPECT_EQ(VLXLogic::FixRDFInternetDateTimeAndInform(QStringLiteral("2006-01-02T09:11:12Z"),
                                                        true, QStringLiteral("dc:date")),
              QStringLiteral("2006-01-02T09:11:12+00:00"));
    EXPECT_EQ(VLXLogic::FixRDFInternetDateTimeAndInform(
                  QStringLiteral("2006-01-02T10:11:12.5+01:00"), true, QStringLiteral("dc:date")),
              localJan2);
    EXPECT_TRUE(alerts->alerts().isEmpty());
}

TEST_F(DateRepair, W3CFreeTextAndGarbage)
{
    const QString tomorrow = VLXLogic::createRDFDateString(now.addDays(1));
    const QString nowW3C = VLXLogic::createRDFDateString(now);
    for (bool strict : {true, false}) {
        FeedElement element;
        EXPECT_EQ(VLXLogic::FixRDFInternetDateTime(QStringLiteral("tomorrow"), strict, &element),
                  tomorrow);
        EXPECT_EQ(element.errorList(),
                  QStringList({kRepair + "Fixed bad date format from \"tomorrow\" to \"" + tomorrow
                               + "\""}));
    }
    FeedElement strictOwner;
    EXPECT_EQ(VLXLogic::FixRDFInternetDateTime(QStringLiteral("rubbish"), true, &strictOwner),
              nowW3C);
    EXPECT_EQ(
        strictOwner.errorList(),
        QStringList({kRepair + "Fixed bad date format from \"rubbish\" to \"" + nowW3C + "\""}));
    EXPECT_EQ(strictOwner.repairCount(), 1);
    FeedElement lenient;
    EXPECT_EQ(VLXLogic::FixRDFInternetDateTime(QStringLiteral("rubbish"), false, &lenient),
              QStringLiteral("rubbish"));
    EXPECT_EQ(lenient.errorList(), QStringList({kError + "Date format \"rubbish\" was unfixable"}));
    EXPECT_EQ(lenient.errorCount(), 1);

    EXPECT_EQ(VLXLogic::FixRDFInternetDateTimeAndInform(QStringLiteral("tomorrow"), true,
                                                        QStringLiteral("dc:date")),
              tomorrow);
    EXPECT_EQ(VLXLogic::FixRDFInternetDateTimeAndInform(QStringLiteral("rubbish"), true,
                                                        QStringLiteral("dc:date")),
              QStringLiteral("rubbish"));
    EXPECT_EQ(
        alertMessages(),
        QStringList({"The value of dc:date, \"tomorrow\", was able to be fixed to a proper "
                     "value of \""
                         + tomorrow + "\".",
                     QStringLiteral("The value of dc:date, \"rubbish\", does not seem to be a "
                                    "valid date format.")}));
}
