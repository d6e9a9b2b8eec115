#include "io/CurlHeaderExtensions.h"

#include <QVariantMap>

namespace {

const QString kSeparator = QStringLiteral(": ");

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar(0x0085) || c == QChar(0x2028)
        || c == QChar(0x2029);
}

} // namespace

QStringList CurlHeaderExtensions::componentsSeparatedByLineSeparators(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype length = text.size();
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = text.at(i);
        if (!isLineBreak(c))
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < length && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    lines.append(text.mid(start));
    return lines;
}

QString CurlHeaderExtensions::headerHTTPVersion(const QString &headerText)
{
    const qsizetype blank = headerText.indexOf(u' ');
    if (blank < 0)
        return QString();
    return headerText.left(blank);
}

QString CurlHeaderExtensions::headerStatus(const QString &headerText)
{
    if (headerText.isEmpty())
        return QStringLiteral("");
    const QString firstLine = componentsSeparatedByLineSeparators(headerText).value(0);
    const QStringList words = firstLine.split(u' ', Qt::SkipEmptyParts);
    if (words.size() < 3)
        return QStringLiteral("");
    return words.mid(2).join(u' ');
}

QString CurlHeaderExtensions::headerKey(const QString &line)
{
    const qsizetype at = line.indexOf(kSeparator);
    if (at < 0)
        return QString();
    return line.left(at).toLower();
}

QString CurlHeaderExtensions::headerValue(const QString &line)
{
    const qsizetype at = line.indexOf(kSeparator);
    if (at < 0)
        return QString();
    return line.mid(at + kSeparator.size());
}

QStringList CurlHeaderExtensions::headersMatchingKey(const QString &headerText, const QString &key)
{
    QStringList values;
    const QStringList lines = componentsSeparatedByLineSeparators(headerText);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (headerKey(lines.at(i)) == key)
            values.append(headerValue(lines.at(i)));
    }
    return values;
}

QString CurlHeaderExtensions::headerMatchingKey(const QString &headerText, const QString &key)
{
    const QStringList values = headersMatchingKey(headerText, key);
    return values.isEmpty() ? QString() : values.first();
}

QVariantList CurlHeaderExtensions::allHTTPHeaderDicts(const QString &headerText)
{
    QVariantList dicts;
    const QStringList lines = componentsSeparatedByLineSeparators(headerText);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString key = headerKey(lines.at(i));
        const QString value = headerValue(lines.at(i));
        if (!key.isNull() && !value.isNull())
            dicts.append(QVariantMap {{key, value}});
    }
    return dicts;
}
