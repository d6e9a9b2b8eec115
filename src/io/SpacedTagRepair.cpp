#include "io/SpacedTagRepair.h"

#include "io/FeedTextScan.h"
#include "io/KeptMarkup.h"

#include <algorithm>
#include <vector>

namespace {

using Scan = FeedTextScan;
using Kept = KeptMarkup<char16_t>;

// Whether any "<" outside the kept parts starts a spaced tag: most texts need no walk of their
// tags at all.
bool holdsSpacedTag(const char16_t *units, qsizetype n, StopCheck *stop)
{
    Kept kept(units, n, Kept::Scope::Document, stop);
    for (qsizetype at = Scan::indexOfAscii(units, n, QLatin1StringView("< "), 0);
         at >= 0 && StopCheck::goOn(stop);
         at = Scan::indexOfAscii(units, n, QLatin1StringView("< "), at + 1)) {
        const Kept::Part &part = kept.after(at);
        if (part.start <= at) {
            at = part.end - 1;
            continue;
        }
        if (const Scan::Tag tag = Scan::tagAt(units, n, at, true); tag.spaced && tag.isTag())
            return true;
    }
    return false;
}

// The tags of the text in order, the elements they leave open on a stack, and the "<" of the
// spaced tags that the written tags around them make certain.
class TagWalk
{
public:
    explicit TagWalk(const char16_t *units) : m_units(units) { }

    // The tags of a stretch outside the kept parts.
    void stretch(qsizetype from, qsizetype to, StopCheck *stop)
    {
        for (qsizetype lt = Scan::indexOf(m_units, to, u'<', from); lt >= 0;
             lt = Scan::indexOf(m_units, to, u'<', lt + 1)) {
            if (m_gaveUp || !StopCheck::goOn(stop))
                return;
            // A tag ends at its ">" before any other "<"; without one it is text.
            const Scan::Tag tag = Scan::tagAt(m_units, to, lt, true);
            if (tag.end < 0)
                continue;
            const Name name {tag.nameAt, tag.nameEnd - tag.nameAt};
            if (tag.closing)
                close(name, tag.spaced ? lt : -1);
            else if (!tag.empty)
                open({name, tag.spaced ? lt : -1});
            lt = tag.end;
        }
    }

    // The "<" whose blanks go, in the text's order; none when the walk gave up.
    std::vector<qsizetype> certain()
    {
        if (m_gaveUp)
            return {};
        std::sort(m_certain.begin(), m_certain.end());
        return std::move(m_certain);
    }

private:
    struct Name
    {
        qsizetype at;
        qsizetype length;
    };
    struct Open
    {
        Name name;
        qsizetype spacedAt; // the "<" of a spaced start tag; -1 for a written one
    };

    // Elements open at once beyond which the walk gives up, and makes no tag certain: no feed
    // nests so deep, and a text of nothing but start tags would otherwise take gigabytes.
    static constexpr std::size_t kDeepest = 65536;
    // How far down the open elements an end tag looks for its start: a document whose tags
    // match finds it within a few, and a text of end tags that match nothing costs no more than
    // this each.
    static constexpr qsizetype kSearched = 64;

    void open(const Open &element)
    {
        if (m_open.size() >= kDeepest)
            m_gaveUp = true;
        else
            m_open.push_back(element);
    }

    bool same(const Name &a, const Name &b) const
    {
        return a.length == b.length
            && std::equal(m_units + a.at, m_units + a.at + a.length, m_units + b.at);
    }

    // An end tag: written (spacedAt -1) or spaced. The spaced start tags still open above the
    // element it ends are the author's text: they are passed over, and close nothing.
    void close(const Name &name, qsizetype spacedAt)
    {
        const qsizetype top = qsizetype(m_open.size()) - 1;
        const qsizetype lowest = std::max<qsizetype>(0, top - kSearched);
        qsizetype i = top;
        while (i >= lowest && m_open[i].spacedAt >= 0 && !same(m_open[i].name, name))
            --i;
        if (i >= lowest && same(m_open[i].name, name)) {
            const bool startSpaced = m_open[i].spacedAt >= 0;
            if (spacedAt >= 0 && startSpaced)
                return; // both spaced: nothing written makes either a tag
            if (startSpaced)
                m_certain.push_back(m_open[i].spacedAt); // "< item>" … "</item>"
            else if (spacedAt >= 0)
                m_certain.push_back(spacedAt); // "<item>" … "< /item>"
            m_open.resize(std::size_t(i));
            return;
        }
        if (spacedAt >= 0)
            return; // it ends nothing open: the author's text
        // A written end tag of an element opened further out: the markup between is broken
        // (the parser tells where); the walk goes on from that element's end.
        for (qsizetype j = top; j >= lowest; --j) {
            if (same(m_open[j].name, name)) {
                m_open.resize(std::size_t(j));
                return;
            }
        }
    }

    const char16_t *m_units;
    std::vector<Open> m_open;
    bool m_gaveUp = false;
    std::vector<qsizetype> m_certain;
};

} // namespace

QString SpacedTagRepair::repaired(const QString &text, bool *changed, StopCheck *stop)
{
    *changed = false;
    const auto *units = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype n = text.size();
    if (!holdsSpacedTag(units, n, stop))
        return text;
    TagWalk walk(units);
    Kept(units, n, Kept::Scope::Document, stop)
        .walk([&](qsizetype from, qsizetype to) { walk.stretch(from, to, stop); },
              [](const Kept::Part &) {});
    const std::vector<qsizetype> certain = walk.certain();
    if (certain.empty() || !StopCheck::goOn(stop))
        return text;
    QString out;
    out.reserve(n);
    qsizetype copied = 0;
    for (const qsizetype lt : certain) {
        out.append(QStringView(units + copied, lt + 1 - copied));
        copied = lt + 1;
        while (copied < n && units[copied] == u' ')
            ++copied;
    }
    out.append(QStringView(units + copied, n - copied));
    *changed = true;
    return out;
}
