#include "xml/HTMLText.h"

namespace {

// The reference standing for c in element content, or nothing when c stands for itself.
template<typename Char> const char *referenceFor(Char c)
{
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    default:
        return nullptr;
    }
}

} // namespace

QString HTMLText::fromPlainText(QStringView text)
{
    QString html;
    qsizetype plain = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char *reference = referenceFor(text[i].unicode());
        if (!reference)
            continue;
        if (html.isNull())
            html.reserve(text.size() + 16);
        html += text.sliced(plain, i - plain);
        html += QLatin1String(reference);
        plain = i + 1;
    }
    if (html.isNull())
        return text.toString();
    html += text.sliced(plain);
    return html;
}

void HTMLText::appendFromPlainText(QByteArray &out, QByteArrayView utf8)
{
    qsizetype plain = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char *reference = referenceFor(utf8[i]);
        if (!reference)
            continue;
        out += utf8.sliced(plain, i - plain);
        out += reference;
        plain = i + 1;
    }
    out += utf8.sliced(plain);
}
