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
// spaced tags that the tags around them make certain.
class TagWalk
{
public:
    TagWalk(const char16_t *units, qsizetype n, const Kept &kept, const QStringList &valueTags,
            StopCheck *stop)
        : m_units(units), m_n(n), m_kept(kept), m_valueTags(valueTags), m_stop(stop)
    {
    }

    // The tags of a stretch outside the kept parts (the parts the walk's KeptMarkup passes).
    void stretch(qsizetype from, qsizetype to)
    {
        m_markupEnd = from; // a kept part before the stretch is markup, not text
        for (qsizetype lt = Scan::indexOf(m_units, to, u'<', from); lt >= 0;
             lt = Scan::indexOf(m_units, to, u'<', lt + 1)) {
            if (m_gaveUp || !StopCheck::goOn(m_stop))
                return;
            // A tag ends at its ">" before any other "<"; without one it is text.
            const Scan::Tag tag = Scan::tagAt(m_units, to, lt, true);
            if (tag.end < 0)
                continue;
            if (take(lt, tag))
                m_markupEnd = tag.end + 1;
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
        bool value; // one of the values the repairs escape: its spaced tags are text
    };
    // What the tags after a spaced end tag say of it.
    enum class Verdict { End, Text };

    // Elements open at once (and spaced empty tags waiting for theirs to close) beyond which
    // the walk gives up, and makes no tag certain: no feed nests so deep, and a text of nothing
    // but start tags would otherwise take gigabytes.
    static constexpr std::size_t kDeepest = 65536;
    // How far down the open elements an end tag looks for its start: a document whose tags
    // match finds it within a few, and a text of end tags that match nothing costs no more than
    // this each.
    static constexpr qsizetype kSearched = 64;

    bool isValueName(QStringView name) const
    {
        return std::any_of(m_valueTags.begin(), m_valueTags.end(), [name](const QString &value) {
            return name.compare(value, Qt::CaseInsensitive) == 0;
        });
    }

    QStringView view(const Name &name) const { return {m_units + name.at, name.length}; }
    bool same(const Name &a, const Name &b) const { return view(a) == view(b); }
    bool inValue() const { return !m_open.empty() && m_open.back().value; }

    // Whether the tag at `lt` was taken as markup; a tag taken for the author's text is not.
    bool take(qsizetype lt, const Scan::Tag &tag)
    {
        const Name name {tag.nameAt, tag.nameEnd - tag.nameAt};
        const qsizetype spacedAt = tag.spaced ? lt : -1;
        if (tag.closing)
            return close(name, spacedAt, tag.end + 1);
        if (inValue())
            return !tag.spaced; // a value's own markup
        if (tag.spaced && !onlyBlanksBefore(lt))
            return false; // "http://x/< b >1": the author's text
        if (tag.empty && !tag.spaced)
            return true; // an element that opens nothing
        // A spaced empty tag ("< link href='x'/>" among the elements of an Atom entry) waits
        // to be certain until the element around it closes in order.
        if ((tag.empty ? m_emptyTags.size() : m_open.size()) >= kDeepest) {
            m_gaveUp = true;
            return false;
        }
        if (tag.empty)
            m_emptyTags.push_back({lt, m_open.size()});
        else
            m_open.push_back({name, spacedAt, isValueName(view(name))});
        return true;
    }

    // Whether only blanks stand between the last markup and `lt`. The run of blanks after the
    // markup is followed once, however many "<" of text come after it.
    bool onlyBlanksBefore(qsizetype lt)
    {
        m_blanksEnd = std::max(m_blanksEnd, m_markupEnd);
        while (m_blanksEnd < lt && Scan::isBlank(m_units[m_blanksEnd]))
            ++m_blanksEnd;
        return m_blanksEnd >= lt;
    }

    // An end tag: written (spacedAt -1) or spaced, its ">" ending before `after`.
    bool close(const Name &name, qsizetype spacedAt, qsizetype after)
    {
        const qsizetype top = qsizetype(m_open.size()) - 1;
        if (inValue()) {
            // Inside a value only its own end tag counts, and the end of an element around it
            // (the value was left open: the parser tells where).
            if (same(m_open.back().name, name))
                return endsAt(top, spacedAt, after);
            if (spacedAt < 0)
                popToWritten(name, top - 1);
            return spacedAt < 0;
        }
        // The spaced start tags still open above the element it ends are the author's text:
        // they are passed over, and close nothing.
        const qsizetype lowest = std::max<qsizetype>(0, top - kSearched);
        qsizetype i = top;
        while (i >= lowest && m_open[std::size_t(i)].spacedAt >= 0
               && !same(m_open[std::size_t(i)].name, name))
            --i;
        if (i >= lowest && same(m_open[std::size_t(i)].name, name))
            return endsAt(i, spacedAt, after);
        if (spacedAt >= 0)
            return false; // it ends nothing open: the author's text
        // A written end tag of an element opened further out: the markup between is broken
        // (the parser tells where); the walk goes on from that element's end.
        popToWritten(name, top);
        return true;
    }

    // The element at `i` ends at a written end tag (spacedAt -1), or at the spaced one at
    // spacedAt where no written end tag of its name follows within the same parent. Whether the
    // end tag was taken as markup.
    bool endsAt(qsizetype i, qsizetype spacedAt, qsizetype after)
    {
        const Open &element = m_open[std::size_t(i)];
        if (spacedAt >= 0 && verdictAfter(i, after) == Verdict::Text)
            return false;
        if (element.spacedAt >= 0)
            m_certain.push_back(element.spacedAt); // "< item>" … "</item>" or "< /item>"
        if (spacedAt >= 0)
            m_certain.push_back(spacedAt); // … "< /item>"
        settleEmptyTags(i, true);
        m_open.resize(std::size_t(i));
        return true;
    }

    // The spaced empty tags inside the elements from `depth` up, as those close: certain in the
    // element at `depth` when it closed in order; the author's text in the elements above it,
    // whose start tags were text, and wherever the markup around them broke.
    void settleEmptyTags(qsizetype depth, bool inOrder)
    {
        while (!m_emptyTags.empty() && m_emptyTags.back().depth > std::size_t(depth)) {
            if (inOrder && m_emptyTags.back().depth == std::size_t(depth) + 1)
                m_certain.push_back(m_emptyTags.back().at);
            m_emptyTags.pop_back();
        }
    }

    void popToWritten(const Name &name, qsizetype from)
    {
        for (qsizetype j = from; j >= 0 && j >= from - kSearched; --j) {
            if (same(m_open[std::size_t(j)].name, name)) {
                settleEmptyTags(j, false);
                m_open.resize(std::size_t(j));
                return;
            }
        }
    }

    // Whether a spaced end tag of the element at `i`, whose ">" ends before `after`, is its
    // end: the tags after it are read up to the first that tells. A written end tag of the same
    // name tells it is the author's text. An end tag of an element around it, a start tag of an
    // item or entry, another start tag of a value's name, or the text's end tell it is the end.
    // A verdict holds for every later spaced end tag of an element of that name and depth up to
    // the tag that told it, so that no stretch is read twice for the same question.
    Verdict verdictAfter(qsizetype i, qsizetype after)
    {
        const Open &element = m_open[std::size_t(i)];
        if (after < m_told.until && m_told.depth == i && view(m_told.name) == view(element.name))
            return m_told.verdict;
        Kept kept = m_kept; // where the walk stands: the look ahead goes on from there
        Verdict verdict = Verdict::End;
        qsizetype lt = Scan::indexOf(m_units, m_n, u'<', after);
        for (; lt >= 0 && StopCheck::goOn(m_stop); lt = Scan::indexOf(m_units, m_n, u'<', lt + 1)) {
            if (const Kept::Part &part = kept.after(lt); part.start <= lt) {
                lt = part.end - 1;
                continue;
            }
            const Scan::Tag tag = Scan::tagAt(m_units, m_n, lt, true);
            if (tag.end < 0)
                continue;
            const Name name {tag.nameAt, tag.nameEnd - tag.nameAt};
            if (tag.closing && !tag.spaced && same(name, element.name)) {
                verdict = Verdict::Text;
                break;
            }
            if (tag.closing ? endsAround(i, name) : startsAnother(element, name, tag.spaced))
                break;
            lt = tag.end;
        }
        m_told = {lt < 0 ? m_n : lt, i, element.name, verdict};
        return verdict;
    }

    bool endsAround(qsizetype i, const Name &name) const
    {
        for (qsizetype j = i - 1; j >= 0 && j >= i - 1 - kSearched; --j) {
            if (same(m_open[std::size_t(j)].name, name))
                return true;
        }
        return false;
    }

    bool startsAnother(const Open &element, const Name &name, bool spaced) const
    {
        const QStringView tag = view(name);
        const QStringView local = tag.sliced(tag.lastIndexOf(u':') + 1);
        return local.compare(u"item", Qt::CaseInsensitive) == 0
            || local.compare(u"entry", Qt::CaseInsensitive) == 0
            || (element.value && !spaced && same(name, element.name));
    }

    const char16_t *m_units;
    qsizetype m_n;
    const Kept &m_kept;
    const QStringList &m_valueTags;
    StopCheck *m_stop;
    std::vector<Open> m_open;
    qsizetype m_markupEnd = 0; // after the last tag or kept part taken as markup
    qsizetype m_blanksEnd = 0; // the end of the blanks after it, as far as followed
    bool m_gaveUp = false;
    std::vector<qsizetype> m_certain;
    struct EmptyTag
    {
        qsizetype at; // its "<"
        std::size_t depth; // the elements open around it
    };
    std::vector<EmptyTag> m_emptyTags; // spaced empty tags whose element has not closed yet
    struct
    {
        qsizetype until = -1; // the tag that told the verdict
        qsizetype depth = -1;
        Name name {0, 0};
        Verdict verdict = Verdict::End;
    } m_told;
};

} // namespace

QString SpacedTagRepair::repaired(const QString &text, const QStringList &valueTags,
                                  bool *changed, StopCheck *stop)
{
    *changed = false;
    const auto *units = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype n = text.size();
    if (!holdsSpacedTag(units, n, stop))
        return text;
    Kept kept(units, n, Kept::Scope::Document, stop);
    TagWalk walk(units, n, kept, valueTags, stop);
    kept.walk([&](qsizetype from, qsizetype to) { walk.stretch(from, to); },
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
