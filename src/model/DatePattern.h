#pragma once

#include "model/DateFields.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>

// Reads and writes dates with a pattern of conversions, independent of the user's locale:
//   %a  English weekday, Sun..Sat (read case-insensitively; does not fix the date)
//   %d  day, %m month number, %H hour, %M minute, %S second: two digits (reading takes 1-2)
//   %b  English month, Jan..Dec (read case-insensitively)
//   %Y  year, four digits (reading also takes two: 00-49 are 20xx, 50-99 are 19xx)
//   %F  milliseconds, three digits (reading takes 1-9 fraction digits)
//   %z  offset +hhmm (reading also takes +hh:mm)
//   %Z  zone abbreviation from ZoneAbbreviations (writing: GMT for UTC, else the zone's own)
// Any other character stands for itself. Reading must consume the whole text. A pattern is
// compiled once; keep instances static.
class DatePattern
{
public:
    explicit DatePattern(QStringView pattern);

    // Reads the whole text; false when it does not match or names an impossible date.
    bool read(QStringView text, DateFields &fields) const;
    // Writes the date in its own zone.
    QString write(const QDateTime &date) const;
    // The same for read fields, as write(fields.toDateTime()) gives them; straight from the
    // fields when they name a numeric zone, the usual case, which makes no QDateTime.
    QString write(const DateFields &fields) const;
    // The same written into a buffer, for a caller that only compares it with a text it holds.
    using Written = QVarLengthArray<char16_t, 64>;
    void write(const DateFields &fields, Written &out) const;

    static const char16_t *weekdayName(int weekday); // 0 Sunday
    static const char16_t *monthName(int month); // 1 January

private:
    enum class Kind {
        Literal,
        Weekday,
        Day,
        MonthName,
        Month,
        Year,
        Hour,
        Minute,
        Second,
        Millis,
        Offset,
        ZoneName
    };
    struct Token
    {
        Kind kind;
        char16_t literal;
    };
    // What a pattern writes: the calendar and clock fields, the offset east of UTC in seconds.
    struct Parts
    {
        int weekday; // 0 Sunday
        int day, month, year, hour, minute, second, msec, offset;
    };
    // Writes the parts; a zone name comes from the date, which must be given for a pattern
    // with %Z.
    void write(const Parts &parts, const QDateTime *date, Written &out) const;
    static Parts partsOf(const QDateTime &date);
    bool writesZoneName() const;

    QList<Token> m_tokens;
};
