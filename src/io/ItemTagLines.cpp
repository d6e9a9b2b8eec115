#include "io/ItemTagLines.h"

// Each tag is two numbers, the lines its "<" and its ">" lie after those of the tag before, each
// written seven bits a byte, the highest bit telling that more follow.

void ItemTagLines::add(Lines lines)
{
    write(lines.start - m_last.start);
    write(lines.end - m_last.end);
    m_last = lines;
    ++m_count;
}

void ItemTagLines::write(int number)
{
    auto bits = quint32(qMax(0, number));
    while (bits >= 0x80) {
        m_bytes.push_back(quint8(bits | 0x80));
        bits >>= 7;
    }
    m_bytes.push_back(quint8(bits));
}

bool ItemTagLines::Reader::next(Lines *lines)
{
    if (m_at >= m_tags.m_bytes.size())
        return false;
    m_last.start += number();
    m_last.end += number();
    *lines = m_last;
    return true;
}

int ItemTagLines::Reader::number()
{
    quint32 bits = 0;
    for (int shift = 0; m_at < m_tags.m_bytes.size() && shift < 32; shift += 7) {
        const quint8 byte = m_tags.m_bytes[m_at++];
        bits |= quint32(byte & 0x7f) << shift;
        if ((byte & 0x80) == 0)
            break;
    }
    return int(bits);
}
