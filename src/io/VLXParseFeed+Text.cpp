// Text side of the reader: bytes to text, the prolog, format detection, the text repairs and
// the root's namespace declarations. Nothing here needs the model or an XML tree.

#include "io/VLXParseFeed.h"

#include "io/FeedTextScan.h"
#include "io/TagValueRepair.h"

#include <QStringDecoder>
#include <QSysInfo>

#include <iconv.h>

#include <cerrno>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr char16_t kWin1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Strict decoding through Qt's own converters: any malformed sequence, including a truncated
// one at the end, makes the whole decode fail.
std::optional<QString> decodeStrict(QByteArrayView bytes, QStringConverter::Encoding encoding)
{
    QStringDecoder decoder(
        encoding, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    // Qt passes a truncated last unit and unpaired surrogates through silently; both make the
    // bytes invalid in the encoding.
    const bool utf16
        = encoding == QStringConverter::Utf16LE || encoding == QStringConverter::Utf16BE;
    const bool utf32
        = encoding == QStringConverter::Utf32LE || encoding == QStringConverter::Utf32BE;
    if ((utf16 && bytes.size() % 2) || (utf32 && bytes.size() % 4))
        return std::nullopt;
    QString text = decoder.decode(bytes);
    if (decoder.hasError() || ((utf16 || utf32) && !QStringView(text).isValidUtf16()))
        return std::nullopt;
    if (text.isNull())
        text = QString(u""_s);
    return text;
}

std::optional<QString> decodeAscii(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return std::nullopt;
    }
    return QString::fromLatin1(bytes.data(), bytes.size());
}

// Latin-1 labelled feeds in the wild carry windows-1252 punctuation in 0x80-0x9F (curly quotes,
// dashes, the euro sign), so both labels decode through the windows-1252 table; the five bytes
// that table leaves undefined keep their Latin-1 meaning. Every byte decodes.
QString decodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = (b >= 0x80 && b < 0xA0) ? kWin1252High[b - 0x80] : char16_t(b);
    }
    return text;
}

// Any other character set the C library knows, with the same strictness: an invalid or
// incomplete sequence fails the decode instead of being skipped or replaced.
std::optional<QString> decodeIconv(QByteArrayView bytes, const QByteArray &charset)
{
    const char *target = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
    iconv_t cd = iconv_open(target, charset.constData());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    // Two units per byte suit most charsets; some give more for one byte (a TSCII byte can
    // stand for four characters). When the room runs out the conversion starts over with twice
    // the room: the C library's converters do not all resume correctly in the middle of the
    // characters of one byte.
    QString text;
    qsizetype capacity = bytes.size() * 2 + 8;
    qsizetype used = 0; // bytes of text filled
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
        if (ok || errno != E2BIG)
            break;
        capacity *= 2;
    }
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    text.truncate(used / 2);
    if (text.isNull())
        text = QString(u""_s);
    return text;
}

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

// Decoding by the declared name. nullopt: the name is unknown or the bytes are not valid in it.
std::optional<QString> decodeDeclared(QByteArrayView bytes, const QString &name, bool *known)
{
    const QString lower = name.toLower();
    *known = true;
    switch (classify(lower)) {
    case Declared::Unicode:
        // Bytes that reached the default rule carry no UTF-16/32 signature, so a Unicode label
        // other than UTF-8 cannot describe them; only UTF-8 spellings are taken at their word.
        if (lower == u"utf8")
            return decodeStrict(bytes, QStringConverter::Utf8);
        *known = false;
        return std::nullopt;
    case Declared::Latin:
        return decodeWindows1252(bytes);
    case Declared::Ascii:
        return decodeAscii(bytes);
    case Declared::Other:
        break;
    }
    if (!isSafeCharsetName(name)) {
        *known = false;
        return std::nullopt;
    }
    iconv_t probe = iconv_open("UTF-8", name.toLatin1().constData());
    if (probe == reinterpret_cast<iconv_t>(-1)) {
        *known = false;
        return std::nullopt;
    }
    iconv_close(probe);
    return decodeIconv(bytes, name.toLatin1());
}

int byteAt(const QByteArray &data, qsizetype i)
{
    return i < data.size() ? static_cast<unsigned char>(data[i]) : -1;
}

// --- format detection on the lower-cased, space-free view of the text -------------------------

const char16_t *unitsOf(QStringView text)
{
    return reinterpret_cast<const char16_t *>(text.utf16());
}

QStringList declarationsOf(const QString &text, QLatin1StringView rootTag)
{
    QStringList result;
    const qsizetype root = FeedTextScan::rootStart(unitsOf(text), text.size());
    const qsizetype start = text.indexOf(rootTag, root, Qt::CaseInsensitive);
    if (start < 0)
        return result;
    const qsizetype end = text.indexOf(u'>', start);
    if (end < 0)
        return result;
    QString tag = text.mid(start, end - start);
    for (QChar &c : tag) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    const QStringList pieces = tag.split(u' ', Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        if (piece.startsWith(u"xmlns:"))
            result.append(piece.trimmed().replace(u'\'', u'"'));
    }
    return result;
}

// Position of the first case-insensitive (ASCII) match of `needle` at or after `from`, where
// needle starts with '<' or ']'; -1 when none.
qsizetype findTagCI(QStringView text, QStringView needle, qsizetype from)
{
    const char16_t first = needle[0].unicode();
    const qsizetype n = text.size();
    const qsizetype m = needle.size();
    while (from <= n - m) {
        const qsizetype hit = text.indexOf(QChar(first), from);
        if (hit < 0 || hit > n - m)
            return -1;
        qsizetype k = 1;
        for (; k < m; ++k) {
            char16_t a = text[hit + k].unicode();
            char16_t b = needle[k].unicode();
            if (a >= 'A' && a <= 'Z')
                a += 32;
            if (b >= 'A' && b <= 'Z')
                b += 32;
            if (a != b)
                break;
        }
        if (k == m)
            return hit;
        from = hit + 1;
    }
    return -1;
}

// Literal search that lets the first character's vectorised scan do the work; for the short
// needles of the repairs on large texts this is several times quicker than a general search.
qsizetype findLiteral(QStringView text, QStringView needle, qsizetype from = 0)
{
    const QChar first = needle[0];
    const qsizetype last = text.size() - needle.size();
    for (qsizetype p = text.indexOf(first, from); p >= 0 && p <= last;
         p = text.indexOf(first, p + 1)) {
        if (text.sliced(p, needle.size()) == needle)
            return p;
    }
    return -1;
}

// The text with `tighten` applied to every stretch outside its kept markup, which is copied as
// it is: CDATA sections ("<![CDATA[" in any case to "]]>"; an unclosed one runs to the end),
// comments and processing instructions (an unclosed one is stray characters, tightened). Each
// end is searched for from ever later openings. Answers the text, shared, when nothing changed.
template<typename Tighten> QString outsideKeptMarkup(const QString &text, Tighten tighten)
{
    const QStringView in(text);
    const char16_t *units = unitsOf(in);
    FeedTextScan::NextLiteral cdataEnd {"]]>"_L1}, commentEnd {"-->"_L1}, instructionEnd {"?>"_L1};
    const auto endOf = [&](FeedTextScan::NextLiteral &end, qsizetype from, qsizetype unclosed) {
        const qsizetype close = end.from(units, in.size(), from);
        return close < 0 ? unclosed : close + end.literal.size();
    };
    QString out;
    out.reserve(in.size());
    qsizetype from = 0; // the current stretch starts here
    for (qsizetype lt = in.indexOf(u'<'); lt >= 0;) {
        const QStringView rest = in.sliced(lt);
        const qsizetype end = rest.startsWith(u"<![CDATA[", Qt::CaseInsensitive)
            ? endOf(cdataEnd, lt + 9, in.size())
            : rest.startsWith(u"<!--") ? endOf(commentEnd, lt + 4, -1)
            : rest.startsWith(u"<?")   ? endOf(instructionEnd, lt + 2, -1)
                                       : -1;
        if (end >= 0) {
            tighten(in.sliced(from, lt - from), out);
            out.append(in.sliced(lt, end - lt));
            from = end;
        }
        lt = in.indexOf(u'<', end >= 0 ? end : lt + 1);
    }
    tighten(in.sliced(from), out);
    return out == text ? text : out;
}

bool valueNeedsEscaping(QStringView value)
{
    return FeedTextScan::valueNeedsEscaping(unitsOf(value), value.size());
}

bool textNeedsRepair(QStringView text, const QStringList &tags)
{
    return FeedTextScan::textNeedsRepair(unitsOf(text), text.size(), tags);
}

} // namespace

QString VLXParseFeed::stringFromXMLData(const QByteArray &data)
{
    const int b0 = byteAt(data, 0), b1 = byteAt(data, 1), b2 = byteAt(data, 2),
              b3 = byteAt(data, 3);
    auto explicitly = [&](qsizetype skip, QStringConverter::Encoding encoding) {
        return decodeStrict(QByteArrayView(data).sliced(skip), encoding).value_or(QString());
    };
    // Signature sniffing. FF FE 00 00 is UTF-32LE and must be tested before the UTF-16LE mark.
    if (b0 == 0x00 && b1 == 0x3C && b2 == 0x00 && b3 == 0x3F)
        return explicitly(0, QStringConverter::Utf16BE);
    if (b0 == 0x00 && b1 == 0x00 && b2 == 0x00 && b3 == 0x3C)
        return explicitly(0, QStringConverter::Utf32BE);
    if (b0 == 0x00 && b1 == 0x00 && b2 == 0xFE && b3 == 0xFF)
        return explicitly(4, QStringConverter::Utf32BE);
    if (b0 == 0xFF && b1 == 0xFE && b2 == 0x00 && b3 == 0x00)
        return explicitly(4, QStringConverter::Utf32LE);
    if (b0 == 0xFF && b1 == 0xFE)
        return explicitly(2, QStringConverter::Utf16LE);
    if (b0 == 0xFE && b1 == 0xFF && !(b2 == 0x00 && b3 == 0x00))
        return explicitly(2, QStringConverter::Utf16BE);
    if (b0 == 0xEF && b1 == 0xBB && b2 == 0xBF)
        return explicitly(3, QStringConverter::Utf8);
    if (b0 == 0x3C && b1 == 0x00 && b2 == 0x3F && b3 == 0x00)
        return explicitly(0, QStringConverter::Utf16LE);
    if (b0 == 0x3C && b1 == 0x00 && b2 == 0x00 && b3 == 0x00)
        return explicitly(0, QStringConverter::Utf32LE);

    // Default rule: UTF-8, then 7-bit ASCII. When neither decodes (a Latin-1 or windows-1252
    // feed with accented letters), the prolog is still read through a byte-transparent view so
    // that the declared charset gets its chance; the read fails only when nothing decodes.
    std::optional<QString> first = decodeStrict(data, QStringConverter::Utf8);
    if (!first)
        first = decodeAscii(data);

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
    const QString declared = getXMLEncodingString(prolog);
    if (declared.toLower() != u"utf-8") {
        bool known = false;
        std::optional<QString> again = decodeDeclared(data, declared, &known);
        if (known) {
            if (!again)
                again = decodeAscii(data);
            if (again)
                return *again;
        }
    }
    return first.value_or(QString());
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

bool VLXParseFeed::hasXMLTag(const QString &text)
{
    const QStringView window = QStringView(text).left(10);
    const qsizetype lt = window.indexOf(u'<');
    const qsizetype question = window.indexOf(u'?');
    const qsizetype xml = window.indexOf(u"xml", 0, Qt::CaseInsensitive);
    if (lt < 0 || question < 0 || xml < 0)
        return false;
    return lt == 0 && question != 0 && xml > question;
}

const QStringList &VLXParseFeed::knownVersions()
{
    static const QStringList versions
        = {u"0.9"_s, u"0.91"_s, u"0.92"_s, u"0.93"_s, u"0.94"_s, u"1.0"_s, u"2.0"_s, u"0.3"_s};
    return versions;
}

QStringList VLXParseFeed::getFeedTypeAndVersion(const QString &text)
{
    return FeedTextScan::typeAndVersion(unitsOf(text), text.size());
}

QString VLXParseFeed::encodeIllegalXMLCharacters(const QString &text)
{
    // One pass, copying the runs between the characters it escapes: replacing each kind over
    // the whole text moved the rest of it again for every thousand matches, which took minutes
    // for a long description of markup.
    const char16_t *units = unitsOf(text);
    const qsizetype n = text.size();
    QString out;
    qsizetype copied = 0; // units[0, copied) are in out
    for (qsizetype i = FeedTextScan::nextMarkupCharacter(units, 0, n); i < n;
         i = FeedTextScan::nextMarkupCharacter(units, i + 1, n)) {
        const char16_t c = units[i];
        QStringView escaped;
        if (c == u'<')
            escaped = u"&lt;";
        else if (c == u'>')
            escaped = u"&gt;";
        else if (c == u'&' && !FeedTextScan::keepsAmpersand(units, n, i))
            escaped = u"&amp;";
        else
            continue;
        if (copied == 0)
            out.reserve(n + n / 8 + 8);
        out.append(QStringView(units + copied, i - copied));
        out.append(escaped);
        copied = i + 1;
    }
    if (copied == 0)
        return text;
    out.append(QStringView(units + copied, n - copied));
    return out;
}

QString VLXParseFeed::fixEntityEncodingText(const QString &text, const QString &tagName,
                                            bool *changed)
{
    *changed = false;
    // Titles hold plain text; the descriptions and encoded content HTML.
    const bool holdsHTML = tagName != u"title" && tagName != u"dc:title";
    const QString openTag = u'<' + tagName + u'>';
    const QString closeTag = u"</"_s + tagName + u'>';
    const QStringView view(text);
    static const QString cdataOpen = u"<![CDATA["_s;
    static const QString cdataClose = u"]]>"_s;

    QString out;
    qsizetype copied = 0; // text[0, copied) is already in `out` (when out is in use)
    bool building = false;
    // Last CDATA markers before the current position, tracked in one forward sweep instead of a
    // backward search from every tag (which would make large feeds quadratic). The positions are
    // those of the text as it reads after the repairs so far: an escaped value no longer holds
    // the "]]>" it held before.
    qsizetype lastOpen = -1, lastClose = -1;
    qsizetype scanned = 0; // markers before this position are accounted for
    qsizetype nextOpen = findTagCI(view, cdataOpen, 0);
    qsizetype nextClose = view.indexOf(cdataClose, 0);
    auto sweepTo = [&](qsizetype pos, qsizetype offsetInOut) {
        // Markers lying in text[scanned, pos); offsetInOut maps them into the output. Markers
        // before `scanned` lie in a value that was escaped and no longer exist.
        while (nextOpen >= 0 && nextOpen < pos) {
            if (nextOpen >= scanned)
                lastOpen = nextOpen + offsetInOut;
            nextOpen = findTagCI(view, cdataOpen, nextOpen + 1);
        }
        while (nextClose >= 0 && nextClose < pos) {
            if (nextClose >= scanned)
                lastClose = nextClose + offsetInOut;
            nextClose = view.indexOf(cdataClose, nextClose + 1);
        }
        scanned = qMax(scanned, pos);
    };

    qsizetype delta = 0; // output length minus input length so far
    qsizetype pos = findTagCI(view, openTag, 0);
    while (pos >= 0) {
        sweepTo(pos, delta);
        const bool insideCdata = lastOpen >= 0 && (lastClose < 0 || lastOpen > lastClose);
        if (insideCdata) {
            pos = findTagCI(view, openTag, pos + openTag.size());
            continue;
        }
        const qsizetype valueStart = pos + openTag.size();
        const qsizetype close = findTagCI(view, closeTag, valueStart);
        if (close < 0)
            break;
        const QStringView value = view.sliced(valueStart, close - valueStart);
        if (!value.contains(cdataOpen, Qt::CaseInsensitive) && valueNeedsEscaping(value)) {
            const QString encoded = TagValueRepair::repaired(value, holdsHTML);
            if (encoded != value) {
                if (!building) {
                    out.reserve(text.size() + text.size() / 16);
                    building = true;
                }
                out.append(view.sliced(copied, valueStart - copied));
                out.append(encoded);
                copied = close;
                *changed = true;
                // Markers inside the old value are gone; the new value can hold none of them
                // ("<" and ">" are escaped), so skip past it.
                delta += encoded.size() - value.size();
                scanned = close;
            }
        }
        sweepTo(close, delta);
        pos = findTagCI(view, openTag, close + closeTag.size());
    }
    if (!building)
        return text;
    out.append(view.sliced(copied));
    return out;
}

const QStringList &VLXParseFeed::repairedTags()
{
    static const QStringList tags
        = {u"title"_s, u"description"_s, u"dc:title"_s, u"dc:description"_s, u"content:encoded"_s};
    return tags;
}

QString VLXParseFeed::repairText(const QString &text, QStringList *messages)
{
    const QStringList &tags = repairedTags();
    if (!textNeedsRepair(text, tags))
        return text;
    QString work = text;
    // 1. Double-encoded apostrophes. One pass leaves none: the replacement cannot form a new
    // occurrence with its neighbours.
    if (findLiteral(work, u"&amp;apos;") >= 0) {
        work.replace(u"&amp;apos;"_s, u"&apos;"_s);
        messages->append(u"Fix double encoding of the apostrophe"_s);
    }
    // 2. "< " until none is left: every run of spaces right after a "<" goes. 3. " >" until
    // none is left: every run of spaces right before a ">" goes, with no message. Both leave
    // CDATA sections as they are: a show note's "a < b" or "50 > 40" is text, not a tag. They
    // leave comments and instructions as they are too: "<?x >?>" tightened would be no
    // instruction, and a well-formed feed would no longer parse.
    bool spaceAfterOpen = false;
    work = outsideKeptMarkup(work, [&spaceAfterOpen](QStringView in, QString &out) {
        const qsizetype n = in.size();
        qsizetype i = 0;
        while (i < n) {
            if (in[i] != u' ') {
                out.append(in[i++]);
                continue;
            }
            qsizetype j = i;
            while (j < n && in[j] == u' ')
                ++j;
            if (!out.isEmpty() && out.back() == u'<')
                spaceAfterOpen = true;
            else if (j == n || in[j] != u'>')
                out.append(in.sliced(i, j - i));
            i = j;
        }
    });
    if (spaceAfterOpen)
        messages->append(u"Removed illegal whitespace at start of XML tags"_s);
    // 4. A closing tag of the prolog that some tools write at the end.
    if (findLiteral(work, u"</xml>") >= 0) {
        work.remove(u"</xml>"_s);
        messages->append(u"Removed </xml> tag that shouldn't exist"_s);
    }
    // 5. Tag values re-escaped.
    for (const QString &tag : tags) {
        bool changed = false;
        work = fixEntityEncodingText(work, tag, &changed);
        if (changed)
            messages->append(u"Fixed the encoding in the value of the %1 tag"_s.arg(tag));
    }
    return work;
}

QStringList VLXParseFeed::nameSpaces(const QString &text)
{
    return declarationsOf(text, QLatin1StringView("<rss"));
}

QStringList VLXParseFeed::RDFNameSpaces(const QString &text)
{
    return declarationsOf(text, QLatin1StringView("<rdf:RDF"));
}

QStringList VLXParseFeed::AtomNameSpaces(const QString &text)
{
    return declarationsOf(text, QLatin1StringView("<feed"));
}
