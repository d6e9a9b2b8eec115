#pragma once

#include <QByteArray>
#include <QLatin1StringView>
#include <QStringView>

#include <cstring>
#include <optional>

// One growing UTF-8 buffer that the feed writer and every extension append to: text is encoded
// (and escaped where asked) straight into it, so writing a document makes no string per value
// and no second copy at the end.
//
// Characters XML 1.0 cannot carry, not even as a reference (C0 controls other than tab, line
// feed and carriage return, U+FFFE, U+FFFF and unpaired surrogates), are left out as the text is
// encoded: they are invisible, and one of them would make the written document unreadable.
class UTF8Writer
{
public:
    UTF8Writer() = default;
    explicit UTF8Writer(qsizetype reserveBytes) { reserve(reserveBytes); }

    // Room for that many more bytes without growing.
    void reserve(qsizetype bytes);
    qsizetype size() const { return m_used; }
    bool isEmpty() const { return m_used == 0; }
    // Drops what was appended after the given size.
    void truncate(qsizetype size)
    {
        if (size < m_used)
            m_used = size;
    }

    // ASCII text (markup and fixed texts of the writer), as it is.
    void append(QLatin1StringView ascii);
    void append(char c)
    {
        ensure(1);
        m_data[m_used++] = c;
    }
    // Text, encoded.
    void append(QStringView text);
    // Text with "&", "<", ">", '"' and, when apos is set, "'" written as their entities.
    void appendEscaped(QStringView text, bool apos);
    // The text escaped as appendEscaped writes it while that takes at most maximumEntities
    // entities, else as appendCDATA writes it.
    void appendEscapedOrCDATA(QStringView text, bool apos, qsizetype maximumEntities);
    // The same for text held as valid UTF-8: the same bytes as for its UTF-16, copied in runs.
    void appendEscapedOrCDATA(QByteArrayView utf8, bool apos, qsizetype maximumEntities);
    // Text with only the characters that `escape` selects (from "&<>\"'") written as entities.
    void appendEscaping(QStringView text, QLatin1StringView escape);
    // Text of several lines, each led by the indent (also the first); a line break followed by
    // nothing more gets no indent.
    void appendIndented(QStringView text, QLatin1StringView indent);
    // The text as CDATA, "<![CDATA[" and "]]>" included, in as many sections as
    // cdataSectionEnd makes of it.
    void appendCDATA(QStringView text);
    // Where the CDATA section holding the text from `from` on ends (the position after its last
    // unit): after the "]]" of a "]]>", whose ">" must open the next section, or after
    // kMaximumCDATAUnits units, because parsers refuse longer sections (libxml2 anything beyond
    // ten million bytes, which three bytes a unit keep clear of); else at the text's end. A
    // surrogate pair is never cut.
    static qsizetype cdataSectionEnd(QStringView text, qsizetype from);
    static constexpr qsizetype kMaximumCDATAUnits = qsizetype(1) << 20;
    // The same for text held as valid UTF-8: the same sections and the same bytes as
    // appendCDATA of its UTF-16 (lengths are still counted in UTF-16 units), written by copying
    // runs of bytes.
    void appendCDATA(QByteArrayView utf8);
    // cdataSectionEnd over UTF-8: the byte after the section's end.
    static qsizetype cdataSectionEnd(QByteArrayView utf8, qsizetype from);
    // Bytes already encoded as UTF-8 (and free of characters XML cannot carry).
    void appendUTF8(QByteArrayView bytes);
    void appendNumber(qint64 n);

    // Whether the text is printable ASCII holding none of &<>"': such text is written as it is,
    // whatever the escaping asked for.
    static bool isPlain(QStringView text);
    // Room for n bytes, counted as written: the caller fills every one of them (copyPlain,
    // memcpy). A line measured beforehand is written without a size check for each piece.
    char *appendSpan(qsizetype n)
    {
        ensure(n);
        char *at = m_data + m_used;
        m_used += n;
        return at;
    }
    // Copies plain text (see isPlain) byte for byte; answers where the copy ends.
    static char *copyPlain(char *to, QStringView text);
    static char *copyPlain(char *to, QLatin1StringView ascii)
    {
        if (!ascii.isEmpty())
            std::memcpy(to, ascii.data(), size_t(ascii.size()));
        return to + ascii.size();
    }

    // The apostrophe choice of the whole document, when its writer made it once (escapers
    // that write into the document take it instead of reading the setting each time).
    void setEncodesApos(bool apos) { m_apos = apos; }
    std::optional<bool> encodesApos() const { return m_apos; }

    // What was written; the writer is empty afterwards.
    QByteArray take();
    // What was written so far.
    QByteArrayView view() const { return QByteArrayView(m_data, m_used); }

private:
    // Makes room for n more bytes.
    void ensure(qsizetype n)
    {
        if (m_used + n > m_capacity)
            grow(n);
    }
    void grow(qsizetype n);
    // Encodes text whose characters the mask (bits per ASCII character) selects as entities.
    // Answers how many entities it wrote.
    qsizetype encode(QStringView text, const quint32 *escapeMask);
    // Copies valid UTF-8, leaving out what encode() leaves out.
    void copyUTF8(QByteArrayView utf8);
    // copyUTF8 writing the characters of the mask as entities, as encode() does; answers how
    // many entities it wrote.
    qsizetype copyUTF8Escaping(QByteArrayView utf8, const quint32 *escapeMask);

    QByteArray m_buffer; // sized to the capacity; m_used of it is written
    char *m_data = nullptr;
    qsizetype m_used = 0;
    qsizetype m_capacity = 0;
    std::optional<bool> m_apos;
};
