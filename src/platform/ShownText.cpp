#include "platform/ShownText.h"

QString ShownText::fitted(const QString &text)
{
    if (text.size() <= kLongest)
        return text;
    // A path's folder and its file name both tell the user something.
    const qsizetype end = kLongest / 4;
    const qsizetype start = kLongest - end - 1;
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
