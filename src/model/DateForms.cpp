#include "model/DateForms.h"

#include "model/DatePattern.h"
#include "model/NaturalDateReader.h"
#include "platform/Clock.h"

#include <cmath>

const DatePattern &DateForms::rfc822(int form)
{
    static const DatePattern forms[4] = {
        DatePattern(u"%a, %d %b %Y %H:%M:%S %z"),
        DatePattern(u"%d %b %Y %H:%M:%S %z"),
        DatePattern(u"%a, %d %b %Y %H:%M:%S %Z"),
        DatePattern(u"%d %b %Y %H:%M:%S %Z"),
    };
    return forms[form - 1];
}

const DatePattern &DateForms::w3c()
{
    static const DatePattern pattern(u"%Y-%m-%dT%H:%M:%S%z");
    return pattern;
}

int DateForms::readRFC822(QStringView text, DateFields &fields)
{
    if (text.isEmpty())
        return 0;
    // Forms 1 and 3 start with a weekday, 2 and 4 with the day.
    const bool weekday = text[0].isLetter();
    const int first = weekday ? 1 : 2;
    for (int form : {first, first + 2}) {
        if (rfc822(form).read(text, fields))
            return form;
    }
    return 0;
}

QDateTime DateForms::naturalDate(QStringView text, bool acceptReference)
{
    const QDateTime date = NaturalDateReader::read(text, now());
    if (!date.isValid())
        return QDateTime();
    if (!acceptReference && date.toMSecsSinceEpoch() == qint64(kReferenceInstant) * 1000)
        return QDateTime();
    return date.toLocalTime();
}

QDateTime DateForms::now()
{
    return Clock::now().toLocalTime();
}

QDateTime DateForms::fromInstant(double instant)
{
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(instant * 1000.0)), Qt::LocalTime);
}
