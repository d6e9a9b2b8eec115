#include "model/SmartDate.h"

#include "model/DateFields.h"
#include "model/VLXLogic.h"
#include "platform/Clock.h"

namespace {
int weekdayOf(QDate date)
{
    return date.dayOfWeek() % 7; // 0 Sunday
}

// The first day of the month falling on the weekday.
QDate firstWeekdayOfMonth(int year, int month, int target)
{
    const QDate first(year, month, 1);
    const int w = weekdayOf(first);
    return first.addDays(w <= target ? target - w : target - w + 7);
}

// The last day of the month falling on the weekday: the first such day on or after the month's
// last day less six.
QDate lastWeekdayOfMonth(int year, int month, int target)
{
    const QDate reference(year, month, lastOfDayMonthForYear(month, year) - 6);
    const int w = weekdayOf(reference);
    return reference.addDays(w > target ? target - w + 7 : target - w);
}

// The N-th such weekday; a fifth one the month lacks becomes the fourth.
QDate nthWeekdayOfMonth(int year, int month, int target, int n)
{
    const QDate first = firstWeekdayOfMonth(year, month, target);
    QDate day = first.addDays(7 * n - 7);
    if (day.month() != first.month() || day.year() != first.year())
        day = first.addDays(7 * n - 14);
    return day;
}

QDate nextMonth(QDate date)
{
    return QDate(date.year(), date.month(), 1).addMonths(1);
}

// Day n of the month, carried into the next month when the month is shorter.
QDate dayOfMonth(int year, int month, int n)
{
    return QDate(year, month, 1).addDays(n - 1);
}

QDateTime candidate(QDate day, QTime time)
{
    DateFields fields;
    fields.year = day.year();
    fields.month = day.month();
    fields.day = day.day();
    fields.hour = time.hour();
    fields.minute = time.minute();
    fields.second = time.second();
    return fields.toDateTime();
}
} // namespace

int lastOfDayMonthForYear(int month, int year)
{
    return DateFields::daysInMonth(month, year);
}

QDateTime SmartDate::getNow()
{
    return Clock::now().toLocalTime();
}

int SmartDate::compareTime(int nHour, int nMinute, int nSecond, int tHour, int tMinute, int tSecond)
{
    const int first = (nHour * 60 + nMinute) * 60 + nSecond;
    const int second = (tHour * 60 + tMinute) * 60 + tSecond;
    return first < second ? -1 : first > second ? 1 : 0;
}

QDateTime SmartDate::generateDateTime(int dateCode, int xVal, int timeCode, const QDateTime &now)
{
    if (dateCode == 0 && timeCode == 0)
        return now;
    const QDate today = now.date();
    const QTime nowTime = now.time();
    const QTime time = timeCode == 0 ? QTime(nowTime.hour(), nowTime.minute(), nowTime.second())
                                     : QTime(timeCode - 1, 0, 0);
    const int year = today.year();
    const int month = today.month();
    const auto passed = [&](QDate day) { return candidate(day, time) < now; };

    QDate day = today;
    if (dateCode == 0) {
        day = today;
    } else if (dateCode == 1) {
        day = today.addDays(1);
    } else if (dateCode >= 2 && dateCode <= 8) {
        const int target = dateCode - 2;
        const int d = weekdayOf(today);
        if (d < target)
            day = today.addDays(target - d);
        else if (d == target)
            day = compareTime(nowTime.hour(), nowTime.minute(), nowTime.second(), time.hour(),
                              time.minute(), time.second())
                    == 1
                ? today.addDays(7)
                : today;
        else
            day = today.addDays(target - d + 7);
    } else if (dateCode >= 9 && dateCode <= 15) {
        day = firstWeekdayOfMonth(year, month, dateCode - 9);
        if (passed(day)) {
            const QDate next = nextMonth(today);
            day = firstWeekdayOfMonth(next.year(), next.month(), dateCode - 9);
        }
    } else if (dateCode >= 16 && dateCode <= 22) {
        day = lastWeekdayOfMonth(year, month, dateCode - 16);
        if (passed(day)) {
            const QDate next = nextMonth(today);
            day = lastWeekdayOfMonth(next.year(), next.month(), dateCode - 16);
        }
    } else if (dateCode == 23) {
        day = QDate(year, month, 1);
        if (passed(day))
            day = day.addMonths(1);
    } else if (dateCode == 24) {
        day = QDate(year, month, lastOfDayMonthForYear(month, year));
        if (passed(day)) {
            const QDate next = day.addDays(7);
            day = QDate(next.year(), next.month(),
                        lastOfDayMonthForYear(next.month(), next.year()));
        }
    } else if (dateCode >= 25 && dateCode <= 31) {
        day = nthWeekdayOfMonth(year, month, dateCode - 25, xVal);
        if (passed(day)) {
            const QDate next = nextMonth(today);
            day = nthWeekdayOfMonth(next.year(), next.month(), dateCode - 25, xVal);
        }
    } else if (dateCode == 32) {
        day = dayOfMonth(year, month, xVal);
        if (passed(day))
            day = day.addMonths(1);
    }
    return candidate(day, time);
}

QString SmartDate::generateDate(int dateCode, int xVal, int timeCode)
{
    return VLXLogic::rfc822String(generateDateTime(dateCode, xVal, timeCode, getNow()));
}

QString SmartDate::feedAutoPubDate()
{
    return VLXLogic::rfc822String(getNow());
}

QString SmartDate::feedSmartDate(bool useCurrentFeed, int allFeedDate, int allFeedXVal,
                                 int allFeedTime, int curFeedDate, int curFeedXVal, int curFeedTime)
{
    return useCurrentFeed ? generateDate(curFeedDate, curFeedXVal, curFeedTime)
                          : generateDate(allFeedDate, allFeedXVal, allFeedTime);
}

bool SmartDate::feedAutoPub(bool useCurrentFeed, int allFeedDate, int allFeedTime, int curFeedDate,
                            int curFeedTime)
{
    return useCurrentFeed ? curFeedDate == 0 && curFeedTime == 0
                          : allFeedDate == 0 && allFeedTime == 0;
}
