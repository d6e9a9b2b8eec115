// Opening a source: a file read, or an address fetched in the background, then read into a feed
// on a worker while the window goes on painting. A text that is no feed is offered to be mended.
#include "import/VLXImport.h"

#include "document/FeedDocument.h"
#include "io/CURLHandle.h"
#include "io/FeedCredentials.h"
#include "io/FeedLoader.h"
#include "io/URLHandleClient.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "platform/AlertService.h"
#include "platform/BoundedFileReader.h"
#include "platform/Clock.h"
#include "platform/DefaultsStore.h"
#include "platform/FileChooser.h"
#include "settings/VLXPreferences.h"
#include "xml/vlxXMLDOM.h"

#include <QApplication>
#include <QComboBox>
#include <QFutureWatcher>
#include <QLabel>
#include <QPointer>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QtConcurrent>

#include "editors/openURLPanel.h"

// One source coming in: its transfer, then its reading. Dropping it stops both; what the
// worker was doing is then thrown away.
struct VLXImport::Opening : public URLHandleClient
{
    VLXImport *owner = nullptr;
    QString source; // as shown, and the key of the recent list
    QUrl url; // the address fetched; empty for a file
    std::shared_ptr<CURLHandle> handle;
    QPointer<QFutureWatcher<FeedLoader::Result>> watcher;

    ~Opening() override
    {
        if (watcher) {
            watcher->disconnect();
            watcher->deleteLater();
        }
        if (auto running = std::exchange(handle, nullptr)) {
            running->removeClient(this);
            running->cancelLoadInBackground();
            // The handle may be telling its clients right now: it goes once that is over.
            if (QCoreApplication::instance())
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(), [running] {}, Qt::QueuedConnection);
        }
    }

    void URLHandleResourceDidFinishLoading(URLHandle *sender) override
    {
        owner->readBytes(sender->availableResourceData(), QString());
    }

    void URLHandleResourceDidFailLoadingWithReason(URLHandle *, const QString &reason) override
    {
        Alert alert;
        alert.style = Alert::Style::Informational;
        alert.title = QStringLiteral("Connection Failure");
        alert.message
            = QStringLiteral("When trying to fetch the feed %1 the following error "
                             "\"%2\" was encountered")
                  .arg(FeedCredentials::displayString(url), FeedCredentials::scrubbed(reason));
        alert.defaultButton = QStringLiteral("OK");
        VLXImport *import = owner;
        // The handle is still telling its clients: the alert waits until that is over.
        QMetaObject::invokeMethod(
            import,
            [import, alert] {
                AlertService::show(alert);
                import->endOpening(false);
            },
            Qt::QueuedConnection);
    }
};

bool VLXImport::openFeedAtPath(const QString &source)
{
    if (source.isEmpty() || m_opening) {
        QApplication::beep();
        return false;
    }
    QString address = source;
    if (address.startsWith(QLatin1String("feed://")))
        address = QStringLiteral("http://") + address.mid(7);
    const QUrl url(address);
    auto opening = std::make_shared<Opening>();
    opening->owner = this;
    m_opening = opening;
    setBusy(true);
    setStatus(QString());
    if (url.scheme().isEmpty() || url.isLocalFile()) {
        // A text without a scheme is a path.
        opening->source = url.isLocalFile() ? url.toLocalFile() : address;
        // Read on the worker with the feed, as the window reads a file: a pipe, a device or a
        // file too large for a feed is refused there with the reason.
        readBytes({}, QString(), opening->source);
        return true;
    }
    opening->source = address;
    opening->url = url;
    fetch();
    return true;
}

void VLXImport::fetch()
{
    Opening &opening = *m_opening;
    // Every handle sends the program's signature, keeps to the time and size limits and
    // trusts the system's certificates.
    opening.handle = CURLHandle::create(opening.url, false);
    if (!opening.handle) {
        opening.URLHandleResourceDidFailLoadingWithReason(nullptr, tr("Unsupported address"));
        return;
    }
    opening.handle->setFollowsRedirects(true);
    opening.handle->setFailsOnError(true);
    opening.handle->addClient(&opening);
    opening.handle->loadInBackground();
}

void VLXImport::readBytes(QByteArray bytes, QString text, QString path)
{
    if (!m_opening)
        return;
    Opening &opening = *m_opening;
    if (opening.handle) {
        opening.handle->removeClient(&opening);
        opening.handle.reset();
    }
    FeedLoader::Request request;
    // Read as the window reads: a file's or a transfer's bytes as they are, a piece at a time
    // (a CDATA section of any length goes through), with no text kept beside them. Only a
    // mended text is read as text.
    request.keepText = bytes.isNull() && path.isEmpty();
    const QByteArray kept = bytes; // shared: for the text of what turns out to be no feed
    const QString keptPath = path;
    request.bytes = std::move(bytes);
    request.text = std::move(text);
    request.path = std::move(path);
    request.address = opening.url;
    request.validate = false;
    auto loader = std::make_shared<FeedLoader>(std::move(request));
    auto *watcher = new QFutureWatcher<FeedLoader::Result>(this);
    opening.watcher = watcher;
    std::weak_ptr<Opening> current = m_opening;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, loader, current] {
        watcher->deleteLater();
        if (current.expired() || current.lock() != m_opening)
            return;
        FeedLoader::Result result = watcher->result();
        loader->commitSettings();
        for (const Alert &alert : std::as_const(result.alerts))
            AlertService::show(alert);
        switch (result.outcome) {
        case FeedLoader::Outcome::Loaded:
            readEnded(std::move(result.feed));
            return;
        case FeedLoader::Outcome::NotAFeed: {
            bool abandoned = false;
            const std::optional<QString> fixed = FeedDocument::fixOrAbandon(
                result.error, {result.reason, result.reasonLine, result.cause}, result.text,
                &abandoned);
            if (fixed && m_opening)
                readBytes({}, *fixed);
            else
                endOpening(false);
            return;
        }
        case FeedLoader::Outcome::Stopped:
        case FeedLoader::Outcome::Refused:
            endOpening(false);
            return;
        }
    });
    watcher->setFuture(QtConcurrent::run([loader, kept, keptPath] {
        FeedLoader::Result result = loader->run();
        // A well-formed text that is no feed comes back without its text: it is offered to be
        // mended all the same.
        if (result.outcome == FeedLoader::Outcome::NotAFeed && result.text.isNull()) {
            const QByteArray bytes = kept.isNull() && !keptPath.isEmpty()
                ? BoundedFileReader::read(keptPath, vlxXMLDOM::maximumInputSize())
                      .value_or(QByteArray())
                : kept;
            result.text = VLXParseFeed::textForMending(bytes);
        }
        return result;
    }));
}

void VLXImport::readEnded(std::shared_ptr<VLXFeed> feed)
{
    const Opening &opening = *m_opening;
    if (!opening.url.isEmpty()) {
        // Items read from the web say where they came from; a file's items stay as they are.
        for (const auto &item : feed->arrayOfItems()) {
            if (!item->source().isEmpty())
                continue;
            item->setSource(feed->title());
            item->setSourceAttr(feed->link());
        }
    }
    m_orginalFeed = std::move(feed);
    m_items->setFeed(m_orginalFeed);
    if (m_sortSelector)
        m_sortSelector->setCurrentIndex(0);
    m_feedName->setText(opening.source);
    m_currentImportFeed = opening.source;
    m_openTime = Clock::now();
    markItemsSinceLastImport();
    if (m_items->itemCount() > 0)
        m_itemTable->selectRow(0);
    showDescription(m_items->itemCount() > 0 ? 0 : -1);
    endOpening(true);
}

void VLXImport::endOpening(bool opened)
{
    // The opening may be the one telling us: it goes once its call is over.
    if (auto finished = std::exchange(m_opening, nullptr))
        QTimer::singleShot(0, qApp, [finished] {});
    setBusy(false);
    setStatus(QString());
    validateToolbarItems();
    emit openingEnded(opened);
}

void VLXImport::openFeed()
{
    FileRequest request;
    request.kind = FileRequest::Kind::OpenFile;
    request.title = tr("Load");
    request.allowedExtensions = {QStringLiteral("xml"), QStringLiteral("rss")};
    request.directory = VLXPreferences::sharedInstance()
                            .store()
                            .string(QStringLiteral("LastFeedOpenPath"))
                            .value_or(QString());
    const QStringList chosen = FileChooser::run(request);
    if (!chosen.isEmpty())
        openFeedAtPath(chosen.first());
}

void VLXImport::downloadFeed()
{
    // The URLs the feed window downloaded are offered here too.
    const std::optional<QUrl> url
        = openURLPanel::askForURL(m_window, QStringLiteral("feedDownloadHistory"));
    if (url)
        openFeedAtPath(url->toString());
}
