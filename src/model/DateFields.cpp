#include "model/DateFields.h"

bool DateFields::isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DateFields::daysInMonth(int month, int year)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

qint64 DateFields::daysFromCivil(int year, int month, int day)
{
    // Howard Hinnant's days_from_civil.
    const qint64 y = qint64(year) - (month <= 2 ? 1 : 0);
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int DateFields::weekdayOfDays(qint64 days)
{
    // 1970-01-01 was a Thursday.
    const qint64 w = (days + 4) % 7;
    return int(w < 0 ? w + 7 : w);
}

bool DateFields::isValid() const
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1
        && day <= daysInMonth(month, year) && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59
        && second >= 0 && second <= 59 && msec >= 0 && msec <= 999;
}

double DateFields::instant() const
{
    if (zone == Zone::Local)
        return toDateTime().toMSecsSinceEpoch() / 1000.0;
    const qint64 seconds = daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60
        + second - (zone == Zone::Offset ? offsetSeconds : 0);
    return double(seconds) + msec / 1000.0;
}

QDateTime DateFields::toDateTime() const
{
    const QDate date(year, month, day);
    const QTime time(hour, minute, second, msec);
    switch (zone) {
    case Zone::Offset:
        return QDateTime(date, time, Qt::OffsetFromUTC, offsetSeconds);
    case Zone::UTC:
        return QDateTime(date, time, Qt::UTC);
    case Zone::Local:
        break;
    }
    QDateTime local(date, time);
    if (!local.isValid()) {
        // A wall-clock time skipped by a daylight-saving change: take the same distance from
        // midnight, which lands just after the gap.
        local = date.startOfDay().addMSecs(QTime(0, 0).msecsTo(time));
    }
    return local;
}
