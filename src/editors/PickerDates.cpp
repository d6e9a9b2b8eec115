#include "editors/PickerDates.h"

#include "model/DateFields.h"
#include "model/DateForms.h"
#include "model/DatePattern.h"
#include "model/VLXLogic.h"

#include <QTimeZone>

QDateTime PickerDates::make(const QDateTime &zoneOf, QDate date, QTime time)
{
    switch (zoneOf.timeSpec()) {
    case Qt::OffsetFromUTC:
        return QDateTime(date, time, Qt::OffsetFromUTC, zoneOf.offsetFromUtc());
    case Qt::UTC:
        return QDateTime(date, time, Qt::UTC);
    case Qt::TimeZone:
        return QDateTime(date, time, zoneOf.timeZone());
    case Qt::LocalTime:
        break;
    }
    QDateTime local(date, time);
    // A wall-clock time that a daylight-saving change skips lands just after the gap.
    return local.isValid() ? local : date.startOfDay().addMSecs(QTime(0, 0).msecsTo(time));
}

QDateTime PickerDates::withDay(const QDateTime &value, QDate day)
{
    if (!day.isValid())
        return value;
    return make(value, day, value.time());
}

QDateTime PickerDates::withTime(const QDateTime &value, int hour, int minute, int second)
{
    return make(value, value.date(), QTime(hour, minute, second));
}

QDateTime PickerDates::addMinutes(const QDateTime &value, qint64 minutes)
{
    const QTime time = value.time();
    qint64 total = time.hour() * 60 + time.minute() + minutes;
    qint64 days = total / 1440;
    total %= 1440;
    if (total < 0) {
        total += 1440;
        --days;
    }
    return make(value, value.date().addDays(days),
                QTime(int(total / 60), int(total % 60), time.second(), time.msec()));
}

QDateTime PickerDates::nowInZoneOf(const QDateTime &value)
{
    const QDateTime now = DateForms::now();
    if (!value.isValid())
        return now;
    switch (value.timeSpec()) {
    case Qt::OffsetFromUTC:
        return now.toOffsetFromUtc(value.offsetFromUtc());
    case Qt::UTC:
        return now.toUTC();
    case Qt::TimeZone:
        return now.toTimeZone(value.timeZone());
    case Qt::LocalTime:
        break;
    }
    return now;
}

QDateTime PickerDates::fromRFC822(const QString &text)
{
    DateFields fields;
    if (!DateForms::rfc822(1).read(text, fields))
        return QDateTime();
    return fields.toDateTime();
}

QString PickerDates::toRFC822(const QDateTime &date)
{
    return VLXLogic::rfc822String(date);
}
