// The picture of the feed's image: fetched in the background from the image URL, downloaded from
// another address, or changed by the user, each change one undo step.
#include "app/FeedDocument.h"

#include "app/Controller.h"
#include "app/FieldChange.h"
#include "app/VLXUndoManager.h"
#include "io/CURLHandle.h"
#include "io/URLHandleClient.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "platform/AlertService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QMetaObject>

namespace {
// A feed image is small; a body beyond this is no picture for a feed.
constexpr qint64 kMaximumPictureBytes = qint64(64) * 1024 * 1024;
// The entry's key for the picture's local file.
const QString kPictureFileKey = QStringLiteral("ImageLocalFile");

QImage readPictureFile(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    return QImageReader(path).read();
}
} // namespace

// One background load of an image address; the document hears of it on the main thread.
struct FeedDocument::PictureFetch : public URLHandleClient
{
    FeedDocument *document = nullptr;
    std::shared_ptr<CURLHandle> handle;
    QString url;
    // Empty for the picture of a loaded feed; the undo step's name for a download.
    QString actionName;
    bool followsAddress = false;

    ~PictureFetch() override
    {
        if (handle) {
            handle->removeClient(this);
            handle->cancelLoadInBackground();
        }
    }
    // The handle is still telling its clients: the document takes the result afterwards.
    void URLHandleResourceDidFinishLoading(URLHandle *) override
    {
        QImage picture;
        picture.loadFromData(handle->availableResourceData());
        post(picture, picture.isNull() ? FeedDocument::tr("the data is not a picture") : QString());
    }
    void URLHandleResourceDidFailLoadingWithReason(URLHandle *, const QString &reason) override
    {
        post({}, handle->curlError().isEmpty() ? reason : handle->curlError());
    }
    void post(const QImage &picture, const QString &problem)
    {
        QMetaObject::invokeMethod(
            document,
            [owner = document, generation = generation, picture, problem] {
                owner->pictureArrived(generation, picture, problem);
            },
            Qt::QueuedConnection);
    }
    quint64 generation = 0;
};

// Made here, where the fetch is a complete type.
FeedDocument::FeedDocument(QObject *parent)
    : QObject(parent), m_feed(std::make_shared<VLXFeed>()), m_undo(new VLXUndoManager(this))
{
    connect(m_undo, &VLXUndoManager::documentEditedChanged, this, &FeedDocument::editedChanged);
}

FeedDocument::~FeedDocument()
{
    m_fetch.reset();
}

void FeedDocument::setPicture(const QImage &picture)
{
    m_picture = picture;
    emit pictureChanged();
}

bool FeedDocument::isFetchingPicture() const
{
    return m_fetch != nullptr;
}

QString FeedDocument::pictureTransferURL() const
{
    return m_fetch ? m_fetch->url : QString();
}

void FeedDocument::cancelPictureFetch()
{
    if (!m_fetch)
        return;
    m_fetch.reset();
    emit pictureTransferChanged();
}

void FeedDocument::loadPicture(bool reloadImage)
{
    const QString url = image()->URL();
    if (url.isEmpty()) {
        cancelPictureFetch();
        setPicture({});
        return;
    }
    // An edit is kept over a read of the same feed while it belongs to the same address.
    if (!reloadImage && m_imageEdited && !m_picture.isNull() && m_pictureAddress == url)
        return;
    // The picture the user chose from a file shows without a transfer: the address may not be
    // reachable, or not hold it yet, until the feed is published.
    const QImage local = readPictureFile(pictureFile());
    if (!local.isNull()) {
        cancelPictureFetch();
        m_pictureAddress = url;
        setPicture(local);
        fillMissingImageSize();
        return;
    }
    fetchPicture();
}

void FeedDocument::fetchPicture()
{
    cancelPictureFetch();
    const QString url = image()->URL();
    if (url.isEmpty()) {
        setPicture({});
        return;
    }
    startPictureFetch(url, QString(), false);
}

void FeedDocument::forgetPictureOfLoad()
{
    cancelPictureFetch();
    m_failedPictureAddresses.clear();
    m_pictureAddress.clear();
    setPicture({});
}

QString FeedDocument::pictureFile() const
{
    return m_entry.value(kPictureFileKey).toString();
}

void FeedDocument::setPictureFile(const QString &path)
{
    if (path == pictureFile())
        return;
    FeedListEntry entry = m_entry;
    if (path.isEmpty())
        entry.remove(kPictureFileKey);
    else
        entry.setValue(kPictureFileKey, QFileInfo(path).absoluteFilePath());
    setEntry(entry);
}

void FeedDocument::setPictureOrigin(const PictureOrigin &origin)
{
    setPictureFile(origin.file);
    m_pictureAddress = origin.address;
}

void FeedDocument::downloadPicture(const QString &url, const QString &actionName,
                                   bool followsAddress)
{
    cancelPictureFetch();
    startPictureFetch(url, actionName, followsAddress);
}

void FeedDocument::startPictureFetch(const QString &url, const QString &actionName,
                                     bool followsAddress)
{
    auto fetch = std::make_unique<PictureFetch>();
    fetch->document = this;
    fetch->generation = ++m_fetchGeneration;
    fetch->url = url;
    fetch->actionName = actionName;
    fetch->followsAddress = followsAddress;
    fetch->handle = CURLHandle::create(QUrl(url), false);
    if (!fetch->handle) {
        // No transfer could be set up: told as any failed fetch is, after this call returns.
        fetch->post({}, tr("the transfer could not be set up"));
        m_fetch = std::move(fetch);
        emit pictureTransferChanged();
        return;
    }
    fetch->handle->setUserAgent(Controller::signature());
    fetch->handle->setFollowsRedirects(true);
    fetch->handle->setFailsOnError(true);
    fetch->handle->setMaximumSize(kMaximumPictureBytes);
    const QString bundle
        = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ca-bundle.crt"));
    if (QUrl(url).scheme() == QLatin1String("https") && QFileInfo::exists(bundle))
        fetch->handle->setStringOrNumberObject(bundle, CURLOPT_CAINFO);
    fetch->handle->addClient(fetch.get());
    URLHandle *handle = fetch->handle.get();
    m_fetch = std::move(fetch);
    emit pictureTransferChanged();
    handle->loadInBackground();
}

// --- The picture as the user changes it ---------------------------------------------------------

void FeedDocument::recordPicture(const QString &actionName)
{
    registerUndo(FieldChange::picture(*this), actionName);
    m_imageEdited = true;
    m_pictureAddress = image()->URL();
}

void FeedDocument::showPictureWithSize(const QImage &picture)
{
    setPicture(picture);
    if (picture.isNull())
        return;
    // The picture's own pixels: whole numbers, as the fields and the feed show them.
    image()->setWidth(QString::number(picture.width()));
    announce(FieldScope::Image, -1, QStringLiteral("Image_Required_Width"));
    image()->setHeight(QString::number(picture.height()));
    announce(FieldScope::Image, -1, QStringLiteral("Image_Required_Height"));
}

void FeedDocument::replacePicture(const QImage &picture, const QString &actionName,
                                  const QString &fileName)
{
    recordPicture(actionName);
    showPictureWithSize(picture);
    if (!fileName.isEmpty())
        image()->setImageFilename(fileName);
}

void FeedDocument::fillMissingImageSize()
{
    VLXImage *target = image();
    if (m_picture.isNull())
        return;
    const QSize size = m_picture.size();
    const QString width = target->width();
    const QString height = target->height();
    // Sizes are whole numbers, truncated.
    if (width.isEmpty() && height.isEmpty()) {
        target->setWidth(QString::number(size.width()));
        target->setHeight(QString::number(size.height()));
    } else if (width.isEmpty()) {
        target->setWidth(QString::number(height.toInt() == size.height()
                                              ? size.width()
                                              : int(size.width() * (height.toDouble()
                                                                    / size.height()))));
    } else if (height.isEmpty()) {
        target->setHeight(QString::number(width.toInt() == size.width()
                                               ? size.height()
                                               : int(size.height() * (width.toDouble()
                                                                      / size.width()))));
    } else {
        return;
    }
    announce(FieldScope::Image, -1, QStringLiteral("Image_Required_Width"));
    announce(FieldScope::Image, -1, QStringLiteral("Image_Required_Height"));
}

void FeedDocument::pictureArrived(quint64 generation, const QImage &picture, const QString &problem)
{
    // A fetch cancelled or replaced meanwhile has nothing more to say.
    if (!m_fetch || m_fetch->generation != generation)
        return;
    const QString address = m_fetch->url;
    const QString actionName = m_fetch->actionName;
    const bool followsAddress = m_fetch->followsAddress;
    m_fetch.reset();
    emit pictureTransferChanged();
    if (!picture.isNull()) {
        if (actionName.isEmpty()) {
            m_pictureAddress = address;
            setPicture(picture);
            fillMissingImageSize();
            return;
        }
        // The address was taken back or changed again while the picture was on its way.
        if (followsAddress && image()->URL() != address)
            return;
        replacePicture(picture, actionName, QUrl(address).fileName());
        // The picture is the address's now, no longer that of a file of the user's.
        setPictureFile(QString());
        emit pictureDownloaded();
        return;
    }
    // A feed read again fetches its image again: an address that failed is told once while the
    // feed stays loaded, a download the user asked for every time.
    const bool told = m_failedPictureAddresses.contains(address);
    m_failedPictureAddresses.insert(address);
    if (told && actionName.isEmpty())
        return;
    Alert failure;
    failure.style = Alert::Style::Informational;
    failure.title = QStringLiteral("Connection Failure");
    failure.message = QStringLiteral("When trying to fetch the image %1 the following error "
                                     "\"%2\" was encountered")
                          .arg(address, problem);
    AlertService::show(failure);
}
