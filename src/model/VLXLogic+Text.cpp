#include "model/VLXLogic.h"

#include <array>

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

// Text helpers: HTML to plain text, durations, one-line display, the XML pretty-printer.

namespace {
const QString &spaces()
{
    static const QString blanks(96, u' ');
    return blanks;
}

// Indentation for a level: 4 blanks each, at most 96 (24 levels). Deeper levels indent like
// level 24 so a hostile, deeply nested document cannot blow the output up quadratically.
QStringView indent(int level)
{
    const int n = qBound(0, level * 4, 96);
    return QStringView(spaces()).left(n);
}

bool isBlockElement(const xmlChar *name)
{
    static const char *const blocks[]
        = {"p",      "div",        "br",    "li",     "ul",         "ol",      "dl",      "dt",
           "dd",     "tr",         "table", "h1",     "h2",         "h3",      "h4",      "h5",
           "h6",     "blockquote", "pre",   "hr",     "address",    "section", "article", "header",
           "footer", "nav",        "aside", "figure", "figcaption", "form",    "fieldset"};
    for (const char *block : blocks) {
        if (xmlStrcasecmp(name, reinterpret_cast<const xmlChar *>(block)) == 0)
            return true;
    }
    return false;
}

bool isHidden(const xmlChar *name)
{
    return xmlStrcasecmp(name, reinterpret_cast<const xmlChar *>("script")) == 0
        || xmlStrcasecmp(name, reinterpret_cast<const xmlChar *>("style")) == 0
        || xmlStrcasecmp(name, reinterpret_cast<const xmlChar *>("head")) == 0;
}

void lineBreak(QString &out)
{
    while (out.endsWith(u' '))
        out.chop(1);
    if (!out.isEmpty() && !out.endsWith(u'\n'))
        out += u'\n';
}

void collectText(const xmlNode *node, QString &out)
{
    for (const xmlNode *n = node; n; n = n->next) {
        if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
            const QString text = QString::fromUtf8(reinterpret_cast<const char *>(n->content));
            for (QChar c : text) {
                if (c.isSpace() && c != QChar::Nbsp) {
                    if (!out.isEmpty() && !out.endsWith(u' ') && !out.endsWith(u'\n'))
                        out += u' ';
                } else {
                    out += c;
                }
            }
        } else if (n->type == XML_ELEMENT_NODE) {
            if (isHidden(n->name))
                continue;
            const bool block = isBlockElement(n->name);
            if (block)
                lineBreak(out);
            collectText(n->children, out);
            if (block)
                lineBreak(out);
        }
    }
}
} // namespace

QString VLXLogic::stripHTML(const QString &text)
{
    if (!text.contains(u'<') && !text.contains(u'&'))
        return text;
    // Read inside a body: text the fragment starts or ends with outside any element would
    // otherwise be put in a paragraph of its own and come out on a line of its own.
    const QByteArray utf8 = "<body>" + text.toUtf8() + "</body>";
    htmlDocPtr doc = htmlReadMemory(utf8.constData(), int(utf8.size()), nullptr, "UTF-8",
                                    HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING
                                        | HTML_PARSE_NONET | HTML_PARSE_NOIMPLIED);
    if (!doc)
        return text;
    QString plain;
    collectText(doc->children, plain);
    xmlFreeDoc(doc);
    plain = plain.trimmed();
    return plain.isEmpty() ? text : plain;
}

bool VLXLogic::containsHTML(const QString &text)
{
    const QString stripped = stripHTML(text);
    if (stripped.isEmpty() || stripped == text)
        return false;
    const auto squeeze = [](const QString &s) {
        QString out;
        out.reserve(s.size());
        for (QChar c : s) {
            if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r' && c != QChar(0x2028)
                && c != QChar(0x2029))
                out += c;
        }
        return out;
    };
    return squeeze(text) != squeeze(stripped);
}

QString VLXLogic::convertStringToHHMMSS(const QString &text)
{
    const QStringView trimmed = QStringView(text).trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("");
    // Each part: leading blanks skipped, digits up to the first other character, none reads
    // as 0; overlong numbers saturate.
    const auto number = [](QStringView part) {
        qint64 value = 0;
        qsizetype i = 0;
        while (i < part.size() && part.at(i).isSpace())
            ++i;
        for (; i < part.size() && part.at(i) >= u'0' && part.at(i) <= u'9'; ++i)
            value = qMin<qint64>(value * 10 + (part.at(i).unicode() - u'0'), INT_MAX);
        return value;
    };
    std::array<qint64, 3> parts {};
    int count = 0;
    for (qsizetype from = 0;;) {
        if (count == 3)
            return QStringLiteral("");
        const qsizetype colon = trimmed.indexOf(u':', from);
        parts[std::size_t(count++)]
            = number(trimmed.sliced(from, (colon < 0 ? trimmed.size() : colon) - from));
        if (colon < 0)
            break;
        from = colon + 1;
    }
    // The parts end in the seconds.
    qint64 seconds = parts[std::size_t(count - 1)];
    qint64 minutes = count >= 2 ? parts[std::size_t(count - 2)] : 0;
    qint64 hours = count == 3 ? parts[0] : 0;
    minutes += seconds / 60;
    seconds %= 60;
    hours += minutes / 60;
    minutes %= 60;
    const auto appendTwo = [](QString &out, qint64 v) {
        if (v < 10)
            out += u'0';
        out += QString::number(v);
    };
    QString out = QString::number(hours == 0 ? minutes : hours);
    if (hours != 0) {
        out += u':';
        appendTwo(out, minutes);
    }
    out += u':';
    appendTwo(out, seconds);
    return out;
}

QString VLXLogic::convertCRLFtoSymbols(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c == u'\n' || c == u'\r')
            c = QChar(0x21A9);
        else if (c == u'\t')
            c = u' ';
    }
    return out;
}

QString VLXLogic::stringOfSpace(int n)
{
    return n <= 0 ? QStringLiteral("") : spaces().left(qMin(n, 96));
}

QString VLXLogic::formatXML(const QString &xml, int startIndentAt)
{
    return formatXML(xml, startIndentAt, nullptr);
}

QString VLXLogic::formatXML(const QString &xml, int startIndentAt, FormatFacts *facts)
{
    static const QString cdata = QStringLiteral("<![CDATA[");
    static const QString cdataEnd = QStringLiteral("]]>");
    const qsizetype n = xml.size();
    QString out;
    out.reserve(n + n / 4);
    int level = startIndentAt;
    FormatFacts seen;
    seen.lowestLevel = seen.highestLevel = level;
    auto indentAt = [&](int at) {
        seen.lowestLevel = qMin(seen.lowestLevel, at);
        seen.highestLevel = qMax(seen.highestLevel, at);
        out += indent(at);
    };
    bool firstTag = true;
    bool afterClose = false;
    qsizetype i = 0;
    while (i < n) {
        const QChar c = xml.at(i);
        if (c != u'<') {
            seen.copiedLineBreak = seen.copiedLineBreak || c == u'\n' || c == u'\r';
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < n && xml.at(i + 1) == u'/') {
            --level;
            if (afterClose) {
                out += u'\n';
                indentAt(level);
            }
            afterClose = true;
            // An item ends its line with a further break.
            if (QStringView(xml).sliced(i).startsWith(u"</item>")) {
                out += u"</item>\n";
                seen.unindentedBreak = true;
                i += 7;
                continue;
            }
            out += u'<';
            ++i;
            continue;
        }
        if (QStringView(xml).mid(i).startsWith(cdata)) {
            const qsizetype end = xml.indexOf(cdataEnd, i + cdata.size());
            const QStringView section
                = end < 0 ? QStringView(xml).mid(i) : QStringView(xml).mid(i, end - i);
            seen.copiedLineBreak
                = seen.copiedLineBreak || section.contains(u'\n') || section.contains(u'\r');
            out += section;
            if (end < 0)
                break;
            i = end;
            continue;
        }
        // A comment or an instruction is copied whole on a line of its own: what it holds is
        // its text, and a "<" in it is no tag to lay out.
        const QStringView rest = QStringView(xml).sliced(i);
        const QStringView closer = rest.startsWith(u"<!--") ? QStringView(u"-->")
            : rest.startsWith(u"<?")                        ? QStringView(u"?>")
                                                            : QStringView();
        const qsizetype closed = closer.isEmpty() ? -1 : rest.indexOf(closer, 2);
        if (closed >= 0) {
            if (!firstTag)
                out += u'\n';
            indentAt(level);
            const QStringView whole = rest.first(closed + closer.size());
            seen.copiedLineBreak
                = seen.copiedLineBreak || whole.contains(u'\n') || whole.contains(u'\r');
            out += whole;
            firstTag = false;
            afterClose = false;
            i += whole.size();
            continue;
        }
        const qsizetype gt = xml.indexOf(u'>', i + 1);
        if (gt >= 0 && xml.at(gt - 1) == u'/') {
            if (!firstTag)
                out += u'\n';
            firstTag = false;
            indentAt(level);
            out += u'<';
            afterClose = true;
        } else {
            if (!firstTag)
                out += u'\n';
            indentAt(level);
            out += u'<';
            const QChar next = i + 1 < n ? xml.at(i + 1) : QChar();
            if (next != u'?' && next != u'!')
                ++level;
            firstTag = false;
            afterClose = false;
        }
        ++i;
    }
    if (facts) {
        seen.endLevel = level;
        *facts = seen;
    }
    return out;
}
