#pragma once

#include "xml/UTF8Sequence.h"

#include <QChar>
#include <QLatin1StringView>
#include <QString>
#include <QStringList>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstring>
#include <vector>

// The scans a feed's text goes through before it is parsed (where the root starts, whether any
// repair applies), written once for the decoded text (UTF-16 units) and for the UTF-8 bytes of a
// file. They look at ASCII characters only, and in UTF-8 no byte of a longer character is ASCII,
// so both forms give the same answers, with two exceptions the callers deal with:
// - The repairs find tags in any letter case, and three characters beyond ASCII fold into ASCII
//   letters in a case-insensitive search (U+0130, U+017F, U+212A); bytes holding them are read
//   as text.
// - An ampersand is taken as a reference when a ";" follows within 7 units; a character beyond
//   ASCII takes more bytes than units, so the bytes may find a repair the text does not need
//   (never the other way round).
class FeedTextScan
{
public:
    static char16_t unit(char16_t c) { return c; }
    static char16_t unit(char c) { return char16_t(static_cast<unsigned char>(c)); }

    // The position of c (ASCII) at or after from, or -1. Written out here rather than called:
    // in markup the next "<" is mostly a few characters on, and a call into the library cost
    // more than the search itself.
    static qsizetype indexOf(const char16_t *data, qsizetype n, char16_t c, qsizetype from)
    {
        qsizetype p = from;
#if defined(__SSE2__)
        const __m128i wanted = _mm_set1_epi16(short(c));
        for (; p + 8 <= n; p += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + p));
            if (const int mask = _mm_movemask_epi8(_mm_cmpeq_epi16(v, wanted)))
                return p + (__builtin_ctz(unsigned(mask)) >> 1);
        }
#endif
        for (; p < n; ++p) {
            if (data[p] == c)
                return p;
        }
        return -1;
    }
    static qsizetype indexOf(const char *data, qsizetype n, char16_t c, qsizetype from)
    {
        if (from >= n)
            return -1;
        const void *hit = std::memchr(data + from, int(c), std::size_t(n - from));
        return hit ? static_cast<const char *>(hit) - data : -1;
    }

    // Whether data + at (the needle's length) reads the ASCII needle exactly.
    template<typename Char>
    static bool startsWithAt(const Char *data, qsizetype n, qsizetype at, QLatin1StringView needle)
    {
        if (at < 0 || at + needle.size() > n)
            return false;
        for (qsizetype k = 0; k < needle.size(); ++k) {
            if (unit(data[at + k]) != char16_t(static_cast<unsigned char>(needle[k].toLatin1())))
                return false;
        }
        return true;
    }

    static char16_t asciiLower(char16_t c)
    {
        return c >= 'A' && c <= 'Z' ? char16_t(c + 32) : c;
    }

    template<typename Char>
    static bool matchesAsciiCI(const Char *data, qsizetype n, qsizetype at, QStringView needle)
    {
        if (at + needle.size() > n)
            return false;
        for (qsizetype k = 0; k < needle.size(); ++k) {
            if (asciiLower(unit(data[at + k])) != asciiLower(needle[k].unicode()))
                return false;
        }
        return true;
    }

    // The character at `at` and, in *length, the units it takes; *length is 0 when the units
    // there are no whole character (a lone surrogate, bytes that are no UTF-8).
    static char32_t characterAt(const char16_t *data, qsizetype n, qsizetype at, int *length)
    {
        const char16_t c = data[at];
        if (QChar::isHighSurrogate(c) && at + 1 < n && QChar::isLowSurrogate(data[at + 1])) {
            *length = 2;
            return QChar::surrogateToUcs4(c, data[at + 1]);
        }
        *length = QChar::isSurrogate(c) ? 0 : 1;
        return c;
    }
    static char32_t characterAt(const char *data, qsizetype n, qsizetype at, int *length)
    {
        const auto *p = reinterpret_cast<const unsigned char *>(data + at);
        if (*p < 0x80) {
            *length = 1;
            return *p;
        }
        *length = utf8SequenceLength(p, reinterpret_cast<const unsigned char *>(data + n));
        char32_t code = *p & (0x7F >> *length);
        for (int k = 1; k < *length; ++k)
            code = (code << 6) | (p[k] & 0x3F);
        return code;
    }

    // The characters XML allows to start a name, and to go on with it.
    static bool isNameStartCharacter(char32_t c)
    {
        return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || c == U'_' || c == U':'
            || (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF)
            || (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF)
            || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F)
            || (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF)
            || (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD)
            || (c >= 0x10000 && c <= 0xEFFFF);
    }
    static bool isNameCharacter(char32_t c)
    {
        return isNameStartCharacter(c) || c == U'-' || c == U'.' || (c >= U'0' && c <= U'9')
            || c == 0xB7 || (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
    }

    // Where the XML name starting at `at` ends: `at` itself when no name starts there. The
    // parser reads names by these rules, so a part of the text is taken for a tag or an
    // instruction only where it reads one.
    template<typename Char> static qsizetype nameEnd(const Char *data, qsizetype n, qsizetype at)
    {
        qsizetype i = at;
        while (i < n) {
            int length = 0;
            const char32_t c = characterAt(data, n, i, &length);
            if (length == 0 || (i == at ? !isNameStartCharacter(c) : !isNameCharacter(c)))
                break;
            i += length;
        }
        return i;
    }

    // Where a tag whose name ends at `from` ends: the position of its ">", a ">" in a quoted
    // value of its attributes passed over; -1 when a "<" or the end of the text comes first
    // (no value holds a "<", so no search goes past the next one).
    template<typename Char> static qsizetype tagEnd(const Char *data, qsizetype n, qsizetype from)
    {
        char16_t quote = 0;
        for (qsizetype i = from; i < n; ++i) {
            const char16_t c = unit(data[i]);
            if (c == '<')
                return -1;
            if (quote)
                quote = c == quote ? 0 : quote;
            else if (c == '"' || c == '\'')
                quote = c;
            else if (c == '>')
                return i;
        }
        return -1;
    }

    // The tag a "<" starts, as the repairs read tags: "/" for an end tag, a name, and the ">"
    // that ends it (see tagEnd). With `spaces`, spaces between the "<" and the rest ("< item>")
    // are passed over. A "<" that no name follows starts no tag ("1 < 2").
    struct Tag
    {
        qsizetype nameAt = 0;
        qsizetype nameEnd = 0;
        qsizetype end = -1; // the ">"; -1 when none ends the tag
        bool spaced = false; // spaces followed the "<"
        bool closing = false; // an end tag
        bool empty = false; // a start tag ending in "/>"
        bool isTag() const { return nameEnd > nameAt; }
    };
    template<typename Char>
    static Tag tagAt(const Char *data, qsizetype n, qsizetype lt, bool spaces = false)
    {
        Tag tag;
        qsizetype q = lt + 1;
        while (spaces && q < n && unit(data[q]) == ' ')
            ++q;
        tag.spaced = q > lt + 1;
        tag.closing = q < n && unit(data[q]) == '/';
        tag.nameAt = tag.closing ? q + 1 : q;
        tag.nameEnd = nameEnd(data, n, tag.nameAt);
        if (tag.isTag())
            tag.end = tagEnd(data, n, tag.nameEnd);
        tag.empty = !tag.closing && tag.end > 0 && unit(data[tag.end - 1]) == '/';
        return tag;
    }

    // Whether the "<" at `lt` starts a tag, as tagAt without spaces reads one (isTag): a name,
    // or "/" and a name, follows it. Only the name's first character is read, not the rest of
    // the tag: the sweep before the repairs asks this of every "<" of the text.
    template<typename Char> static bool startsTagAt(const Char *data, qsizetype n, qsizetype lt)
    {
        qsizetype at = lt + 1;
        if (at < n && unit(data[at]) == '/')
            ++at;
        if (at >= n)
            return false;
        int length = 0;
        const char32_t c = characterAt(data, n, at, &length);
        return length > 0 && isNameStartCharacter(c);
    }

    static bool isBlank(char16_t c)
    {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n';
    }

    // Whether only blanks stand between the "<" at `lt` and the start of its line, or the end of
    // whatever markup ends at `markupEnd` (a tag's ">", a comment): where a tool that spaces its
    // tags writes them, and where an author's words rarely put one. Only the blanks right
    // before the "<" are read.
    static bool atMarkupPosition(const char16_t *data, qsizetype lt, qsizetype markupEnd)
    {
        for (qsizetype i = lt; i > markupEnd; --i) {
            const char16_t c = data[i - 1];
            if (c == '\n' || c == '\r')
                return true;
            if (c != ' ' && c != '\t')
                return false;
        }
        return true;
    }

    // The lines (from 1, as a reader sees them: "\n", "\r\n" and a lone "\r" each end one) of
    // positions asked in order, in one pass over the text up to the last of them.
    class LineCounter
    {
    public:
        LineCounter(const char16_t *data, qsizetype n) : m_data(data), m_n(n) { }

        int lineOf(qsizetype position)
        {
            const qsizetype to = std::min(position, m_n);
            for (m_at = nextLineBreak(m_data, m_at, to); m_at < to;
                 m_at = nextLineBreak(m_data, m_at + 1, to)) {
                if (m_data[m_at] == '\n' || m_at + 1 >= m_n || m_data[m_at + 1] != '\n')
                    ++m_line;
            }
            return m_line;
        }

    private:
        const char16_t *m_data;
        qsizetype m_n;
        qsizetype m_at = 0; // the breaks before it are counted
        int m_line = 1;
    };

    // Whether the text at `at` (an ampersand) starts a numeric character reference that XML
    // accepts, however many digits it has.
    template<typename Char>
    static bool isValidNumericReference(const Char *data, qsizetype n, qsizetype at)
    {
        qsizetype i = at + 1;
        if (i >= n || unit(data[i]) != u'#')
            return false;
        ++i;
        const bool hex = i < n && unit(data[i]) == u'x';
        if (hex)
            ++i;
        const qsizetype digitsStart = i;
        char32_t value = 0;
        while (i < n && unit(data[i]) != u';') {
            const char16_t c = unit(data[i]);
            int digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                return false;
            value = value * (hex ? 16 : 10) + char32_t(digit);
            if (value > 0x10FFFF)
                return false;
            ++i;
        }
        if (i >= n || i == digitsStart)
            return false;
        if (value == 0x9 || value == 0xA || value == 0xD)
            return true;
        if (value < 0x20 || (value >= 0xD800 && value <= 0xDFFF) || value == 0xFFFE
            || value == 0xFFFF)
            return false;
        return true;
    }

    // Whether encodeIllegalXMLCharacters keeps the ampersand at `at` as it is: it starts an
    // entity reference, a name ended by a semicolon within seven characters after the
    // ampersand, or a valid numeric reference. Anything else is the author's "&" ("Q & A;",
    // "Salt &Pepper") and is escaped. Units beyond ASCII count as name characters, so that the
    // text and its UTF-8 bytes agree but for the length (see the class comment).
    template<typename Char> static bool keepsAmpersand(const Char *value, qsizetype n, qsizetype at)
    {
        const auto inName = [](char16_t c, bool first) {
            return c >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'
                || c == ':' || (!first && ((c >= '0' && c <= '9') || c == '-' || c == '.'));
        };
        for (qsizetype j = at + 1; j < n && j <= at + 7; ++j) {
            const char16_t c = unit(value[j]);
            if (c == u';')
                return j > at + 1;
            if (!inName(c, j == at + 1))
                break;
        }
        return isValidNumericReference(value, n, at);
    }

    // How many units encodeIllegalXMLCharacters adds to the value: three for each "<" and ">",
    // four for each ampersand it escapes. Counted before a repair builds anything, so that a
    // value of a hundred million "&" is refused, not built.
    template<typename Char> static qsizetype escapingGrowth(const Char *value, qsizetype n)
    {
        qsizetype growth = 0;
        for (qsizetype i = nextMarkupCharacter(value, 0, n); i < n;
             i = nextMarkupCharacter(value, i + 1, n)) {
            const char16_t c = unit(value[i]);
            if (c == '<' || c == '>')
                growth += 3;
            else if (c == '&' && !keepsAmpersand(value, n, i))
                growth += 4;
        }
        return growth;
    }

    // Whether encodeIllegalXMLCharacters would change the value, without building anything.
    template<typename Char> static bool valueNeedsEscaping(const Char *value, qsizetype n)
    {
        if (indexOf(value, n, u'<', 0) >= 0 || indexOf(value, n, u'>', 0) >= 0)
            return true;
        for (qsizetype i = indexOf(value, n, u'&', 0); i >= 0; i = indexOf(value, n, u'&', i + 1)) {
            if (!keepsAmpersand(value, n, i))
                return true;
        }
        return false;
    }

    // The position of the next line break ('\n' or '\r') at or after from; n when there is none.
    static qsizetype nextLineBreak(const char16_t *data, qsizetype from, qsizetype n)
    {
        qsizetype p = from;
#if defined(__SSE2__)
        const __m128i lf = _mm_set1_epi16('\n'), cr = _mm_set1_epi16('\r');
        for (; p + 8 <= n; p += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + p));
            const __m128i hits = _mm_or_si128(_mm_cmpeq_epi16(v, lf), _mm_cmpeq_epi16(v, cr));
            if (const int mask = _mm_movemask_epi8(hits))
                return p + (__builtin_ctz(unsigned(mask)) >> 1);
        }
#endif
        for (; p < n; ++p) {
            if (data[p] == '\n' || data[p] == '\r')
                return p;
        }
        return n;
    }

    // The position of the next '&', '<', '>' or ']' at or after from; n when there is none.
    // Nearly every character of a feed is none of these, so several are tested at a time where
    // the machine allows it.
    static qsizetype nextMarkupCharacter(const char16_t *data, qsizetype from, qsizetype n)
    {
        qsizetype p = from;
#if defined(__SSE2__)
        const __m128i amp = _mm_set1_epi16('&'), lt = _mm_set1_epi16('<'), gt = _mm_set1_epi16('>'),
                      bracket = _mm_set1_epi16(']');
        for (; p + 8 <= n; p += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + p));
            const __m128i hits
                = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, amp), _mm_cmpeq_epi16(v, lt)),
                               _mm_or_si128(_mm_cmpeq_epi16(v, gt), _mm_cmpeq_epi16(v, bracket)));
            if (const int mask = _mm_movemask_epi8(hits))
                return p + (__builtin_ctz(unsigned(mask)) >> 1);
        }
#endif
        for (; p < n; ++p) {
            const char16_t c = data[p];
            if (c == '&' || c == '<' || c == '>' || c == ']')
                return p;
        }
        return n;
    }
    static qsizetype nextMarkupCharacter(const char *data, qsizetype from, qsizetype n)
    {
        qsizetype p = from;
#if defined(__SSE2__)
        const __m128i amp = _mm_set1_epi8('&'), lt = _mm_set1_epi8('<'), gt = _mm_set1_epi8('>'),
                      bracket = _mm_set1_epi8(']');
        for (; p + 16 <= n; p += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + p));
            const __m128i hits
                = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, amp), _mm_cmpeq_epi8(v, lt)),
                               _mm_or_si128(_mm_cmpeq_epi8(v, gt), _mm_cmpeq_epi8(v, bracket)));
            if (const int mask = _mm_movemask_epi8(hits))
                return p + __builtin_ctz(unsigned(mask));
        }
#endif
        for (; p < n; ++p) {
            const char c = data[p];
            if (c == '&' || c == '<' || c == '>' || c == ']')
                return p;
        }
        return n;
    }

    // Whether the bytes are well-formed UTF-8 (as QUtf8 judges: no overlong form, no surrogate,
    // nothing past U+10FFFF) holding none of the three characters beyond ASCII that
    // lower-case into ASCII letters or are folded to them by a case-insensitive search (U+0130,
    // U+017F, U+212A). One pass at the speed of memory: runs of ASCII are passed over a block
    // at a time, and only the bytes of longer characters are looked at one by one.
    static bool isUtf8WithoutFolding(const char *data, qsizetype n)
    {
        const auto *p = reinterpret_cast<const unsigned char *>(data);
        const unsigned char *const end = p + n;
        while (p < end) {
#if defined(__SSE2__)
            while (end - p >= 16) {
                const int high
                    = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)));
                if (high != 0) {
                    p += __builtin_ctz(unsigned(high));
                    break;
                }
                p += 16;
            }
            if (p == end)
                break;
#endif
            const unsigned char lead = *p;
            if (lead < 0x80) {
                ++p;
                continue;
            }
            const int length = utf8SequenceLength(p, end);
            if (length == 0)
                return false;
            if ((lead == 0xC4 && p[1] == 0xB0) || (lead == 0xC5 && p[1] == 0xBF)
                || (lead == 0xE2 && p[1] == 0x84 && p[2] == 0xAA))
                return false;
            p += length;
        }
        return true;
    }

    // The next place an ASCII literal stands, searched for from ever later positions: a place
    // found serves every later question before it, and once there is none, none is searched for
    // again, so that many openings never search the same stretch twice.
    struct NextLiteral
    {
        QLatin1StringView literal;
        qsizetype found = -2; // -2: not searched yet; -1: none is left

        template<typename Char> qsizetype from(const Char *data, qsizetype n, qsizetype at)
        {
            if (found == -2 || (found >= 0 && found < at))
                found = indexOfAscii(data, n, literal, at);
            return found;
        }
    };

    // Whether a ">" would end a tag, followed as the characters of a text go by: a "<" that
    // starts a tag (a name or "/" follows it, see tagAt) opens one, any other "<" ends the
    // tag open before it (no quoted value holds one), and a ">" outside its quoted values closes
    // it. A ">" anywhere else is text ("5 > 3"), and the blanks before it are the text's own.
    struct OpenTag
    {
        bool open = false;
        char16_t quote = 0; // the quote of the value the tag is inside, or 0

        void take(char16_t c, bool startsTag = false)
        {
            if (c == u'<') {
                open = startsTag;
                quote = 0;
            } else if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == u'>') {
                open = false;
            } else if (open && (c == u'"' || c == u'\'')) {
                quote = c;
            }
        }
        bool endsHere() const { return open && !quote; }
    };

    // Where the closing tag of `name` (ASCII, matched in any letter case) that starts at `at`
    // ends, as XML reads one: "</", the name, blanks, ">". -1 when none starts there.
    template<typename Char>
    static qsizetype closingTagEnd(const Char *data, qsizetype n, qsizetype at, QStringView name)
    {
        if (!startsWithAt(data, n, at, QLatin1StringView("</"))
            || !matchesAsciiCI(data, n, at + 2, name))
            return -1;
        qsizetype i = at + 2 + name.size();
        while (i < n && isBlank(unit(data[i])))
            ++i;
        return i < n && unit(data[i]) == u'>' ? i + 1 : -1;
    }

    // The position of the ASCII needle at or after from, or -1. The places where both its
    // first and its last character stand are found several at a time: a search by the first
    // alone stopped at every "-" of a text of many "<!--" when it looked for "-->", and by the
    // last alone at every ">" of an ordinary feed.
    template<typename Char>
    static qsizetype indexOfAscii(const Char *data, qsizetype n, QLatin1StringView needle,
                                  qsizetype from)
    {
        const qsizetype m = needle.size();
        const Char first = Char(static_cast<unsigned char>(needle.front().toLatin1()));
        const Char last = Char(static_cast<unsigned char>(needle.back().toLatin1()));
        qsizetype p = from;
#if defined(__SSE2__)
        constexpr qsizetype block = 16 / sizeof(Char);
        for (; p + m - 1 + block <= n; p += block) {
            for (unsigned mask = bothAt(data + p, data + p + m - 1, first, last); mask != 0;
                 mask &= mask - 1) {
                const qsizetype at = p + __builtin_ctz(mask);
                if (startsWithAt(data, n, at, needle))
                    return at;
            }
        }
#endif
        for (; p + m <= n; ++p) {
            if (data[p] == first && startsWithAt(data, n, p, needle))
                return p;
        }
        return -1;
    }

    // Where the root element's start tag begins: the first "<" that opens no comment, no
    // processing instruction (the XML declaration among them) and no declaration (the document
    // type with its internal subset). What comes before the root can name any root at all (a
    // comment saying the feed "was <rdf:RDF> once"), so the format and the root's namespace
    // declarations are looked for from here on. n when the text has no root.
    template<typename Char> static qsizetype rootStart(const Char *data, qsizetype n)
    {
        // The end of the markup that starts at `at`, after its closing text; -1 when it does
        // not end.
        const auto after = [&](qsizetype at, QLatin1StringView closing) {
            const qsizetype end = indexOfAscii(data, n, closing, at);
            return end < 0 ? end : end + closing.size();
        };
        for (qsizetype p = indexOf(data, n, u'<', 0); p >= 0; p = indexOf(data, n, u'<', p)) {
            const char16_t next = p + 1 < n ? unit(data[p + 1]) : u'\0';
            if (next == u'?')
                p = after(p + 2, QLatin1StringView("?>"));
            else if (startsWithAt(data, n, p, QLatin1StringView("<!--")))
                p = after(p + 4, QLatin1StringView("-->"));
            else if (next == u'!')
                p = declarationEnd(data, n, p + 2);
            else
                return p;
            if (p < 0)
                break;
        }
        return n;
    }

    // After the ">" of a declaration whose text starts at `at` (the document type): quoted
    // texts are passed over, and so is the internal subset between "[" and "]" with the
    // comments and instructions in it. -1 when it does not end.
    template<typename Char>
    static qsizetype declarationEnd(const Char *data, qsizetype n, qsizetype at)
    {
        bool inSubset = false;
        for (qsizetype i = at; i < n; ++i) {
            const char16_t c = unit(data[i]);
            if (c == u'"' || c == u'\'') {
                i = indexOf(data, n, c, i + 1);
                if (i < 0)
                    return -1;
            } else if (inSubset && startsWithAt(data, n, i, QLatin1StringView("<!--"))) {
                i = indexOfAscii(data, n, QLatin1StringView("-->"), i + 4);
                if (i < 0)
                    return -1;
                i += 2;
            } else if (inSubset && startsWithAt(data, n, i, QLatin1StringView("<?"))) {
                i = indexOfAscii(data, n, QLatin1StringView("?>"), i + 2);
                if (i < 0)
                    return -1;
                i += 1;
            } else if (c == u'[') {
                inSubset = true;
            } else if (c == u']') {
                inSubset = false;
            } else if (c == u'>' && !inSubset) {
                return i + 1;
            }
        }
        return -1;
    }

    // After the ">" of the start tag whose "<" is at `at`, its quoted attribute values passed
    // over (a ">" inside one is text); -1 when no tag starts there or it does not end.
    template<typename Char>
    static qsizetype startTagEnd(const Char *data, qsizetype n, qsizetype at)
    {
        if (at < 0 || at >= n || unit(data[at]) != u'<' || nameEnd(data, n, at + 1) == at + 1)
            return -1;
        for (qsizetype i = nameEnd(data, n, at + 1); i < n; ++i) {
            const char16_t c = unit(data[i]);
            if (c == u'"' || c == u'\'') {
                i = indexOf(data, n, c, i + 1);
                if (i < 0)
                    return -1;
            } else if (c == u'>') {
                return i + 1;
            } else if (c == u'<') {
                return -1;
            }
        }
        return -1;
    }

private:
#if defined(__SSE2__)
    // One bit for each unit k of a block where `first` stands at a[k] and `last` at b[k].
    static unsigned bothAt(const char16_t *a, const char16_t *b, char16_t first, char16_t last)
    {
        const __m128i both
            = _mm_and_si128(_mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(a)),
                                            _mm_set1_epi16(short(first))),
                            _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(b)),
                                            _mm_set1_epi16(short(last))));
        return unsigned(_mm_movemask_epi8(_mm_packs_epi16(both, _mm_setzero_si128())));
    }
    static unsigned bothAt(const char *a, const char *b, char first, char last)
    {
        const __m128i both
            = _mm_and_si128(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(a)),
                                           _mm_set1_epi8(first)),
                            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(b)),
                                           _mm_set1_epi8(last)));
        return unsigned(_mm_movemask_epi8(both));
    }
#endif
};
