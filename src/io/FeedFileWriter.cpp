#include "io/FeedFileWriter.h"

#include "platform/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {
QString baseName(const QString &feedPath)
{
    return QFileInfo(feedPath).completeBaseName();
}

// Writes the bytes to a new temporary file in the folder and makes sure they reached the disk.
// Answers the temporary file's path, or an empty path with the reason.
QString writeTemporary(const QString &folder, const QString &name, const QByteArray &bytes,
                       QString *problem)
{
    QTemporaryFile file(QDir(folder).filePath(QStringLiteral(".%1.XXXXXX").arg(name)));
    file.setAutoRemove(true);
    if (!file.open()) {
        *problem = QStringLiteral("\"%1\" could not be created in \"%2\": %3")
                       .arg(name, QDir::toNativeSeparators(folder), file.errorString());
        return {};
    }
    bool written = file.write(bytes) == bytes.size() && file.flush();
    // A full disk may only show when the data is forced out.
    if (written && ::fsync(file.handle()) != 0)
        written = false;
    if (!written) {
        const QString reason = file.error() != QFileDevice::NoError
            ? file.errorString()
            : QString::fromLocal8Bit(std::strerror(errno));
        *problem = QStringLiteral("\"%1\" could not be written in \"%2\": %3")
                       .arg(name, QDir::toNativeSeparators(folder), reason);
        return {};
    }
    // The saved file is an ordinary document, not private to us.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                        | QFileDevice::ReadOther);
    file.setAutoRemove(false);
    return file.fileName();
}

// Replaces target with source by a rename in the same folder.
bool replaceWith(const QString &source, const QString &target)
{
    return ::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData())
        == 0;
}

// Moves `from` to `to`, first removing what `to` holds. A missing `from` is passed over; a failed
// removal skips the move so the newest backup is never overwritten by a failed step.
void rotate(const QString &from, const QString &to)
{
    if (QFileInfo::exists(to) && !QFile::remove(to))
        return;
    if (QFileInfo::exists(from))
        QFile::rename(from, to);
}

// The second generation receives the first, the first receives the current file; the current
// file stays in place (a hard link keeps it while it becomes the backup), so at no moment is
// the feed without a file of its name.
void rotateKeepingCurrent(const QString &current, const QString &firstBackup,
                          const QString &secondBackup)
{
    if (!secondBackup.isEmpty())
        rotate(firstBackup, secondBackup);
    if (QFileInfo::exists(firstBackup) && !QFile::remove(firstBackup))
        return;
    if (!QFileInfo::exists(current))
        return;
    if (::link(QFile::encodeName(current).constData(), QFile::encodeName(firstBackup).constData())
        != 0)
        QFile::copy(current, firstBackup);
}
} // namespace

QString FeedFileWriter::companionPath(const QString &feedPath)
{
    return feedPath + QStringLiteral(".plist");
}

QString FeedFileWriter::feedBackupPath(const QString &folder, const QString &feedPath)
{
    return QDir(folder).filePath(QStringLiteral("%1.xml-bak").arg(baseName(feedPath)));
}

QString FeedFileWriter::companionBackupPath(const QString &folder, const QString &feedPath)
{
    return QDir(folder).filePath(QStringLiteral("%1.xml.plist-bak").arg(baseName(feedPath)));
}

FeedFileWriter::Result FeedFileWriter::save(const QString &feedPath, const QByteArray &feedBytes,
                                            const QVariantMap &entry,
                                            const QString &temporaryFolder)
{
    Result result;
    const QFileInfo info(feedPath);
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir()) {
        result.problem = QStringLiteral("The folder \"%1\" does not exist.")
                             .arg(QDir::toNativeSeparators(folder));
        return result;
    }
    bool plistOk = false;
    const QByteArray plist = PropertyList::serialize(entry, PropertyList::Format::Xml, &plistOk);
    if (!plistOk) {
        result.problem
            = QStringLiteral("The feed list entry could not be written as a property list.");
        return result;
    }

    const QString companion = companionPath(feedPath);
    const QString feedTemp = writeTemporary(folder, info.fileName(), feedBytes, &result.problem);
    if (feedTemp.isEmpty())
        return result;
    const QString companionTemp
        = writeTemporary(folder, QFileInfo(companion).fileName(), plist, &result.problem);
    if (companionTemp.isEmpty()) {
        QFile::remove(feedTemp);
        return result;
    }

    // Both new files are on disk: now the backups may move.
    const bool second = !temporaryFolder.isEmpty() && QFileInfo(temporaryFolder).isDir();
    rotateKeepingCurrent(feedPath, feedBackupPath(folder, feedPath),
                         second ? feedBackupPath(temporaryFolder, feedPath) : QString());
    rotateKeepingCurrent(companion, companionBackupPath(folder, feedPath),
                         second ? companionBackupPath(temporaryFolder, feedPath) : QString());

    if (!replaceWith(feedTemp, feedPath)) {
        result.problem = QStringLiteral("\"%1\" could not be replaced: %2")
                             .arg(QDir::toNativeSeparators(feedPath),
                                  QString::fromLocal8Bit(std::strerror(errno)));
        QFile::remove(feedTemp);
        QFile::remove(companionTemp);
        return result;
    }
    if (!replaceWith(companionTemp, companion)) {
        // The feed itself is saved; only its description beside it is stale.
        result.problem = QStringLiteral("\"%1\" could not be replaced: %2")
                             .arg(QDir::toNativeSeparators(companion),
                                  QString::fromLocal8Bit(std::strerror(errno)));
        QFile::remove(companionTemp);
        return result;
    }
    result.ok = true;
    return result;
}

void FeedFileWriter::backupFile(const QString &feedPath, const QString &temporaryFolder)
{
    const QString folder = QFileInfo(feedPath).absolutePath();
    const bool second = !temporaryFolder.isEmpty() && QFileInfo(temporaryFolder).isDir();
    if (second)
        rotate(feedBackupPath(folder, feedPath), feedBackupPath(temporaryFolder, feedPath));
    rotate(feedPath, feedBackupPath(folder, feedPath));
    if (second)
        rotate(companionBackupPath(folder, feedPath),
               companionBackupPath(temporaryFolder, feedPath));
    rotate(companionPath(feedPath), companionBackupPath(folder, feedPath));
}
