#include "io/TagValueRepair.h"

#include "io/FeedTextScan.h"
#include "io/VLXParseFeed.h"
#include "xml/HTMLText.h"

#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A comment or processing instruction of the value, from "<" to its closing ">".
struct Kept
{
    qsizetype start;
    qsizetype end;
    bool comment;
};

bool isNameStartCode(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || c == U'_' || c == U':'
        || (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF)
        || (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D)
        || (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF)
        || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF)
        || (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameCode(char32_t c)
{
    return isNameStartCode(c) || c == U'-' || c == U'.' || (c >= U'0' && c <= U'9') || c == 0xB7
        || (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// Where the XML name starting at `at` ends: `at` itself when no name starts there. The parser
// reads names by these rules, so a part is taken for a tag or an instruction only when it reads
// it as one.
qsizetype nameEnd(QStringView value, qsizetype at)
{
    qsizetype i = at;
    while (i < value.size()) {
        char32_t c = value[i].unicode();
        qsizetype length = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < value.size() && value[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(value[i], value[i + 1]);
            length = 2;
        }
        if (i == at ? !isNameStartCode(c) : !isNameCode(c))
            break;
        i += length;
    }
    return i;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// Where the processing instruction starting at `lt` ("<?") ends its target, when it is one as
// XML reads it: a name other than "xml" in any case, followed by a blank or by "?>". -1 when not.
qsizetype instructionTargetEnd(QStringView value, qsizetype lt)
{
    const qsizetype end = nameEnd(value, lt + 2);
    if (end == lt + 2
        || value.sliced(lt + 2, end - lt - 2).compare(u"xml", Qt::CaseInsensitive) == 0)
        return -1;
    if (end < value.size() && (isBlank(value[end]) || value.sliced(end).startsWith(u"?>")))
        return end;
    return -1;
}

// The well-formed comments and instructions of the value, in order. A comment holds no "--" and
// does not end in "-". Time in proportion to the value: each end ("-->", "?>") is searched for
// from ever later openings, and the last "--" before a comment end is found once for all the
// openings that end there.
std::vector<Kept> keptParts(QStringView value)
{
    const auto *units = reinterpret_cast<const char16_t *>(value.utf16());
    const qsizetype n = value.size();
    FeedTextScan::NextLiteral commentEnd {"-->"_L1}, instructionEnd {"?>"_L1};
    qsizetype hyphensBefore = -1; // the comment end whose last "--" before it is known
    qsizetype lastHyphens = -1; // that "--", or -1
    std::vector<Kept> parts;
    for (qsizetype lt = value.indexOf(u'<'); lt >= 0; lt = value.indexOf(u'<', lt + 1)) {
        if (value.sliced(lt).startsWith(u"<!--")) {
            const qsizetype close = commentEnd.from(units, n, lt + 4);
            if (close < 0)
                continue;
            if (close != hyphensBefore) {
                // The scan stops at the latest at the "--" of the comment end before this one:
                // no stretch of the value is scanned twice.
                hyphensBefore = close;
                lastHyphens = close - 1;
                while (lastHyphens >= 0 && !value.sliced(lastHyphens).startsWith(u"--"))
                    --lastHyphens;
            }
            // A "--" starting inside the comment, its last "-" included, makes it none.
            if (lastHyphens >= lt + 4)
                continue;
            parts.push_back({lt, close + 3, true});
            lt = close + 2;
        } else if (lt + 1 < n && value[lt + 1] == u'?') {
            const qsizetype target = instructionTargetEnd(value, lt);
            const qsizetype close = target < 0 ? -1 : instructionEnd.from(units, n, target);
            if (close < 0)
                continue;
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
        if (nameEnd(value, at) == at)
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
