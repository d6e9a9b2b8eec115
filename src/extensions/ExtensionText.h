#pragma once

#include <QString>
#include <QStringView>

// Text operations the extension classes share when writing and checking values.
class ExtensionText
{
public:
    ExtensionText() = delete;

    // The first n UTF-16 units of a text, one fewer where the n-th would leave half of a
    // surrogate pair behind: a cut never makes a character the document cannot hold.
    static QString cut(const QString &text, int n);
    // A link already made safe (percent escapes, "&amp;") cut to at most n characters: where
    // the cut would fall inside an escape or a character reference, the whole escape goes.
    static QString cutLink(const QString &link, int n);
    // The integer a text starts with: blanks, an optional sign, then digits; 0 without digits.
    // Values beyond the int range saturate.
    static int leadingInteger(QStringView text);
    // Equal once every white-space and line-end character is removed from both.
    static bool equalBeyondWhiteSpace(QStringView a, QStringView b);
};
