#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Reads a whole file that may not be what it claims: only an ordinary file is read (a folder, a
// device such as /dev/zero or a named pipe is refused at once, without blocking), and only up to
// a limit, checked against the size before reading and again while reading, since a file may
// grow meanwhile or report no size at all.
class BoundedFileReader
{
public:
    enum class Refusal { None, Unreadable, NotAFile, TooLarge };

    // The file's bytes, or nothing with *problem set to a sentence for the user that names the
    // file and says why (the system's reason where the system gave one) and *refusal to the
    // kind of failure: Unreadable when the system could not open or read it.
    static std::optional<QByteArray> read(const QString &path, qint64 limit,
                                          QString *problem = nullptr, Refusal *refusal = nullptr);

    // The first step of read() for those who read the file themselves, a piece at a time: the
    // file opened for reading without blocking, and only when it is an ordinary file. The open
    // descriptor (the caller closes it), or -1 with *refusal set (Unreadable or NotAFile) and
    // *reason saying why in a few words ("No such file or directory", "it is a folder").
    static int openOrdinary(const QString &path, Refusal *refusal = nullptr,
                            QString *reason = nullptr);
};
