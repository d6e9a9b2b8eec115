#include "model/SmartDate.h"
#include "model/VLXLogic.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

namespace {
QDateTime local(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime);
}

QDateTime rule(int code, int x, int time, const QDateTime &now)
{
    return SmartDate::generateDateTime(code, x, time, now);
}

const QDateTime kFriday = local(2026, 3, 13, 10, 0, 0);
} // namespace

TEST(SmartDates, TodayAndTimeCodes)
{
    EXPECT_EQ(rule(0, 1, 0, kFriday), kFriday);
    EXPECT_EQ(rule(0, 1, 10, kFriday), local(2026, 3, 13, 9)); // even though 9:00 has passed
    EXPECT_EQ(rule(0, 1, 1, kFriday), local(2026, 3, 13, 0));
    EXPECT_EQ(rule(0, 1, 24, kFriday), local(2026, 3, 13, 23));
    EXPECT_EQ(rule(1, 1, 0, kFriday), local(2026, 3, 14, 10));
}

TEST(SmartDates, NamedWeekdays)
{
    EXPECT_EQ(rule(7, 1, 10, kFriday), local(2026, 3, 20, 9)); // Friday 9:00 has passed
    EXPECT_EQ(rule(7, 1, 12, kFriday), local(2026, 3, 13, 11)); // Friday 11:00 is ahead
    EXPECT_EQ(rule(7, 1, 11, kFriday), local(2026, 3, 13, 10)); // exactly now: today
    EXPECT_EQ(rule(8, 1, 12, kFriday), local(2026, 3, 14, 11)); // Saturday: tomorrow
    EXPECT_EQ(rule(6, 1, 12, kFriday), local(2026, 3, 19, 11)); // Thursday: next week
}

TEST(SmartDates, FirstAndLastDays)
{
    EXPECT_EQ(rule(23, 1, 10, local(2026, 3, 1, 8)), local(2026, 3, 1, 9));
    EXPECT_EQ(rule(23, 1, 10, local(2026, 3, 2, 8)), local(2026, 4, 1, 9));
    EXPECT_EQ(rule(24, 1, 10, local(2024, 2, 10)), local(2024, 2, 29, 9));
    EXPECT_EQ(rule(24, 1, 10, local(2026, 2, 10)), local(2026, 2, 28, 9));
    EXPECT_EQ(rule(24, 1, 10, local(2024, 2, 29, 10)), local(2024, 3, 31, 9));
    // First Sunday: March's was the 1st, so April's.
    EXPECT_EQ(rule(9, 1, 10, kFriday), local(2026, 4, 5, 9));
    EXPECT_EQ(rule(14, 1, 12, local(2026, 3, 6, 10)), local(2026, 3, 6, 11));
}

TEST(SmartDates, LastWeekdayOfTheMonthCanBeTheLastDay)
{
    // July 2026 ends on a Friday: that Friday is the last one.
    EXPECT_EQ(rule(21, 1, 10, local(2026, 7, 1)), local(2026, 7, 31, 9));
    // March 2026 ends on a Tuesday: its last Friday is the 27th, its last Tuesday the 31st.
    EXPECT_EQ(rule(21, 1, 10, kFriday), local(2026, 3, 27, 9));
    EXPECT_EQ(rule(18, 1, 10, kFriday), local(2026, 3, 31, 9));
    // Once this month's has passed, next month's (April 2026 ends on a Thursday).
    EXPECT_EQ(rule(21, 1, 10, local(2026, 3, 27, 10)), local(2026, 4, 24, 9));
    EXPECT_EQ(rule(20, 1, 10, local(2026, 3, 27, 10)), local(2026, 4, 30, 9));
}

TEST(SmartDates, NthWeekdayAndNthDay)
{
    // February 2026 has four Mondays: a fifth becomes the fourth.
    EXPECT_EQ(rule(26, 5, 10, local(2026, 2, 1)), local(2026, 2, 23, 9));
    EXPECT_EQ(rule(26, 2, 10, local(2026, 2, 1)), local(2026, 2, 9, 9));
    EXPECT_EQ(rule(26, 2, 10, local(2026, 2, 10)), local(2026, 3, 9, 9));
    EXPECT_EQ(rule(32, 15, 10, local(2026, 3, 20)), local(2026, 4, 15, 9));
    EXPECT_EQ(rule(32, 15, 10, local(2026, 3, 10)), local(2026, 3, 15, 9));
}

TEST(SmartDates, SkippedWallClockHourStillGivesTheDay)
{
    // 02:00 on 29 March 2026 does not exist in Berlin; the date must still be that day.
    const QDateTime date = rule(32, 29, 3, kFriday);
    ASSERT_TRUE(date.isValid());
    EXPECT_EQ(date.date(), QDate(2026, 3, 29));
}

TEST(SmartDates, TextsUseTheProcessClockOnce)
{
    Clock::setInstance(std::make_shared<FixedClock>(kFriday));
    EXPECT_EQ(SmartDate::feedAutoPubDate(), VLXLogic::rfc822String(kFriday));
    EXPECT_EQ(SmartDate::generateDate(0, 1, 0), VLXLogic::rfc822String(kFriday));
    EXPECT_EQ(SmartDate::feedSmartDate(true, 0, 1, 0, 1, 1, 10),
              VLXLogic::rfc822String(local(2026, 3, 14, 9)));
    EXPECT_EQ(SmartDate::feedSmartDate(false, 0, 1, 0, 1, 1, 10), VLXLogic::rfc822String(kFriday));
    Clock::setInstance(nullptr);

    EXPECT_TRUE(SmartDate::feedAutoPub(true, 5, 5, 0, 0));
    EXPECT_FALSE(SmartDate::feedAutoPub(true, 0, 0, 0, 1));
    EXPECT_FALSE(SmartDate::feedAutoPub(false, 1, 0, 0, 0));
    EXPECT_TRUE(SmartDate::feedAutoPub(false, 0, 0, 3, 3));
}

TEST(SmartDates, DaysInMonthAndTimeComparison)
{
    EXPECT_EQ(lastOfDayMonthForYear(2, 2000), 29);
    EXPECT_EQ(lastOfDayMonthForYear(2, 2024), 29);
    EXPECT_EQ(lastOfDayMonthForYear(2, 1900), 28);
    EXPECT_EQ(lastOfDayMonthForYear(2, 2023), 28);
    EXPECT_EQ(lastOfDayMonthForYear(1, 2023), 31);
    EXPECT_EQ(lastOfDayMonthForYear(13, 2023), 0);
    EXPECT_EQ(lastOfDayMonthForYear(0, 2023), 0);
    EXPECT_EQ(SmartDate::compareTime(10, 0, 0, 9, 59, 59), 1);
    EXPECT_EQ(SmartDate::compareTime(9, 0, 1, 9, 0, 2), -1);
    EXPECT_EQ(SmartDate::compareTime(9, 0, 1, 9, 0, 1), 0);
}
