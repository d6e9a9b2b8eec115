#pragma once

#include "model/DateFields.h"

#include <QDateTime>
#include <QString>
#include <QStringView>

class DatePattern;

// The date forms the feed model reads and writes, compiled once: the four RFC 822 forms, the
// W3C writing form and the natural-language last resort. Shared by the date texts and the date
// repairs of VLXLogic.
class DateForms
{
public:
    // The platform's natural-language reader answered this instant for text it did not
    // understand; a reading of exactly it counts as none where the repairs say so.
    static constexpr double kReferenceInstant = 978307200.0; // 2001-01-01 00:00:00 UTC

    // RFC 822 forms: 1 "%a, %d %b %Y %H:%M:%S %z", 2 "%d %b %Y %H:%M:%S %z",
    // 3 "%a, %d %b %Y %H:%M:%S %Z", 4 "%d %b %Y %H:%M:%S %Z".
    static const DatePattern &rfc822(int form);
    // "%Y-%m-%dT%H:%M:%S%z"
    static const DatePattern &w3c();

    // Which RFC 822 form (1-4) reads the text, 0 for none.
    static int readRFC822(QStringView text, DateFields &fields);
    // The free-text date in the local zone, or an invalid date. With acceptReference false a
    // reading of exactly the reference instant counts as none.
    static QDateTime naturalDate(QStringView text, bool acceptReference);
    // Now, in the local zone, from the process clock.
    static QDateTime now();
    static QDateTime fromInstant(double instant);
};
