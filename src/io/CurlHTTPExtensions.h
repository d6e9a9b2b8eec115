#pragma once

#include <QStringConverter>
#include <QStringList>
#include <QVariantMap>

// Form bodies and cookies for HTTP transfers.
class CurlHTTPExtensions
{
public:
    // "key=value&key=value" with keys and values percent-escaped. Text is ASCII; characters beyond
    // it are escaped as their UTF-8 bytes rather than dropped.
    static QString formatForHTTP(const QVariantMap &dictionary);
    // The same with the characters encoded in the given encoding before escaping; characters the
    // encoding cannot hold are escaped as UTF-8 instead of turning into '?'.
    static QString formatForHTTPUsingEncoding(const QVariantMap &dictionary,
                                              QStringConverter::Encoding encoding);
    // Keys in the order given (those missing from the dictionary are skipped), else the
    // dictionary's. A list value gives one pair per element.
    static QString formatForHTTPUsingEncoding(const QVariantMap &dictionary,
                                              QStringConverter::Encoding encoding,
                                              const QStringList &ordering);

    // Set-Cookie header values to {name: {"value": v, attribute: value, ...}}; parts without '='
    // are ignored, and a later cookie of a name replaces an earlier one.
    static QVariantMap parsedCookies(const QStringList &setCookieValues);

    // Percent-escaping for form keys and values: ";:@&=/+" and everything URLs never allow.
    static QString escape(const QString &text, QStringConverter::Encoding encoding);
};
