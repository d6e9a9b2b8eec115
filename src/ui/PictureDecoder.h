#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>
#include <optional>

class QObject;

// Reads a picture from bytes or a file as a feed image may be: GIF, JPEG or PNG, told by the
// bytes' own signature and read by that format's reader alone. Every other kind is refused
// before any reader sees it: left to choose by content, Qt tries each image plugin it has, and
// a compressed SVG of one megabyte inflates to gigabytes before anything is drawn. A picture
// whose pixels would take more than the allocation limit is refused from its header, before
// its pixels are made.
class PictureDecoder
{
public:
    enum class Format { GIF, JPEG, PNG };

    // No feed image comes near this many bytes.
    static constexpr qint64 kMaximumBytes = qint64(64) * 1024 * 1024;
    // The most memory the pixels of one picture may take, in megabytes.
    static constexpr int kAllocationLimitMegabytes = 256;

    struct Result
    {
        QImage picture;
        // Empty when the picture was read; otherwise why not, as words that can follow a colon
        // or stand in quotes ("the data is not a GIF, JPEG or PNG picture").
        QString problem;
    };

    // The format the bytes begin as, nothing when they are none of the three.
    static std::optional<Format> formatOf(const QByteArray &bytes);
    // The same for the first bytes of an ordinary file; nothing for anything else.
    static std::optional<Format> formatOfFile(const QString &path);

    // On the calling thread: any thread may call these.
    static Result decode(const QByteArray &bytes);
    static Result decodeFile(const QString &path);

    // On a worker thread of the decoder's own; `done` runs afterwards on the receiver's thread,
    // and not at all once the receiver is gone.
    using Done = std::function<void(const Result &)>;
    static void decodeLater(const QByteArray &bytes, QObject *receiver, Done done);
    static void decodeFileLater(const QString &path, QObject *receiver, Done done);
    // Waits until no decoding is under way (used at exit and by tests).
    static void waitForIdle();
};
