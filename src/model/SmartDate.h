#pragma once

#include <QDateTime>
#include <QString>

// Publication dates computed from a rule (date code 0-32, X value, time code 0-24) instead of
// typed. Time code 0 means now's time of day, k means (k-1):00:00. Every computation takes
// "now" once from the process clock, in the local zone.
class SmartDate
{
public:
    SmartDate() = delete;

    // Now from the process clock, in the local zone.
    static QDateTime getNow();
    // -1, 0 or 1 as the first time of day is earlier, equal or later than the second.
    static int compareTime(int nHour, int nMinute, int nSecond, int tHour, int tMinute,
                           int tSecond);
    // The rule's date as RFC 822 form 1 text in the local zone.
    static QString generateDate(int dateCode, int xVal, int timeCode);
    // Now as RFC 822 form 1 text.
    static QString feedAutoPubDate();
    // generateDate of the current feed's rule when useCurrentFeed, else of the all-feeds rule.
    static QString feedSmartDate(bool useCurrentFeed, int allFeedDate, int allFeedXVal,
                                 int allFeedTime, int curFeedDate, int curFeedXVal,
                                 int curFeedTime);
    // YES when the chosen rule is "Today" at "Current Time", so the date is always now.
    static bool feedAutoPub(bool useCurrentFeed, int allFeedDate, int allFeedTime, int curFeedDate,
                            int curFeedTime);
    // The rule's date as a calendar date (what generateDate writes).
    static QDateTime generateDateTime(int dateCode, int xVal, int timeCode, const QDateTime &now);
};

// Days of the month (1-12) in the year; 0 for a month outside 1-12.
int lastOfDayMonthForYear(int month, int year);
