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
