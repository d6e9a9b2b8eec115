#include "editors/WBCalendarControl.h"

#include "EditorTestSupport.h"

#include <QLocale>
#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(DaysInMonth, FollowTheGregorianRuleWithZeroBasedMonths)
{
    EXPECT_EQ(numberofDayInMonthForYear(1, 2000), 29);
    EXPECT_EQ(numberofDayInMonthForYear(1, 1900), 28);
    EXPECT_EQ(numberofDayInMonthForYear(1, 2004), 29);
    EXPECT_EQ(numberofDayInMonthForYear(1, 2007), 28);
    EXPECT_EQ(numberofDayInMonthForYear(0, 2007), 31);
    EXPECT_EQ(numberofDayInMonthForYear(3, 2007), 30);
    EXPECT_EQ(numberofDayInMonthForYear(11, 1), 31);
    EXPECT_EQ(numberofDayInMonthForYear(12, 2007), 0);
    EXPECT_EQ(numberofDayInMonthForYear(-1, 2007), 0);
}

namespace {
class WBCalendarControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        calendar.resize(calendar.sizeHint());
        calendar.setFirstDayOfWeek(0);
        calendar.setDate(march4);
    }
    QPointF centreOfDay(int day) const
    {
        return WBCalendarControl::cellRect(calendar.firstDay() + day - 1).center();
    }

    // 4 March 2008, a Tuesday, late in the evening at a zone west of UTC.
    const QDateTime march4 {QDate(2008, 3, 4), QTime(23, 30, 5), Qt::OffsetFromUTC, -5 * 3600};
    WBCalendarControl calendar;
};
} // namespace

TEST_F(WBCalendarControlTest, GridPlacesTheFirstByTheFirstWeekday)
{
    // 1 March 2008 is a Saturday: the last column with Sunday first, six rows needed.
    EXPECT_EQ(calendar.firstDay(), 6);
    EXPECT_EQ(calendar.monthDay(6), 1);
    EXPECT_EQ(calendar.monthDay(5), 0);
    EXPECT_EQ(calendar.monthDay(7 * 5 + 1), 31);
    EXPECT_EQ(calendar.monthDay(7 * 5 + 2), 0);

    calendar.setFirstDayOfWeek(1);
    EXPECT_EQ(calendar.firstDay(), 5);
    // Headings follow the first weekday: the locale's short names, shortened alike to fit.
    const QString monday = calendar.weekdayLabel(0);
    const QString sunday = calendar.weekdayLabel(6);
    EXPECT_TRUE(QLocale().dayName(1, QLocale::ShortFormat).startsWith(monday))
        << monday.toStdString();
    EXPECT_TRUE(QLocale().dayName(7, QLocale::ShortFormat).startsWith(sunday))
        << sunday.toStdString();
    EXPECT_GE(monday.size(), 2);
    EXPECT_EQ(monday.size(), sunday.size());

    // Saturday first with a Sunday the 3rd: the sum goes below zero, the column does not.
    calendar.setFirstDayOfWeek(6);
    calendar.setDate(QDateTime(QDate(2008, 2, 3), QTime(12, 0), Qt::UTC));
    EXPECT_EQ(calendar.firstDay(), 6); // 1 February 2008 is a Friday
    EXPECT_EQ(calendar.monthDay(6 + 28), 29);
}

TEST_F(WBCalendarControlTest, TheDayShownIsTheValuesOwnDay)
{
    // Whatever the machine's zone, 23:30 at -0500 on the 4th is the 4th.
    EXPECT_EQ(calendar.date(), march4);
    EXPECT_EQ(calendar.date().offsetFromUtc(), -5 * 3600);
    EXPECT_EQ(calendar.dayAtPoint(centreOfDay(4)), 4);
}

TEST_F(WBCalendarControlTest, HitTestsSkipTheHeadingBandAndEmptyCells)
{
    EXPECT_EQ(calendar.dayAtPoint(QPointF(10, 5)), 0);
    EXPECT_EQ(calendar.dayAtPoint(QPointF(10, 19.5)), 0);
    EXPECT_EQ(calendar.dayAtPoint(QPointF(10, 25)), 0); // empty first-row cell
    EXPECT_EQ(calendar.dayAtPoint(QPointF(110, 25)), 1);
    EXPECT_EQ(calendar.dayAtPoint(QPointF(4 + 17 * 0 + 1, 20 + 14 * 1 + 1)), 2);
    // Beyond the grid the column and row are clamped.
    EXPECT_EQ(calendar.dayAtPoint(QPointF(500, 20 + 14 * 5 + 2)), 0);
    EXPECT_EQ(calendar.dayAtPoint(QPointF(-3, 20 + 14 * 5 + 2)), 30);
}

TEST_F(WBCalendarControlTest, ClicksPickADayAndKeepTheTime)
{
    QSignalSpy picked(&calendar, &WBCalendarControl::activated);
    MouseDriver::click(&calendar, QPointF(10, 5));
    MouseDriver::click(&calendar, QPointF(10, 25));
    EXPECT_EQ(picked.count(), 0);
    EXPECT_EQ(calendar.date(), march4);

    MouseDriver::click(&calendar, centreOfDay(17));
    EXPECT_EQ(picked.count(), 1);
    EXPECT_EQ(calendar.date(),
              QDateTime(QDate(2008, 3, 17), QTime(23, 30, 5), Qt::OffsetFromUTC, -5 * 3600));

    // The selected day again: the action again.
    MouseDriver::click(&calendar, centreOfDay(17));
    EXPECT_EQ(picked.count(), 2);
}

TEST_F(WBCalendarControlTest, ADragMovesTheSelectionAndActsOnceAtTheEnd)
{
    QSignalSpy picked(&calendar, &WBCalendarControl::activated);
    MouseDriver::press(&calendar, centreOfDay(4));
    EXPECT_EQ(picked.count(), 1); // the press on a day
    MouseDriver::move(&calendar, centreOfDay(5));
    MouseDriver::move(&calendar, QPointF(10, 5)); // over the headings: stays on the 5th
    MouseDriver::move(&calendar, centreOfDay(12));
    EXPECT_EQ(calendar.date().date(), QDate(2008, 3, 12));
    EXPECT_EQ(picked.count(), 1);
    MouseDriver::release(&calendar, centreOfDay(12));
    EXPECT_EQ(picked.count(), 2);
    // A plain click afterwards is a click again, not the end of a drag.
    MouseDriver::press(&calendar, centreOfDay(12));
    MouseDriver::release(&calendar, centreOfDay(12));
    EXPECT_EQ(picked.count(), 3);
}

TEST_F(WBCalendarControlTest, TheSelectedDayIsMarked)
{
    const QImage drawn = calendar.grab().toImage();
    const QColor mark = drawn.pixelColor(
        WBCalendarControl::cellRect(calendar.firstDay() + 3).topLeft() + QPoint(3, 3));
    const QColor plain = drawn.pixelColor(
        WBCalendarControl::cellRect(calendar.firstDay() + 4).topLeft() + QPoint(3, 3));
    EXPECT_GT(mark.blue() - mark.red(), 40);
    EXPECT_LT(std::abs(plain.blue() - plain.red()), 20);
}
