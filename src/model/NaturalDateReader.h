#pragma once

#include <QDateTime>
#include <QStringView>

// The last-resort reader of dates typed as free text. It understands, ignoring case, commas and
// extra blanks:
//   now; today, tomorrow, yesterday; next <weekday>, last <weekday>, a bare <weekday> (the next
//   one after today) -- each optionally followed by a time;
//   month-name dates: "January 2, 2006", "2 January 2006", "Jan 2 2006", "2 Jan" (this year),
//   with full or abbreviated English month names (and "Sept"), an optional leading weekday,
//   an optional time and an optional zone;
//   ISO dates 2006-01-02 and 2006/01/02 with an optional time (after a blank or "T") and zone.
// A time is h:mm, h:mm:ss or h:mm:ss.fff, optionally with am/pm, or an hour with am/pm ("9am",
// "9 pm"), optionally after "at". A zone is an abbreviation of ZoneAbbreviations or an offset
// +hhmm / +hh:mm / "Z". Relative days without a time keep now's time of day; absolute dates
// without a time are read at midnight. Without a zone the local zone is used.
class NaturalDateReader
{
public:
    // The date the text names, or an invalid QDateTime. `now` anchors the relative forms.
    static QDateTime read(QStringView text, const QDateTime &now);
};
