#include "io/ItemTagLines.h"

// Each tag is one number, the lines since the tag before times two, its lowest bit telling
// whether a second number follows: the lines its "<" and ">" lie apart. A number is written
// seven bits a byte, the highest bit telling that more follow.

void ItemTagLines::add(Lines lines)
{
    const quint64 since = quint64(qMax(0, lines.start - m_lastEnd));
    const quint64 apart = quint64(qMax(0, lines.end - lines.start));
    write(since << 1 | (apart != 0 ? 1 : 0));
    if (apart != 0)
        write(apart);
    m_lastEnd = qMax(lines.start, lines.end);
    ++m_count;
}

void ItemTagLines::write(quint64 number)
{
    while (number >= 0x80) {
        m_bytes.push_back(quint8(number | 0x80));
        number >>= 7;
    }
    m_bytes.push_back(quint8(number));
}

bool ItemTagLines::Reader::next(Lines *lines)
{
    if (m_at >= m_tags.m_bytes.size())
        return false;
    const quint64 first = number();
    lines->start = m_lastEnd + int(first >> 1);
    lines->end = lines->start + ((first & 1) != 0 ? int(number()) : 0);
    m_lastEnd = lines->end;
    return true;
}

quint64 ItemTagLines::Reader::number()
{
    quint64 value = 0;
    for (int shift = 0; m_at < m_tags.m_bytes.size(); shift += 7) {
        const quint8 byte = m_tags.m_bytes[m_at++];
        value |= quint64(byte & 0x7f) << shift;
        if ((byte & 0x80) == 0)
            break;
    }
    return value;
}
