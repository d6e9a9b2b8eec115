#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringConverter>

#include <optional>

// One way of reading bytes as text: a Unicode form, ASCII, windows-1252 (which Latin-1 labels read
// as too) or a character set of the C library. Every way but windows-1252 has bytes that are no
// text in it: read strictly they fail the whole read, read to mend they are shown (see Stray).
class FeedCodec
{
public:
    enum class Kind { Unicode, Ascii, Windows1252, Iconv };

    // What becomes of a sequence of bytes that is no text in the encoding they are read in. Read
    // strictly, the text ends where it starts. Read to mend, the reading goes on right after it,
    // so that every character that decodes stays, and the sequence is shown as one U+FFFD, or,
    // where a byte beyond ASCII is most likely a letter of windows-1252 (text that should have
    // been UTF-8 or ASCII), each of its bytes as that letter.
    enum class Stray { Stop, Replace, Windows1252 };

    // Bytes read as text, and the first sequence of them that is no text in their encoding.
    struct Decoded
    {
        QString text;
        qsizetype firstBad = -1; // the first byte of that sequence; -1 when every byte decodes
        qsizetype firstBadAt = 0; // the units of text before it
        bool cutOff = false; // it is the start of a character the end of the bytes cuts off
    };

    Kind kind;
    QStringConverter::Encoding unicode = QStringConverter::Utf8;
    QByteArray charset; // the C library's name of the encoding (Kind::Iconv)
    QString name; // as the user knows it

    // The text, or nothing when any byte is no text.
    std::optional<QString> decode(QByteArrayView bytes) const;
    // The bytes read up to the first that is no text, or to mend (see Stray).
    Decoded read(QByteArrayView bytes, Stray stray) const;
    // The bytes read to mend. Bytes beyond ASCII in text that should be UTF-8 or ASCII are
    // mostly windows-1252 (or Latin-1) that a tool copied in unconverted: they are those letters.
    // Text declared ASCII that holds UTF-8 is UTF-8 (as the feed's bytes are read when nothing
    // else is amiss), and keeps its characters. A byte of another encoding is no more likely one
    // letter than another: each sequence that is no text in it is one U+FFFD.
    QString mended(QByteArrayView bytes) const;
    // Whether the C library reads the character set of that name.
    static bool libraryKnows(const QByteArray &charset);

private:
    static Decoded decodeAscii(QByteArrayView bytes, Stray stray);
    // Latin-1 labelled feeds in the wild carry windows-1252 punctuation in 0x80-0x9F (curly
    // quotes, dashes, the euro sign), so both labels decode through the windows-1252 table; the
    // five bytes that table leaves undefined keep their Latin-1 meaning. Every byte decodes.
    static QString decodeWindows1252(QByteArrayView bytes);
    // Any other character set the C library knows. A byte where the converter stops is no text:
    // read to mend, it is shown and the conversion goes on at the byte after it, with the
    // converter's state as it stood (an ISO 2022 text stays in the character set its last
    // escape chose); the bytes of a character the end cuts off are shown as one.
    Decoded decodeIconv(QByteArrayView bytes, Stray stray) const;
};
