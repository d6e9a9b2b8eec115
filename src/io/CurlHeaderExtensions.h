#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

// Taking HTTP response header text apart. The text is what a transfer received, status line
// first; "lines after the first" are the header fields.
class CurlHeaderExtensions
{
public:
    // The lines without their terminators (LF, CR, CRLF, U+0085, U+2028, U+2029); a text ending in
    // a line break gives a final empty line.
    static QStringList componentsSeparatedByLineSeparators(const QString &text);
    // The text before the first blank ("HTTP/1.1"); a null string when there is no blank.
    static QString headerHTTPVersion(const QString &headerText);
    // The reason phrase: the third and later words of the first line joined by one blank; empty
    // when the text is empty or the first line has fewer than three words.
    static QString headerStatus(const QString &headerText);
    // Of one header line: the name before the first ": ", lower-cased; null when there is none.
    static QString headerKey(const QString &line);
    // Of one header line: the text after the first ": "; null when there is none.
    static QString headerValue(const QString &line);
    // Values of every header line whose name equals key (give it in lower case), in order.
    static QStringList headersMatchingKey(const QString &headerText, const QString &key);
    // The first of those values, or a null string.
    static QString headerMatchingKey(const QString &headerText, const QString &key);
    // One single-entry map (name to value) per header line that has both, in order.
    static QVariantList allHTTPHeaderDicts(const QString &headerText);
};
