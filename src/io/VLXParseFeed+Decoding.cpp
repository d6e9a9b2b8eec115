// Bytes to text: a signature, the encoding the prolog declares or the default rule chooses how
// bytes are read; bytes that give no text tell in what encoding, and where, they stop being text,
// and are offered to be mended read in that encoding with what is no text in it shown.

#include "io/VLXParseFeed.h"

#include "platform/ShownText.h"
#include "xml/UTF8Sequence.h"

#include <QLocale>
#include <QStringDecoder>
#include <QSysInfo>

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr char16_t kWin1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char16_t kReplacement = 0xFFFD;

// The C library's name of UTF-16 in this machine's byte order: QString's own units.
const char *const kHostUtf16
    = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";

// What becomes of a sequence of bytes that is no text in the encoding they are read in. Read
// strictly, the text ends where it starts. Read to mend, the reading goes on right after it, so
// that every character that decodes stays, and the sequence is shown as one U+FFFD, or, where a
// byte beyond ASCII is most likely a letter of windows-1252 (text that should have been UTF-8 or
// ASCII), each of its bytes as that letter.
enum class Stray { Stop, Replace, Windows1252 };

// The character a byte beyond ASCII stands for in windows-1252; U+FFFD for the five bytes it
// leaves undefined.
char16_t windows1252Letter(unsigned char byte)
{
    if (byte >= 0xA0)
        return byte;
    const char16_t c = kWin1252High[byte - 0x80];
    return c == byte ? kReplacement : c;
}

// Bytes read as text, and the first sequence of them that is no text in their encoding.
struct Decoded
{
    QString text;
    qsizetype firstBad = -1; // the first byte of that sequence; -1 when every byte decodes
    qsizetype firstBadAt = 0; // the units of text before it
    bool cutOff = false; // it is the start of a character the end of the bytes cuts off
};

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

// One way of reading bytes as text. Every way but windows-1252 has bytes that are no text in
// it: read strictly they fail the whole read, read to mend they are shown (see Decoded).
struct Codec
{
    enum class Kind { Unicode, Ascii, Windows1252, Iconv };
    Kind kind;
    QStringConverter::Encoding unicode = QStringConverter::Utf8;
    QByteArray charset; // the C library's name of the encoding (Kind::Iconv)
    QString name; // as the user knows it

    // The text, or nothing when any byte is no text.
    std::optional<QString> decode(QByteArrayView bytes) const
    {
        std::optional<QString> text;
        if (kind == Kind::Unicode && unicode == QStringConverter::Utf8) {
            // Qt's converter is the fastest for the most common case; it refuses exactly the
            // sequences utf8SequenceLength does.
            QStringDecoder decoder(unicode,
                                   QStringConverter::Flag::Stateless
                                       | QStringConverter::Flag::ConvertInitialBom);
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

    // The bytes read up to the first that is no text, or to mend (see Stray).
    Decoded read(QByteArrayView bytes, Stray stray) const
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

    // The bytes read to mend. Bytes beyond ASCII in text that should be UTF-8 or ASCII are
    // mostly windows-1252 (or Latin-1) that a tool copied in unconverted: they are those letters.
    // Text declared ASCII that holds UTF-8 is UTF-8 (as stringFromXMLData reads it when nothing
    // else is amiss), and keeps its characters. A byte of another encoding is no more likely one
    // letter than another.
    QString mended(QByteArrayView bytes) const
    {
        if (kind == Kind::Ascii || (kind == Kind::Unicode && unicode == QStringConverter::Utf8))
            return decodeUtf8(bytes, Stray::Windows1252).text;
        return read(bytes, Stray::Replace).text;
    }

private:
    static Decoded decodeAscii(QByteArrayView bytes, Stray stray)
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

    // Latin-1 labelled feeds in the wild carry windows-1252 punctuation in 0x80-0x9F (curly quotes,
    // dashes, the euro sign), so both labels decode through the windows-1252 table; the five bytes
    // that table leaves undefined keep their Latin-1 meaning. Every byte decodes.
    static QString decodeWindows1252(QByteArrayView bytes)
    {
        QString text(bytes.size(), Qt::Uninitialized);
        char16_t *out = reinterpret_cast<char16_t *>(text.data());
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            out[i] = (b >= 0x80 && b < 0xA0) ? kWin1252High[b - 0x80] : char16_t(b);
        }
        return text;
    }

    // Any other character set the C library knows. A byte where the converter stops is no text:
    // read to mend, it is shown and the conversion goes on at the byte after it, with the
    // converter's state as it stood (an ISO 2022 text stays in the character set its last
    // escape chose); the bytes of a character the end cuts off are shown as one.
    Decoded decodeIconv(QByteArrayView bytes, Stray stray) const
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
                    full = iconv(cd, nullptr, nullptr, &out, &outLeft) == size_t(-1)
                        && errno == E2BIG;
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
};

const Codec kUtf8 {Codec::Kind::Unicode, QStringConverter::Utf8, {}, u"UTF-8"_s};
const Codec kAscii {Codec::Kind::Ascii, {}, {}, u"US-ASCII"_s};

bool isSafeCharsetName(const QString &name)
{
    if (name.isEmpty() || name.size() > 40)
        return false;
    for (QChar c : name) {
        const char16_t u = c.unicode();
        const bool ok = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9')
            || u == '-' || u == '_' || u == '.' || u == ':';
        if (!ok)
            return false;
    }
    // The C library also answers to locale-dependent pseudo names; those are not charsets.
    const QString lower = name.toLower();
    return lower != u"char" && lower != u"wchar_t";
}

enum class Declared { Unicode, Latin, Ascii, Other };

Declared classify(const QString &lower)
{
    static const QStringList latin = {
        u"iso-8859-1"_s,
        u"iso8859-1"_s,
        u"iso_8859-1"_s,
        u"iso_8859-1:1987"_s,
        u"latin1"_s,
        u"latin-1"_s,
        u"l1"_s,
        u"cp819"_s,
        u"ibm819"_s,
        u"iso-ir-100"_s,
        u"csisolatin1"_s,
        u"windows-1252"_s,
        u"cp1252"_s,
        u"x-cp1252"_s,
        u"cswindows1252"_s,
    };
    static const QStringList ascii
        = {u"us-ascii"_s, u"ascii"_s, u"iso646-us"_s, u"ansi_x3.4-1968"_s, u"csascii"_s};
    if (lower.startsWith(u"utf") || lower.startsWith(u"ucs") || lower == u"unicode")
        return Declared::Unicode;
    if (latin.contains(lower))
        return Declared::Latin;
    if (ascii.contains(lower))
        return Declared::Ascii;
    return Declared::Other;
}

// Whether a label names UTF-16 or UTF-32 (UCS-2, UCS-4): forms of two or four bytes a
// character, in none of which a declaration read one byte a character can be written.
bool namesWideForm(const QString &lower)
{
    static const QStringList wide = {u"utf-16"_s, u"utf16"_s, u"utf-32"_s, u"utf32"_s,  u"ucs-2"_s,
                                     u"ucs2"_s,   u"ucs-4"_s, u"ucs4"_s,   u"unicode"_s};
    return std::any_of(wide.cbegin(), wide.cend(),
                       [&](const QString &form) { return lower.startsWith(form); });
}

// The encoding an XML declaration at the start of the text names; nothing when it names none.
std::optional<QString> declaredEncoding(const QString &text)
{
    const qsizetype start = QStringView(text).left(10).indexOf(u"<?xml", 0, Qt::CaseInsensitive);
    if (start < 0)
        return std::nullopt;
    const qsizetype end = text.indexOf(u"?>", start);
    if (end < 0)
        return std::nullopt;
    QString prolog = text.mid(start, end + 2 - start);
    prolog.replace(u'\'', u'"');
    prolog.remove(u'\n');
    prolog.remove(u'\r');
    prolog.remove(u' ');
    const qsizetype key = prolog.indexOf(u"encoding=\"", 0, Qt::CaseInsensitive);
    if (key < 0)
        return std::nullopt;
    const qsizetype open = key + 10;
    const qsizetype close = prolog.indexOf(u'"', open);
    if (close < 0)
        return std::nullopt;
    return prolog.mid(open, close - open);
}

// The way to read bytes in the declared encoding; nothing when the name is unknown.
std::optional<Codec> codecNamed(const QString &name)
{
    const QString lower = name.toLower();
    switch (classify(lower)) {
    case Declared::Unicode:
        // Bytes that reached the default rule carry no UTF-16/32 signature, so a Unicode label
        // other than UTF-8 cannot describe them (see namesWideForm); only UTF-8 spellings are
        // taken at their word.
        if (lower == u"utf8")
            return Codec {Codec::Kind::Unicode, QStringConverter::Utf8, {}, name};
        return std::nullopt;
    case Declared::Latin:
        return Codec {Codec::Kind::Windows1252, {}, {}, name};
    case Declared::Ascii:
        return Codec {Codec::Kind::Ascii, {}, {}, name};
    case Declared::Other:
        break;
    }
    if (!isSafeCharsetName(name))
        return std::nullopt;
    iconv_t probe = iconv_open(kHostUtf16, name.toLatin1().constData());
    if (probe == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    iconv_close(probe);
    return Codec {Codec::Kind::Iconv, {}, name.toLatin1(), name};
}

int byteAt(const QByteArray &data, qsizetype i)
{
    return i < data.size() ? static_cast<unsigned char>(data[i]) : -1;
}

// A byte order mark, or the first characters of a prolog in UTF-16 or UTF-32, give the encoding
// outright: the bytes to skip and the encoding.
std::optional<std::pair<qsizetype, QStringConverter::Encoding>> signatureOf(const QByteArray &data)
{
    const int b0 = byteAt(data, 0), b1 = byteAt(data, 1), b2 = byteAt(data, 2),
              b3 = byteAt(data, 3);
    // FF FE 00 00 is UTF-32LE and must be tested before the UTF-16LE mark.
    if (b0 == 0x00 && b1 == 0x3C && b2 == 0x00 && b3 == 0x3F)
        return {{0, QStringConverter::Utf16BE}};
    if (b0 == 0x00 && b1 == 0x00 && b2 == 0x00 && b3 == 0x3C)
        return {{0, QStringConverter::Utf32BE}};
    if (b0 == 0x00 && b1 == 0x00 && b2 == 0xFE && b3 == 0xFF)
        return {{4, QStringConverter::Utf32BE}};
    if (b0 == 0xFF && b1 == 0xFE && b2 == 0x00 && b3 == 0x00)
        return {{4, QStringConverter::Utf32LE}};
    if (b0 == 0xFF && b1 == 0xFE)
        return {{2, QStringConverter::Utf16LE}};
    if (b0 == 0xFE && b1 == 0xFF && !(b2 == 0x00 && b3 == 0x00))
        return {{2, QStringConverter::Utf16BE}};
    if (b0 == 0xEF && b1 == 0xBB && b2 == 0xBF)
        return {{3, QStringConverter::Utf8}};
    if (b0 == 0x3C && b1 == 0x00 && b2 == 0x3F && b3 == 0x00)
        return {{0, QStringConverter::Utf16LE}};
    if (b0 == 0x3C && b1 == 0x00 && b2 == 0x00 && b3 == 0x00)
        return {{0, QStringConverter::Utf32LE}};
    return std::nullopt;
}

QString nameOf(QStringConverter::Encoding encoding)
{
    return QString::fromLatin1(QStringConverter::nameForEncoding(encoding));
}

// How the bytes were read: the text, or the way of reading that failed and how it was chosen.
struct Reading
{
    enum class By { Signature, Declaration, UnknownDeclaration, Default };
    std::optional<QString> text;
    Codec codec;
    qsizetype skip = 0; // the bytes of a signature before the text
    By by = By::Default;
    QString declared;
};

Reading readingOf(const QByteArray &data)
{
    if (const auto signature = signatureOf(data)) {
        const Codec codec {Codec::Kind::Unicode, signature->second, {}, nameOf(signature->second)};
        return {codec.decode(QByteArrayView(data).sliced(signature->first)),
                codec,
                signature->first,
                Reading::By::Signature,
                {}};
    }
    // Default rule: UTF-8, then 7-bit ASCII. When neither decodes (a Latin-1 or windows-1252
    // feed with accented letters), the prolog is still read through a byte-transparent view so
    // that the declared charset gets its chance; the read fails only when nothing decodes.
    std::optional<QString> first = kUtf8.decode(data);
    if (!first)
        first = kAscii.decode(data);
    QString prolog;
    if (first) {
        prolog = first->left(4096);
        const qsizetype close = first->indexOf(u"?>");
        if (close >= 0 && close >= prolog.size())
            prolog = first->left(close + 2);
    } else {
        // The prolog ends at the first "?>"; decode only up to it.
        qsizetype close = QByteArrayView(data).indexOf(QByteArrayView("?>"));
        prolog = QString::fromLatin1(data.constData(),
                                     close < 0 ? qMin<qsizetype>(data.size(), 4096) : close + 2);
    }
    const std::optional<QString> declared = declaredEncoding(prolog);
    if (!declared)
        return {first, kUtf8, 0, Reading::By::Default, {}};
    if (declared->toLower() != u"utf-8") {
        const std::optional<Codec> codec = codecNamed(*declared);
        if (!codec)
            return {first, kUtf8, 0, Reading::By::UnknownDeclaration, *declared};
        std::optional<QString> again = codec->decode(data);
        if (!again)
            again = kAscii.decode(data);
        return {again ? again : first, *codec, 0, Reading::By::Declaration, *declared};
    }
    return {first, kUtf8, 0, Reading::By::Declaration, *declared};
}

} // namespace

QString VLXParseFeed::stringFromXMLData(const QByteArray &data)
{
    return readingOf(data).text.value_or(QString());
}

QString VLXParseFeed::textForMending(const QByteArray &data)
{
    Reading reading = readingOf(data);
    if (reading.text)
        return std::move(*reading.text);
    return reading.codec.mended(QByteArrayView(data).sliced(reading.skip));
}

QString VLXParseFeed::decodingProblem(const QByteArray &data, int *lineOut)
{
    const Reading reading = readingOf(data);
    if (reading.text)
        return QString();
    // The text up to the first sequence that is no text, and the lines in it as a parser
    // counts them ("\r\n" is one).
    const QByteArrayView bytes = QByteArrayView(data).sliced(reading.skip);
    const Decoded decoded = reading.codec.read(bytes, Stray::Stop);
    const QStringView before = QStringView(decoded.text).first(decoded.firstBadAt);
    const qsizetype line = 1 + before.count(u'\n') + before.count(u'\r') - before.count(u"\r\n");
    if (lineOut)
        *lineOut = int(line);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QString where;
    if (decoded.cutOff) {
        where = u": they end in the middle of a character, on line %1."_s.arg(line);
    } else if (decoded.firstBad >= 0) {
        where = u": they stop being text at byte %1 (0x%2), on line %3."_s.arg(
            english.toString(reading.skip + decoded.firstBad + 1),
            QString::number(static_cast<unsigned char>(bytes[decoded.firstBad]), 16)
                .rightJustified(2, u'0')
                .toUpper(),
            QString::number(line));
    } else {
        where = u"."_s; // the converter could not be started
    }
    // The names of encodings that come from the file are quoted as such.
    const QString name = reading.by == Reading::By::Signature
        ? reading.codec.name
        : ShownText::quoted(reading.codec.name);
    switch (reading.by) {
    case Reading::By::Signature:
        if (reading.skip > 0)
            return u"Its bytes are not valid %1, the encoding its byte order mark names%2"_s.arg(
                name, where);
        return u"Its bytes are not valid %1, the encoding its first character \"<\" is written "
               u"in%2"_s.arg(name, where);
    case Reading::By::Declaration:
        return u"Its bytes are not valid %1, the encoding it declares%2"_s.arg(name, where);
    case Reading::By::UnknownDeclaration:
        if (namesWideForm(reading.declared.toLower()))
            return u"It declares the encoding \"%1\", in which the declaration itself, written "
                   u"one byte a character, cannot stand, and its bytes are not valid UTF-8 "
                   u"either%2"_s.arg(ShownText::quoted(reading.declared), where);
        return u"It declares the encoding \"%1\", which Vellumcast does not know, and its bytes "
               u"are not valid UTF-8 either%2"_s.arg(ShownText::quoted(reading.declared), where);
    case Reading::By::Default:
        break;
    }
    return u"Its bytes are not valid UTF-8, the encoding of a file that declares none%1"_s.arg(
        where);
}

QString VLXParseFeed::getXMLEncodingString(const QString &text)
{
    return declaredEncoding(text).value_or(u"UTF-8"_s);
}
