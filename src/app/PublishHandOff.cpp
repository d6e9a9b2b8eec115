#include "app/PublishHandOff.h"

#include "app/FeedSaving.h"
#include "app/WindowServices.h"
#include "document/FeedDocument.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "publish/PublishPaths.h"
#include "publish/PublishWindow.h"
#include "publish/additionalFiles.h"

PublishHandOff::PublishHandOff(WindowServices &window, FeedSaving &saving, QObject *parent)
    : QObject(parent), m_window(window), m_saving(saving), m_document(window.document())
{
}

void PublishHandOff::setUpPublishing()
{
    if (!m_window.hasCommandHandler(QStringLiteral("uploadFile")))
        m_window.setCommandHandler(QStringLiteral("uploadFile"), [this] { publish(false); });
    if (!m_window.hasCommandHandler(QStringLiteral("uploadImage")))
        m_window.setCommandHandler(QStringLiteral("uploadImage"), [this] { publish(true); });
    setUpPublishingLog();
}

void PublishHandOff::setUpPublishingLog()
{
    // The log can be looked at once there is one: from the first publish on.
    if (PublishWindow::logExists() && !m_window.hasCommandHandler(QStringLiteral("viewFTPLog")))
        m_window.setCommandHandler(QStringLiteral("viewFTPLog"), [] { PublishWindow::viewLog(); });
}

void PublishHandOff::publish(bool expandImage)
{
    m_window.finalizeChanges();
    if (!m_saving.checkRequiredFields())
        return;
    const std::shared_ptr<VLXFeed> feed = m_document->feed();
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
        m_window.window(),
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
        m_window.archiveCurrentFeedList();
    }
    setUpPublishingLog();
}
