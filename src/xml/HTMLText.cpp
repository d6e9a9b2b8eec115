#include "xml/HTMLText.h"

#include "xml/StopCheck.h"

#include <array>

namespace {

// The reference standing for c in element content, or nothing when c stands for itself.
template<typename Char> const char *referenceFor(Char c, HTMLText::Quotes quotes)
{
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return quotes == HTMLText::Quotes::Escaped ? "&quot;" : nullptr;
    case '\'':
        // HTML 4 knows no "&apos;": a numeric reference reads alike everywhere.
        return quotes == HTMLText::Quotes::Escaped ? "&#39;" : nullptr;
    default:
        return nullptr;
    }
}

} // namespace

QString HTMLText::fromPlainText(QStringView text, Quotes quotes, StopCheck *stop)
{
    QString html;
    qsizetype plain = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!StopCheck::goOn(stop))
            return {};
        const char *reference = referenceFor(text[i].unicode(), quotes);
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
        const char *reference = referenceFor(utf8[i], Quotes::Kept);
        if (!reference)
            continue;
        out += utf8.sliced(plain, i - plain);
        out += reference;
        plain = i + 1;
    }
    out += utf8.sliced(plain);
}

void HTMLText::appendComment(QByteArray &out, QByteArrayView text)
{
    out += "<!--";
    if (text.startsWith('>') || text.startsWith("->"))
        out += ' ';
    // An XML comment holds no "--", so nothing inside it closes the HTML comment early ("--!>"),
    // and it never ends in "-". A parser that let one through would still have it end here.
    out += text;
    if (text.endsWith('-'))
        out += ' ';
    out += "-->";
}

bool HTMLText::isSafeLink(QStringView address)
{
    // A browser drops C0 controls and spaces at both ends, then tabs and line breaks anywhere.
    const auto blank = [](char16_t c) { return c <= 0x20; };
    qsizetype first = 0;
    qsizetype last = address.size();
    while (first < last && blank(address[first].unicode()))
        ++first;
    while (last > first && blank(address[last - 1].unicode()))
        --last;
    QString scheme;
    for (qsizetype i = first; i < last; ++i) {
        const char16_t c = address[i].unicode();
        if (c == '\t' || c == '\n' || c == '\r')
            continue;
        if (c == ':')
            break;
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool schemeCharacter
            = letter || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        // No scheme: a relative address ("page.html", "/a:b", "//host/x", "?q=a:b").
        if (!(scheme.isEmpty() ? letter : schemeCharacter))
            return true;
        scheme += QChar(c).toLower();
        if (i + 1 == last)
            return true; // letters to the end and no colon: a relative path
    }
    if (scheme.isEmpty())
        return true;
    static const std::array<QStringView, 5> kSafe = {u"http", u"https", u"ftp", u"ftps", u"mailto"};
    for (const QStringView safe : kSafe) {
        if (scheme == safe)
            return true;
    }
    return false;
}
