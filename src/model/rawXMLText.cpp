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
    // The layout (VLXLogic::formatXML) breaks the line before every start tag, empty-element
    // tag, comment and instruction but the first, and before an end tag that follows an end tag or an
    // empty-element tag (text between them or not); never before a CDATA section, nor before
    // the end tag of an element whose content is text. White space it cannot have put there
    // is content, however it looks.
    QString out;
    out.reserve(xml.size());
    qsizetype pos = 0;
    bool afterClose = false;
    bool afterTag = false;
    while (pos < xml.size()) {
        const QChar c = xml.at(pos);
        if (c == u'<') {
            const qsizetype len = markupLength(xml, pos);
            const QStringView markup = QStringView(xml).mid(pos, len);
            out.append(markup);
            pos += len;
            if (!markup.startsWith(u"<![CDATA[")) {
                afterClose = markup.startsWith(u"</")
                    || (isTag(xml, pos - len) && markup.endsWith(u"/>"));
                afterTag = true;
            }
            continue;
        }
        // A run of character data up to the next markup.
        qsizetype end = xml.indexOf(u'<', pos);
        if (end < 0)
            end = xml.size();
        const QStringView run = QStringView(xml).mid(pos, end - pos);
        pos = end;
        const QStringView next = QStringView(xml).sliced(end);
        const bool breakBefore = afterTag && !next.isEmpty() && !next.startsWith(u"<![CDATA[")
            && (!next.startsWith(u"</") || afterClose);
        // The layout's break and indentation: the white space from its first line break on.
        qsizetype keep = run.size();
        while (keep > 0 && isSpace(run.at(keep - 1)))
            --keep;
        qsizetype layout = keep;
        while (layout < run.size() && run.at(layout) != u'\n' && run.at(layout) != u'\r')
            ++layout;
        out.append(breakBefore && layout < run.size() ? run.first(layout) : run);
    }
    return out;
}

QString rawXMLText::renamePrefix(const QString &xml, const QString &from, const QString &to)
{
    if (from.isEmpty() || from == to)
        return xml;
    return renamePrefixes(xml, {{from, to}});
}

QString rawXMLText::renamePrefixes(const QString &xml, const QHash<QString, QString> &renames)
{
    if (renames.isEmpty())
        return xml;
    static const QLatin1StringView xmlns("xmlns");
    // The name starting at i of a tag: answers where it ends.
    const auto nameEnd = [](QStringView tag, qsizetype i) {
        while (i < tag.size() && !isSpace(tag.at(i)) && tag.at(i) != u'=' && tag.at(i) != u'/'
               && tag.at(i) != u'>')
            ++i;
        return i;
    };
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
        const QStringView markup = QStringView(xml).mid(lt, len);
        pos = lt + len;
        if (!isTag(xml, lt)) {
            out.append(markup);
            continue;
        }
        // Walk the tag: names are renamed where they begin, quoted values are copied as they are.
        qsizetype i = 0;
        QChar quote;
        bool atNameStart = true;
        while (i < markup.size()) {
            const QChar c = markup.at(i);
            if (!quote.isNull()) {
                out.append(c);
                if (c == quote)
                    quote = QChar();
                ++i;
                continue;
            }
            if (c == u'"' || c == u'\'') {
                quote = c;
                out.append(c);
                ++i;
                atNameStart = false;
                continue;
            }
            if (atNameStart && !isSpace(c) && c != u'<' && c != u'/') {
                const qsizetype end = nameEnd(markup, i);
                const QStringView name = markup.sliced(i, end - i);
                const qsizetype colon = name.indexOf(u':');
                if (colon > 0) {
                    // "p:name" renames p; "xmlns:p" declares p.
                    const bool declaration = name.first(colon) == xmlns;
                    const QStringView prefix
                        = declaration ? name.sliced(colon + 1) : name.first(colon);
                    const auto renamed = renames.constFind(prefix.toString());
                    if (renamed != renames.cend() && !(declaration && prefix.contains(u':'))) {
                        out.append(declaration ? name.first(colon + 1) : QStringView());
                        out.append(*renamed);
                        out.append(declaration ? QStringView() : name.sliced(colon));
                    } else {
                        out.append(name);
                    }
                } else {
                    out.append(name);
                }
                i = end;
                atNameStart = false;
                continue;
            }
            out.append(c);
            atNameStart = isSpace(c) || c == u'<' || c == u'/';
            ++i;
        }
    }
    return out;
}
