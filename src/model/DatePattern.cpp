#include "model/DatePattern.h"

#include "model/ZoneAbbreviations.h"

#include <QVarLengthArray>

namespace {
constexpr const char16_t *kWeekdays[7] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
constexpr const char16_t *kMonths[12] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                         u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Reads between min and max digits at pos; answers the count read (0 on failure).
int readNumber(QStringView text, qsizetype &pos, int minDigits, int maxDigits, int &value)
{
    int count = 0;
    value = 0;
    while (count < maxDigits && pos + count < text.size() && isDigit(text[pos + count])) {
        value = value * 10 + (text[pos + count].unicode() - u'0');
        ++count;
    }
    if (count < minDigits)
        return 0;
    pos += count;
    return count;
}

int readName(QStringView text, qsizetype &pos, const char16_t *const *names, int count)
{
    if (pos + 3 > text.size())
        return -1;
    // The names are ASCII: a letter matches in either case, anything else never does (a
    // Unicode case fold would let the Kelvin sign stand for a "k").
    const auto folded = [](char16_t c) -> char16_t {
        return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
    };
    const char16_t a = folded(text[pos].unicode());
    const char16_t b = folded(text[pos + 1].unicode());
    const char16_t c = folded(text[pos + 2].unicode());
    for (int i = 0; i < count; ++i) {
        if (a == folded(names[i][0]) && b == folded(names[i][1]) && c == folded(names[i][2])) {
            pos += 3;
            return i;
        }
    }
    return -1;
}

} // namespace

const char16_t *DatePattern::weekdayName(int weekday)
{
    return kWeekdays[((weekday % 7) + 7) % 7];
}

const char16_t *DatePattern::monthName(int month)
{
    return kMonths[(month - 1) % 12];
}

DatePattern::DatePattern(QStringView pattern)
{
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const char16_t c = pattern[i].unicode();
        if (c != u'%' || i + 1 >= pattern.size()) {
            m_tokens.append({Kind::Literal, c});
            continue;
        }
        Kind kind = Kind::Literal;
        switch (pattern[++i].unicode()) {
        case u'a':
            kind = Kind::Weekday;
            break;
        case u'd':
            kind = Kind::Day;
            break;
        case u'b':
            kind = Kind::MonthName;
            break;
        case u'm':
            kind = Kind::Month;
            break;
        case u'Y':
            kind = Kind::Year;
            break;
        case u'H':
            kind = Kind::Hour;
            break;
        case u'M':
            kind = Kind::Minute;
            break;
        case u'S':
            kind = Kind::Second;
            break;
        case u'F':
            kind = Kind::Millis;
            break;
        case u'z':
            kind = Kind::Offset;
            break;
        case u'Z':
            kind = Kind::ZoneName;
            break;
        default:
            m_tokens.append({Kind::Literal, u'%'});
            --i;
            continue;
        }
        m_tokens.append({kind, 0});
    }
}

bool DatePattern::read(QStringView text, DateFields &f) const
{
    f = DateFields();
    f.zone = DateFields::Zone::Local;
    qsizetype pos = 0;
    for (const Token &token : m_tokens) {
        switch (token.kind) {
        case Kind::Literal:
            if (pos >= text.size() || text[pos].unicode() != token.literal)
                return false;
            ++pos;
            break;
        case Kind::Weekday:
            if ((f.weekday = readName(text, pos, kWeekdays, 7)) < 0)
                return false;
            break;
        case Kind::MonthName: {
            const int month = readName(text, pos, kMonths, 12);
            if (month < 0)
                return false;
            f.month = month + 1;
            break;
        }
        case Kind::Day:
            if (!readNumber(text, pos, 1, 2, f.day))
                return false;
            break;
        case Kind::Month:
            if (!readNumber(text, pos, 1, 2, f.month))
                return false;
            break;
        case Kind::Year: {
            const int digits = readNumber(text, pos, 2, 4, f.year);
            if (digits == 3 || digits == 0)
                return false;
            if (digits == 2)
                f.year += f.year < 50 ? 2000 : 1900;
            break;
        }
        case Kind::Hour:
            if (!readNumber(text, pos, 1, 2, f.hour))
                return false;
            f.hasTime = true;
            break;
        case Kind::Minute:
            if (!readNumber(text, pos, 1, 2, f.minute))
                return false;
            break;
        case Kind::Second:
            if (!readNumber(text, pos, 1, 2, f.second))
                return false;
            f.hasSeconds = true;
            break;
        case Kind::Millis: {
            int value = 0;
            const qsizetype start = pos;
            const int digits = readNumber(text, pos, 1, 9, value);
            if (!digits)
                return false;
            int ms = 0;
            for (int i = 0; i < 3; ++i)
                ms = ms * 10 + (i < digits ? text[start + i].unicode() - u'0' : 0);
            f.msec = ms;
            f.hasFraction = true;
            break;
        }
        case Kind::Offset: {
            if (pos >= text.size() || (text[pos] != u'+' && text[pos] != u'-'))
                return false;
            const int sign = text[pos] == u'-' ? -1 : 1;
            ++pos;
            int hours = 0, minutes = 0;
            if (readNumber(text, pos, 2, 2, hours) != 2)
                return false;
            if (pos < text.size() && text[pos] == u':')
                ++pos;
            if (readNumber(text, pos, 2, 2, minutes) != 2 || minutes > 59 || hours > 23)
                return false;
            f.zone = DateFields::Zone::Offset;
            f.offsetSeconds = sign * (hours * 3600 + minutes * 60);
            break;
        }
        case Kind::ZoneName: {
            qsizetype end = pos;
            while (end < text.size() && end - pos < 5 && text[end].isLetter()
                   && text[end].unicode() < 128)
                ++end;
            const auto offset = ZoneAbbreviations::offsetFor(text.mid(pos, end - pos));
            if (!offset)
                return false;
            pos = end;
            f.zone = DateFields::Zone::Offset;
            f.offsetSeconds = *offset;
            break;
        }
        }
    }
    return pos == text.size() && f.isValid();
}

DatePattern::Parts DatePattern::partsOf(const QDateTime &date)
{
    const QDate d = date.date();
    const QTime t = date.time();
    return {d.dayOfWeek() % 7, d.day(),  d.month(),           d.year(), t.hour(), t.minute(),
            t.second(),        t.msec(), date.offsetFromUtc()};
}

QString DatePattern::write(const QDateTime &date) const
{
    Written out;
    write(partsOf(date), &date, out);
    return QString(reinterpret_cast<const QChar *>(out.constData()), out.size());
}

QString DatePattern::write(const DateFields &fields) const
{
    // Written into a buffer of the stack and made a string once: dates are written for every
    // item of a feed whose dates need repair.
    Written out;
    write(fields, out);
    return QString(reinterpret_cast<const QChar *>(out.constData()), out.size());
}

void DatePattern::write(const DateFields &f, Written &out) const
{
    if (f.zone != DateFields::Zone::Offset || !f.isValid() || writesZoneName()) {
        const QDateTime date = f.toDateTime();
        write(partsOf(date), &date, out);
        return;
    }
    const int weekday
        = DateFields::weekdayOfDays(DateFields::daysFromCivil(f.year, f.month, f.day));
    write(Parts {weekday, f.day, f.month, f.year, f.hour, f.minute, f.second, f.msec,
                 f.offsetSeconds},
          nullptr, out);
}

bool DatePattern::writesZoneName() const
{
    for (const Token &token : m_tokens) {
        if (token.kind == Kind::ZoneName)
            return true;
    }
    return false;
}

void DatePattern::write(const Parts &p, const QDateTime *date, Written &out) const
{
    const auto number = [&](int value, int digits) {
        const qsizetype end = out.size() + digits;
        out.resize(end);
        for (qsizetype i = end - 1; i >= end - digits; --i) {
            out[i] = char16_t(u'0' + value % 10);
            value /= 10;
        }
    };
    const auto text = [&](QStringView part) { out.append(part.utf16(), part.size()); };
    for (const Token &token : m_tokens) {
        switch (token.kind) {
        case Kind::Literal:
            out.append(token.literal);
            break;
        case Kind::Weekday:
            text(QStringView(weekdayName(p.weekday), 3));
            break;
        case Kind::Day:
            number(p.day, 2);
            break;
        case Kind::MonthName:
            text(QStringView(monthName(p.month), 3));
            break;
        case Kind::Month:
            number(p.month, 2);
            break;
        case Kind::Year:
            number(p.year, 4);
            break;
        case Kind::Hour:
            number(p.hour, 2);
            break;
        case Kind::Minute:
            number(p.minute, 2);
            break;
        case Kind::Second:
            number(p.second, 2);
            break;
        case Kind::Millis:
            number(p.msec, 3);
            break;
        case Kind::Offset: {
            const int magnitude = p.offset < 0 ? -p.offset : p.offset;
            out.append(p.offset < 0 ? u'-' : u'+');
            number(magnitude / 3600, 2);
            number(magnitude / 60 % 60, 2);
            break;
        }
        case Kind::ZoneName:
            text(p.offset == 0 ? QStringLiteral("GMT") : date->timeZoneAbbreviation());
            break;
        }
    }
}
