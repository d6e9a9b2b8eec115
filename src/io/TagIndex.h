#pragma once

#include "io/TagNames.h"

#include <QStringView>

#include <limits>
#include <utility>
#include <vector>

class StopCheck;

// Where the tags of each name stand in a feed's text, for the questions a walk of its spaced
// tags asks of the tags after a place ("does a written </title> follow before the next <title>,
// the next item or the parent's end?"): each answered by a search in a list, so that no question
// reads the text again, however many are asked and in whatever order.
//
// Tags are read as TagTokens reads them with spaces, and only the feed's own: the tags inside a
// value the repairs escape are that value's text, so the index passes over them. A value runs
// from a start tag of one of `valueTags` to the next end tag of its name, written or spaced, or
// to the next start tag of its name or of an item or entry, written or spaced where a tool would
// write one (see TagTokens::Token::atMarkupPosition). A start tag spaced elsewhere is text, and
// so is a tag no ">" ends.
class TagIndex
{
public:
    static constexpr qsizetype kNone = std::numeric_limits<qsizetype>::max();

    // The names are the caller's table: the numbers it gives are the index's.
    TagIndex(QStringView text, TagNames &names, StopCheck *stop);

    // The "<" of the first tag of its kind at or after `from`; kNone when there is none.
    qsizetype nextWrittenEnd(int name, qsizetype from) const
    {
        return m_writtenEnds.next(name, from);
    }
    qsizetype nextEnd(int name, qsizetype from) const { return m_ends.next(name, from); }
    qsizetype nextStart(int name, qsizetype from) const { return m_starts.next(name, from); }
    qsizetype nextItemStart(qsizetype from) const { return next(m_items, from); }
    // Of a start tag of any name.
    qsizetype nextStart(qsizetype from) const { return next(m_allStarts, from); }
    // How many tags the index read to be made.
    quint64 tagsRead() const { return m_tagsRead; }

private:
    // The positions of the tags of one kind, name by name, each name's in order.
    class Lists
    {
    public:
        void add(int name, qsizetype at) { m_taken.emplace_back(name, qint32(at)); }
        void finish(int names);
        qsizetype next(int name, qsizetype from) const;

    private:
        // Positions within a text of fewer than 2^31 units (see the constructor) take half the
        // room as 32-bit numbers.
        std::vector<std::pair<qint32, qint32>> m_taken; // until finished
        std::vector<qint32> m_offsets; // name -> its first position in m_positions
        std::vector<qint32> m_positions;
    };

    static qsizetype next(const std::vector<qint32> &positions, qsizetype from);

    Lists m_writtenEnds, m_ends, m_starts;
    std::vector<qint32> m_items;
    std::vector<qint32> m_allStarts;
    quint64 m_tagsRead = 0;
};
