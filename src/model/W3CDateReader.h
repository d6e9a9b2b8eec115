#pragma once

#include "model/DateFields.h"

#include <QStringView>

// Reads every form of the W3C date-time profile: YYYY, YYYY-MM, YYYY-MM-DD and
// YYYY-MM-DDThh:mm[:ss[.s]]TZD, where the fraction has 1 to 9 digits and TZD is "Z" or an
// offset written +hh:mm or +hhmm. A time without TZD and the date-only forms are read in local
// time. "T" and "Z" may be lower case. The fields tell the callers which form it was
// (zone kind, seconds, fraction), since the repairs treat the forms differently.
class W3CDateReader
{
public:
    static bool read(QStringView text, DateFields &fields);

    // The form a W3C text written by this program has: seconds, no fraction and an offset.
    static bool isPlainOffsetForm(const DateFields &fields)
    {
        return fields.zone == DateFields::Zone::Offset && fields.hasSeconds && !fields.hasFraction;
    }
};
