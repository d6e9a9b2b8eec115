#pragma once

#include "io/FeedTextScan.h"
#include "xml/StopCheck.h"

#include <array>

// The parts of a feed's text that XML reads as markup of their own, hiding what they hold: CDATA
// sections, comments, processing instructions and, before the root element, the document type.
// A tag, "< ", " >" or "</xml>" inside one of them is its text, not the document's markup. Every
// repair made before parsing looks for what it repairs only outside them, and the check of
// whether any repair applies finds them here too, so that the two always agree.
//
// A part is one only as XML reads it; anything else that starts like one is stray characters:
// - a comment runs from "<!--" to the first "-->" after it, and holds no "--" before that (so
//   "<!-- a -- b -->" and "<!-- a --->" are none);
// - an instruction's target is a name, followed by a blank or by "?>", and it runs to the first
//   "?>" after the target; the target "xml" (in any letter case) is the XML declaration, a part
//   only at the start of a document;
// - a CDATA section runs from "<![CDATA[" (in any letter case) to the first "]]>", or to the
//   end of the text when it is never closed;
// - the document type runs from "<!DOCTYPE" before the root element to its ">", quoted texts
//   and its internal subset passed over; a document has one at most, so only the first
//   "<!DOCTYPE" can start it (a later one, even when the first never ended, is stray).
// An opening never closed ("<!--" or "<?" without an end) is stray characters too.
//
// The parts are found in order, lazily: asking about ever later positions walks the text once,
// and each end ("]]>", "-->", "--", "?>") is searched for from ever later openings, so that
// time stays in proportion to the text however many openings it holds.
template<typename Char> class KeptMarkup
{
public:
    enum class Kind { None, CData, Comment, Instruction, DocumentType };
    // What the text is: a whole document, or the content of an element (a value between its
    // tags), where there is no XML declaration and no document type.
    enum class Scope { Document, Content };

    struct Part
    {
        qsizetype start;
        qsizetype end; // after its last character
        Kind kind; // None: no part is left; start and end are then the text's end
    };

    // A stopped `stop` ends the search: no part is found after it.
    KeptMarkup(const Char *data, qsizetype n, Scope scope = Scope::Document,
               StopCheck *stop = nullptr)
        : m_data(data), m_n(n), m_typeMayStart(scope == Scope::Document),
          m_documentStart(scope == Scope::Document), m_stop(stop), m_next(find(0))
    {
    }

    // The first part that ends after `at`: the part that holds `at` when its start is at or
    // before it, else the next part after it. `at` never goes back from one call to the next.
    const Part &after(qsizetype at)
    {
        while (m_next.kind != Kind::None && m_next.end <= at) {
            ++m_passed[std::size_t(m_next.kind)];
            m_next = find(m_next.end);
        }
        return m_next;
    }

    // Whether `at` lies inside a part (or at its start).
    bool holds(qsizetype at) { return after(at).start <= at; }

    // How many parts of a kind (None: of every kind) ended at or before the last position
    // asked about: asked before and after a stretch, it tells whether the stretch holds one.
    qsizetype passed(Kind kind = Kind::None) const
    {
        if (kind != Kind::None)
            return m_passed[std::size_t(kind)];
        qsizetype all = 0;
        for (qsizetype count : m_passed)
            all += count;
        return all;
    }

    // Calls stretch(from, to) for every stretch of the text outside the parts, and
    // part(const Part &) for every part between them, in order.
    template<typename Stretch, typename PartCall> void walk(Stretch stretch, PartCall part)
    {
        for (qsizetype from = 0;;) {
            const Part &next = after(from);
            stretch(from, next.start);
            if (next.kind == Kind::None)
                return;
            part(next);
            from = next.end;
        }
    }

private:
    using Scan = FeedTextScan;

    // The first part starting at a "<" at or after `from`, which lies outside every part.
    Part find(qsizetype from)
    {
        for (qsizetype lt = Scan::indexOf(m_data, m_n, u'<', from); lt >= 0;
             lt = Scan::indexOf(m_data, m_n, u'<', lt + 1)) {
            if (!StopCheck::goOn(m_stop))
                break;
            const Part part = partAt(lt);
            if (part.kind != Kind::None)
                return part;
        }
        return {m_n, m_n, Kind::None};
    }

    // The part that starts at the "<" at `lt`, or one of Kind::None.
    Part partAt(qsizetype lt)
    {
        const Part none {lt, lt, Kind::None};
        const char16_t next = lt + 1 < m_n ? Scan::unit(m_data[lt + 1]) : u'\0';
        if (next == u'!') {
            if (Scan::matchesAsciiCI(m_data, m_n, lt, u"<![CDATA[")) {
                const qsizetype close = m_cdataEnd.from(m_data, m_n, lt + 9);
                return {lt, close < 0 ? m_n : close + 3, Kind::CData};
            }
            if (Scan::startsWithAt(m_data, m_n, lt, QLatin1StringView("<!--"))) {
                const qsizetype close = m_commentEnd.from(m_data, m_n, lt + 4);
                // The first "--" inside is the end's own, or the comment is none.
                if (close < 0 || m_hyphens.from(m_data, m_n, lt + 4) != close)
                    return none;
                return {lt, close + 3, Kind::Comment};
            }
            if (m_typeMayStart
                && Scan::startsWithAt(m_data, m_n, lt, QLatin1StringView("<!DOCTYPE"))) {
                // Tried once: an unended type would otherwise be followed to the text's end
                // again from every later opening.
                m_typeMayStart = false;
                const qsizetype end = Scan::declarationEnd(m_data, m_n, lt + 2);
                return end < 0 ? none : Part {lt, end, Kind::DocumentType};
            }
            return none;
        }
        if (next == u'?') {
            const qsizetype target = lt + 2;
            const qsizetype targetEnd = Scan::nameEnd(m_data, m_n, target);
            const bool declaration
                = targetEnd - target == 3 && Scan::matchesAsciiCI(m_data, m_n, target, u"xml");
            if (targetEnd == target || (declaration && !(m_documentStart && lt == 0))
                || targetEnd >= m_n
                || !(Scan::isBlank(Scan::unit(m_data[targetEnd]))
                     || Scan::startsWithAt(m_data, m_n, targetEnd, QLatin1StringView("?>"))))
                return none;
            const qsizetype close = m_instructionEnd.from(m_data, m_n, targetEnd);
            return close < 0 ? none : Part {lt, close + 2, Kind::Instruction};
        }
        // An element's tag, written or spaced as some tools write the root's ("< rss"): the
        // document type can come no more.
        if (m_typeMayStart) {
            qsizetype name = lt + 1;
            while (name < m_n && Scan::unit(m_data[name]) == u' ')
                ++name;
            m_typeMayStart = Scan::nameEnd(m_data, m_n, name) == name;
        }
        return none;
    }

    const Char *m_data;
    qsizetype m_n;
    bool m_typeMayStart; // before the root element and before any "<!DOCTYPE"
    bool m_documentStart;
    StopCheck *m_stop;
    Scan::NextLiteral m_cdataEnd {QLatin1StringView("]]>")};
    Scan::NextLiteral m_commentEnd {QLatin1StringView("-->")};
    Scan::NextLiteral m_hyphens {QLatin1StringView("--")};
    Scan::NextLiteral m_instructionEnd {QLatin1StringView("?>")};
    std::array<qsizetype, 5> m_passed {};
    Part m_next;
};
