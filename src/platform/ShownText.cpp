#include "platform/ShownText.h"

#include <QStringList>

QString ShownText::fitted(const QString &text, qsizetype longest)
{
    if (text.size() <= longest)
        return text;
    if (longest < 1)
        return QString();
    // A path's folder and its file name both tell the user something.
    const qsizetype end = longest / 4;
    const qsizetype start = longest - end - 1;
    return text.left(start) + QChar(0x2026) + text.right(end);
}

bool ShownText::holdsLineLongerThan(QStringView text, qsizetype longest)
{
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        if (end - start > longest)
            return true;
        start = end + 1;
    }
    return false;
}

namespace {
// How one character of a quote is shown: itself, or an escape that names it.
QString shownCharacter(char32_t c)
{
    const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
    const bool direction = c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E)
        || (c >= 0x2066 && c <= 0x2069) || c == 0x2028 || c == 0x2029;
    if (control)
        return QStringLiteral("\\x")
            + QString::number(uint(c), 16).rightJustified(2, u'0').toUpper();
    if (direction)
        return QStringLiteral("\\u") + QString::number(uint(c), 16).toUpper();
    return QString::fromUcs4(&c, 1);
}

// The places a shown character takes: one, or as many as its escape spells.
qsizetype placesOf(const QString &piece)
{
    return piece.size() > 2 && piece.front() == u'\\' ? piece.size() : 1;
}

// The shown pieces of the characters of `text`, from its start or from its end, for as long as
// they fit in `budget` places (an escape takes as many as it spells), and how many units of the
// text are left over. A lone surrogate is shown as U+FFFD.
std::pair<QStringList, qsizetype> shownPieces(QStringView text, qsizetype budget, bool fromEnd)
{
    QStringList taken;
    qsizetype used = 0;
    qsizetype i = fromEnd ? text.size() : 0;
    while (fromEnd ? i > 0 : i < text.size()) {
        const qsizetype at = fromEnd ? i - 1 : i;
        char32_t c = text[at].unicode();
        qsizetype width = 1;
        if (!fromEnd && QChar::isHighSurrogate(c) && at + 1 < text.size()
            && text[at + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[at], text[at + 1]);
            width = 2;
        } else if (fromEnd && QChar::isLowSurrogate(c) && at >= 1
                   && text[at - 1].isHighSurrogate()) {
            c = QChar::surrogateToUcs4(text[at - 1], text[at]);
            width = 2;
        }
        if (QChar::isSurrogate(c))
            c = 0xFFFD;
        const QString shown = shownCharacter(c);
        const qsizetype places = placesOf(shown);
        if (used + places > budget)
            break;
        used += places;
        taken.append(shown);
        i += fromEnd ? -width : width;
    }
    return {taken, fromEnd ? i : text.size() - i};
}

qsizetype placesOf(const QStringList &pieces)
{
    qsizetype n = 0;
    for (const QString &piece : pieces)
        n += placesOf(piece);
    return n;
}
} // namespace

QString ShownText::quoted(QStringView text)
{
    const auto [whole, left] = shownPieces(text, kLongestQuote, false);
    if (left == 0)
        return whole.join(QString());
    // Too long: its start and its end, with the ellipsis taking one place between them.
    const auto [end, beforeEnd] = shownPieces(text, (kLongestQuote - 1) / 2, true);
    const auto [start, unused]
        = shownPieces(text.first(beforeEnd), kLongestQuote - 1 - placesOf(end), false);
    QString out = start.join(QString()) + QChar(0x2026);
    for (auto it = end.crbegin(); it != end.crend(); ++it)
        out += *it;
    return out;
}

QString ShownText::sentence(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype start = 0;;) {
        const qsizetype blank = text.indexOf(u' ', start);
        out += quoted(text.sliced(start, (blank < 0 ? text.size() : blank) - start));
        if (blank < 0)
            return out;
        out += u' ';
        start = blank + 1;
    }
}
