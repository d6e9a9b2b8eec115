#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

// Writes a saved feed beside its companion property list and keeps two generations of backups:
// "<B>.xml-bak" and "<B>.xml.plist-bak" in the feed's folder, and the generation before in the
// "Temporary" folder of the user folder (B is the feed file's name without its extension).
//
// Nothing the user had is given up before the new files are in place: both new files are
// written to temporary files beside their targets and flushed, the current files are kept under
// temporary names (a second link), the new files take the names, and only then do the backups
// rotate. A save that fails at any step (a folder in the way, a read-only folder, a full disk,
// a name too long) leaves the feed, its companion and every backup exactly as they were, and
// says why with the system's reason. A feed kept in the "Temporary" folder itself has one
// generation of backups (both generations would be the same file).
//
// A saved file keeps its mode and, where the system allows, its owner; a new feed follows the
// umask and a new companion takes the feed's mode. A feed reached through a symbolic link is
// saved into the file the link names (its companion and backups beside that file), and the link
// stays. Temporary files are hidden and named after their target
// (".news.xml.vlx-save-Ab3xYz", shortened with a hash where the name is long); those a crash
// left behind are removed by the next save of the same feed.
class FeedFileWriter
{
public:
    struct Result
    {
        bool ok = false;
        QString problem; // why it failed, for the user
        // Set when the feed was saved but the backups could not be moved on: what failed, and
        // the name the previous version is kept under instead ("news.xml-bak.1" beside the
        // backup). Nothing that could not be moved on is deleted.
        QString backupProblem;
    };

    // The companion name: the whole file name with ".plist" appended.
    static QString companionPath(const QString &feedPath);
    // The backup names in a folder for a feed file.
    static QString feedBackupPath(const QString &folder, const QString &feedPath);
    static QString companionBackupPath(const QString &folder, const QString &feedPath);

    // Saves feedBytes at feedPath and the entry as an XML property list at the companion path.
    // temporaryFolder may be empty or missing: then only the first backup generation is kept.
    static Result save(const QString &feedPath, const QByteArray &feedBytes,
                       const QVariantMap &entry, const QString &temporaryFolder);

    // Moves the current files into the backup generations (the old rotation, by itself). Used
    // when the caller has already written the new text elsewhere; a missing file is passed over.
    static void backupFile(const QString &feedPath, const QString &temporaryFolder);
};
