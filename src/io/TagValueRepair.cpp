#include "io/TagValueRepair.h"

#include "io/VLXParseFeed.h"
#include "xml/HTMLText.h"

#include <vector>

namespace {

// A comment or processing instruction of the value, from "<" to its closing ">".
struct Kept
{
    qsizetype start;
    qsizetype end;
    bool comment;
};

bool isNameStart(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || u == u'_' || u == u':'
        || u >= 0x80;
}

// The well-formed comments and instructions of the value, in order. A comment holds no "--" and
// does not end in "-"; an instruction starts with a name.
std::vector<Kept> keptParts(QStringView value)
{
    std::vector<Kept> parts;
    for (qsizetype lt = value.indexOf(u'<'); lt >= 0; lt = value.indexOf(u'<', lt + 1)) {
        const QStringView rest = value.sliced(lt);
        if (rest.startsWith(u"<!--")) {
            const qsizetype close = value.indexOf(u"-->", lt + 4);
            if (close < 0)
                break;
            const QStringView text = value.sliced(lt + 4, close - lt - 4);
            if (text.contains(u"--") || text.endsWith(u'-'))
                continue;
            parts.push_back({lt, close + 3, true});
            lt = close + 2;
        } else if (rest.size() > 2 && rest[1] == u'?' && isNameStart(rest[2])) {
            const qsizetype close = value.indexOf(u"?>", lt + 2);
            if (close < 0)
                break;
            parts.push_back({lt, close + 2, false});
            lt = close + 1;
        }
    }
    return parts;
}

} // namespace

QString TagValueRepair::repaired(QStringView value, bool holdsHTML)
{
    const std::vector<Kept> parts = keptParts(value);
    // Whether the value holds markup is told by what lies outside its comments: a tag inside a
    // comment is no markup of the value.
    QString outside;
    qsizetype from = 0;
    for (const Kept &part : parts) {
        outside += value.sliced(from, part.start - from);
        from = part.end;
    }
    if (!parts.empty())
        outside += value.sliced(from);
    const bool markup = holdsTag(parts.empty() ? value : QStringView(outside));
    const auto stretch = [&](QStringView text) {
        return markup ? HTMLText::fromPlainText(text)
                      : VLXParseFeed::encodeIllegalXMLCharacters(text.toString());
    };

    QString out;
    from = 0;
    for (const Kept &part : parts) {
        out += stretch(value.sliced(from, part.start - from));
        const QStringView whole = value.sliced(part.start, part.end - part.start);
        if (!markup || !holdsHTML) {
            out += whole;
        } else if (part.comment) {
            QByteArray html;
            HTMLText::appendComment(html, whole.sliced(4, whole.size() - 7).toUtf8());
            out += HTMLText::fromPlainText(QString::fromUtf8(html));
        }
        from = part.end;
    }
    out += stretch(value.sliced(from)); // with no parts, the stretch itself: no copy
    return out;
}

bool TagValueRepair::holdsTag(QStringView value)
{
    for (qsizetype lt = value.indexOf(u'<'); lt >= 0; lt = value.indexOf(u'<', lt + 1)) {
        qsizetype at = lt + 1;
        if (at < value.size() && value[at] == u'/')
            ++at;
        if (at >= value.size())
            return false;
        if (!isNameStart(value[at]))
            continue;
        for (qsizetype i = at + 1; i < value.size(); ++i) {
            if (value[i] == u'>')
                return true;
            if (value[i] == u'<')
                break;
        }
    }
    return false;
}
