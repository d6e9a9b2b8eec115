#pragma once

#include <QDateTime>

// The parts of a date read from text, before they become a QDateTime. Keeping them plain lets
// the readers work without allocating and compute instants arithmetically for dates that name
// their zone.
struct DateFields
{
    enum class Zone {
        Local, // the text named no zone: the machine's local time
        Offset, // a numeric offset or a zone abbreviation
        UTC // the W3C designator "Z"
    };

    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int msec = 0;
    int weekday = -1; // as written (0 Sunday); readers do not use it to fix the date
    Zone zone = Zone::Local;
    int offsetSeconds = 0; // east of UTC; for Zone::Offset
    bool hasTime = false;
    bool hasSeconds = false;
    bool hasFraction = false;

    // Calendar ranges: month 1-12, day within the month, hour 0-23, minute and second 0-59.
    bool isValid() const;
    // Seconds since 1970-01-01 00:00:00 UTC.
    double instant() const;
    // The date in the zone the text named (Qt::OffsetFromUTC), UTC for "Z", else local time.
    QDateTime toDateTime() const;

    static bool isLeapYear(int year);
    static int daysInMonth(int month, int year);
    // Days since 1970-01-01 of a proleptic Gregorian date.
    static qint64 daysFromCivil(int year, int month, int day);
    // Day of the week of a day count since 1970-01-01: 0 Sunday ... 6 Saturday.
    static int weekdayOfDays(qint64 days);
};
