#include "model/URLReference.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {
bool isAlpha(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}
bool isHex(char16_t c)
{
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

constexpr quint32 bitsOf(const char *characters, int word)
{
    quint32 bits = 0;
    for (const char *c = characters; *c; ++c) {
        if ((*c >> 5) == word)
            bits |= 1u << (*c & 31);
    }
    return bits;
}

// Unreserved marks, then reserved characters, then letters and digits.
constexpr char kAllowed[] = "-_.!~*'();/?:@&=+$,"
                            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
} // namespace

const quint32 URLReference::kURLCharacters[4]
    = {bitsOf(kAllowed, 0), bitsOf(kAllowed, 1), bitsOf(kAllowed, 2), bitsOf(kAllowed, 3)};

std::optional<URLReference> URLReference::parse(const QString &text)
{
    // One link is often asked about several times in a row (validation checks an enclosure's
    // address, its type and its media kind): the last answer of the thread is kept.
    struct Last
    {
        QString text;
        std::optional<URLReference> answer;
    };
    thread_local Last last;
    if (!last.text.isNull() && last.text.size() == text.size()
        && (last.text.constData() == text.constData() || last.text == text))
        return last.answer;
    std::optional<URLReference> answer = parseText(text);
    last = {text, answer};
    return answer;
}

std::optional<URLReference> URLReference::parseText(const QString &text)
{
    // Character check first: every character must be legal, escapes well-formed, one "#".
    const char16_t *data = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype n = text.size();
    qsizetype hash = -1;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = data[i];
        if (isURLCharacter(c))
            continue;
        if (c == u'%') {
            if (i + 2 >= n || !isHex(data[i + 1]) || !isHex(data[i + 2]))
                return std::nullopt;
            i += 2;
        } else if (c == u'#' && hash < 0) {
            hash = i;
        } else {
            return std::nullopt;
        }
    }

    URLReference ref;
    ref.m_text = text;
    qsizetype start = 0;
    qsizetype end = n; // the rest still to split is [start, end)
    if (hash >= 0) {
        ref.m_hasFragment = true;
        ref.m_fragment = {hash + 1, n - hash - 1};
        end = hash;
    }

    // scheme = alpha *( alpha | digit | "+" | "-" | "." ) ":"
    if (end > 0 && isAlpha(data[0])) {
        qsizetype i = 1;
        while (i < end
               && (isAlpha(data[i]) || isDigit(data[i]) || data[i] == u'+' || data[i] == u'-'
                   || data[i] == u'.'))
            ++i;
        if (i < end && data[i] == u':') {
            ref.m_scheme = {0, i};
            start = i + 1;
        }
    }

    const QStringView rest = QStringView(text).sliced(start, end - start);
    const qsizetype question = rest.indexOf(u'?');
    if (question >= 0) {
        ref.m_hasQuery = true;
        ref.m_query = {start + question + 1, end - start - question - 1};
        end = start + question;
    }

    if (end - start >= 2 && data[start] == u'/' && data[start + 1] == u'/') {
        ref.m_hasAuthority = true;
        start += 2;
        const qsizetype slash = QStringView(text).sliced(start, end - start).indexOf(u'/');
        qsizetype authorityEnd = slash < 0 ? end : start + slash;
        qsizetype authorityStart = start;
        start = authorityEnd;
        const QStringView authority
            = QStringView(text).sliced(authorityStart, authorityEnd - authorityStart);
        const qsizetype at = authority.lastIndexOf(u'@');
        if (at >= 0) {
            ref.m_hasUserInfo = true;
            ref.m_userInfo = {authorityStart, at};
            authorityStart += at + 1;
        }
        const qsizetype colon = QStringView(text)
                                    .sliced(authorityStart, authorityEnd - authorityStart)
                                    .lastIndexOf(u':');
        if (colon >= 0) {
            for (qsizetype i = authorityStart + colon + 1; i < authorityEnd; ++i) {
                if (!isDigit(data[i]))
                    return std::nullopt;
            }
            ref.m_hasPort = true;
            ref.m_port = {authorityStart + colon + 1, authorityEnd - authorityStart - colon - 1};
            authorityEnd = authorityStart + colon;
        }
        ref.m_host = {authorityStart, authorityEnd - authorityStart};
    }
    ref.m_path = {start, end - start};
    return ref;
}

QStringView URLReference::pathExtensionView() const
{
    const QStringView path = view(m_path);
    const QStringView segment = path.sliced(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = segment.lastIndexOf(u'.');
    if (dot <= 0)
        return QStringView();
    return segment.sliced(dot + 1);
}

bool URLReference::isPlainWebLink(QStringView value)
{
    qsizetype start = 0;
    if (value.startsWith(u"http://"))
        start = 7;
    else if (value.startsWith(u"https://"))
        start = 8;
    else
        return false;
    const auto plain = [](char16_t u) { return u != u':' && u != u'&' && isURLCharacter(u); };
    const char16_t *at = value.utf16() + start;
    const char16_t *const end = value.utf16() + value.size();
#ifdef __SSE2__
    // Every link of every item is asked about: eight units at a time, letters, digits, "-", ".",
    // "/" and "_" (nearly all a link holds) settle a block, anything else is looked at alone.
    const auto within = [](__m128i units, short low, short high) {
        return _mm_and_si128(_mm_cmpgt_epi16(units, _mm_set1_epi16(short(low - 1))),
                             _mm_cmplt_epi16(units, _mm_set1_epi16(short(high + 1))));
    };
    for (; end - at >= 8; at += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
        const __m128i common = _mm_or_si128(
            _mm_or_si128(within(units, '-', '9'), within(units, 'A', 'Z')),
            _mm_or_si128(within(units, 'a', 'z'), _mm_cmpeq_epi16(units, _mm_set1_epi16('_'))));
        if (_mm_movemask_epi8(common) == 0xffff)
            continue;
        for (int i = 0; i < 8; ++i) {
            if (!plain(at[i]))
                return false;
        }
    }
#endif
    for (; at < end; ++at) {
        if (!plain(*at))
            return false;
    }
    return true;
}

QStringView URLReference::plainWebLinkExtension(QStringView link)
{
    // The path starts at the first "/" after the authority and ends at the query.
    const qsizetype question = link.indexOf(u'?');
    const QStringView beforeQuery = question < 0 ? link : link.first(question);
    const qsizetype slash = beforeQuery.indexOf(u'/', beforeQuery.indexOf(u"//") + 2);
    if (slash < 0)
        return QStringView();
    const QStringView path = beforeQuery.sliced(slash);
    const QStringView segment = path.sliced(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = segment.lastIndexOf(u'.');
    return dot <= 0 ? QStringView() : segment.sliced(dot + 1);
}
