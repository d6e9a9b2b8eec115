#include "io/FeedFileWriter.h"

#include "platform/PropertyList.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtDebug>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <functional>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Our temporary files: hidden, named after the file they will replace, with a marker and six
// random characters ".news.xml.vlx-save-Ab3xYz". A name too long to carry all that keeps its
// start and a hash of the whole name instead.
const QByteArray kMarker = "vlx-save-";
constexpr int kRandomLength = 6;

QString reasonOf(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

QString baseName(const QString &feedPath)
{
    return QFileInfo(feedPath).completeBaseName();
}

long nameMax(const QString &folder)
{
    const long max = ::pathconf(encoded(folder).constData(), _PC_NAME_MAX);
    return max > 0 ? max : 255;
}

QByteArray temporaryPrefix(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    const QByteArray name = encoded(QFileInfo(path).fileName());
    const qsizetype room = nameMax(folder) - 2 - kMarker.size() - kRandomLength;
    if (name.size() <= room)
        return '.' + name + '.' + kMarker;
    const QByteArray hash = QCryptographicHash::hash(name, QCryptographicHash::Sha1).toHex();
    qsizetype keep = std::max<qsizetype>(0, room - 9);
    while (keep > 0 && (uchar(name[keep]) & 0xC0) == 0x80) // not inside a UTF-8 sequence
        --keep;
    return '.' + name.left(keep) + '~' + hash.left(8) + '.' + kMarker;
}

bool isTemporaryName(const QByteArray &name, const QByteArray &prefix)
{
    if (name.size() != prefix.size() + kRandomLength || !name.startsWith(prefix))
        return false;
    return std::all_of(name.cend() - kRandomLength, name.cend(),
                       [](char c) { return std::isalnum(uchar(c)); });
}

// A save that was interrupted (a crash, a power cut) leaves its temporary files; the next save
// of the same file clears them away. Only ordinary files of exactly our pattern are removed.
void removeStaleTemporaries(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    const QByteArray prefix = temporaryPrefix(path);
    DIR *dir = ::opendir(encoded(folder).constData());
    if (!dir)
        return;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!isTemporaryName(name, prefix))
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISREG(info.st_mode))
            ::unlinkat(::dirfd(dir), name.constData(), 0);
    }
    ::closedir(dir);
}

// Creates a new file of our pattern beside `path` through `create` (which answers a descriptor
// or -1 with errno), trying other random names while one is taken.
QString createBeside(const QString &path, const std::function<int(const QByteArray &)> &create,
                     int *error)
{
    const QByteArray folder = encoded(QFileInfo(path).absolutePath()) + '/';
    const QByteArray prefix = temporaryPrefix(path);
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = prefix;
        for (int i = 0; i < kRandomLength; ++i)
            name += kChars[QRandomGenerator::global()->bounded(int(sizeof(kChars) - 1))];
        if (create(folder + name) >= 0)
            return QFile::decodeName(folder + name);
        if (errno != EEXIST) {
            *error = errno;
            return {};
        }
    }
    *error = EEXIST;
    return {};
}

// Who owns a file and its permissions, to be given to the file that replaces it.
struct Ownership
{
    mode_t mode = 0;
    uid_t uid = uid_t(-1);
    gid_t gid = gid_t(-1);
    bool existing = false;
};

mode_t currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:"))
                return mode_t(line.mid(6).trimmed().toUInt(nullptr, 8));
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

Ownership ownershipOf(const QString &path, const Ownership &otherwise)
{
    struct stat info {};
    if (::stat(encoded(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return otherwise;
    return {mode_t(info.st_mode & 07777), info.st_uid, info.st_gid, true};
}

void applyOwnership(int fd, const Ownership &owner)
{
    if (owner.existing && (owner.uid != ::geteuid() || owner.gid != ::getegid())) {
        // Only root may give a file away; the group may still be kept by its members.
        if (::fchown(fd, owner.uid, owner.gid) != 0)
            (void)::fchown(fd, uid_t(-1), owner.gid);
    }
    ::fchmod(fd, owner.mode);
}

bool writeFully(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(std::min<qint64>(size, 1 << 30)));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// Writes the bytes to a new temporary file beside `path`, forces them to the disk and gives the
// file its final owner and mode. Readable by the user alone until it is complete, so nobody can
// open it early and read a private feed later. Answers its path, or "" with *problem set.
QString writeTemporary(const QString &path, const QByteArray &bytes, const Ownership &owner,
                       QString *problem)
{
    int fd = -1;
    int error = 0;
    const QString temporary = createBeside(
        path,
        [&](const QByteArray &name) {
            return fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        },
        &error);
    const QString name = QFileInfo(path).fileName();
    const QString folder = shown(QFileInfo(path).absolutePath());
    if (temporary.isEmpty()) {
        *problem = QStringLiteral("\"%1\" could not be created in \"%2\": %3")
                       .arg(name, folder, reasonOf(error));
        return {};
    }
    bool ok = writeFully(fd, bytes.constData(), bytes.size()) && ::fsync(fd) == 0;
    error = errno;
    if (ok)
        applyOwnership(fd, owner);
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(encoded(temporary).constData());
        *problem = QStringLiteral("\"%1\" could not be written in \"%2\": %3")
                       .arg(name, folder, reasonOf(error));
        return {};
    }
    return temporary;
}

// Keeps the current file under a temporary name (a second link to it, or a copy where the file
// system has no links) until the new file has taken its place. "" when there is no current file.
bool keepCurrent(const QString &path, QString *kept, QString *problem)
{
    kept->clear();
    struct stat info {};
    if (::stat(encoded(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return true; // nothing to keep; a folder in the way fails the rename with its reason
    int error = 0;
    *kept = createBeside(
        path,
        [&](const QByteArray &name) {
            return ::link(encoded(path).constData(), name.constData()) == 0 ? 0 : -1;
        },
        &error);
    if (!kept->isEmpty())
        return true;
    if (error == EPERM || error == ENOTSUP || error == EMLINK || error == EOPNOTSUPP) {
        QFile current(path);
        if (current.open(QIODevice::ReadOnly)) {
            *kept = writeTemporary(path, current.readAll(), ownershipOf(path, {}), problem);
            return !kept->isEmpty();
        }
        error = EACCES;
    }
    *problem = QStringLiteral("\"%1\" could not be kept as a backup: %2")
                   .arg(shown(path), reasonOf(error));
    return false;
}

void removeIfSet(const QString &path)
{
    if (!path.isEmpty())
        ::unlink(encoded(path).constData());
}

bool renameOver(const QString &from, const QString &to)
{
    return ::rename(encoded(from).constData(), encoded(to).constData()) == 0;
}

void syncFolder(const QString &path)
{
    const int fd = ::open(encoded(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The path a save writes to: through symbolic links to the file they name, which need not exist
// yet, so the link stays a link.
bool resolveLinks(const QString &path, QString *resolved, QString *problem)
{
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hop = 0; hop < 40; ++hop) {
        const QFileInfo info(current);
        if (!info.isSymLink()) {
            *resolved = current;
            return true;
        }
        current = info.symLinkTarget();
    }
    *problem = QStringLiteral("\"%1\" could not be saved: %2").arg(shown(path), reasonOf(ELOOP));
    return false;
}

// Whether two paths name one folder, however each is reached (a link, a second mount of it).
// The backups of both generations have the same names, so when the feed's folder is the
// "Temporary" folder itself they are one file, and rotating one onto the other would delete it.
bool sameFolder(const QString &a, const QString &b)
{
    struct stat first {}, second {};
    return ::stat(encoded(a).constData(), &first) == 0
        && ::stat(encoded(b).constData(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

bool present(const QString &path)
{
    struct stat info {};
    return ::lstat(encoded(path).constData(), &info) == 0;
}

// A backup the rotation moves on: anything at its name but a folder, which the user put there.
bool movable(const QString &path)
{
    struct stat info {};
    return ::lstat(encoded(path).constData(), &info) == 0 && !S_ISDIR(info.st_mode);
}

// Gives the previous version that could not become the backup a visible name of its own beside
// the backup ("news.xml-bak.1", ".2", ...), so that nothing removes it; answers where it is now.
QString keepAside(const QString &kept, const QString &backup)
{
    for (int n = 1; n < 1000; ++n) {
        const QString spare = QStringLiteral("%1.%2").arg(backup).arg(n);
        if (present(spare))
            continue;
        return renameOver(kept, spare) ? spare : kept;
    }
    return kept;
}

// The second generation receives the first, the first receives the kept file (the version the
// save replaced). Nothing that could not be moved on is deleted: when the first generation
// cannot go to the second, it stays, and so does the kept file, under a name of its own; when
// there is no kept file the first generation stays too. *problem says what failed and where the
// previous version is.
void rotateInto(const QString &kept, const QString &firstBackup, const QString &secondBackup,
                QString *problem)
{
    int error = 0;
    QString failed;
    if (!secondBackup.isEmpty() && movable(firstBackup)) {
        if (present(secondBackup) && ::unlink(encoded(secondBackup).constData()) != 0) {
            error = errno;
            failed = secondBackup;
        } else {
            // The folders may lie on different disks: QFile copies where a rename cannot, and
            // leaves the first generation where it was when that fails too.
            errno = 0;
            if (!QFile::rename(firstBackup, secondBackup)) {
                error = errno ? errno : EIO;
                failed = secondBackup;
            }
        }
    }
    if (kept.isEmpty()) {
        if (!failed.isEmpty() && problem->isEmpty())
            *problem = QStringLiteral("The backup \"%1\" could not be made: %2")
                           .arg(shown(failed), reasonOf(error));
        return;
    }
    if (failed.isEmpty()) {
        if (renameOver(kept, firstBackup))
            return;
        error = errno;
        failed = firstBackup;
    }
    const QString aside = keepAside(kept, firstBackup);
    if (problem->isEmpty())
        *problem = QStringLiteral("The backup \"%1\" could not be made: %2. The previous version "
                                  "is kept as \"%3\".")
                       .arg(shown(failed), reasonOf(error), shown(aside));
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
    QString feed;
    QString companion;
    if (!resolveLinks(feedPath, &feed, &result.problem)
        || !resolveLinks(companionPath(feed), &companion, &result.problem))
        return result;
    const QString folder = QFileInfo(feed).absolutePath();
    if (!QFileInfo(folder).isDir() || !QFileInfo(QFileInfo(companion).absolutePath()).isDir()) {
        result.problem = QStringLiteral("The folder \"%1\" does not exist.").arg(shown(folder));
        return result;
    }
    // A feed kept in the "Temporary" folder has one generation of backups: both would be one file.
    const bool second = !temporaryFolder.isEmpty() && QFileInfo(temporaryFolder).isDir()
        && !sameFolder(temporaryFolder, folder);
    const QString firstBackup = feedBackupPath(folder, feed);
    const QString firstCompanionBackup = companionBackupPath(folder, feed);
    // Every name must fit before anything changes on disk.
    for (const QString &name : {feed, companion, firstBackup, firstCompanionBackup}) {
        if (encoded(QFileInfo(name).fileName()).size() > nameMax(QFileInfo(name).absolutePath())) {
            result.problem = QStringLiteral("\"%1\" could not be saved: %2")
                                 .arg(shown(name), reasonOf(ENAMETOOLONG));
            return result;
        }
    }
    bool plistOk = false;
    const QByteArray plist = PropertyList::serialize(entry, PropertyList::Format::Xml, &plistOk);
    if (!plistOk) {
        result.problem
            = QStringLiteral("The feed list entry could not be written as a property list.");
        return result;
    }

    removeStaleTemporaries(feed);
    removeStaleTemporaries(companion);
    // A file keeps its owner and mode; a new feed follows the umask, and a new companion the
    // feed it describes.
    const Ownership feedOwner = ownershipOf(feed, {mode_t(0666 & ~currentUmask())});
    const Ownership companionOwner = ownershipOf(companion, {feedOwner.mode});
    QString feedTemp, companionTemp, keptFeed, keptCompanion;
    const auto cleanUp = [&] {
        for (const QString &path : {feedTemp, companionTemp, keptFeed, keptCompanion})
            removeIfSet(path);
    };
    feedTemp = writeTemporary(feed, feedBytes, feedOwner, &result.problem);
    if (!feedTemp.isEmpty())
        companionTemp = writeTemporary(companion, plist, companionOwner, &result.problem);
    if (companionTemp.isEmpty() || !keepCurrent(feed, &keptFeed, &result.problem)
        || !keepCurrent(companion, &keptCompanion, &result.problem)) {
        cleanUp();
        return result;
    }

    // The new files take the names; the previous ones live on under the kept names.
    if (!renameOver(feedTemp, feed)) {
        result.problem
            = QStringLiteral("\"%1\" could not be replaced: %2").arg(shown(feed), reasonOf(errno));
        cleanUp();
        return result;
    }
    feedTemp.clear();
    if (!renameOver(companionTemp, companion)) {
        result.problem = QStringLiteral("\"%1\" could not be replaced: %2")
                             .arg(shown(companion), reasonOf(errno));
        // Put the previous feed back, so that everything is as it was.
        if (keptFeed.isEmpty() ? ::unlink(encoded(feed).constData()) == 0
                               : renameOver(keptFeed, feed))
            keptFeed.clear();
        cleanUp();
        return result;
    }
    syncFolder(feed);
    syncFolder(companion);
    result.ok = true;

    // Only now do the backups move; a failure here no longer touches the saved feed.
    rotateInto(keptFeed, firstBackup, second ? feedBackupPath(temporaryFolder, feed) : QString(),
               &result.backupProblem);
    rotateInto(keptCompanion, firstCompanionBackup,
               second ? companionBackupPath(temporaryFolder, feed) : QString(),
               &result.backupProblem);
    if (!result.backupProblem.isEmpty())
        qWarning().noquote() << "Saved" << feed << "but" << result.backupProblem;
    return result;
}

void FeedFileWriter::backupFile(const QString &feedPath, const QString &temporaryFolder)
{
    const QString folder = QFileInfo(feedPath).absolutePath();
    const bool second = !temporaryFolder.isEmpty() && QFileInfo(temporaryFolder).isDir()
        && !sameFolder(temporaryFolder, folder);
    if (second)
        rotate(feedBackupPath(folder, feedPath), feedBackupPath(temporaryFolder, feedPath));
    rotate(feedPath, feedBackupPath(folder, feedPath));
    if (second)
        rotate(companionBackupPath(folder, feedPath),
               companionBackupPath(temporaryFolder, feedPath));
    rotate(companionPath(feedPath), companionBackupPath(folder, feedPath));
}
