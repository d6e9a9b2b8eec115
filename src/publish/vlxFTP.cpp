// The publishing run: building the queue, working it file by file, and the bookkeeping of each
// finished file. The transports live in vlxFTP+FTP.cpp, vlxFTP+DotMac.cpp and vlxFTP+Local.cpp.
#include "publish/vlxFTP.h"

#include "io/CURLHandle.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "platform/Clock.h"
#include "publish/DMMemberAccount.h"
#include "publish/MediaContentFile.h"
#include "publish/ProgressMonitor.h"
#include "publish/PublishPaths.h"
#include "publish/UploadSource.h"
#include "publish/additionalFiles.h"
#include "settings/VLXPreferences.h"
#include "settings/VLXSite.h"

namespace {

using Toggle = PublishView::Toggle;
using Field = PublishView::Field;
using Table = PublishView::Table;

// Kinds of files a site has a default folder for (additionalFiles' destinations use the same
// numbers).
enum FolderKind { XMLFolder = 0, ImageFolder = 1, EnclosureFolder = 2 };

// A site's default folders and the feed's settings for its remote folders, by site type.
struct SiteFolders
{
    int type;
    const QString &(VLXSite::*folder[3])() const;
    const char *feedPathKey;
    const char *imagePathKey;
};
const SiteFolders kSiteFolders[] = {
    {1,
     {&VLXSite::ftpDefaultXMLDir, &VLXSite::ftpDefaultImageDir, &VLXSite::ftpDefaultEnclosureDir},
     "FTP_CF_RemotePath",
     "FTP_CF_RemoteImagePath"},
    {2,
     {&VLXSite::dmDefaultXMLDir, &VLXSite::dmDefaultImageDir, &VLXSite::dmDefaultEnclosureDir},
     "DM_CF_RemotePath",
     "DM_CF_RemoteImagePath"},
    {3,
     {&VLXSite::lclDefaultXMLDir, &VLXSite::lclDefaultImageDir, &VLXSite::lclDefaultEnclosureDir},
     "LCL_CF_RemotePath",
     "LCL_CF_RemoteImagePath"},
};

const SiteFolders *foldersOf(const VLXSite *site)
{
    for (const SiteFolders &folders : kSiteFolders) {
        if (site && folders.type == site->type())
            return &folders;
    }
    return nullptr;
}

// The converted image whose type the remote name asks for: the name's ending, compared without
// regard to case.
const std::optional<QByteArray> *imageForName(const ConvertedImages &images, const QString &name)
{
    const auto endsWith = [&](const char *ending) {
        return name.endsWith(QLatin1String(ending), Qt::CaseInsensitive);
    };
    if (images.gif && endsWith(".gif"))
        return &images.gif;
    if (images.jpeg && (endsWith(".jpg") || endsWith(".jpeg")))
        return &images.jpeg;
    if (images.png && endsWith(".png"))
        return &images.png;
    return nullptr;
}

} // namespace

const QString vlxFTP::kTransferAborted = QStringLiteral("Transfer aborted");

vlxFTP &vlxFTP::sharedInstance()
{
    // Never destroyed: the publisher keeps its log until the program ends.
    static vlxFTP *publisher = new vlxFTP;
    return *publisher;
}

vlxFTP::vlxFTP()
{
    m_progressTimer.setInterval(kProgressIntervalMs);
    connect(&m_progressTimer, &QTimer::timeout, this, [this] { updateProgress(); });
}

vlxFTP::~vlxFTP()
{
    // No transfer or worker thread outlives the publisher.
    for (const auto &handle : {m_urlHandle, m_removalHandle}) {
        if (handle)
            handle->removeClient(this);
    }
    m_urlHandle.reset();
    m_removalHandle.reset();
    if (m_currentTransaction)
        m_currentTransaction->setDelegate(nullptr);
    m_localCopy.reset();
    m_imageWorker.reset();
}

void vlxFTP::setFeed(VLXFeed *feed, const QString &uniqueKey)
{
    m_feed = feed;
    m_uniqueKey = uniqueKey;
}

// ---- Building the queue ----

void vlxFTP::upload()
{
    if (!m_view || !m_site || m_running)
        return;
    clearLog();
    m_abortFlag = false;
    m_uploadAction.clear();
    m_publishResults.clear();
    m_publishSuccess = 0;
    m_publishFailure = 0;
    if (m_site->type() == 2)
        makeDotMacAccount();
    appendHeader();

    queueImage();
    queueEnclosures();
    queueOtherFiles();
    queueFeedXML();

    if (m_uploadAction.isEmpty()) {
        // Nothing was sent: the last run's result no longer stands for this one.
        m_view->setStatus(QString());
        return;
    }
    m_running = true;
    m_view->setRunning(true);
    m_progressTimer.start();
    uploadNextFile();
}

void vlxFTP::queueImage()
{
    if (!m_view->isOn(Toggle::UploadImage) || m_imageWorker || !m_feed)
        return;
    const QString name = PublishPaths::trimmed(m_view->text(Field::RemoteImageFilename));
    const std::optional<QByteArray> *bytes = imageForName(m_images, name);
    if (!bytes) {
        Alert alert;
        alert.style = Alert::Style::Warning;
        alert.title = QStringLiteral("Invalid image type");
        alert.message = QStringLiteral("RSS only supports GIF, JPG and PNG images.  Therefore the "
                                       "file name must end in either .gif, .jpg or .png");
        alert.defaultButton = QStringLiteral("Okay");
        m_view->showAlertSheet(alert);
        return;
    }
    storeRemoteFolder(true, m_view->text(Field::RemoteImagePath));
    QueueEntry entry;
    entry.remoteName = name;
    entry.remoteFolder = PublishPaths::trimmed(m_view->text(Field::RemoteImagePath));
    entry.bytes = **bytes;
    entry.target = Target {Target::Kind::Image, {}, {}, {}};
    m_uploadAction.append(entry);
}

void vlxFTP::queueEnclosures()
{
    if (!m_view->isOn(Toggle::UploadEnclosure))
        return;
    const QString folder = PublishPaths::trimmed(m_view->text(Field::RemoteEnclosurePath));
    for (const EnclosureRow &row : std::as_const(m_enclosureRows)) {
        if (row.checked != 1 || !row.item)
            continue;
        QueueEntry entry;
        entry.remoteFolder = folder;
        entry.source = SourceKind::File;
        if (row.media) {
            entry.remoteName = PublishPaths::fileNameOfURL(row.media->contentURL());
            entry.filePath = row.media->localEnclosureFilePath();
            entry.target = Target {Target::Kind::MediaContent, row.item, row.media, {}};
        } else {
            entry.remoteName = PublishPaths::fileNameOfURL(row.item->enclosureAttrURL());
            entry.filePath = row.item->localEnclosureFilePath();
            entry.target = Target {Target::Kind::Enclosure, row.item, {}, {}};
        }
        m_uploadAction.append(entry);
    }
}

void vlxFTP::queueOtherFiles()
{
    if (!m_view->isOn(Toggle::UploadOtherFiles))
        return;
    for (const OtherFileRow &row : std::as_const(m_otherFileRows)) {
        if (row.checked != 1 || !row.record)
            continue;
        const int destination = row.record->fileDestination();
        QueueEntry entry;
        entry.remoteName = PublishPaths::lastPathComponent(row.record->filename());
        entry.remoteFolder = PublishPaths::trimmed(destination == additionalFiles::OtherDestination
                                                       ? row.record->fileOtherDestination()
                                                       : defaultFolder(destination));
        // Local files are streamed; the others make their bytes when their turn comes.
        entry.source = row.record->isLocalFile() ? SourceKind::File : SourceKind::Record;
        entry.filePath = row.record->localFile();
        entry.target = Target {Target::Kind::AdditionalFile, {}, {}, row.record};
        m_uploadAction.append(entry);
    }
}

void vlxFTP::queueFeedXML()
{
    if (!m_view->isOn(Toggle::UploadXML) || !m_feed)
        return;
    const bool noFuture = m_view->isOn(Toggle::NoFutureItems);
    const bool limitItems = m_view->isOn(Toggle::LimitItems);
    const int limitNumber = m_view->text(Field::LimitNumber).trimmed().toInt();
    VLXPreferences::setObjectForKey(int(noFuture), QStringLiteral("Export_CF_NoFuture"),
                                    m_uniqueKey);
    VLXPreferences::setObjectForKey(int(limitItems), QStringLiteral("Export_CF_LimitItems"),
                                    m_uniqueKey);
    VLXPreferences::setObjectForKey(limitNumber, QStringLiteral("Export_CF_LimitNumber"),
                                    m_uniqueKey);
    if (m_beforeFeedWritten)
        m_beforeFeedWritten();
    QueueEntry entry;
    entry.bytes = m_feed->buildXMLData(noFuture, limitItems, limitNumber);
    storeRemoteFolder(false, m_view->text(Field::RemotePath));
    entry.remoteName = PublishPaths::trimmed(m_view->text(Field::RemoteFilename));
    entry.remoteFolder = PublishPaths::trimmed(m_view->text(Field::RemotePath));
    entry.target = Target {Target::Kind::Feed, {}, {}, {}};
    m_uploadAction.append(entry);
}

QString vlxFTP::defaultFolder(int kind) const
{
    return siteFolder(m_site.get(), kind);
}

QString vlxFTP::siteFolder(const VLXSite *site, int kind)
{
    const SiteFolders *folders = foldersOf(site);
    if (!folders || kind < XMLFolder || kind > EnclosureFolder)
        return QString();
    return (site->*folders->folder[kind])();
}

void vlxFTP::storeRemoteFolder(bool image, const QString &fieldText)
{
    const SiteFolders *folders = foldersOf(m_site.get());
    if (!folders)
        return;
    // Equal to the site's default: stored empty, so a later change of the default applies.
    const QString value
        = fieldText == defaultFolder(image ? ImageFolder : XMLFolder) ? QString() : fieldText;
    VLXPreferences::setObjectForKey(
        value.isNull() ? QStringLiteral("") : value,
        QLatin1String(image ? folders->imagePathKey : folders->feedPathKey), m_uniqueKey);
}

// ---- Working the queue ----

std::unique_ptr<UploadSource> vlxFTP::openSource(const QueueEntry &entry, QString *failure) const
{
    switch (entry.source) {
    case SourceKind::Bytes:
        return UploadSource::fromData(entry.bytes);
    case SourceKind::File: {
        if (entry.filePath.isEmpty()) {
            *failure = QStringLiteral("No local file is set");
            return nullptr;
        }
        QString why;
        auto source = UploadSource::fromFile(entry.filePath, &why);
        if (!source)
            *failure = QStringLiteral("Cannot read %1: %2")
                           .arg(PublishPaths::abbreviateWithTilde(entry.filePath), why);
        return source;
    }
    case SourceKind::Record: {
        const auto bytes = entry.target.record->dataForFile(m_feed, failure);
        return bytes ? UploadSource::fromData(*bytes) : nullptr;
    }
    }
    return nullptr;
}

void vlxFTP::uploadNextFile()
{
    if (m_uploadAction.isEmpty()) {
        endRun();
        return;
    }
    const QueueEntry entry = m_uploadAction.takeFirst();
    m_uploadingItem = entry.target;
    appendFileBlock(entry.remoteFolder, entry.remoteName);

    QString failure;
    m_source = openSource(entry, &failure);
    if (!m_source) {
        appendTransferFailed(failure);
        currentUploadFailed(entry.target, failure);
        continueAfterFile();
        return;
    }
    m_view->setProgress({true, true, double(m_source->size()), 0});
    switch (m_site->type()) {
    case 1:
        uploadOneFile(entry.remoteName, m_site->ftpServer(), m_site->ftpUsername(),
                      m_view->text(Field::Password), entry.remoteFolder);
        break;
    case 2:
        uploadToDisk(entry);
        break;
    case 3:
        copyToLocalFolder(entry);
        break;
    default:
        m_source.reset();
        endRun();
        break;
    }
}

void vlxFTP::continueAfterFile()
{
    m_source.reset();
    if (m_uploadAction.isEmpty() || m_abortFlag) {
        resetProgress();
        endRun();
        return;
    }
    // The next file starts from the event loop, so the window paints between files; an abort
    // that came meanwhile ends the run instead.
    QTimer::singleShot(0, this, [this] {
        if (!m_running)
            return;
        if (m_abortFlag) {
            resetProgress();
            endRun();
            return;
        }
        uploadNextFile();
    });
}

void vlxFTP::currentUploadSucceeded(const Target &target)
{
    ++m_publishSuccess;
    markFinished(target);
    const QDateTime now = Clock::now();
    switch (target.kind) {
    case Target::Kind::Feed:
        m_feed->setLastUploaded(now);
        m_view->setOn(Toggle::UploadXML, false);
        m_view->setLastPublished(PublishView::Stamp::Feed,
                                 lastPublishedText(m_feed->lastUploaded()));
        m_publishResults.append(QStringLiteral("Feed: Published successfully"));
        break;
    case Target::Kind::Image:
        m_feed->image()->setLastUploaded(now);
        m_view->setOn(Toggle::UploadImage, false);
        m_view->setLastPublished(PublishView::Stamp::Image,
                                 lastPublishedText(m_feed->image()->lastUploaded()));
        m_publishResults.append(QStringLiteral("Feed Image: Published successfully"));
        break;
    case Target::Kind::Enclosure:
    case Target::Kind::MediaContent:
        if (target.media)
            target.media->setLastUploaded(now);
        else
            target.item->setLastUploaded(now);
        uncheckRows(target);
        m_publishResults.append(
            QStringLiteral("Item Enclosure %1: Published successfully").arg(targetName(target)));
        break;
    case Target::Kind::AdditionalFile:
        target.record->setLastUploaded(now);
        uncheckRows(target);
        m_publishResults.append(
            QStringLiteral("Additonal File %1: Published successfully").arg(targetName(target)));
        break;
    }
    if (m_view->isOn(Toggle::UploadEnclosure))
        updateEnclosureCheckboxes(true);
    if (m_view->isOn(Toggle::UploadOtherFiles))
        updateOtherFilesCheckboxes(true);
}

void vlxFTP::currentUploadFailed(const Target &target, const QString &reason)
{
    ++m_publishFailure;
    markUnfinished(target);
    QString line;
    switch (target.kind) {
    case Target::Kind::Feed:
        line = QStringLiteral("Feed: Publish failed with reason \"%1\"").arg(reason);
        break;
    case Target::Kind::Image:
        line = QStringLiteral("Feed Image: Publish failed with reason \"%1\"").arg(reason);
        break;
    case Target::Kind::Enclosure:
    case Target::Kind::MediaContent:
        line = QStringLiteral("Item Enclosure %1: Publish failed with reason \"%2\"")
                   .arg(targetName(target), reason);
        break;
    case Target::Kind::AdditionalFile:
        line = QStringLiteral("Additonal File %1: Publish failed with reason \"%2\"")
                   .arg(targetName(target), reason);
        break;
    }
    m_publishResults.append(line);
}

QString vlxFTP::targetName(const Target &target) const
{
    if (target.kind == Target::Kind::AdditionalFile)
        return target.record->fileSource();
    return PublishPaths::lastPathComponent(target.media ? target.media->localEnclosureFilePath()
                                                        : target.item->localEnclosureFilePath());
}

void vlxFTP::uncheckRows(const Target &target)
{
    if (target.kind == Target::Kind::AdditionalFile) {
        for (OtherFileRow &row : m_otherFileRows) {
            if (row.record == target.record)
                row.checked = 0;
        }
        m_view->reloadTable(Table::OtherFiles);
        return;
    }
    for (EnclosureRow &row : m_enclosureRows) {
        if (row.item == target.item && row.media == target.media)
            row.checked = 0;
    }
    m_view->reloadTable(Table::Enclosures);
}

void vlxFTP::endRun()
{
    forgetQueue();
    m_uploadingItem.reset();
    m_source.reset();
    m_running = false;
    m_progressTimer.stop();
    m_view->reloadTable(Table::Enclosures);
    m_view->setRunning(false);
    appendSummary();
    m_view->setStatus(
        m_publishFailure == 0
            ? QStringLiteral("All %1 files published successfully").arg(m_publishSuccess)
            : QStringLiteral("%1 successful, %2 failed")
                  .arg(m_publishSuccess)
                  .arg(m_publishFailure));
}

// ---- Status, progress, abort and close ----

void vlxFTP::updateStatus()
{
    if (!m_view)
        return;
    if (!m_urlHandle) {
        m_view->setStatus(QStringLiteral("Idle"));
        return;
    }
    static const char *const kStatusTexts[] = {"Not Loaded", "In Progress", "Succeeded", "Failed"};
    m_view->setStatus(QLatin1String(kStatusTexts[m_urlHandle->status()]));
}

void vlxFTP::updateProgress()
{
    if (!m_view || !m_running)
        return;
    if (m_site && m_site->type() == 2) {
        const ProgressMonitor &monitor = ProgressMonitor::sharedInstance();
        if (monitor.transactionsInProgress() > 0)
            m_view->setProgress(
                {true, true, monitor.totalBytesToMove(), monitor.bytesMovedSoFar()});
        return;
    }
    // Bytes sent of the file in transfer, counted afresh for each file.
    if (m_source)
        m_view->setProgress({true, true, double(m_source->size()), double(m_source->bytesSent())});
}

void vlxFTP::resetProgress()
{
    if (m_view)
        m_view->setProgress({false, false, 0, 0});
}

void vlxFTP::abort()
{
    if (!m_running)
        return;
    m_abortFlag = true;
    if (m_site->type() == 2) {
        if (m_currentTransaction)
            m_currentTransaction->abort();
        return;
    }
    if (m_source)
        m_source->abort();
    if (m_urlHandle)
        m_urlHandle->abortTransfer();
    if (m_localCopy)
        m_localCopy->markAsCancelled();
}

void vlxFTP::close()
{
    if (m_imageWorker) {
        m_imageWorker->markAsCancelled();
        m_imageWorker->waitForEnd();
    }
    if (m_view)
        m_view->closeWindow();
}

// ---- The feed image ----

void vlxFTP::startImageConversion(ThreadWorker::Task task)
{
    if (m_imageWorker) {
        m_imageWorker->markAsCancelled();
        m_imageWorker->waitForEnd();
    }
    m_imageWorker = ThreadWorker::workOn(std::move(task), [this](const QVariant &result) {
        imageConversionEnded(result.value<ConvertedImages>());
    });
}

void vlxFTP::imageConversionEnded(const ConvertedImages &images)
{
    m_images = images;
    m_imageWorker.reset();
    if (!m_view)
        return;
    m_view->imageConversionEnded(m_images.any());
    if (m_feed)
        m_view->setLastPublished(PublishView::Stamp::Image,
                                 lastPublishedText(m_feed->image()->lastUploaded()));
}

// ---- Check boxes of the file tables ----

namespace {

// Toggles a row's box. A row whose file was missing is looked at again first (the disk may be
// back) and can be ticked only when its file is there.
template<typename Row> bool toggleRow(Row &row, const QString &path, const QDateTime &lastUploaded)
{
    if (row.missing) {
        const vlxFTP::FileCheck check = vlxFTP::checkLocalFile(path, lastUploaded);
        row.reference = check.reference;
        row.missing = check.missing;
        if (row.missing)
            return false;
        row.checked = 0;
    }
    row.checked = row.checked == 1 ? 0 : 1;
    return true;
}

} // namespace

bool vlxFTP::toggleEnclosureRow(int row)
{
    if (row < 0 || row >= m_enclosureRows.size())
        return false;
    EnclosureRow &r = m_enclosureRows[row];
    const QString path
        = r.media ? r.media->localEnclosureFilePath() : r.item->localEnclosureFilePath();
    const bool toggled = !path.isEmpty()
        && toggleRow(r, path, r.media ? r.media->lastUploaded() : r.item->lastUploaded());
    updateEnclosureCheckboxes(false);
    return toggled;
}

bool vlxFTP::toggleOtherFileRow(int row)
{
    if (row < 0 || row >= m_otherFileRows.size())
        return false;
    OtherFileRow &r = m_otherFileRows[row];
    const bool toggled = toggleRow(r, r.record->localFile(), r.record->lastUploaded());
    updateOtherFilesCheckboxes(false);
    return toggled;
}

void vlxFTP::updateEnclosureCheckboxes(bool closeWhenNone)
{
    int sum = 0;
    for (const EnclosureRow &row : std::as_const(m_enclosureRows))
        sum += row.checked;
    updateSection(sum, Toggle::UploadEnclosure, Table::Enclosures, closeWhenNone);
}

void vlxFTP::updateOtherFilesCheckboxes(bool closeWhenNone)
{
    int sum = 0;
    for (const OtherFileRow &row : std::as_const(m_otherFileRows))
        sum += row.checked;
    updateSection(sum, Toggle::UploadOtherFiles, Table::OtherFiles, closeWhenNone);
}

void vlxFTP::updateSection(int checkedRows, PublishView::Toggle toggle, PublishView::Table table,
                           bool closeWhenNone)
{
    if (!m_view)
        return;
    m_view->setOn(toggle, checkedRows > 0);
    if (checkedRows > 0 && !m_view->isSectionOpen(table))
        m_view->setSectionOpen(table, true);
    else if (checkedRows == 0 && closeWhenNone && m_view->isSectionOpen(table))
        m_view->setSectionOpen(table, false);
}
