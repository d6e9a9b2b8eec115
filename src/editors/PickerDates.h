#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Date arithmetic shared by the picker and its clock and calendar. Every result stays in the
// zone of the value it was made from: a feed date written at +0100 keeps +0100 however the
// controls move it, whatever the machine's own zone is.
class PickerDates
{
public:
    // The value's date replaced by the day; time of day and zone kept.
    static QDateTime withDay(const QDateTime &value, QDate day);
    // The value's time of day replaced (seconds, no fraction); date and zone kept.
    static QDateTime withTime(const QDateTime &value, int hour, int minute, int second);
    // The value moved by whole minutes on its wall clock; passing midnight changes the date.
    static QDateTime addMinutes(const QDateTime &value, qint64 minutes);
    // The current instant shown in the value's zone (local time for an invalid value).
    static QDateTime nowInZoneOf(const QDateTime &value);

    // RFC 822 text in exactly the form "%a, %d %b %Y %H:%M:%S %z"; invalid for anything else.
    static QDateTime fromRFC822(const QString &text);
    // The date in that form, in its own zone.
    static QString toRFC822(const QDateTime &date);

private:
    static QDateTime make(const QDateTime &zoneOf, QDate date, QTime time);
};
