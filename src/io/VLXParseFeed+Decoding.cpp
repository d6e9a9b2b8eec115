// Bytes to text: a signature, the encoding the prolog declares or the default rule chooses how
// bytes are read; bytes that give no text tell in what encoding, and where, they stop being text,
// and are offered to be mended read in that encoding with what is no text in it shown.

#include "io/VLXParseFeed.h"

#include "io/FeedCodec.h"

#include "platform/ShownText.h"

#include <QLocale>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const FeedCodec kUtf8 {FeedCodec::Kind::Unicode, QStringConverter::Utf8, {}, u"UTF-8"_s};
const FeedCodec kAscii {FeedCodec::Kind::Ascii, {}, {}, u"US-ASCII"_s};

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
std::optional<FeedCodec> codecNamed(const QString &name)
{
    const QString lower = name.toLower();
    switch (classify(lower)) {
    case Declared::Unicode:
        // Bytes that reached the default rule carry no UTF-16/32 signature, so a Unicode label
        // other than UTF-8 cannot describe them (see namesWideForm); only UTF-8 spellings are
        // taken at their word.
        if (lower == u"utf8")
            return FeedCodec {FeedCodec::Kind::Unicode, QStringConverter::Utf8, {}, name};
        return std::nullopt;
    case Declared::Latin:
        return FeedCodec {FeedCodec::Kind::Windows1252, {}, {}, name};
    case Declared::Ascii:
        return FeedCodec {FeedCodec::Kind::Ascii, {}, {}, name};
    case Declared::Other:
        break;
    }
    if (!isSafeCharsetName(name))
        return std::nullopt;
    if (!FeedCodec::libraryKnows(name.toLatin1()))
        return std::nullopt;
    return FeedCodec {FeedCodec::Kind::Iconv, {}, name.toLatin1(), name};
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
    FeedCodec codec;
    qsizetype skip = 0; // the bytes of a signature before the text
    By by = By::Default;
    QString declared;
};

Reading readingOf(const QByteArray &data)
{
    if (const auto signature = signatureOf(data)) {
        const FeedCodec codec {
            FeedCodec::Kind::Unicode, signature->second, {}, nameOf(signature->second)};
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
        const std::optional<FeedCodec> codec = codecNamed(*declared);
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
    const FeedCodec::Decoded decoded = reading.codec.read(bytes, FeedCodec::Stray::Stop);
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
