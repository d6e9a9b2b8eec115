#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Text comes in two kinds: plain text (titles, Atom text constructs, the iTunes fields), which a
// reader shows as it stands, and HTML (descriptions, encoded content), which a reader renders.
// Plain text that becomes HTML goes through here, so that what a reader shows of it is exactly
// the text: a "<" its author wrote as text never turns into markup on the way.
class HTMLText
{
public:
    HTMLText() = delete;

    // The HTML that shows exactly text: "&", "<" and ">" written as references. Quotes and line
    // ends stay as they are: the result is element content, never an attribute value.
    static QString fromPlainText(QStringView text);
    // The same over UTF-8, appended to out.
    static void appendFromPlainText(QByteArray &out, QByteArrayView utf8);
};
