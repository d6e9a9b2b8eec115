// Reading bytes in one encoding: strictly, up to the first byte that is no text in it, or to
// mend, every character that decodes kept and what does not shown.

#include "io/FeedCodec.h"

#include "xml/UTF8Sequence.h"

#include <QStringDecoder>
#include <QSysInfo>

#include <iconv.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

using Stray = FeedCodec::Stray;
using Decoded = FeedCodec::Decoded;

constexpr char16_t kWin1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char16_t kReplacement = 0xFFFD;

// The C library's name of UTF-16 in this machine's byte order: QString's own units.
const char *const kHostUtf16
    = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";

// The character a byte beyond ASCII stands for in windows-1252; U+FFFD for the five bytes it
// leaves undefined.
char16_t windows1252Letter(unsigned char byte)
{
    if (byte >= 0xA0)
        return byte;
    const char16_t c = kWin1252High[byte - 0x80];
    return c == byte ? kReplacement : c;
}

// Writes decoded units into room made beforehand and notes the sequences that are no text.
class UnitWriter
{
public:
    // Each stray sequence takes at most one unit a byte: room for the bytes is room enough.
    UnitWriter(qsizetype room, Stray stray, const char *bytes = nullptr)
        : m_stray(stray), m_bytes(reinterpret_cast<const unsigned char *>(bytes))
    {
        m_decoded.text.resize(room);
        m_start = m_out = reinterpret_cast<char16_t *>(m_decoded.text.data());
    }
    void put(char32_t c)
    {
        if (c < 0x10000) {
            *m_out++ = char16_t(c);
        } else {
            *m_out++ = QChar::highSurrogate(c);
            *m_out++ = QChar::lowSurrogate(c);
        }
    }
    // The `length` bytes at byte `at` are no text; false when the reading stops there.
    bool bad(qsizetype at, bool cutOff, qsizetype length = 1)
    {
        if (m_decoded.firstBad < 0) {
            m_decoded.firstBad = at;
            m_decoded.firstBadAt = m_out - m_start;
            m_decoded.cutOff = cutOff;
        }
        switch (m_stray) {
        case Stray::Stop:
            return false;
        case Stray::Replace:
            *m_out++ = kReplacement;
            break;
        case Stray::Windows1252:
            for (qsizetype k = at; k < at + length; ++k)
                *m_out++ = windows1252Letter(m_bytes[k]);
            break;
        }
        return true;
    }
    Decoded finish()
    {
        m_decoded.text.truncate(m_out - m_start);
        return std::move(m_decoded);
    }

private:
    Decoded m_decoded;
    Stray m_stray;
    const unsigned char *m_bytes;
    char16_t *m_start;
    char16_t *m_out;
};

// How many bytes at p, where no UTF-8 character starts, stand for one U+FFFD: a lead byte with
// the continuation bytes it allows up to the first that does not follow (the longest start of
// a character), or else the byte alone. *cutOff tells whether they are a character's start
// that the end cuts off.
int badUtf8Length(const unsigned char *p, const unsigned char *end, bool *cutOff)
{
    const Utf8Lead lead = utf8Lead(*p);
    if (lead.length == 0) {
        *cutOff = false;
        return 1;
    }
    int n = 1;
    if (p + 1 < end && p[1] >= lead.low && p[1] <= lead.high) {
        n = 2;
        while (n < lead.length && p + n < end && (p[n] & 0xC0) == 0x80)
            ++n;
    }
    *cutOff = p + n == end;
    return n;
}

Decoded decodeUtf8(QByteArrayView bytes, Stray stray)
{
    UnitWriter out(bytes.size(), stray, bytes.data()); // never more units than bytes
    const auto *const begin = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *const end = begin + bytes.size();
    for (const auto *p = begin; p < end;) {
        const unsigned char lead = *p;
        if (lead < 0x80) {
            out.put(lead);
            ++p;
        } else if (const int length = utf8SequenceLength(p, end)) {
            char32_t c = lead & (0xFF >> (length + 1));
            for (int k = 1; k < length; ++k)
                c = (c << 6) | (p[k] & 0x3F);
            out.put(c);
            p += length;
        } else {
            bool cutOff = false;
            const int bad = badUtf8Length(p, end, &cutOff);
            if (!out.bad(p - begin, cutOff, bad))
                break;
            p += bad;
        }
    }
    return out.finish();
}

// UTF-16 or UTF-32 in either byte order: a unit that is no character (a surrogate without its
// pair, a code point past U+10FFFF) is no text, and neither are the bytes of a unit, or the
// high surrogate of a pair, that the end cuts off.
Decoded decodeUnits(QByteArrayView bytes, QStringConverter::Encoding encoding, Stray stray)
{
    const bool wide
        = encoding == QStringConverter::Utf32LE || encoding == QStringConverter::Utf32BE;
    const bool little
        = encoding == QStringConverter::Utf16LE || encoding == QStringConverter::Utf32LE;
    const qsizetype size = wide ? 4 : 2;
    const auto unitAt = [&](qsizetype at) {
        char32_t unit = 0;
        for (qsizetype k = 0; k < size; ++k) {
            const char32_t byte
                = static_cast<unsigned char>(bytes[at + (little ? size - 1 - k : k)]);
            unit = (unit << 8) | byte;
        }
        return unit;
    };
    UnitWriter out(bytes.size() / 2 + 1, stray);
    qsizetype at = 0;
    for (; at + size <= bytes.size(); at += size) {
        const char32_t unit = unitAt(at);
        if (wide ? unit <= 0x10FFFF && !QChar::isSurrogate(unit) : !QChar::isSurrogate(unit)) {
            out.put(unit);
        } else if (!wide && QChar::isHighSurrogate(unit) && at + 2 * size <= bytes.size()
                   && QChar::isLowSurrogate(unitAt(at + size))) {
            out.put(QChar::surrogateToUcs4(char16_t(unit), char16_t(unitAt(at + size))));
            at += size;
        } else if (!out.bad(
                       at, !wide && QChar::isHighSurrogate(unit) && at + 2 * size > bytes.size())) {
            return out.finish();
        }
    }
    if (at < bytes.size())
        out.bad(at, true);
    return out.finish();
}

} // namespace

std::optional<QString> FeedCodec::decode(QByteArrayView bytes) const
{
    std::optional<QString> text;
    if (kind == Kind::Unicode && unicode == QStringConverter::Utf8) {
        // Qt's converter is the fastest for the most common case; it refuses exactly the
        // sequences utf8SequenceLength does.
        QStringDecoder decoder(
            unicode, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        text = decoder.decode(bytes);
        if (decoder.hasError())
            text.reset();
    } else {
        Decoded decoded = read(bytes, Stray::Stop);
        if (decoded.firstBad < 0)
            text = std::move(decoded.text);
    }
    if (text && text->isNull())
        text = QString(u""_s);
    return text;
}

FeedCodec::Decoded FeedCodec::read(QByteArrayView bytes, Stray stray) const
{
    switch (kind) {
    case Kind::Unicode:
        return unicode == QStringConverter::Utf8 ? decodeUtf8(bytes, stray)
                                                 : decodeUnits(bytes, unicode, stray);
    case Kind::Ascii:
        return decodeAscii(bytes, stray);
    case Kind::Windows1252:
        return {decodeWindows1252(bytes)};
    case Kind::Iconv:
        break;
    }
    return decodeIconv(bytes, stray);
}

QString FeedCodec::mended(QByteArrayView bytes) const
{
    if (kind == Kind::Ascii || (kind == Kind::Unicode && unicode == QStringConverter::Utf8))
        return decodeUtf8(bytes, Stray::Windows1252).text;
    return read(bytes, Stray::Replace).text;
}

FeedCodec::Decoded FeedCodec::decodeAscii(QByteArrayView bytes, Stray stray)
{
    UnitWriter out(bytes.size(), stray, bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80)
            out.put(byte);
        else if (!out.bad(i, false))
            break;
    }
    return out.finish();
}

QString FeedCodec::decodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? kWin1252High[b - 0x80] : char16_t(b);
    }
    return text;
}

FeedCodec::Decoded FeedCodec::decodeIconv(QByteArrayView bytes, Stray stray) const
{
    const bool stopAtFirst = stray == Stray::Stop;
    iconv_t cd = iconv_open(kHostUtf16, charset.constData());
    if (cd == reinterpret_cast<iconv_t>(-1)) // out of resources: codecNamed opened it
        return decodeAscii(bytes, stopAtFirst ? Stray::Stop : Stray::Replace);
    // Some converters hold a character back to join it with a mark that may follow
    // (windows-1255, windows-1258): a reset lets it out before the mark of the bad byte.
    // It would also return an ISO 2022 text to ASCII, and those hold nothing back.
    const bool reset = !charset.toUpper().contains("2022");
    // Two units per byte suit most charsets; some give more for one byte (a TSCII byte can
    // stand for four characters). When the room runs out the conversion starts over with
    // twice the room: the C library's converters do not all resume correctly in the middle
    // of the characters of one byte. The work stays in proportion to the text.
    Decoded decoded;
    for (qsizetype room = bytes.size() * 2 + 8;; room *= 2) {
        decoded = Decoded();
        decoded.text.resize(room);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char *in = const_cast<char *>(bytes.data());
        size_t inLeft = static_cast<size_t>(bytes.size());
        char *const outStart = reinterpret_cast<char *>(decoded.text.data());
        char *out = outStart;
        size_t outLeft = static_cast<size_t>(room) * 2;
        bool full = false;
        for (;;) {
            if (iconv(cd, &in, &inLeft, &out, &outLeft) != size_t(-1)) {
                // The final call writes what the converter still holds or owes.
                full = iconv(cd, nullptr, nullptr, &out, &outLeft) == size_t(-1) && errno == E2BIG;
                break;
            }
            if (errno == E2BIG) {
                full = true;
                break;
            }
            const bool cutOff = errno == EINVAL;
            if (reset && iconv(cd, nullptr, nullptr, &out, &outLeft) == size_t(-1)
                && errno == E2BIG) {
                full = true;
                break;
            }
            if (decoded.firstBad < 0) {
                decoded.firstBad = in - bytes.data();
                decoded.firstBadAt = (out - outStart) / 2;
                decoded.cutOff = cutOff;
            }
            if (stopAtFirst)
                break;
            if (outLeft < 2) {
                full = true;
                break;
            }
            *reinterpret_cast<char16_t *>(out) = kReplacement;
            out += 2;
            outLeft -= 2;
            const size_t skipped = cutOff ? inLeft : 1;
            in += skipped;
            inLeft -= skipped;
        }
        if (!full) {
            decoded.text.truncate((out - outStart) / 2);
            break;
        }
    }
    iconv_close(cd);
    return decoded;
}

bool FeedCodec::libraryKnows(const QByteArray &charset)
{
    iconv_t probe = iconv_open(kHostUtf16, charset.constData());
    if (probe == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv_close(probe);
    return true;
}
