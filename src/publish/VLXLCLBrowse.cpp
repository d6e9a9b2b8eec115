#include "publish/VLXLCLBrowse.h"

#include "publish/FTPListingParser.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using P = FTPListingParser;

QString modificationText(const struct stat &info)
{
    return QLocale::c().toString(QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec),
                                 QStringLiteral("dd MMM yyyy HH:mm"));
}

QString fileType(mode_t mode)
{
    if (S_ISDIR(mode))
        return P::kTypeDirectory;
    if (S_ISREG(mode))
        return P::kTypeRegular;
    if (S_ISLNK(mode))
        return P::kTypeSymbolicLink;
    return P::kTypeUnknown;
}

QString readLink(const QByteArray &path)
{
    QByteArray target(4096, '\0');
    const ssize_t length = ::readlink(path.constData(), target.data(), size_t(target.size()));
    return length < 0 ? QString() : QFile::decodeName(target.left(length));
}

} // namespace

VLXLCLBrowse::VLXLCLBrowse() = default;

QString VLXLCLBrowse::resolvedPath(const QString &path)
{
    const QString home = QDir::homePath();
    if (path.isEmpty())
        return home;
    if (path.startsWith(QLatin1String("~/")))
        return appendingPathComponent(home, path.mid(2));
    if (path.startsWith(u'~'))
        return appendingPathComponent(home, path.mid(1));
    return path;
}

QList<QVariantMap> VLXLCLBrowse::listFolder(const QString &folder)
{
    QList<QVariantMap> files;
    QDirIterator names(folder, QDir::AllEntries | QDir::Hidden | QDir::System
                           | QDir::NoDotAndDotDot);
    while (names.hasNext()) {
        names.next();
        const QString name = names.fileName();
        if (name.startsWith(u'.'))
            continue;
        const QByteArray path = QFile::encodeName(names.filePath());
        struct stat own;
        if (::lstat(path.constData(), &own) != 0)
            continue;
        QVariantMap entry {
            {P::kFilenameKey, name},
            {P::kFileType, fileType(own.st_mode)},
            {P::kSize, double(own.st_size)},
            {P::kModificationDate, modificationText(own)},
            {P::kPosixPermissions, uint(own.st_mode & 0777)},
            {P::kReferenceCount, qlonglong(own.st_nlink)},
            {P::kOwnerAccountID, uint(own.st_uid)},
            {P::kGroupOwnerAccountID, uint(own.st_gid)},
        };
        if (S_ISLNK(own.st_mode)) {
            entry.insert(P::kSymbolicLinkTargetKey, QStringLiteral("-> ") + readLink(path));
            struct stat target;
            if (::stat(path.constData(), &target) == 0) {
                entry.insert(P::kModificationDate, modificationText(target));
                entry.insert(kSymbolicLinkTargetTypeKey, fileType(target.st_mode));
            }
        }
        files.append(entry);
    }
    return files;
}

void VLXLCLBrowse::startBrowsing()
{
    setStatus(QString());
    setHomeDirectory(QDir::homePath());
    setWindowTitle(tr("Browse Local Disks"));
    // Local folders are made in the file manager; the browser only picks one.
    setNewFolderAvailable(false);
    setGoToAvailable(true);
    const QString folder = directory();
    QString first = homeDirectory();
    if (folder.startsWith(u'/'))
        first = folder;
    else if (!folder.isEmpty())
        first = appendingPathComponent(homeDirectory(), folder);
    QTimer::singleShot(10, this, [this, first] { getFileListing(first); });
}

void VLXLCLBrowse::getFileListing(const QString &path)
{
    setStatus(QString());
    showListing(listFolder(resolvedPath(path)), path);
}

bool VLXLCLBrowse::browseGoTo(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QString typed = path.startsWith(u'/') || path.startsWith(u'~')
        ? path
        : appendingPathComponent(currentFolder(), path);
    const QString folder = QDir::cleanPath(resolvedPath(typed));
    if (!QFileInfo(folder).isDir()) {
        QApplication::beep();
        setStatus(tr("There is no folder %1").arg(folder));
        return false;
    }
    getFileListing(folder);
    return true;
}
