#include "model/NaturalDateReader.h"

#include "model/DateFields.h"
#include "model/ZoneAbbreviations.h"

#include <QList>
#include <optional>

namespace {
struct Token
{
    enum Type { Word, Number, Punct } type;
    QStringView text;
    int value = 0; // numbers
};

QList<Token> tokenize(QStringView text)
{
    QList<Token> tokens;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c.isSpace() || c == u',') {
            ++i;
        } else if (c.unicode() >= u'0' && c.unicode() <= u'9') {
            qsizetype j = i;
            int value = 0;
            while (j < text.size() && text[j].unicode() >= u'0' && text[j].unicode() <= u'9') {
                if (j - i < 9)
                    value = value * 10 + (text[j].unicode() - u'0');
                ++j;
            }
            tokens.append({Token::Number, text.mid(i, j - i), value});
            i = j;
        } else if (c.isLetter()) {
            qsizetype j = i;
            while (j < text.size() && text[j].isLetter())
                ++j;
            tokens.append({Token::Word, text.mid(i, j - i)});
            i = j;
        } else {
            tokens.append({Token::Punct, text.mid(i, 1)});
            ++i;
        }
    }
    return tokens;
}

bool is(const Token &token, QStringView word)
{
    return token.type == Token::Word && token.text.compare(word, Qt::CaseInsensitive) == 0;
}

int weekdayOf(const Token &token)
{
    static const char16_t *const names[7]
        = {u"sunday", u"monday", u"tuesday", u"wednesday", u"thursday", u"friday", u"saturday"};
    if (token.type != Token::Word || token.text.size() < 3)
        return -1;
    for (int i = 0; i < 7; ++i) {
        const QStringView name(names[i]);
        if (token.text.compare(name, Qt::CaseInsensitive) == 0
            || token.text.compare(name.left(3), Qt::CaseInsensitive) == 0)
            return i;
    }
    // Common short forms.
    if (is(token, u"tues"))
        return 2;
    if (is(token, u"wednes") || is(token, u"weds"))
        return 3;
    if (is(token, u"thur") || is(token, u"thurs"))
        return 4;
    return -1;
}

int monthOf(const Token &token)
{
    static const char16_t *const names[12]
        = {u"january", u"february", u"march",     u"april",   u"may",      u"june",
           u"july",    u"august",   u"september", u"october", u"november", u"december"};
    if (token.type != Token::Word || token.text.size() < 3)
        return 0;
    for (int i = 0; i < 12; ++i) {
        const QStringView name(names[i]);
        if (token.text.compare(name, Qt::CaseInsensitive) == 0
            || token.text.compare(name.left(3), Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return is(token, u"sept") ? 9 : 0;
}

class Parser
{
public:
    Parser(QList<Token> tokens) : m_tokens(std::move(tokens)) { }

    bool atEnd() const { return m_pos >= m_tokens.size(); }
    const Token *peek(qsizetype ahead = 0) const
    {
        return m_pos + ahead < m_tokens.size() ? &m_tokens[m_pos + ahead] : nullptr;
    }
    bool punct(char16_t c, qsizetype ahead = 0) const
    {
        const Token *t = peek(ahead);
        return t && t->type == Token::Punct && t->text[0] == c;
    }
    void skip(qsizetype count = 1) { m_pos += count; }
    qsizetype position() const { return m_pos; }
    void rewind(qsizetype pos) { m_pos = pos; }

    // [at] time [zone]; answers false when something is there but is not a time.
    bool readTimeAndZone(DateFields &f)
    {
        if (atEnd())
            return true;
        if (is(*peek(), u"at"))
            skip();
        if (!atEnd() && (is(*peek(), u"t")))
            skip();
        if (!atEnd() && peek()->type == Token::Number && !readTime(f))
            return false;
        if (!atEnd() && !readZone(f))
            return false;
        return atEnd();
    }

private:
    bool readTime(DateFields &f)
    {
        const Token *hour = peek();
        if (!hour || hour->type != Token::Number || hour->text.size() > 2)
            return false;
        f.hour = hour->value;
        f.minute = f.second = f.msec = 0;
        skip();
        bool clock = false;
        if (punct(u':') && peek(1) && peek(1)->type == Token::Number && peek(1)->text.size() == 2) {
            f.minute = peek(1)->value;
            skip(2);
            clock = true;
            if (punct(u':') && peek(1) && peek(1)->type == Token::Number
                && peek(1)->text.size() == 2) {
                f.second = peek(1)->value;
                skip(2);
                if (punct(u'.') && peek(1) && peek(1)->type == Token::Number) {
                    const QStringView fraction = peek(1)->text;
                    int ms = 0;
                    for (int i = 0; i < 3; ++i)
                        ms = ms * 10 + (i < fraction.size() ? fraction[i].unicode() - u'0' : 0);
                    f.msec = ms;
                    skip(2);
                }
            }
        }
        // am / pm, also written a.m. / p.m.
        if (!atEnd()) {
            bool pm = false, meridiem = false;
            if (is(*peek(), u"am") || is(*peek(), u"pm")) {
                pm = is(*peek(), u"pm");
                meridiem = true;
                skip();
            } else if ((is(*peek(), u"a") || is(*peek(), u"p")) && punct(u'.', 1) && peek(2)
                       && is(*peek(2), u"m")) {
                pm = is(*peek(), u"p");
                meridiem = true;
                skip(punct(u'.', 3) ? 4 : 3);
            }
            if (meridiem) {
                if (f.hour < 1 || f.hour > 12)
                    return false;
                f.hour = f.hour % 12 + (pm ? 12 : 0);
                clock = true;
            }
        }
        f.hasTime = clock;
        return clock;
    }

    bool readZone(DateFields &f)
    {
        const Token *t = peek();
        if (t->type == Token::Word) {
            const auto offset = ZoneAbbreviations::offsetFor(t->text);
            if (!offset)
                return false;
            f.zone = DateFields::Zone::Offset;
            f.offsetSeconds = *offset;
            skip();
            return true;
        }
        if (t->type == Token::Punct && (t->text[0] == u'+' || t->text[0] == u'-')) {
            const int sign = t->text[0] == u'-' ? -1 : 1;
            const Token *n = peek(1);
            if (!n || n->type != Token::Number)
                return false;
            int hours = 0, minutes = 0;
            if (n->text.size() == 4) {
                hours = n->value / 100;
                minutes = n->value % 100;
                skip(2);
            } else if (n->text.size() == 2 && punct(u':', 2) && peek(3)
                       && peek(3)->type == Token::Number && peek(3)->text.size() == 2) {
                hours = n->value;
                minutes = peek(3)->value;
                skip(4);
            } else {
                return false;
            }
            if (hours > 23 || minutes > 59)
                return false;
            f.zone = DateFields::Zone::Offset;
            f.offsetSeconds = sign * (hours * 3600 + minutes * 60);
            return true;
        }
        return false;
    }

    QList<Token> m_tokens;
    qsizetype m_pos = 0;
};

void setDay(DateFields &f, QDate day)
{
    f.year = day.year();
    f.month = day.month();
    f.day = day.day();
}

QDateTime finish(const DateFields &f)
{
    return f.isValid() ? f.toDateTime() : QDateTime();
}

// today / tomorrow / yesterday / [next|last] weekday, then an optional time.
std::optional<QDateTime> readRelative(Parser &p, const QDateTime &now)
{
    const QDate today = now.date();
    DateFields f;
    f.hour = now.time().hour();
    f.minute = now.time().minute();
    f.second = now.time().second();
    const Token &first = *p.peek();
    QDate day;
    if (is(first, u"today")) {
        day = today;
        p.skip();
    } else if (is(first, u"tomorrow")) {
        day = today.addDays(1);
        p.skip();
    } else if (is(first, u"yesterday")) {
        day = today.addDays(-1);
        p.skip();
    } else {
        int direction = 1;
        qsizetype used = 0;
        if (is(first, u"next")) {
            used = 1;
        } else if (is(first, u"last")) {
            direction = -1;
            used = 1;
        }
        const Token *dayToken = p.peek(used);
        const int target = dayToken ? weekdayOf(*dayToken) : -1;
        if (target < 0)
            return std::nullopt;
        // A bare weekday followed by a month or number is an absolute date's prefix.
        if (used == 0 && p.peek(1) && (monthOf(*p.peek(1)) || p.peek(1)->type == Token::Number)) {
            const Token *after = p.peek(1);
            const bool timeFollows = after->type == Token::Number && after->text.size() <= 2
                && (p.punct(u':', 2)
                    || (p.peek(2) && (is(*p.peek(2), u"am") || is(*p.peek(2), u"pm"))));
            if (!timeFollows)
                return std::nullopt;
        }
        const int w = today.dayOfWeek() % 7;
        int delta = direction > 0 ? (target - w + 7) % 7 : -((w - target + 7) % 7);
        if (delta == 0)
            delta = 7 * direction;
        day = today.addDays(delta);
        p.skip(used + 1);
    }
    setDay(f, day);
    if (!p.readTimeAndZone(f))
        return QDateTime();
    return finish(f);
}

// Month-name and ISO dates with an optional time and zone.
QDateTime readAbsolute(Parser &p, const QDateTime &now)
{
    DateFields f;
    if (weekdayOf(*p.peek()) >= 0)
        p.skip();
    if (p.atEnd())
        return QDateTime();
    const Token *a = p.peek();
    if (const int month = monthOf(*a)) {
        // January 2[,] 2006
        const Token *d = p.peek(1);
        if (!d || d->type != Token::Number || d->text.size() > 2)
            return QDateTime();
        f.month = month;
        f.day = d->value;
        p.skip(2);
        if (p.peek() && p.peek()->type == Token::Number && p.peek()->text.size() == 4
            && !p.punct(u':', 1)) {
            f.year = p.peek()->value;
            p.skip();
        } else {
            f.year = now.date().year();
        }
    } else if (a->type == Token::Number && a->text.size() == 4
               && (p.punct(u'-', 1) || p.punct(u'/', 1))) {
        // 2006-01-02 or 2006/01/02
        const char16_t separator = p.peek(1)->text[0].unicode();
        const Token *m = p.peek(2);
        const Token *d = p.peek(4);
        if (!m || !d || m->type != Token::Number || d->type != Token::Number
            || !p.punct(separator, 3) || m->text.size() > 2 || d->text.size() > 2)
            return QDateTime();
        f.year = a->value;
        f.month = m->value;
        f.day = d->value;
        p.skip(5);
    } else if (a->type == Token::Number && a->text.size() <= 2 && p.peek(1)
               && monthOf(*p.peek(1))) {
        // 2 January 2006
        f.day = a->value;
        f.month = monthOf(*p.peek(1));
        p.skip(2);
        if (p.peek() && p.peek()->type == Token::Number && p.peek()->text.size() == 4
            && !p.punct(u':', 1)) {
            f.year = p.peek()->value;
            p.skip();
        } else {
            f.year = now.date().year();
        }
    } else {
        return QDateTime();
    }
    if (!p.readTimeAndZone(f))
        return QDateTime();
    return finish(f);
}
} // namespace

QDateTime NaturalDateReader::read(QStringView text, const QDateTime &now)
{
    const QList<Token> tokens = tokenize(text);
    if (tokens.isEmpty())
        return QDateTime();
    if (tokens.size() == 1 && is(tokens.first(), u"now"))
        return now;
    Parser relative(tokens);
    if (auto date = readRelative(relative, now))
        return *date;
    Parser absolute(tokens);
    return readAbsolute(absolute, now);
}
