#include "model/W3CDateReader.h"

namespace {
bool digits(QStringView text, qsizetype pos, int count, int &value)
{
    if (pos + count > text.size())
        return false;
    value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text[pos + i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c - u'0');
    }
    return true;
}
} // namespace

bool W3CDateReader::read(QStringView text, DateFields &f)
{
    f = DateFields();
    f.month = f.day = 1;
    const qsizetype n = text.size();
    if (!digits(text, 0, 4, f.year))
        return false;
    qsizetype pos = 4;
    if (pos == n)
        return f.isValid();
    if (text[pos] != u'-' || !digits(text, pos + 1, 2, f.month))
        return false;
    pos += 3;
    if (pos == n)
        return f.isValid();
    if (text[pos] != u'-' || !digits(text, pos + 1, 2, f.day))
        return false;
    pos += 3;
    if (pos == n)
        return f.isValid();
    if ((text[pos] != u'T' && text[pos] != u't') || !digits(text, pos + 1, 2, f.hour)
        || pos + 3 >= n || text[pos + 3] != u':' || !digits(text, pos + 4, 2, f.minute))
        return false;
    f.hasTime = true;
    pos += 6;
    if (pos < n && text[pos] == u':') {
        if (!digits(text, pos + 1, 2, f.second))
            return false;
        f.hasSeconds = true;
        pos += 3;
        if (pos < n && text[pos] == u'.') {
            ++pos;
            int count = 0;
            int ms = 0;
            while (pos < n && text[pos].unicode() >= u'0' && text[pos].unicode() <= u'9') {
                if (count < 3)
                    ms = ms * 10 + (text[pos].unicode() - u'0');
                ++count;
                ++pos;
            }
            if (count < 1 || count > 9)
                return false;
            for (int i = count; i < 3; ++i)
                ms *= 10;
            f.msec = ms;
            f.hasFraction = true;
        }
    }
    if (pos == n)
        return f.isValid(); // no zone designator: local time
    const char16_t c = text[pos].unicode();
    if ((c == u'Z' || c == u'z') && pos + 1 == n) {
        f.zone = DateFields::Zone::UTC;
        return f.isValid();
    }
    if (c != u'+' && c != u'-')
        return false;
    int hours = 0, minutes = 0;
    if (!digits(text, pos + 1, 2, hours))
        return false;
    pos += 3;
    if (pos < n && text[pos] == u':')
        ++pos;
    if (!digits(text, pos, 2, minutes) || pos + 2 != n || hours > 23 || minutes > 59)
        return false;
    f.zone = DateFields::Zone::Offset;
    f.offsetSeconds = (c == u'-' ? -1 : 1) * (hours * 3600 + minutes * 60);
    return f.isValid();
}
