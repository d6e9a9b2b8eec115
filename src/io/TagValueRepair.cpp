#include "io/TagValueRepair.h"

#include "io/FeedTextScan.h"
#include "io/KeptMarkup.h"
#include "io/VLXParseFeed.h"
#include "xml/HTMLText.h"

#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Kept = KeptMarkup<char16_t>;

// The comments and processing instructions of the value as XML reads them, in order: the
// reading every repair before parsing shares, so that the parts of the value are the very parts
// the search for its tags passed over.
std::vector<Kept::Part> keptParts(QStringView value, StopCheck *stop)
{
    std::vector<Kept::Part> parts;
    Kept(reinterpret_cast<const char16_t *>(value.utf16()), value.size(), Kept::Scope::Content,
         stop)
        .walk([](qsizetype, qsizetype) {}, [&](const Kept::Part &part) { parts.push_back(part); });
    return parts;
}

} // namespace

QString TagValueRepair::repaired(QStringView value, bool holdsHTML, StopCheck *stop)
{
    const std::vector<Kept::Part> parts = keptParts(value, stop);
    // Whether the value holds markup is told by what lies outside its comments: a tag inside a
    // comment is no markup of the value.
    QString outside;
    qsizetype from = 0;
    for (const Kept::Part &part : parts) {
        if (!StopCheck::goOn(stop))
            return {};
        outside += value.sliced(from, part.start - from);
        from = part.end;
    }
    if (!parts.empty())
        outside += value.sliced(from);
    const QStringView seen = parts.empty() ? value : QStringView(outside);
    const bool markup = holdsTag(seen, stop);
    // Markup XML reads as it stands (a well-formed document's "Tom <b>&amp;</b> Jerry") is the
    // field as written, every reference in it kept as a reference: escaped whole, so that it
    // reads the same. Anything else ("&lt;p&gt;Hi&lt;/p&gt; <br> more", "Q & A") has only its
    // bare "&", its stray "<" and ">" and the "<" and ">" of its markup escaped: the references
    // the author wrote read as XML reads them.
    const bool asWritten = markup && isWellFormedContent(seen);
    const auto stretch = [&](QStringView text) {
        return asWritten ? HTMLText::fromPlainText(text, HTMLText::Quotes::Kept, stop)
                         : VLXParseFeed::encodeIllegalXMLCharacters(text.toString(), stop);
    };

    QString out;
    from = 0;
    for (const Kept::Part &part : parts) {
        if (!StopCheck::goOn(stop))
            return {};
        out += stretch(value.sliced(from, part.start - from));
        const QStringView whole = value.sliced(part.start, part.end - part.start);
        if (!markup || !holdsHTML) {
            out += whole;
        } else if (part.kind == Kept::Kind::Comment) {
            QByteArray html;
            HTMLText::appendComment(html, whole.sliced(4, whole.size() - 7).toUtf8());
            out += HTMLText::fromPlainText(QString::fromUtf8(html));
        }
        from = part.end;
    }
    out += stretch(value.sliced(from)); // with no parts, the stretch itself: no copy
    return out;
}

bool TagValueRepair::holdsTag(QStringView value, StopCheck *stop)
{
    const auto *units = reinterpret_cast<const char16_t *>(value.utf16());
    const qsizetype n = value.size();
    for (qsizetype lt = FeedTextScan::indexOf(units, n, u'<', 0); lt >= 0;
         lt = FeedTextScan::indexOf(units, n, u'<', lt + 1)) {
        if (!StopCheck::goOn(stop))
            return false;
        qsizetype at = lt + 1;
        if (at < value.size() && value[at] == u'/')
            ++at;
        if (at >= value.size())
            return false;
        if (FeedTextScan::nameEnd(units, n, at) == at)
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

bool TagValueRepair::isWellFormedContent(QStringView value)
{
    const auto *units = reinterpret_cast<const char16_t *>(value.utf16());
    const qsizetype n = value.size();
    std::vector<QStringView> open;
    for (qsizetype i = FeedTextScan::nextMarkupCharacter(units, 0, n); i < n;
         i = FeedTextScan::nextMarkupCharacter(units, i + 1, n)) {
        if (units[i] == u'&') {
            // XML reads a reference of any name's length, not only those the escaping keeps.
            const qsizetype nameEnd = FeedTextScan::nameEnd(units, n, i + 1);
            const bool named = nameEnd > i + 1 && nameEnd < n && units[nameEnd] == u';';
            if (!named && !FeedTextScan::isValidNumericReference(units, n, i))
                return false;
            continue;
        }
        if (units[i] != u'<')
            continue;
        const FeedTextScan::Tag tag = FeedTextScan::tagAt(units, n, i);
        if (tag.end < 0)
            return false;
        const QStringView name = value.sliced(tag.nameAt, tag.nameEnd - tag.nameAt);
        if (tag.closing) {
            if (open.empty() || open.back() != name)
                return false;
            open.pop_back();
        } else if (!tag.empty) {
            // Markup nested deeper than any page's is taken for stray characters.
            if (open.size() >= 65536)
                return false;
            open.push_back(name);
        }
        i = tag.end;
    }
    return open.empty();
}
