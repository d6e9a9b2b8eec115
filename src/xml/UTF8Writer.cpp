#include "xml/UTF8Writer.h"

#include <cstdint>
#include <cstring>
#if defined(__linux__)
#include <sys/mman.h>
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Masks over the ASCII characters 0x00 to 0x7F, one bit each, four words of 32.
struct Mask
{
    quint32 bits[4] = {0, 0, 0, 0};
    constexpr Mask(const char *characters)
    {
        for (const char *c = characters; *c; ++c)
            bits[*c >> 5] |= 1u << (*c & 31);
    }
};
constexpr Mask kNone("");
constexpr Mask kXML("&<>\"");
constexpr Mask kXMLApos("&<>\"'");

inline bool inMask(const quint32 *mask, char16_t c)
{
    return (mask[c >> 5] & (1u << (c & 31))) != 0;
}

const char *entity(char16_t c)
{
    switch (c) {
    case u'&':
        return "&amp;";
    case u'<':
        return "&lt;";
    case u'>':
        return "&gt;";
    case u'"':
        return "&quot;";
    default:
        return "&apos;";
    }
}

// The length of the plain run at the start: printable ASCII without a character of the mask.
// Such characters are copied byte for byte.
qsizetype plainRun(const char16_t *data, qsizetype n, const quint32 *mask)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    // Eight units at a time: all of them between 0x20 and 0x7E, and none of &<>"' (the only
    // characters a mask selects); a block that fails is looked at unit by unit.
    const __m128i low = _mm_set1_epi16(0x1F);
    const __m128i high = _mm_set1_epi16(0x7E);
    const __m128i amp = _mm_set1_epi16('&');
    const __m128i lt = _mm_set1_epi16('<');
    const __m128i gt = _mm_set1_epi16('>');
    const __m128i quot = _mm_set1_epi16('"');
    const __m128i apos = _mm_set1_epi16('\'');
    const bool anyMasked = mask[1] != 0;
    const bool aposMasked = inMask(mask, u'\'');
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
        __m128i bad = _mm_or_si128(_mm_cmplt_epi16(v, low), _mm_cmpgt_epi16(v, high));
        bad = _mm_or_si128(bad, _mm_cmpeq_epi16(v, low)); // 0x1F itself is a control
        if (anyMasked) {
            bad = _mm_or_si128(bad, _mm_cmpeq_epi16(v, amp));
            bad = _mm_or_si128(bad, _mm_cmpeq_epi16(v, lt));
            bad = _mm_or_si128(bad, _mm_cmpeq_epi16(v, gt));
            bad = _mm_or_si128(bad, _mm_cmpeq_epi16(v, quot));
            if (aposMasked)
                bad = _mm_or_si128(bad, _mm_cmpeq_epi16(v, apos));
        }
        if (_mm_movemask_epi8(bad) != 0)
            break;
    }
#endif
    for (; i < n; ++i) {
        const char16_t c = data[i];
        if (c < 0x20 || c >= 0x7F || inMask(mask, c))
            break;
    }
    return i;
}

#if defined(__SSE2__)
// The byte an escaped apostrophe is looked for as: itself where the mask escapes it, else "&"
// again (which is looked for anyway).
inline __m128i aposByte(const quint32 *mask)
{
    return _mm_set1_epi8(inMask(mask, u'\'') ? '\'' : '&');
}

// Which of sixteen bytes are "&", "<", ">", '"' or the apostrophe byte.
inline __m128i markupBytes(__m128i v, __m128i apos)
{
    __m128i found = _mm_cmpeq_epi8(v, _mm_set1_epi8('&'));
    found = _mm_or_si128(found, _mm_cmpeq_epi8(v, _mm_set1_epi8('<')));
    found = _mm_or_si128(found, _mm_cmpeq_epi8(v, _mm_set1_epi8('>')));
    found = _mm_or_si128(found, _mm_cmpeq_epi8(v, _mm_set1_epi8('"')));
    return _mm_or_si128(found, _mm_cmpeq_epi8(v, apos));
}
#endif

// Copies the plain run at the start (as plainRun measures it), narrowed to bytes, sixteen units
// at a time; answers its length. `out` has room for n bytes.
qsizetype copyPlainRun(char *out, const char16_t *data, qsizetype n, const quint32 *mask)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    // Packed with signed saturation, a unit beyond 0xFF becomes 0x00 or 0xFF, neither plain.
    const __m128i control = _mm_set1_epi8(0x1F);
    const __m128i del = _mm_set1_epi8(0x7F);
    const __m128i apos = aposByte(mask);
    const bool anyMasked = mask[1] != 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i + 8));
        const __m128i bytes = _mm_packus_epi16(a, b);
        __m128i bad = _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(bytes, control), bytes),
                                   _mm_cmpeq_epi8(_mm_max_epu8(bytes, del), bytes));
        if (anyMasked)
            bad = _mm_or_si128(bad, markupBytes(bytes, apos));
        if (_mm_movemask_epi8(bad) != 0)
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), bytes);
    }
#endif
    for (; i < n; ++i) {
        const char16_t c = data[i];
        if (c < 0x20 || c >= 0x7F || inMask(mask, c))
            break;
        out[i] = char(c);
    }
    return i;
}

void narrow(char *out, const char16_t *in, qsizetype n)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + i), _mm_packus_epi16(v, v));
    }
#endif
    for (; i < n; ++i)
        out[i] = char(in[i]);
}

// The length of the run at the start of valid UTF-8 that is copied as it is: no control
// character (tabs and line breaks included: they are looked at one by one), no 0xEF (which leads
// U+FFFE and U+FFFF) and, when asked, no "]".
qsizetype copiedRun(const char *data, qsizetype n, bool bracket)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i control = _mm_set1_epi8(0x1F);
    const __m128i ef = _mm_set1_epi8(char(0xEF));
    const __m128i close = _mm_set1_epi8(bracket ? ']' : 0);
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
        __m128i stop = _mm_cmpeq_epi8(_mm_min_epu8(v, control), v);
        stop = _mm_or_si128(stop, _mm_cmpeq_epi8(v, ef));
        if (bracket)
            stop = _mm_or_si128(stop, _mm_cmpeq_epi8(v, close));
        if (const int mask = _mm_movemask_epi8(stop))
            return i + __builtin_ctz(unsigned(mask));
    }
#endif
    for (; i < n; ++i) {
        const uchar c = uchar(data[i]);
        if (c < 0x20 || c == 0xEF || (bracket && c == ']'))
            break;
    }
    return i;
}

// The length of the run at the start of valid UTF-8 that is copied as it is when escaping: as
// copiedRun, and none of the characters of the mask.
qsizetype escapedRun(const char *data, qsizetype n, const quint32 *mask)
{
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i control = _mm_set1_epi8(0x1F);
    const __m128i ef = _mm_set1_epi8(char(0xEF));
    const __m128i apos = aposByte(mask);
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + i));
        __m128i stop = _mm_cmpeq_epi8(_mm_min_epu8(v, control), v);
        stop = _mm_or_si128(stop, _mm_cmpeq_epi8(v, ef));
        stop = _mm_or_si128(stop, markupBytes(v, apos));
        if (const int bits = _mm_movemask_epi8(stop))
            return i + __builtin_ctz(unsigned(bits));
    }
#endif
    for (; i < n; ++i) {
        const uchar c = uchar(data[i]);
        if (c < 0x20 || c == 0xEF || (c < 0x80 && inMask(mask, c)))
            break;
    }
    return i;
}

} // namespace

void UTF8Writer::reserve(qsizetype bytes)
{
    ensure(bytes);
}

void UTF8Writer::grow(qsizetype n)
{
    const qsizetype needed = m_used + n;
    qsizetype capacity = qMax<qsizetype>(m_capacity + m_capacity / 2, 256);
    if (capacity < needed)
        capacity = needed;
    // The buffer is sized to its capacity once; Qt leaves the new bytes uninitialised.
    m_buffer.resize(capacity);
    m_data = m_buffer.data();
    m_capacity = capacity;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // A large document is written into fresh memory: in huge pages where the system gives them
    // on request, it costs a fault every 2 MB instead of every 4 KB (a quarter of the writing
    // time of a big feed otherwise).
    constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
    if (capacity >= qsizetype(4 * kHuge)) {
        const auto begin = (reinterpret_cast<std::uintptr_t>(m_data) + kHuge - 1) & ~(kHuge - 1);
        const auto end = (reinterpret_cast<std::uintptr_t>(m_data) + capacity) & ~(kHuge - 1);
        if (end > begin)
            madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
    }
#endif
}

void UTF8Writer::append(QLatin1StringView ascii)
{
    const qsizetype n = ascii.size();
    // Nothing to copy: an empty view (or writer) may point nowhere, which memcpy must not see.
    if (n == 0)
        return;
    ensure(n);
    std::memcpy(m_data + m_used, ascii.data(), size_t(n));
    m_used += n;
}

void UTF8Writer::append(QStringView text)
{
    encode(text, kNone.bits);
}

void UTF8Writer::appendEscaped(QStringView text, bool apos)
{
    encode(text, apos ? kXMLApos.bits : kXML.bits);
}

void UTF8Writer::appendEscapedOrCDATA(QStringView text, bool apos, qsizetype maximumEntities)
{
    // Written escaped first: most texts take few entities, and are then written in one pass.
    const qsizetype start = m_used;
    if (encode(text, apos ? kXMLApos.bits : kXML.bits) <= maximumEntities)
        return;
    truncate(start);
    appendCDATA(text);
}

void UTF8Writer::appendEscapedOrCDATA(QByteArrayView utf8, bool apos, qsizetype maximumEntities)
{
    const qsizetype start = m_used;
    if (copyUTF8Escaping(utf8, apos ? kXMLApos.bits : kXML.bits) <= maximumEntities)
        return;
    truncate(start);
    appendCDATA(utf8);
}

void UTF8Writer::appendEscaping(QStringView text, QLatin1StringView escape)
{
    Mask mask("");
    for (char c : escape)
        mask.bits[c >> 5] |= 1u << (c & 31);
    encode(text, mask.bits);
}

void UTF8Writer::appendIndented(QStringView text, QLatin1StringView indent)
{
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype lineEnd = text.indexOf(u'\n', from);
        const qsizetype end = lineEnd < 0 ? text.size() : lineEnd + 1;
        append(indent);
        append(text.sliced(from, end - from));
        from = end;
    }
}

void UTF8Writer::appendCDATA(QStringView text)
{
    append(QLatin1StringView("<![CDATA["));
    for (qsizetype from = 0;;) {
        const qsizetype end = cdataSectionEnd(text, from);
        append(text.sliced(from, end - from));
        if (end == text.size())
            break;
        append(QLatin1StringView("]]><![CDATA["));
        from = end;
    }
    append(QLatin1StringView("]]>"));
}

qsizetype UTF8Writer::cdataSectionEnd(QStringView text, qsizetype from)
{
    // Only a "]]>" that lies whole within the longest section counts; found through its first
    // "]", which the single-character search finds quickly.
    const QStringView window = text.sliced(from, qMin(text.size() - from, kMaximumCDATAUnits + 1));
    for (qsizetype at = window.indexOf(u']'); at >= 0 && at + 2 < window.size();
         at = window.indexOf(u']', at + 1)) {
        if (window[at + 1] == u']' && window[at + 2] == u'>')
            return from + at + 2;
    }
    if (text.size() - from <= kMaximumCDATAUnits)
        return text.size();
    qsizetype end = from + kMaximumCDATAUnits;
    if (text[end].isLowSurrogate() && text[end - 1].isHighSurrogate())
        --end;
    return end;
}

qsizetype UTF8Writer::cdataSectionEnd(QByteArrayView utf8, qsizetype from)
{
    const qsizetype n = utf8.size();
    // No more bytes than the longest section has units: the rest is one section up to a "]]>".
    if (n - from <= kMaximumCDATAUnits) {
        const qsizetype at = utf8.indexOf("]]>", from);
        return at < 0 ? n : at + 2;
    }
    // Else counted in UTF-16 units as the text's own cdataSectionEnd counts them: a character
    // of four bytes is a surrogate pair, which is never cut.
    const char *data = utf8.data();
    qsizetype units = 0;
    for (qsizetype i = from; i < n;) {
        const uchar c = uchar(data[i]);
        if (c == ']' && i + 2 < n && data[i + 1] == ']' && data[i + 2] == '>'
            && units + 2 <= kMaximumCDATAUnits)
            return i + 2;
        const qsizetype width = c >= 0xF0 ? 2 : 1;
        if (units + width > kMaximumCDATAUnits)
            return i;
        units += width;
        i += c < 0x80 ? 1 : (c < 0xE0 ? 2 : (c < 0xF0 ? 3 : 4));
    }
    return n;
}

void UTF8Writer::appendCDATA(QByteArrayView utf8)
{
    append(QLatin1StringView("<![CDATA["));
    const qsizetype n = utf8.size();
    if (n > kMaximumCDATAUnits) {
        for (qsizetype from = 0;;) {
            const qsizetype end = cdataSectionEnd(utf8, from);
            copyUTF8(utf8.sliced(from, end - from));
            if (end == n)
                break;
            append(QLatin1StringView("]]><![CDATA["));
            from = end;
        }
        append(QLatin1StringView("]]>"));
        return;
    }
    // One pass: every section fits, and a "]]>" is found as the text is copied.
    const char *data = utf8.data();
    for (qsizetype i = 0; i < n;) {
        const qsizetype run = copiedRun(data + i, n - i, true);
        appendUTF8(QByteArrayView(data + i, run));
        i += run;
        if (i == n)
            break;
        if (data[i] == ']') {
            if (i + 2 < n && data[i + 1] == ']' && data[i + 2] == '>') {
                append(QLatin1StringView("]]]]><![CDATA["));
                i += 2;
            } else {
                append(']');
                ++i;
            }
            continue;
        }
        const qsizetype end = data[i] == char(0xEF) ? qMin(i + 3, n) : i + 1;
        copyUTF8(utf8.sliced(i, end - i));
        i = end;
    }
    append(QLatin1StringView("]]>"));
}

void UTF8Writer::copyUTF8(QByteArrayView utf8)
{
    const char *data = utf8.data();
    const qsizetype n = utf8.size();
    ensure(n);
    char *out = m_data + m_used;
    for (qsizetype i = 0; i < n;) {
        const qsizetype run = copiedRun(data + i, n - i, false);
        std::memcpy(out, data + i, size_t(run));
        out += run;
        i += run;
        if (i == n)
            break;
        const uchar c = uchar(data[i]);
        if (c == 0xEF) {
            // U+FFFE and U+FFFF (EF BF BE, EF BF BF) are left out; the rest is copied.
            if (i + 2 < n && uchar(data[i + 1]) == 0xBF && uchar(data[i + 2]) >= 0xBE) {
                i += 3;
                continue;
            }
            *out++ = char(c);
        } else if (c == '\t' || c == '\n' || c == '\r') {
            *out++ = char(c);
        }
        ++i;
    }
    m_used = out - m_data;
}

qsizetype UTF8Writer::copyUTF8Escaping(QByteArrayView utf8, const quint32 *escapeMask)
{
    const char *data = utf8.data();
    const qsizetype n = utf8.size();
    qsizetype entities = 0;
    for (qsizetype i = 0; i < n;) {
        const qsizetype run = escapedRun(data + i, n - i, escapeMask);
        appendUTF8(QByteArrayView(data + i, run));
        i += run;
        if (i == n)
            break;
        const uchar c = uchar(data[i]);
        if (c < 0x80 && inMask(escapeMask, c)) {
            append(QLatin1StringView(entity(c)));
            ++entities;
            ++i;
            continue;
        }
        // A control character or 0xEF: copyUTF8 keeps what XML can carry.
        const qsizetype end = c == 0xEF ? qMin(i + 3, n) : i + 1;
        copyUTF8(utf8.sliced(i, end - i));
        i = end;
    }
    return entities;
}

void UTF8Writer::appendUTF8(QByteArrayView bytes)
{
    const qsizetype n = bytes.size();
    if (n == 0)
        return;
    ensure(n);
    std::memcpy(m_data + m_used, bytes.data(), size_t(n));
    m_used += n;
}

bool UTF8Writer::isPlain(QStringView text)
{
    return plainRun(text.utf16(), text.size(), kXMLApos.bits) == text.size();
}

char *UTF8Writer::copyPlain(char *to, QStringView text)
{
    narrow(to, text.utf16(), text.size());
    return to + text.size();
}

void UTF8Writer::appendNumber(qint64 n)
{
    char digits[24];
    const int length = std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(n));
    append(QLatin1StringView(digits, length));
}

qsizetype UTF8Writer::encode(QStringView text, const quint32 *escapeMask)
{
    qsizetype entities = 0;
    const char16_t *data = text.utf16();
    const qsizetype n = text.size();
    // Every unit gives at most three bytes, an escaped one at most six.
    ensure(n * 3 + 8);
    char *out = m_data + m_used;
    qsizetype i = 0;
    while (i < n) {
        const qsizetype run = copyPlainRun(out, data + i, n - i, escapeMask);
        if (run > 0) {
            out += run;
            i += run;
            if (i == n)
                break;
        }
        const char16_t c = data[i];
        if (c < 0x80) {
            if (inMask(escapeMask, c)) {
                const char *name = entity(c);
                const size_t length = std::strlen(name);
                // An entity is longer than the three bytes reserved per unit.
                m_used = out - m_data;
                ensure(qsizetype(length) + (n - i) * 3 + 8);
                out = m_data + m_used;
                std::memcpy(out, name, length);
                out += length;
                ++entities;
            } else if (c >= 0x20 || c == 0x9 || c == 0xA || c == 0xD) {
                *out++ = char(c);
            }
            ++i;
        } else if (c < 0x800) {
            *out++ = char(0xC0 | (c >> 6));
            *out++ = char(0x80 | (c & 0x3F));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && i + 1 < n && data[i + 1] >= 0xDC00 && data[i + 1] <= 0xDFFF) {
                const char32_t u
                    = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(data[i + 1]) - 0xDC00);
                *out++ = char(0xF0 | (u >> 18));
                *out++ = char(0x80 | ((u >> 12) & 0x3F));
                *out++ = char(0x80 | ((u >> 6) & 0x3F));
                *out++ = char(0x80 | (u & 0x3F));
                i += 2;
            } else {
                ++i; // an unpaired half
            }
        } else {
            if (c < 0xFFFE) {
                *out++ = char(0xE0 | (c >> 12));
                *out++ = char(0x80 | ((c >> 6) & 0x3F));
                *out++ = char(0x80 | (c & 0x3F));
            }
            ++i;
        }
    }
    m_used = out - m_data;
    return entities;
}

QByteArray UTF8Writer::take()
{
    m_buffer.truncate(m_used);
    // More than a quarter left unused is given back; a close estimate is kept as it is.
    if (m_buffer.capacity() - m_used > m_used / 4)
        m_buffer.squeeze();
    QByteArray result = std::move(m_buffer);
    m_buffer = QByteArray();
    m_data = nullptr;
    m_used = 0;
    m_capacity = 0;
    return result;
}
