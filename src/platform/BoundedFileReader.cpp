#include "platform/BoundedFileReader.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString sizeText(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 0, QLocale::DataSizeTraditionalFormat);
}

struct Descriptor
{
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

namespace {
// Opens without blocking (opening a named pipe for reading would otherwise wait for a writer)
// and keeps the descriptor only for an ordinary file; *info tells what the path is either way.
int openIfOrdinary(const QString &path, struct stat *info, BoundedFileReader::Refusal *refusal,
                   QString *reason)
{
    using Refusal = BoundedFileReader::Refusal;
    auto fail = [&](Refusal kind, const QString &why) {
        *refusal = kind;
        *reason = why;
        return -1;
    };
    Descriptor file;
    file.fd
        = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (file.fd < 0 || ::fstat(file.fd, info) != 0)
        return fail(Refusal::Unreadable, systemReason(errno));
    if (S_ISDIR(info->st_mode))
        return fail(Refusal::NotAFile, QStringLiteral("it is a folder"));
    if (!S_ISREG(info->st_mode))
        return fail(Refusal::NotAFile,
                    QStringLiteral("it is not an ordinary file (a device, a pipe or a socket)"));
    *refusal = Refusal::None;
    return std::exchange(file.fd, -1);
}
} // namespace

int BoundedFileReader::openOrdinary(const QString &path, Refusal *refusal, QString *reason)
{
    struct stat info {};
    Refusal kind = Refusal::None;
    QString why;
    const int fd = openIfOrdinary(path, &info, &kind, &why);
    if (refusal)
        *refusal = kind;
    if (reason)
        *reason = why;
    return fd;
}

std::optional<QByteArray> BoundedFileReader::read(const QString &path, qint64 limit,
                                                  QString *problem, Refusal *refusal)
{
    const QString shown = QDir::toNativeSeparators(path);
    Refusal kind = Refusal::None;
    auto fail = [&](const QString &why) -> std::optional<QByteArray> {
        if (problem)
            *problem = why;
        if (refusal)
            *refusal = kind;
        return std::nullopt;
    };
    if (problem)
        problem->clear();
    if (refusal)
        *refusal = Refusal::None;
    struct stat info {};
    QString reason;
    Descriptor file;
    file.fd = openIfOrdinary(path, &info, &kind, &reason);
    if (kind == Refusal::Unreadable)
        return fail(QStringLiteral("The file \"%1\" could not be opened: %2.").arg(shown, reason));
    if (kind == Refusal::NotAFile && S_ISDIR(info.st_mode))
        return fail(QStringLiteral("\"%1\" is a folder, not a file.").arg(shown));
    if (kind == Refusal::NotAFile)
        return fail(QStringLiteral("\"%1\" is not an ordinary file (it is a device, a pipe or a "
                                   "socket) and is not read.")
                        .arg(shown));
    kind = Refusal::TooLarge;
    if (qint64(info.st_size) > limit)
        return fail(QStringLiteral("The file \"%1\" is %2; files larger than %3 are not read.")
                        .arg(shown, sizeText(qint64(info.st_size)), sizeText(limit)));

    // The buffer is sized for the file as it stands, and the reads stop at that size: the bytes
    // are kept for as long as the document is open, so they take no room beyond the file's.
    // Then a one-byte probe tells whether the file ended there or grew meanwhile; only a file
    // that grew (or told no size) makes the buffer grow.
    qint64 expected = qint64(info.st_size);
    QByteArray bytes;
    bytes.reserve(qsizetype(expected));
    // One byte more than the limit is asked for, so a file that grew past it is noticed.
    constexpr qsizetype kChunk = 1 << 20;
    qint64 total = 0;
    for (;;) {
        const qint64 room = limit + 1 - total;
        if (room <= 0) // it grew, or its size was not known beforehand
            return fail(QStringLiteral("The file \"%1\" is larger than %2 and is not read.")
                            .arg(shown, sizeText(limit)));
        char probe = 0;
        const bool probing = total >= expected;
        const qsizetype want
            = probing ? 1 : qsizetype(std::min<qint64>({kChunk, room, expected - total}));
        if (!probing)
            bytes.resize(qsizetype(total) + want);
        const ssize_t got = ::read(file.fd, probing ? &probe : bytes.data() + total, size_t(want));
        const int error = errno;
        if (got < 0 && error == EINTR)
            continue;
        if (got < 0) {
            kind = Refusal::Unreadable;
            return fail(QStringLiteral("The file \"%1\" could not be read: %2.")
                            .arg(shown, systemReason(error)));
        }
        if (got == 0)
            break;
        if (probing) {
            // It grew: what is left is read in chunks again, up to the limit.
            bytes.resize(qsizetype(total));
            bytes.append(probe);
            expected = limit + 1;
        }
        total += got;
    }
    bytes.resize(qsizetype(total));
    return bytes;
}
