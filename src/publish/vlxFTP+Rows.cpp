// The rows of the publish window's two file tables: which files can go out with the feed, and
// whether each one is to be sent this time.
#include "model/TitledElement.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "publish/MediaContentFile.h"
#include "publish/PublishPaths.h"
#include "publish/additionalFiles.h"
#include "publish/vlxFTP.h"

#include <QFileInfo>

namespace {

bool neverSent(const QDateTime &lastUploaded)
{
    return !lastUploaded.isValid() || lastUploaded.toMSecsSinceEpoch() == 0;
}

vlxFTP::FileState stateOfDates(const QDateTime &lastUploaded, const QDateTime &reference)
{
    if (neverSent(lastUploaded))
        return vlxFTP::FileState::NeverPublished;
    // Equal dates count as changed: a file saved in the second of its upload is sent again.
    if (lastUploaded.toMSecsSinceEpoch() <= reference.toMSecsSinceEpoch())
        return vlxFTP::FileState::LocalIsNewer;
    return vlxFTP::FileState::UpToDate;
}

} // namespace

vlxFTP::FileCheck vlxFTP::checkLocalFile(const QString &path, const QDateTime &lastUploaded)
{
    FileCheck check;
    check.reference = TitledElement::neverUploaded();
    if (path.isEmpty())
        return check;
    // One look at the file, following links.
    const QFileInfo info(PublishPaths::expandTilde(path));
    if (!info.exists()) {
        // Kept as it is: the file may be on a disk that is not mounted right now.
        check.missing = true;
        return check;
    }
    const QDateTime modified = info.lastModified();
    if (modified.isValid())
        check.reference = modified;
    const qint64 last = lastUploaded.isValid() ? lastUploaded.toMSecsSinceEpoch() : 0;
    check.checked = last <= check.reference.toMSecsSinceEpoch() ? 1 : 0;
    return check;
}

// ---- Files to offer again ----

namespace {

QString unfinishedKey(const QString &path)
{
    return path.isEmpty() ? QString()
                          : QFileInfo(PublishPaths::expandTilde(path)).absoluteFilePath();
}

} // namespace

QString vlxFTP::localFileOf(const Target &target)
{
    // Only files from the disk are remembered: the feed and the exports are made afresh and
    // offered at every run, and the image has a publish action of its own.
    switch (target.kind) {
    case Target::Kind::Enclosure:
        return target.item->localEnclosureFilePath();
    case Target::Kind::MediaContent:
        return target.media->localEnclosureFilePath();
    case Target::Kind::AdditionalFile:
        return target.record->isLocalFile() ? target.record->localFile() : QString();
    case Target::Kind::Feed:
    case Target::Kind::Image:
        break;
    }
    return QString();
}

void vlxFTP::markUnfinished(const Target &target)
{
    const QString key = unfinishedKey(localFileOf(target));
    if (!key.isEmpty())
        m_unfinishedFiles.insert(key);
}

void vlxFTP::markFinished(const Target &target)
{
    m_unfinishedFiles.remove(unfinishedKey(localFileOf(target)));
}

bool vlxFTP::wasUnfinished(const QString &localPath) const
{
    const QString key = unfinishedKey(localPath);
    return !key.isEmpty() && m_unfinishedFiles.contains(key);
}

void vlxFTP::forgetQueue()
{
    for (const QueueEntry &entry : std::as_const(m_uploadAction))
        markUnfinished(entry.target);
    m_uploadAction.clear();
}

// ---- The rows ----

void vlxFTP::rebuildEnclosureRows()
{
    m_enclosureRows.clear();
    if (!m_feed)
        return;
    const bool mediaRSS
        = m_feed->XMLExtensions() && m_feed->XMLExtensions()->mediaRSSExtensionUsed();
    for (const std::shared_ptr<VLXItems> &item : m_feed->arrayOfItems()) {
        if (!item->enclosureAttrURL().isEmpty()) {
            const FileCheck check
                = checkAgain(item->localEnclosureFilePath(), item->lastUploaded());
            m_enclosureRows.append({item, nullptr, check.checked, check.reference, check.missing});
        }
        if (!mediaRSS)
            continue;
        for (const auto &media : MediaContentFile::mediaContentsOfItem(*item)) {
            if (media->localEnclosureFilePath().isEmpty())
                continue;
            const FileCheck check
                = checkAgain(media->localEnclosureFilePath(), media->lastUploaded());
            m_enclosureRows.append({item, media, check.checked, check.reference, check.missing});
        }
    }
}

vlxFTP::FileCheck vlxFTP::checkAgain(const QString &path, const QDateTime &lastUploaded) const
{
    FileCheck check = checkLocalFile(path, lastUploaded);
    // A file whose last transfer did not end well is ticked even when its dates say it is up to
    // date: the user asked for it to be sent, and it was not.
    if (!check.missing && !path.isEmpty() && wasUnfinished(path))
        check.checked = 1;
    return check;
}

void vlxFTP::setAdditionalFiles(const QList<std::shared_ptr<additionalFiles>> &records)
{
    if (records == additionalFileRecords())
        return;
    m_otherFileRows.clear();
    for (const std::shared_ptr<additionalFiles> &record : records) {
        if (!record)
            continue;
        if (record->isLocalFile()) {
            const FileCheck check = checkAgain(record->localFile(), record->lastUploaded());
            m_otherFileRows.append({record, check.checked, check.reference, check.missing});
        } else {
            // Exports and the OPML list are made afresh at every publish.
            m_otherFileRows.append({record, 1, record->lastUploaded(), false});
        }
    }
}

QList<std::shared_ptr<additionalFiles>> vlxFTP::additionalFileRecords() const
{
    QList<std::shared_ptr<additionalFiles>> records;
    records.reserve(m_otherFileRows.size());
    for (const OtherFileRow &row : m_otherFileRows)
        records.append(row.record);
    return records;
}

vlxFTP::FileState vlxFTP::enclosureState(int row) const
{
    const EnclosureRow &r = m_enclosureRows.at(row);
    if (!r.media && r.item->localEnclosureFilePath().isEmpty())
        return FileState::NoLocalFile;
    if (r.missing)
        return FileState::Missing;
    return stateOfDates(r.media ? r.media->lastUploaded() : r.item->lastUploaded(), r.reference);
}

vlxFTP::FileState vlxFTP::otherFileState(int row) const
{
    const OtherFileRow &r = m_otherFileRows.at(row);
    if (r.missing)
        return FileState::Missing;
    return stateOfDates(r.record->lastUploaded(), r.reference);
}

QString vlxFTP::fileStateText(FileState state)
{
    switch (state) {
    case FileState::NoLocalFile:
        return QStringLiteral("No local file defined");
    case FileState::Missing:
        return QStringLiteral("Local file missing");
    case FileState::NeverPublished:
        return QStringLiteral("Never published");
    case FileState::LocalIsNewer:
        return QStringLiteral("Local file is newer");
    case FileState::UpToDate:
        return QStringLiteral("Up to date");
    }
    return {};
}
