#include "xml/LiftedCData.h"

#include "xml/UTF8Sequence.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstring>

namespace {

// Whether a section's content is UTF-8 of characters XML allows, in which the parser can find
// nothing to refuse. Most of it is printable ASCII, passed over a block at a time.
bool holdsOnlyAllowedCharacters(QByteArrayView text)
{
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const unsigned char *const end = p + text.size();
    while (p < end) {
#if defined(__SSE2__)
        // Signed, every byte below 0x20 or from 0x80 on is less than 0x20.
        const __m128i space = _mm_set1_epi8(0x20);
        while (end - p >= 16
               && _mm_movemask_epi8(
                      _mm_cmplt_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), space))
                   == 0)
            p += 16;
        if (p == end)
            break;
#endif
        const unsigned char lead = *p;
        if (lead < 0x80) {
            if (lead < 0x20 && lead != '\t' && lead != '\n' && lead != '\r')
                return false;
            ++p;
            continue;
        }
        const int length = utf8SequenceLength(p, end);
        if (length == 0)
            return false;
        // U+FFFE and U+FFFF are no characters to XML.
        if (lead == 0xEF && p[1] == 0xBF && p[2] >= 0xBE)
            return false;
        p += length;
    }
    return true;
}

// What the parser is given of a lifted section: its line breaks as they stand, so that it
// counts the lines it would have counted.
void appendLineBreaks(QByteArrayView text, QByteArray &out)
{
    const char *const end = text.data() + text.size();
    const auto next = [end](const char *from, char c) {
        return static_cast<const char *>(std::memchr(from, c, size_t(end - from)));
    };
    // Each kind of break is looked for again only once the one found is passed: looking for
    // both after every break would scan the rest of a section of many lines once a line.
    const char *feed = next(text.data(), '\n');
    const char *ret = next(text.data(), '\r');
    while (feed || ret) {
        const char *at = !feed ? ret : !ret ? feed : std::min(feed, ret);
        out.append(*at);
        if (at == feed)
            feed = next(at + 1, '\n');
        else
            ret = next(at + 1, '\r');
    }
}

// The parser reads a carriage return followed by a line feed as a line feed, and a carriage
// return alone as a line feed too.
void appendWithLineFeeds(QByteArrayView text, QByteArray &out)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out.append(text[i]);
            continue;
        }
        out.append('\n');
        if (i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
}

} // namespace

bool LiftedCData::appliesTo(QByteArrayView document)
{
    if (!document.startsWith("<?xml") || document.size() < 6
        || !(document[5] == ' ' || document[5] == '\t' || document[5] == '\r'
             || document[5] == '\n'))
        return false;
    const qsizetype close = document.indexOf("?>");
    if (close < 0)
        return false;
    const QByteArrayView declaration = document.first(close);
    const qsizetype name = declaration.indexOf("encoding");
    if (name < 0)
        return true;
    qsizetype at = name + 8;
    const auto skipSpace = [&] {
        while (at < declaration.size()
               && (declaration[at] == ' ' || declaration[at] == '\t' || declaration[at] == '\r'
                   || declaration[at] == '\n'))
            ++at;
    };
    skipSpace();
    if (at >= declaration.size() || declaration[at] != '=')
        return false;
    ++at;
    skipSpace();
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\''))
        return false;
    const char quote = declaration[at];
    const qsizetype valueEnd = declaration.indexOf(quote, at + 1);
    if (valueEnd < 0)
        return false;
    const QByteArrayView value = declaration.sliced(at + 1, valueEnd - at - 1);
    return value.compare("utf-8", Qt::CaseInsensitive) == 0
        || value.compare("utf8", Qt::CaseInsensitive) == 0;
}

QByteArray LiftedCData::lift(QByteArrayView piece,
                             const std::vector<StartTagScanner::CDataSection> &sections)
{
    // What was handed back is dropped now and then, so the kept contents never hold more than
    // the sections of about a piece.
    if (m_taken > 0 && m_taken >= m_contents.size() / 2) {
        m_contents.remove(0, m_taken);
        m_taken = 0;
    }
    QByteArray out;
    out.reserve(piece.size());
    qsizetype at = 0;
    for (const StartTagScanner::CDataSection &section : sections) {
        if (section.start < 0) {
            m_sections.push_back(Section {});
            continue;
        }
        const QByteArrayView content = piece.sliced(section.start, section.end - section.start);
        if (!holdsOnlyAllowedCharacters(content)) {
            // The parser finds what it refuses there, and says so as it always does.
            m_sections.push_back(Section {});
            continue;
        }
        out.append(piece.sliced(at, section.start - at));
        const qsizetype before = m_contents.size();
        const qsizetype streamed = out.size();
        appendLineBreaks(content, out);
        Section lifted;
        if (content.contains('\r')) {
            appendWithLineFeeds(content, m_contents);
            QByteArray parsed;
            appendWithLineFeeds(QByteArrayView(out).sliced(streamed), parsed);
            lifted.parsedLength = parsed.size();
            lifted.length = m_contents.size() - before;
        } else {
            if (m_borrows)
                lifted.borrowed = content.data();
            else
                m_contents.append(content);
            lifted.length = content.size();
            lifted.parsedLength = out.size() - streamed;
        }
        m_sections.push_back(lifted);
        at = section.end;
    }
    out.append(piece.sliced(at));
    return out;
}

std::optional<LiftedCData::Content> LiftedCData::take(QByteArrayView parsed)
{
    if (m_sections.empty())
        return std::nullopt;
    const Section section = m_sections.front();
    m_sections.pop_front();
    if (section.length < 0)
        return Content {parsed, false};
    if (section.parsedLength != parsed.size())
        return std::nullopt;
    if (section.borrowed)
        return Content {QByteArrayView(section.borrowed, section.length), true};
    const QByteArrayView content = QByteArrayView(m_contents).sliced(m_taken, section.length);
    m_taken += section.length;
    return Content {content, false};
}
