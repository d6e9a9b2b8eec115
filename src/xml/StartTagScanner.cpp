#include "xml/StartTagScanner.h"

#include <algorithm>
#include <cstring>

StartTagScanner::StartTagScanner(int maximumAttributes) : m_maximum(maximumAttributes) { }

bool StartTagScanner::scan(QByteArrayView text)
{
    if (m_sections)
        m_sections->clear();
    const char *const begin = text.data();
    const char *at = begin;
    const char *const end = at + text.size();
    // Skips to the next of the characters that matter in the current state; false when the
    // text ends first.
    const auto skipTo = [&](auto matters) {
        while (at < end && !matters(*at))
            ++at;
        return at < end;
    };
    const auto skipToChar = [&](char wanted) {
        const auto *found = static_cast<const char *>(std::memchr(at, wanted, size_t(end - at)));
        at = found ? found : end;
        return found != nullptr;
    };
    // Character data, values and names are most of a document: they are skipped in tight
    // loops, and only the characters that can change the state go through step().
    while (at < end && !m_exceeded) {
        bool more = true;
        if (m_state == State::Text)
            more = skipToChar('<');
        else if (m_state == State::EndTag)
            more = skipToChar('>');
        else if (m_state == State::StartTag && m_quote)
            more = skipToChar(m_quote);
        else if (m_state == State::StartTag)
            more = skipTo([](char c) { return c == '"' || c == '\'' || c == '>' || c == '<'; });
        // Inside a comment, a CDATA section or an instruction only the character that may begin
        // its end matters, until one has been seen.
        else if (m_state == State::CData && m_run == 0)
            more = skipToChar(']');
        else if (m_state == State::Comment && m_run == 0)
            more = skipToChar('-');
        else if (m_state == State::Instruction && m_run == 0)
            more = skipToChar('?');
        if (!more)
            break;
        m_position = m_scanned + (at - begin);
        step(*at++);
    }
    m_scanned += text.size();
    return !m_exceeded;
}

bool StartTagScanner::scanUnits(QByteArrayView data, int unitSize, bool bigEndian)
{
    const qsizetype units = data.size() / unitSize;
    const auto *bytes = reinterpret_cast<const uchar *>(data.data());
    for (qsizetype i = 0; i < units && !m_exceeded; ++i) {
        quint32 unit = 0;
        for (int b = 0; b < unitSize; ++b) {
            const int index = bigEndian ? b : unitSize - 1 - b;
            unit = (unit << 8) | bytes[i * unitSize + index];
        }
        // Only ASCII characters shape markup; anything else stands in as a letter.
        m_position = m_scanned + i;
        step(unit < 0x80 ? char(unit) : 'x');
    }
    m_scanned += units;
    return !m_exceeded;
}

int StartTagScanner::unitSizeOf(QByteArrayView data, bool *bigEndian)
{
    *bigEndian = false;
    if (data.size() < 4)
        return 1;
    const auto *b = reinterpret_cast<const uchar *>(data.data());
    const auto starts = [b](uchar b0, uchar b1, uchar b2, uchar b3) {
        return b[0] == b0 && b[1] == b1 && b[2] == b2 && b[3] == b3;
    };
    if (starts(0, 0, 0xFE, 0xFF) || starts(0, 0, 0, '<')) {
        *bigEndian = true;
        return 4;
    }
    if (starts(0xFF, 0xFE, 0, 0) || starts('<', 0, 0, 0))
        return 4;
    if ((b[0] == 0xFE && b[1] == 0xFF) || starts(0, '<', 0, '?')) {
        *bigEndian = true;
        return 2;
    }
    if ((b[0] == 0xFF && b[1] == 0xFE) || starts('<', 0, '?', 0))
        return 2;
    return 1;
}

void StartTagScanner::leaveMarkup()
{
    m_state = m_inSubset ? State::Subset : State::Text;
    m_run = 0;
}

void StartTagScanner::step(char c)
{
    switch (m_state) {
    case State::Text:
        if (c == '<')
            m_state = State::Open;
        break;
    case State::Subset:
        if (c == '<') {
            m_state = State::Open;
        } else if (c == ']') {
            m_inSubset = false;
            m_state = State::Declaration;
        }
        break;
    case State::Open:
        m_run = 0;
        if (c == '!') {
            m_state = State::Bang;
            m_bangLength = 0;
        } else if (c == '?') {
            m_state = State::Instruction;
        } else if (c == '/') {
            m_state = State::EndTag;
        } else if (m_inSubset) {
            m_state = State::Declaration; // not well-formed; read on to its ">"
            m_quote = 0;
        } else if (c == '>') {
            leaveMarkup();
        } else {
            m_state = State::StartTag;
            m_attributes = 0;
            m_quote = 0;
            m_tagStart = m_position - 1; // at its "<"
        }
        break;
    case State::Bang: {
        static constexpr char kComment[] = "--";
        static constexpr char kCData[] = "[CDATA[";
        m_bang[m_bangLength++] = c;
        const QByteArrayView seen(m_bang, m_bangLength);
        if (seen == QByteArrayView(kComment)) {
            m_state = State::Comment;
        } else if (seen == QByteArrayView(kCData)) {
            m_state = State::CData;
            m_cdataStart = m_position + 1;
        } else if (!QByteArrayView(kComment).startsWith(seen)
                   && !QByteArrayView(kCData).startsWith(seen)) {
            // A declaration: what was held back belongs to it.
            m_state = State::Declaration;
            m_quote = 0;
            for (int i = 0; i < m_bangLength; ++i)
                step(m_bang[i]);
        }
        break;
    }
    case State::Comment:
        if (c == '>' && m_run >= 2)
            leaveMarkup();
        else
            m_run = c == '-' ? m_run + 1 : 0;
        break;
    case State::CData:
        if (c == '>' && m_run >= 2) {
            if (m_sections) {
                const qsizetype end = qsizetype(m_position - 2 - m_scanned);
                m_sections->push_back(
                    {m_cdataStart >= m_scanned ? qsizetype(m_cdataStart - m_scanned) : -1, end});
            }
            leaveMarkup();
        }
        else
            m_run = c == ']' ? m_run + 1 : 0;
        break;
    case State::Instruction:
        if (c == '>' && m_run >= 1)
            leaveMarkup();
        else
            m_run = c == '?' ? 1 : 0;
        break;
    case State::EndTag:
        if (c == '>')
            leaveMarkup();
        break;
    case State::StartTag:
        if (m_quote) {
            if (c == m_quote)
                m_quote = 0;
        } else if (c == '"' || c == '\'') {
            m_quote = c;
            if (++m_attributes > m_maximum)
                m_exceeded = true;
        } else if (c == '>') {
            leaveMarkup();
        } else if (c == '<') {
            m_state = State::Open; // not well-formed; the parser stops here
        }
        break;
    case State::Declaration:
        if (m_quote) {
            if (c == m_quote)
                m_quote = 0;
        } else if (c == '"' || c == '\'') {
            m_quote = c;
        } else if (c == '[' && !m_inSubset) {
            m_inSubset = true;
            m_state = State::Subset;
        } else if (c == '>') {
            leaveMarkup();
        }
        break;
    }
}
