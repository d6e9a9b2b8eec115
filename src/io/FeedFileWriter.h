#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

// Writes a saved feed beside its companion property list and keeps two generations of backups:
// "<B>.xml-bak" and "<B>.xml.plist-bak" in the feed's folder, and the generation before in the
// "Temporary" folder of the user folder (B is the feed file's name without its extension).
//
// Nothing the user had is given up before the new files are safely on disk: both new files are
// written to temporary files in the feed's folder and flushed first; only then do the backups
// rotate and the new files take the feed's names. A write that fails (read-only folder, full disk)
// leaves the previous feed, its companion and every backup as they were.
class FeedFileWriter
{
public:
    struct Result
    {
        bool ok = false;
        QString problem; // why it failed, for the user
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
