#include "io/CurlHTTPExtensions.h"

#include <QStringEncoder>

namespace {

QString valueText(const QVariant &value)
{
    // A flag goes out as the number it is in a property list.
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return value.toString();
}

bool isEnumerable(const QVariant &value)
{
    return value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList;
}

} // namespace

QString CurlHTTPExtensions::escape(const QString &text, QStringConverter::Encoding encoding)
{
    QByteArray bytes;
    if (encoding == QStringConverter::Utf8) {
        bytes = text.toUtf8();
    } else {
        QStringEncoder encoder(encoding);
        bytes = encoder.encode(text);
        if (encoder.hasError())
            bytes = text.toUtf8();
    }
    // Left alone: letters, digits, "-._~" (always) and the sub-delimiters that are harmless in a
    // form value. Everything else, the separators ";:@&=/+" included, is escaped.
    return QString::fromLatin1(bytes.toPercentEncoding(QByteArrayLiteral("!$'()*,")));
}

QString CurlHTTPExtensions::formatForHTTP(const QVariantMap &dictionary)
{
    return formatForHTTPUsingEncoding(dictionary, QStringConverter::Utf8);
}

QString CurlHTTPExtensions::formatForHTTPUsingEncoding(const QVariantMap &dictionary,
                                                       QStringConverter::Encoding encoding)
{
    return formatForHTTPUsingEncoding(dictionary, encoding, QStringList());
}

QString CurlHTTPExtensions::formatForHTTPUsingEncoding(const QVariantMap &dictionary,
                                                       QStringConverter::Encoding encoding,
                                                       const QStringList &ordering)
{
    const QStringList keys = ordering.isEmpty() ? dictionary.keys() : ordering;
    QStringList pairs;
    for (const QString &key : keys) {
        const auto it = dictionary.constFind(key);
        if (it == dictionary.constEnd())
            continue;
        const QString escapedKey = escape(key, encoding);
        if (isEnumerable(it.value())) {
            const QVariantList elements = it.value().toList();
            for (const QVariant &element : elements)
                pairs.append(escapedKey + u'=' + escape(valueText(element), encoding));
        } else {
            pairs.append(escapedKey + u'=' + escape(valueText(it.value()), encoding));
        }
    }
    return pairs.join(u'&');
}

QVariantMap CurlHTTPExtensions::parsedCookies(const QStringList &setCookieValues)
{
    QVariantMap cookies;
    for (const QString &header : setCookieValues) {
        QString name;
        QVariantMap cookie;
        const QStringList parts = header.split(QStringLiteral("; "));
        for (const QString &part : parts) {
            const qsizetype equals = part.indexOf(u'=');
            if (equals < 0)
                continue;
            const QString partName = part.left(equals);
            const QString partValue = part.mid(equals + 1);
            if (name.isNull()) {
                name = partName;
                cookie.insert(QStringLiteral("value"), partValue);
            } else {
                cookie.insert(partName, partValue);
            }
        }
        if (!name.isNull())
            cookies.insert(name, cookie);
    }
    return cookies;
}
