// Bytes to text: a signature, the encoding the prolog declares or the default rule chooses how
// bytes are read; bytes that give no text tell in what encoding, and where, they stop being text.

#include "io/VLXParseFeed.h"

#include "xml/UTF8Sequence.h"

#include <QLocale>
#include <QStringDecoder>
#include <QSysInfo>

#include <iconv.h>

#include <cerrno>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr char16_t kWin1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Where UTF-8 bytes stop being UTF-8: the first byte of the first sequence that is none.
qsizetype firstNonUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    for (const auto *at = p; at < end;) {
        if (*at < 0x80) {
            ++at;
            continue;
        }
        const int length = utf8SequenceLength(at, end);
        if (length == 0)
            return at - p;
        at += length;
    }
    return bytes.size();
}

// Where UTF-16 or UTF-32 bytes stop being text: a surrogate without its pair, a code point past
// U+10FFFF, or a unit cut off at the end.
qsizetype firstNonUtf16Or32(QByteArrayView bytes, QStringConverter::Encoding encoding)
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
    for (qsizetype at = 0; at + size <= bytes.size(); at += size) {
        const char32_t unit = unitAt(at);
        if (wide) {
            if (unit > 0x10FFFF || (unit >= 0xD800 && unit <= 0xDFFF))
                return at;
        } else if (QChar::isLowSurrogate(unit)) {
            return at;
        } else if (QChar::isHighSurrogate(unit)) {
            if (at + 2 * size > bytes.size() || !QChar::isLowSurrogate(unitAt(at + size)))
                return at;
            at += size;
        }
    }
    return bytes.size() - bytes.size() % size;
}

// One way of reading bytes as text. Every way but windows-1252 is strict: an invalid or cut-off
// sequence fails the whole read, and then failedAt, when asked, tells the first byte that is no
// text in it.
struct Codec
{
    enum class Kind { Unicode, Ascii, Windows1252, Iconv };
    Kind kind;
    QStringConverter::Encoding unicode = QStringConverter::Utf8;
    QByteArray charset; // the C library's name of the encoding (Kind::Iconv)
    QString name; // as the user knows it

    std::optional<QString> decode(QByteArrayView bytes, qsizetype *failedAt = nullptr) const
    {
        std::optional<QString> text;
        switch (kind) {
        case Kind::Unicode:
            text = decodeStrict(bytes);
            if (!text && failedAt)
                *failedAt = unicode == QStringConverter::Utf8 ? firstNonUtf8(bytes)
                                                              : firstNonUtf16Or32(bytes, unicode);
            break;
        case Kind::Ascii:
            text = decodeAscii(bytes, failedAt);
            break;
        case Kind::Windows1252:
            text = decodeWindows1252(bytes);
            break;
        case Kind::Iconv:
            text = decodeIconv(bytes, failedAt);
            break;
        }
        if (text && text->isNull())
            text = QString(u""_s);
        return text;
    }

private:
    // Through Qt's own converters.
    std::optional<QString> decodeStrict(QByteArrayView bytes) const
    {
        QStringDecoder decoder(
            unicode, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        // Qt passes a truncated last unit and unpaired surrogates through silently; both make
        // the bytes invalid in the encoding.
        const bool utf16
            = unicode == QStringConverter::Utf16LE || unicode == QStringConverter::Utf16BE;
        const bool utf32
            = unicode == QStringConverter::Utf32LE || unicode == QStringConverter::Utf32BE;
        if ((utf16 && bytes.size() % 2) || (utf32 && bytes.size() % 4))
            return std::nullopt;
        QString text = decoder.decode(bytes);
        if (decoder.hasError() || ((utf16 || utf32) && !QStringView(text).isValidUtf16()))
            return std::nullopt;
        return text;
    }

    static std::optional<QString> decodeAscii(QByteArrayView bytes, qsizetype *failedAt)
    {
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (static_cast<unsigned char>(bytes[i]) >= 0x80) {
                if (failedAt)
                    *failedAt = i;
                return std::nullopt;
            }
        }
        return QString::fromLatin1(bytes.data(), bytes.size());
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

    // Any other character set the C library knows.
    std::optional<QString> decodeIconv(QByteArrayView bytes, qsizetype *failedAt) const
    {
        const char *target
            = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
        iconv_t cd = iconv_open(target, charset.constData());
        if (cd == reinterpret_cast<iconv_t>(-1))
            return std::nullopt;
        // Two units per byte suit most charsets; some give more for one byte (a TSCII byte can
        // stand for four characters). When the room runs out the conversion starts over with
        // twice the room: the C library's converters do not all resume correctly in the middle
        // of the characters of one byte.
        QString text;
        qsizetype capacity = bytes.size() * 2 + 8;
        qsizetype used = 0; // bytes of text filled
        qsizetype stopped = 0; // the bytes read when it stopped
        bool ok = false;
        for (;;) {
            text.resize(capacity);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            char *in = const_cast<char *>(bytes.data());
            size_t inLeft = static_cast<size_t>(bytes.size());
            char *outStart = reinterpret_cast<char *>(text.data());
            char *out = outStart;
            size_t outLeft = static_cast<size_t>(capacity) * 2;
            // The final call writes any shift sequence the charset still owes.
            ok = iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1) && inLeft == 0
                && iconv(cd, nullptr, nullptr, &out, &outLeft) != static_cast<size_t>(-1);
            used = out - outStart;
            stopped = in - bytes.data();
            if (ok || errno != E2BIG)
                break;
            capacity *= 2;
        }
        iconv_close(cd);
        if (!ok) {
            if (failedAt)
                *failedAt = stopped;
            return std::nullopt;
        }
        text.truncate(used / 2);
        return text;
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

// The way to read bytes in the declared encoding; nothing when the name is unknown.
std::optional<Codec> codecNamed(const QString &name)
{
    const QString lower = name.toLower();
    switch (classify(lower)) {
    case Declared::Unicode:
        // Bytes that reached the default rule carry no UTF-16/32 signature, so a Unicode label
        // other than UTF-8 cannot describe them; only UTF-8 spellings are taken at their word.
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
    iconv_t probe = iconv_open("UTF-8", name.toLatin1().constData());
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
    const QString declared = VLXParseFeed::getXMLEncodingString(prolog);
    if (declared.toLower() != u"utf-8") {
        const std::optional<Codec> codec = codecNamed(declared);
        if (!codec)
            return {first, kUtf8, 0, Reading::By::UnknownDeclaration, declared};
        std::optional<QString> again = codec->decode(data);
        if (!again)
            again = kAscii.decode(data);
        return {again ? again : first, *codec, 0, Reading::By::Declaration, declared};
    }
    const bool named = QStringView(prolog)
                           .left(prolog.indexOf(u"?>") + 1)
                           .contains(u"encoding", Qt::CaseInsensitive);
    return {first, kUtf8, 0, named ? Reading::By::Declaration : Reading::By::Default, declared};
}

} // namespace

QString VLXParseFeed::stringFromXMLData(const QByteArray &data)
{
    return readingOf(data).text.value_or(QString());
}

QString VLXParseFeed::textForMending(const QByteArray &data)
{
    const Reading reading = readingOf(data);
    if (reading.text)
        return *reading.text;
    const QByteArrayView bytes = QByteArrayView(data).sliced(reading.skip);
    if (reading.codec.kind != Codec::Kind::Unicode)
        return Codec {Codec::Kind::Windows1252, {}, {}, {}}.decode(bytes).value_or(QString());
    // Qt's converters give a replacement character for each sequence that is none.
    return QStringDecoder(reading.codec.unicode, QStringConverter::Flag::ConvertInitialBom)
        .decode(bytes);
}

QString VLXParseFeed::decodingProblem(const QByteArray &data, int *lineOut)
{
    const Reading reading = readingOf(data);
    if (reading.text)
        return QString();
    const QByteArrayView bytes = QByteArrayView(data).sliced(reading.skip);
    qsizetype at = bytes.size();
    reading.codec.decode(bytes, &at);
    // The lines before it, as a parser counts them ("\r\n" is one).
    const QString before = reading.codec.decode(bytes.first(at)).value_or(QString());
    const qsizetype line = 1 + before.count(u'\n') + before.count(u'\r') - before.count(u"\r\n");
    if (lineOut)
        *lineOut = int(line);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QString where = at < bytes.size()
        ? u"they stop being text at byte %1 (0x%2), on line %3."_s.arg(
            english.toString(reading.skip + at + 1),
            QString::number(static_cast<unsigned char>(bytes[at]), 16)
                .rightJustified(2, u'0')
                .toUpper(),
            QString::number(line))
        : u"they end in the middle of a character, on line %1."_s.arg(line);
    switch (reading.by) {
    case Reading::By::Signature:
        return u"Its bytes are not valid %1, the encoding its byte order mark names: %2"_s.arg(
            reading.codec.name, where);
    case Reading::By::Declaration:
        return u"Its bytes are not valid %1, the encoding it declares: %2"_s.arg(reading.codec.name,
                                                                                 where);
    case Reading::By::UnknownDeclaration:
        return u"It declares the encoding \"%1\", which Vellumcast does not know, and its bytes "
               u"are not valid UTF-8 either: %2"_s.arg(reading.declared, where);
    case Reading::By::Default:
        break;
    }
    return u"Its bytes are not valid UTF-8, the encoding of a file that declares none: %1"_s.arg(
        where);
}

QString VLXParseFeed::getXMLEncodingString(const QString &text)
{
    const qsizetype start = QStringView(text).left(10).indexOf(u"<?xml", 0, Qt::CaseInsensitive);
    if (start < 0)
        return u"UTF-8"_s;
    const qsizetype end = text.indexOf(u"?>", start);
    if (end < 0)
        return u"UTF-8"_s;
    QString prolog = text.mid(start, end + 2 - start);
    prolog.replace(u'\'', u'"');
    prolog.remove(u'\n');
    prolog.remove(u'\r');
    prolog.remove(u' ');
    const qsizetype key = prolog.indexOf(u"encoding=\"", 0, Qt::CaseInsensitive);
    if (key < 0)
        return u"UTF-8"_s;
    const qsizetype open = key + 10;
    const qsizetype close = prolog.indexOf(u'"', open);
    if (close < 0)
        return u"UTF-8"_s;
    return prolog.mid(open, close - open);
}
