#include "model/rawXMLText.h"

namespace {

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// Length of the markup construct that starts with '<' at pos: a comment, a CDATA section, a
// processing instruction or declaration, or a tag (quoted attribute values may hold '>').
// Answers the length up to the end of the text when the construct is not closed.
qsizetype markupLength(const QString &xml, qsizetype pos)
{
    auto closeAt = [&](const QString &closer, qsizetype from) -> qsizetype {
        const qsizetype end = xml.indexOf(closer, from);
        return end < 0 ? xml.size() - pos : end + closer.size() - pos;
    };
    if (xml.mid(pos, 4) == QLatin1String("<!--"))
        return closeAt(QStringLiteral("-->"), pos + 4);
    if (xml.mid(pos, 9) == QLatin1String("<![CDATA["))
        return closeAt(QStringLiteral("]]>"), pos + 9);
    if (xml.mid(pos, 2) == QLatin1String("<?"))
        return closeAt(QStringLiteral("?>"), pos + 2);
    QChar quote;
    for (qsizetype i = pos + 1; i < xml.size(); ++i) {
        const QChar c = xml.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i + 1 - pos;
        }
    }
    return xml.size() - pos;
}

bool isTag(const QString &xml, qsizetype pos)
{
    if (pos + 1 >= xml.size())
        return false;
    const QChar next = xml.at(pos + 1);
    return next != u'!' && next != u'?';
}

} // namespace

QString rawXMLText::compact(const QString &xml)
{
    QString out;
    out.reserve(xml.size());
    qsizetype pos = 0;
    bool afterMarkup = false;
    while (pos < xml.size()) {
        const QChar c = xml.at(pos);
        if (c == u'<') {
            const qsizetype len = markupLength(xml, pos);
            out.append(QStringView(xml).mid(pos, len));
            pos += len;
            afterMarkup = true;
            continue;
        }
        // A run of character data up to the next markup.
        qsizetype end = xml.indexOf(u'<', pos);
        if (end < 0)
            end = xml.size();
        const QStringView run = QStringView(xml).mid(pos, end - pos);
        bool blank = true;
        bool hasBreak = false;
        for (QChar r : run) {
            if (!isSpace(r)) {
                blank = false;
                break;
            }
            if (r == u'\n' || r == u'\r')
                hasBreak = true;
        }
        const bool beforeMarkup = end < xml.size();
        if (blank && hasBreak && afterMarkup && beforeMarkup) {
            // layout between two tags
        } else if (!blank && beforeMarkup) {
            // Text followed by a tag on a new line: the line break and indentation in front of
            // the tag are layout (pretty-printing puts them there), the text itself is kept.
            qsizetype keep = run.size();
            bool trailingBreak = false;
            while (keep > 0 && isSpace(run.at(keep - 1))) {
                if (run.at(keep - 1) == u'\n' || run.at(keep - 1) == u'\r')
                    trailingBreak = true;
                --keep;
            }
            out.append(trailingBreak ? run.left(keep) : run);
        } else {
            out.append(run);
        }
        pos = end;
        afterMarkup = false;
    }
    return out;
}

QString rawXMLText::renamePrefix(const QString &xml, const QString &from, const QString &to)
{
    if (from.isEmpty() || from == to)
        return xml;
    const QString fromColon = from + u':';
    const QString toColon = to + u':';
    const QString xmlnsFrom = QStringLiteral("xmlns:") + from;
    QString out;
    out.reserve(xml.size());
    qsizetype pos = 0;
    while (pos < xml.size()) {
        const qsizetype lt = xml.indexOf(u'<', pos);
        if (lt < 0) {
            out.append(QStringView(xml).mid(pos));
            break;
        }
        out.append(QStringView(xml).mid(pos, lt - pos));
        const qsizetype len = markupLength(xml, lt);
        const QString markup = xml.mid(lt, len);
        pos = lt + len;
        if (!isTag(xml, lt)) {
            out.append(markup);
            continue;
        }
        // Walk the tag: names are renamed where they begin, quoted values are copied as they are.
        QString tag;
        qsizetype i = 0;
        QChar quote;
        bool atNameStart = true;
        while (i < markup.size()) {
            const QChar c = markup.at(i);
            if (!quote.isNull()) {
                tag.append(c);
                if (c == quote)
                    quote = QChar();
                ++i;
                continue;
            }
            if (c == u'"' || c == u'\'') {
                quote = c;
                tag.append(c);
                ++i;
                atNameStart = false;
                continue;
            }
            if (atNameStart && !isSpace(c) && c != u'<' && c != u'/') {
                if (QStringView(markup).mid(i).startsWith(fromColon)) {
                    tag.append(toColon);
                    i += fromColon.size();
                } else if (QStringView(markup).mid(i).startsWith(xmlnsFrom)
                           && i + xmlnsFrom.size() < markup.size()
                           && (markup.at(i + xmlnsFrom.size()) == u'='
                               || isSpace(markup.at(i + xmlnsFrom.size())))) {
                    tag.append(QStringLiteral("xmlns:") + to);
                    i += xmlnsFrom.size();
                }
                atNameStart = false;
                continue;
            }
            tag.append(c);
            atNameStart = isSpace(c) || c == u'<' || c == u'/';
            ++i;
        }
        out.append(tag);
    }
    return out;
}
