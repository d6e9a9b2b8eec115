#include "extensions/ExtensionText.h"

#include <climits>

QString ExtensionText::cut(const QString &text, int n)
{
    if (n <= 0 || text.size() <= n)
        return text;
    qsizetype end = n;
    if (QChar::isHighSurrogate(text.at(end - 1).unicode()))
        --end;
    return text.left(end);
}

QString ExtensionText::cutLink(const QString &link, int n)
{
    if (n <= 0 || link.size() <= n)
        return link;
    qsizetype end = n;
    // A percent escape is "%" and two characters: cut before a "%" among the last two kept.
    for (qsizetype i = qMax<qsizetype>(0, end - 2); i < end; ++i) {
        if (link.at(i) == u'%') {
            end = i;
            break;
        }
    }
    // A reference runs from "&" to ";": cut before an "&" whose ";" lies beyond the cut.
    const qsizetype amp = link.lastIndexOf(u'&', end - 1);
    if (amp >= 0 && link.indexOf(u';', amp) >= end) {
        bool name = true;
        for (qsizetype i = amp + 1; i < end && name; ++i)
            name = link.at(i).isLetterOrNumber() || link.at(i) == u'#';
        if (name)
            end = amp;
    }
    return cut(link, int(end));
}

int ExtensionText::leadingInteger(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i)
        value = qMin<qint64>(value * 10 + (text.at(i).unicode() - u'0'), qint64(INT_MAX) + 1);
    if (negative)
        return int(-value);
    return int(qMin<qint64>(value, INT_MAX));
}

bool ExtensionText::equalBeyondWhiteSpace(QStringView a, QStringView b)
{
    const auto isBlank = [](QChar c) {
        return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == QChar(0x2028)
            || c == QChar(0x2029);
    };
    qsizetype i = 0;
    qsizetype j = 0;
    for (;;) {
        while (i < a.size() && isBlank(a.at(i)))
            ++i;
        while (j < b.size() && isBlank(b.at(j)))
            ++j;
        if (i == a.size() || j == b.size())
            return i == a.size() && j == b.size();
        if (a.at(i) != b.at(j))
            return false;
        ++i;
        ++j;
    }
}
