// The feed window's side of publishing: handing the loaded feed to the publish sheet, storing
// what the run changed in the feed's list entry, and the publishing log command.
#include "app/Vellumcast.h"

#include "app/FeedDocument.h"
#include "app/FeedSaving.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "publish/PublishPaths.h"
#include "publish/PublishWindow.h"
#include "publish/additionalFiles.h"

#include <QMainWindow>

void Vellumcast::setUpPublishing()
{
    if (!hasCommandHandler(QStringLiteral("uploadFile")))
        setCommandHandler(QStringLiteral("uploadFile"), [this] { publish(false); });
    if (!hasCommandHandler(QStringLiteral("uploadImage")))
        setCommandHandler(QStringLiteral("uploadImage"), [this] { publish(true); });
    setUpPublishingLog();
}

void Vellumcast::setUpPublishingLog()
{
    // The log can be looked at once there is one: from the first publish on.
    if (PublishWindow::logExists() && !hasCommandHandler(QStringLiteral("viewFTPLog")))
        setCommandHandler(QStringLiteral("viewFTPLog"), [] { PublishWindow::viewLog(); });
}

void Vellumcast::publish(bool expandImage)
{
    finalizeChanges();
    if (!m_saving->checkRequiredFields())
        return;
    const std::shared_ptr<VLXFeed> feed = currentFeed();
    const FeedListEntry entry = m_document->entry();
    PublishWindow &publisher = PublishWindow::sharedInstance();
    publisher.clearFilenames();
    publisher.setInitialFilename(entry.fileName);
    if (!m_document->picture().isNull()) {
        publisher.setInitialImageFilename(PublishPaths::lastPathComponent(feed->image()->URL()));
        publisher.setFeedImage(m_document->picture());
    }
    if (!entry.additionalFiles.isEmpty())
        publisher.setAdditionalFiles(additionalFiles::unarchiveList(entry.additionalFiles));
    // A local file replaced since it was chosen is sent as it is now, and the feed sent with it
    // states its length: the feed follows the files first, as a step of this action.
    const QString actionName
        = expandImage ? QStringLiteral("Publish Image") : QStringLiteral("Publish Feed");
    publisher.uploadFile(
        m_documentWindow,
        {feed.get(), entry.uniqueIdentifier, expandImage, [this, feed, actionName] {
             if (m_document->feed() == feed)
                 m_document->followLocalFiles(actionName);
         }});

    // What the run changed goes into the entry, and the list is stored at once. The entry is
    // read again: it is the loaded feed's, whatever happened while the sheet was up.
    FeedListEntry updated = m_document->entry();
    if (updated.uniqueIdentifier == entry.uniqueIdentifier) {
        updated.setValue(FeedListEntry::kAdditionalFiles,
                         additionalFiles::archiveList(publisher.additionalFileRecords()));
        updated.setValue(FeedListEntry::kLocalEnclosureFileInfo, feed->enclosureLocalFileInfo());
        updated.lastPublished = feed->lastUploaded();
        updated.imageLastPublished = feed->image()->lastUploaded();
        m_document->setEntry(updated);
        archiveCurrentFeedList();
    }
    setUpPublishingLog();
}
