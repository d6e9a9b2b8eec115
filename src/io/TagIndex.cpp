#include "io/TagIndex.h"

#include "io/TagTokens.h"

#include <algorithm>

TagIndex::TagIndex(QStringView text, TagNames &names, StopCheck *stop)
{
    // No text the reader takes is that long (a file holds 256 MB at most); one that were would
    // have no index, and each spaced end tag its element's end.
    if (text.size() >= std::numeric_limits<qint32>::max())
        text = {};
    TagTokens tokens(text, true, stop);
    TagTokens::Token token;
    int value = -1; // the name of the value the tags are in, or -1
    while (tokens.next(&token)) {
        ++m_tagsRead;
        const FeedTextScan::Tag &tag = token.tag;
        if (tag.end < 0)
            continue;
        const int name = names.idOf(token.name);
        if (value >= 0) {
            if (tag.closing && name == value)
                value = -1; // its end
            else if (!tag.closing && token.atMarkupPosition
                     && (name == value || names.isItem(name)))
                value = -1; // left open: the tag is the feed's own again
            else
                continue; // the value's text
        }
        if (tag.closing) {
            m_ends.add(name, token.lt);
            if (!tag.spaced)
                m_writtenEnds.add(name, token.lt);
        } else if (token.atMarkupPosition) {
            m_starts.add(name, token.lt);
            m_allStarts.push_back(qint32(token.lt));
            if (names.isItem(name))
                m_items.push_back(qint32(token.lt));
            if (names.valueOf(name) >= 0 && !tag.empty)
                value = name;
        }
    }
    for (Lists *lists : {&m_writtenEnds, &m_ends, &m_starts})
        lists->finish(names.count());
}

qsizetype TagIndex::next(const std::vector<qint32> &positions, qsizetype from)
{
    const auto at = std::lower_bound(positions.begin(), positions.end(), from,
                                     [](qint32 tag, qsizetype at) { return tag < at; });
    return at == positions.end() ? kNone : *at;
}

void TagIndex::Lists::finish(int names)
{
    // A counting sort by name keeps each name's positions in the text's order.
    m_offsets.assign(std::size_t(names) + 1, 0);
    for (const auto &[name, at] : m_taken)
        ++m_offsets[std::size_t(name) + 1];
    for (std::size_t i = 1; i < m_offsets.size(); ++i)
        m_offsets[i] += m_offsets[i - 1];
    m_positions.resize(m_taken.size());
    std::vector<qint32> filled(m_offsets.begin(), m_offsets.end() - 1);
    for (const auto &[name, at] : m_taken)
        m_positions[std::size_t(filled[std::size_t(name)]++)] = at;
    m_taken = {};
}

qsizetype TagIndex::Lists::next(int name, qsizetype from) const
{
    if (name < 0 || std::size_t(name) + 1 >= m_offsets.size())
        return kNone;
    const auto first = m_positions.begin() + m_offsets[std::size_t(name)];
    const auto last = m_positions.begin() + m_offsets[std::size_t(name) + 1];
    const auto at
        = std::lower_bound(first, last, from, [](qint32 tag, qsizetype at) { return tag < at; });
    return at == last ? kNone : *at;
}
