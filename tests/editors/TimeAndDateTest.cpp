#include "editors/TimeAndDate.h"

#include "EditorTestSupport.h"
#include "editors/PickerDates.h"
#include "editors/TADClockControl.h"
#include "editors/TADStepper.h"
#include "editors/TADTextField.h"
#include "editors/WBCalendarControl.h"
#include "platform/Clock.h"
#include "ui/VLXBox.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>

namespace {
const QString kMarch4 = QStringLiteral("Tue, 04 Mar 2008 14:05:09 +0100");

class TimeAndDateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Clock::setInstance(std::make_shared<FixedClock>(now));
    }
    void TearDown() override
    {
        Clock::setInstance(nullptr);
        QLocale::setDefault(QLocale::system());
    }

    // Shows the picker and runs the script inside its modal loop; a script that leaves the
    // picker open ends it with -1.
    int run(const std::function<void()> &script, QWidget *sheetOn = nullptr)
    {
        QTimer::singleShot(0, &picker, [&] {
            picker.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&picker));
            script();
            if (picker.isVisible())
                picker.done(-1);
        });
        return sheetOn ? picker.showCustomSheet(sheetOn) : picker.showPanel();
    }
    template<typename T = QWidget> T *child(const char *name)
    {
        return picker.findChild<T *>(QLatin1String(name));
    }
    void press(const char *button) { QTest::mouseClick(child(button), Qt::LeftButton); }
    int field(const char *name) { return child<TADTextField>(name)->text().toInt(); }
    TADStepper *stepper() { return child<TADStepper>("timeStepper"); }
    QString markers()
    {
        QString shown;
        for (const char *name : {"hourFieldBtn", "minuteFieldBtn", "secondFieldBtn"})
            shown += child(name)->isVisibleTo(&picker) ? QLatin1Char('1') : QLatin1Char('0');
        return shown;
    }
    void pickDay(int day)
    {
        auto *calendar = child<WBCalendarControl>("calendar");
        MouseDriver::click(calendar,
                           WBCalendarControl::cellRect(calendar->firstDay() + day - 1).center());
    }

    const QDateTime now {QDate(2011, 6, 15), QTime(9, 41, 7), Qt::UTC};
    TimeAndDate picker;
};
} // namespace

TEST_F(TimeAndDateTest, OpensOnTheValueAndOkReturnsItUnchanged)
{
    picker.setInitialValueVLXDateFormat(kMarch4);
    const int code = run([&] {
        EXPECT_EQ(child<WBCalendarControl>("calendar")->date().date(), QDate(2008, 3, 4));
        EXPECT_EQ(child<QLabel>("monthYear")->text(), "March, 2008");
        EXPECT_EQ(field("hourField"), 14);
        EXPECT_EQ(field("minuteField"), 5);
        EXPECT_EQ(field("secondField"), 9);
        EXPECT_EQ(child<TADClockControl>("clock")->cell()->stringValue(), "02:05 PM");
        EXPECT_EQ(stepper()->minimum(), 0);
        EXPECT_EQ(stepper()->maximum(), 23);
        EXPECT_EQ(stepper()->value(), 14);
        EXPECT_EQ(markers(), "100");
        EXPECT_EQ(child<VLXBox>("smartDateBox")->helpAnchor(), "DatePicker");
        press("OK");
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(picker.resultDateVLXDateFormat(), kMarch4);
}

TEST_F(TimeAndDateTest, TextNotInTheExactFormOpensOnNow)
{
    for (const char *text : {"2008-03-04T14:05:09+01:00", "Tuesday", "",
                             "04 Mar 2008 14:05:09 +0100", "Tue, 04 Mar 2008 14:05:09 GMT"}) {
        TimeAndDate other;
        other.setInitialValueVLXDateFormat(QString::fromLatin1(text));
        EXPECT_EQ(other.resultDate(), now) << text;
        EXPECT_EQ(other.initialValue(), now) << text;
        EXPECT_EQ(other.resultDate().timeSpec(), Qt::LocalTime) << text;
    }
}

TEST_F(TimeAndDateTest, CancelReturnsTheInitialValue)
{
    picker.setInitialValueVLXDateFormat(kMarch4);
    const int code = run([&] {
        press("increaseMonth");
        pickDay(20);
        QTest::keyClick(child("clock"), Qt::Key_Right);
        press("Cancel");
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(picker.resultDateVLXDateFormat(), kMarch4);
}

TEST_F(TimeAndDateTest, MonthAndYearButtonsCrossTheYearAndKeepTheTime)
{
    picker.setInitialValueVLXDateFormat(QStringLiteral("Mon, 15 Dec 2008 08:00:00 +0530"));
    run([&] {
        auto *label = child<QLabel>("monthYear");
        press("increaseMonth");
        EXPECT_EQ(label->text(), "January, 2009");
        EXPECT_EQ(child<WBCalendarControl>("calendar")->date().date(), QDate(2009, 1, 15));
        press("decreaseMonth");
        press("decreaseMonth");
        EXPECT_EQ(label->text(), "November, 2008");
        press("increaseMonth");
        press("increaseYear");
        EXPECT_EQ(label->text(), "December, 2009");
        press("decreaseYear");
        press("decreaseYear");
        EXPECT_EQ(label->text(), "December, 2007");
        EXPECT_EQ(field("hourField"), 8);
        press("OK");
    });
    EXPECT_EQ(picker.resultDateVLXDateFormat(), "Sat, 15 Dec 2007 08:00:00 +0530");

    // A day the next month lacks becomes that month's last day.
    picker.setInitialValueVLXDateFormat(QStringLiteral("Thu, 31 Jan 2008 10:00:00 +0000"));
    picker.increaseMonth();
    EXPECT_EQ(picker.resultDateVLXDateFormat(), "Fri, 29 Feb 2008 10:00:00 +0000");
}

// The value's offset differs from the machine's (UTC or Europe/Berlin in the two runs): the
// picked day must not drag the time or the offset into the local zone.
TEST_F(TimeAndDateTest, PickingADayKeepsTheTimeAndTheValuesOffset)
{
    picker.setInitialValueVLXDateFormat(QStringLiteral("Tue, 04 Mar 2008 23:30:00 -0500"));
    run([&] {
        EXPECT_EQ(child<WBCalendarControl>("calendar")->date().date(), QDate(2008, 3, 4));
        pickDay(10);
        EXPECT_EQ(field("hourField"), 23);
        press("OK");
    });
    EXPECT_EQ(picker.resultDateVLXDateFormat(), "Mon, 10 Mar 2008 23:30:00 -0500");

    TimeAndDate east;
    east.setInitialValueVLXDateFormat(QStringLiteral("Sat, 01 Mar 2008 00:15:00 +1300"));
    QTimer::singleShot(0, &east, [&] {
        auto *calendar = east.findChild<WBCalendarControl *>(QStringLiteral("calendar"));
        MouseDriver::click(calendar,
                           WBCalendarControl::cellRect(calendar->firstDay() + 1).center());
        east.accept();
    });
    EXPECT_EQ(east.showPanel(), 1);
    EXPECT_EQ(east.resultDateVLXDateFormat(), "Sun, 02 Mar 2008 00:15:00 +1300");
}

TEST_F(TimeAndDateTest, TheStepperFollowsTheClickedField)
{
    picker.setInitialValueVLXDateFormat(kMarch4);
    run([&] {
        QTest::mouseClick(child("minuteField"), Qt::LeftButton);
        EXPECT_EQ(markers(), "010");
        EXPECT_EQ(stepper()->maximum(), 59);
        EXPECT_EQ(stepper()->value(), 5);
        QTest::mouseClick(child("stepUp"), Qt::LeftButton);
        EXPECT_EQ(field("minuteField"), 6);
        EXPECT_EQ(picker.resultDate().time(), QTime(14, 6, 9));
        EXPECT_EQ(child<TADClockControl>("clock")->time().time().minute(), 6);

        QTest::mouseClick(child("secondField"), Qt::LeftButton);
        EXPECT_EQ(markers(), "001");
        QTest::mouseClick(child("stepDown"), Qt::LeftButton);
        QTest::mouseClick(child("stepDown"), Qt::LeftButton);
        EXPECT_EQ(picker.resultDate().time(), QTime(14, 6, 7));

        // The hour wraps within the day and leaves the date alone.
        QTest::mouseClick(child("hourField"), Qt::LeftButton);
        for (int i = 0; i < 10; ++i)
            QTest::mouseClick(child("stepUp"), Qt::LeftButton);
        EXPECT_EQ(field("hourField"), 0);
        EXPECT_EQ(picker.resultDateVLXDateFormat(), "Tue, 04 Mar 2008 00:06:07 +0100");

        QTest::mouseClick(child("minuteField"), Qt::LeftButton);
        press("Revert");
        EXPECT_EQ(markers(), "100");
        EXPECT_EQ(stepper()->maximum(), 23);
        EXPECT_EQ(stepper()->value(), 14);
        EXPECT_EQ(picker.resultDateVLXDateFormat(), kMarch4);

        QTest::mouseClick(child("secondField"), Qt::LeftButton);
        press("Now");
        EXPECT_EQ(markers(), "100");
        EXPECT_EQ(stepper()->value(), now.toLocalTime().time().hour());
        EXPECT_EQ(picker.resultDate(), now);
        press("OK");
    });
}

TEST_F(TimeAndDateTest, TypedValuesCountAndAreHeldToTheirRange)
{
    picker.setInitialValueVLXDateFormat(kMarch4);
    const int code = run([&] {
        auto *hour = child<TADTextField>("hourField");
        QTest::mouseClick(hour, Qt::LeftButton);
        hour->selectAll();
        QTest::keyClicks(hour, QStringLiteral("7"));
        EXPECT_EQ(stepper()->value(), 7);
        QTest::keyClick(hour, Qt::Key_Tab); // on to the minute field
        EXPECT_EQ(child<TADClockControl>("clock")->cell()->stringValue(), "07:05 AM");
        EXPECT_EQ(markers(), "010");
        QTest::keyClick(child("minuteField"), Qt::Key_Up);
        EXPECT_EQ(field("minuteField"), 6);

        // A value typed and accepted at once with Return still counts.
        auto *second = child<TADTextField>("secondField");
        second->setFocus();
        second->selectAll();
        QTest::keyClicks(second, QStringLiteral("42"));
        QTest::keyClick(second, Qt::Key_Return); // the default button is OK
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(picker.resultDateVLXDateFormat(), "Tue, 04 Mar 2008 07:06:42 +0100");
}

TEST_F(TimeAndDateTest, TheClockSetsTheTimeOfDayOnly)
{
    picker.setInitialValueVLXDateFormat(QStringLiteral("Sat, 10 May 2008 14:05:09 +0200"));
    run([&] {
        auto *clock = child<TADClockControl>("clock");
        auto toward = [](double degrees) {
            const double rad = degrees * std::numbers::pi / 180.0;
            return QPointF(64 + 40 * std::sin(rad), 64 - 40 * std::cos(rad));
        };
        MouseDriver::drag(clock, toward(60), toward(105.25)); // half past three
        EXPECT_EQ(field("hourField"), 15);
        EXPECT_EQ(field("minuteField"), 30);
        EXPECT_EQ(field("secondField"), 9);
        // The keys move the fields too; the date stays even past midnight on the clock.
        clock->setFocus();
        QTest::keyClick(clock, Qt::Key_Right, Qt::ShiftModifier);
        EXPECT_EQ(field("minuteField"), 45);
        press("OK");
    });
    EXPECT_EQ(picker.resultDateVLXDateFormat(), "Sat, 10 May 2008 15:45:09 +0200");
}

TEST_F(TimeAndDateTest, ShownAsASheetOnAWindow)
{
    QWidget window;
    window.resize(400, 300);
    window.show();
    picker.setInitialValue(QDateTime(QDate(2020, 2, 29), QTime(12, 0, 0, 250), Qt::UTC));
    const int code = run(
        [&] {
            EXPECT_TRUE(picker.runningAsSheet());
            EXPECT_EQ(picker.windowModality(), Qt::WindowModal);
            EXPECT_EQ(picker.parentWidget(), &window);
            QTest::keyClick(&picker, Qt::Key_Escape);
        },
        &window);
    EXPECT_EQ(code, 0);
    // A calendar value of an extension editor comes back exactly, milliseconds and all.
    EXPECT_EQ(picker.resultDate(), QDateTime(QDate(2020, 2, 29), QTime(12, 0, 0, 250), Qt::UTC));
    EXPECT_EQ(picker.resultDateVLXDateFormat(), "Sat, 29 Feb 2020 12:00:00 +0000");
}

TEST(PickerDates, RFC822RoundTripsKeepTheWrittenOffset)
{
    for (const char *text :
         {"Tue, 04 Mar 2008 14:05:09 +0100", "Sun, 30 Mar 2008 02:30:00 +0000",
          "Fri, 29 Feb 2008 23:59:59 -0930", "Sat, 01 Jan 2000 00:00:00 +1400"}) {
        const QDateTime date = PickerDates::fromRFC822(QString::fromLatin1(text));
        ASSERT_TRUE(date.isValid()) << text;
        EXPECT_EQ(PickerDates::toRFC822(date), QString::fromLatin1(text));
    }
    EXPECT_FALSE(
        PickerDates::fromRFC822(QStringLiteral("Tue, 31 Feb 2008 14:05:09 +0100")).isValid());
    // Moving across midnight and replacing the day keep the offset as well.
    const QDateTime late
        = PickerDates::fromRFC822(QStringLiteral("Tue, 04 Mar 2008 23:50:00 -0500"));
    EXPECT_EQ(PickerDates::toRFC822(PickerDates::addMinutes(late, 15)),
              "Wed, 05 Mar 2008 00:05:00 -0500");
    EXPECT_EQ(PickerDates::toRFC822(PickerDates::withDay(late, QDate(2008, 3, 30))),
              "Sun, 30 Mar 2008 23:50:00 -0500");
}
