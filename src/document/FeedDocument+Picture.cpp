// The picture of the feed's image: fetched in the background from the image URL, read from the
// file the user chose for it, downloaded from another address, opened or dropped by the user,
// each change one undo step. Every picture is decoded away from the window's thread and comes
// back to it, where the document changes.
#include "document/FeedDocument.h"

#include "document/FeedFields.h"
#include "document/FieldChange.h"
#include "document/FreeAside.h"
#include "document/VLXUndoManager.h"
#include "io/CURLHandle.h"
#include "io/URLHandleClient.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "platform/AlertService.h"
#include "platform/ApplicationIdentity.h"
#include "ui/PictureDecoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMetaObject>

namespace {
// The entry's key for the picture's local file.
const QString kPictureFileKey = QStringLiteral("ImageLocalFile");
// The entry's key for the image URL whose picture has given the image its size (see
// pictureSized): from then on a size missing is one the user cleared.
const QString kSizedAddressKey = QStringLiteral("ImageSizedURL");
const QString kDroppedNewImage = QStringLiteral("Dropped New Image");
} // namespace

// One background read of a picture: the image URL or another address over the network, or a
// file, or dropped bytes. The document hears of it on the window's thread.
struct FeedDocument::PictureFetch : public URLHandleClient
{
    FeedDocument *document = nullptr;
    std::shared_ptr<CURLHandle> handle;
    PicturePurpose purpose = PicturePurpose::Load;
    // The address fetched; empty when a file or bytes are read.
    QString url;
    // The file read; empty for an address and for dropped bytes.
    QString file;
    QString actionName;
    bool followsAddress = false;
    quint64 generation = 0;

    ~PictureFetch() override
    {
        if (handle) {
            handle->removeClient(this);
            handle->cancelLoadInBackground();
        }
    }
    // The handle is still telling its clients: the bytes are decoded on a worker, and the
    // document takes the result afterwards.
    void URLHandleResourceDidFinishLoading(URLHandle *) override
    {
        PictureDecoder::decodeLater(handle->availableResourceData(), document, told());
    }
    void URLHandleResourceDidFailLoadingWithReason(URLHandle *, const QString &reason) override
    {
        post({}, handle->curlError().isEmpty() ? reason : handle->curlError());
    }
    PictureDecoder::Done told() const
    {
        return [owner = document, generation = generation](const PictureDecoder::Result &result) {
            owner->pictureArrived(generation, result.picture, result.problem);
        };
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
    // The undo steps go first: a big feed nothing else holds then goes the way of a feed
    // replaced, freed aside rather than on the window's thread as the window closes.
    m_undo->disconnect(this);
    delete m_undo;
    m_undo = nullptr;
    install(nullptr, m_entry, true);
    freeAside(std::move(m_bytes));
    freeAside(std::move(m_text));
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
    // reachable, or not hold it yet, until the feed is published. A file that no longer reads
    // leaves the address to be fetched.
    const QString file = pictureFile();
    if (!file.isEmpty() && QFileInfo(file).isFile()) {
        auto fetch = newFetch(PicturePurpose::Load, QString(), QString());
        fetch->file = file;
        startDecoding(std::move(fetch), {});
        return;
    }
    fetchPicture();
}

void FeedDocument::fetchPicture()
{
    cancelPictureFetch();
    const QString url = image()->URL();
    // An address relative to where the feed will be published names nothing to fetch yet.
    if (url.isEmpty() || QUrl(url).isRelative()) {
        setPicture({});
        return;
    }
    startPictureFetch(newFetch(PicturePurpose::Load, url, QString()));
}

void FeedDocument::forgetPictureOfLoad()
{
    cancelPictureFetch();
    m_failedPictureAddresses.clear();
    m_pictureAddress.clear();
    m_pictureAsRead = false;
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
    m_pictureAsRead = origin.asRead;
}

bool FeedDocument::pictureKeptBySave() const
{
    if (!m_pictureAsRead || m_picture.isNull())
        return false;
    const QString file = pictureFile();
    if (!file.isEmpty())
        return QFileInfo(file).isFile();
    return !m_pictureAddress.isEmpty() && m_pictureAddress == image()->URL();
}

void FeedDocument::downloadPicture(const QString &url, const QString &actionName,
                                   bool followsAddress)
{
    auto fetch = newFetch(PicturePurpose::Download, url, actionName);
    fetch->followsAddress = followsAddress;
    startPictureFetch(std::move(fetch));
}

void FeedDocument::openPictureFile(const QString &path, const QString &actionName)
{
    auto fetch = newFetch(PicturePurpose::Open, QString(), actionName);
    fetch->file = path;
    startDecoding(std::move(fetch), {});
}

void FeedDocument::dropPicture(const QString &file, const QByteArray &bytes)
{
    auto fetch = newFetch(PicturePurpose::Drop, QString(), kDroppedNewImage);
    fetch->file = file;
    startDecoding(std::move(fetch), bytes);
}

std::unique_ptr<FeedDocument::PictureFetch>
FeedDocument::newFetch(PicturePurpose purpose, const QString &url, const QString &actionName)
{
    // A new picture takes the place of any other on its way.
    cancelPictureFetch();
    auto fetch = std::make_unique<PictureFetch>();
    fetch->document = this;
    fetch->purpose = purpose;
    fetch->generation = ++m_fetchGeneration;
    fetch->url = url;
    fetch->actionName = actionName;
    return fetch;
}

void FeedDocument::startDecoding(std::unique_ptr<PictureFetch> fetch, const QByteArray &bytes)
{
    if (fetch->file.isEmpty())
        PictureDecoder::decodeLater(bytes, this, fetch->told());
    else
        PictureDecoder::decodeFileLater(fetch->file, this, fetch->told());
    m_fetch = std::move(fetch);
    emit pictureTransferChanged();
}

void FeedDocument::startPictureFetch(std::unique_ptr<PictureFetch> fetch)
{
    const QString url = fetch->url;
    fetch->handle = CURLHandle::create(QUrl(url), false);
    if (!fetch->handle) {
        // No transfer could be set up: told as any failed fetch is, after this call returns.
        fetch->post({}, tr("the transfer could not be set up"));
        m_fetch = std::move(fetch);
        emit pictureTransferChanged();
        return;
    }
    fetch->handle->setUserAgent(ApplicationIdentity::signature());
    fetch->handle->setFollowsRedirects(true);
    fetch->handle->setFailsOnError(true);
    // A body beyond what a picture may be is no picture for a feed.
    fetch->handle->setMaximumSize(PictureDecoder::kMaximumBytes);
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
    pictureSized();
    // The picture's own pixels: whole numbers, as the fields and the feed show them.
    image()->setWidth(QString::number(picture.width()));
    announce(FieldScope::Image, -1, FeedFields::kImageWidth);
    image()->setHeight(QString::number(picture.height()));
    announce(FieldScope::Image, -1, FeedFields::kImageHeight);
}

void FeedDocument::replacePicture(const QImage &picture, const QString &actionName,
                                  const QString &fileName)
{
    recordPicture(actionName);
    m_pictureAsRead = false;
    showPictureWithSize(picture);
    if (!fileName.isEmpty())
        image()->setImageFilename(fileName);
}

void FeedDocument::pictureSized()
{
    const QString url = image()->URL();
    if (url.isEmpty() || m_entry.value(kSizedAddressKey).toString() == url)
        return;
    FeedListEntry entry = m_entry;
    entry.setValue(kSizedAddressKey, url);
    setEntry(entry);
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
        target->setWidth(
            QString::number(height.toInt() == size.height()
                                ? size.width()
                                : int(size.width() * (height.toDouble() / size.height()))));
    } else if (height.isEmpty()) {
        target->setHeight(
            QString::number(width.toInt() == size.width()
                                ? size.height()
                                : int(size.height() * (width.toDouble() / size.width()))));
    } else {
        return;
    }
    announce(FieldScope::Image, -1, FeedFields::kImageWidth);
    announce(FieldScope::Image, -1, FeedFields::kImageHeight);
}

void FeedDocument::pictureArrived(quint64 generation, const QImage &picture, const QString &problem)
{
    // A fetch cancelled or replaced meanwhile has nothing more to say.
    if (!m_fetch || m_fetch->generation != generation)
        return;
    const std::unique_ptr<PictureFetch> fetch = std::move(m_fetch);
    emit pictureTransferChanged();
    if (picture.isNull()) {
        pictureRefused(*fetch, problem);
        return;
    }
    switch (fetch->purpose) {
    case PicturePurpose::Load:
        m_pictureAddress = fetch->file.isEmpty() ? fetch->url : image()->URL();
        m_pictureAsRead = true;
        setPicture(picture);
        // A missing size is filled in the first time the feed shows the picture of its image
        // URL. After that a missing size is one the user cleared, and it stays cleared: over
        // the limits of a feed image, the picture's own size would not even be valid.
        if (m_entry.value(kSizedAddressKey).toString() != image()->URL()) {
            fillMissingImageSize();
            pictureSized();
        }
        return;
    case PicturePurpose::Download:
        // The address was taken back or changed again while the picture was on its way.
        if (fetch->followsAddress && image()->URL() != fetch->url)
            return;
        replacePicture(picture, fetch->actionName, QUrl(fetch->url).fileName());
        // The picture is the address's now, no longer that of a file of the user's.
        setPictureFile(QString());
        m_pictureAsRead = fetch->url == image()->URL();
        emit pictureReplacedByNew();
        return;
    case PicturePurpose::Open:
    case PicturePurpose::Drop:
        replacePicture(picture, fetch->actionName,
                       fetch->purpose == PicturePurpose::Open ? QFileInfo(fetch->file).fileName()
                                                              : QString());
        // The file is the picture's from now on: it shows again when the feed is next loaded.
        // Dropped pixels have no file.
        setPictureFile(fetch->file);
        m_pictureAsRead = !fetch->file.isEmpty();
        if (fetch->purpose == PicturePurpose::Open)
            emit pictureReplacedByNew();
        return;
    }
}

void FeedDocument::pictureRefused(const PictureFetch &fetch, const QString &problem)
{
    Alert failure;
    failure.style = Alert::Style::Informational;
    switch (fetch.purpose) {
    case PicturePurpose::Load:
        // A picture file that no longer reads leaves the address to be fetched.
        if (!fetch.file.isEmpty()) {
            fetchPicture();
            return;
        }
        [[fallthrough]];
    case PicturePurpose::Download: {
        // A feed read again fetches its image again: an address that failed is told once while
        // the feed stays loaded, a download the user asked for every time.
        const bool told = m_failedPictureAddresses.contains(fetch.url);
        m_failedPictureAddresses.insert(fetch.url);
        if (told && fetch.purpose == PicturePurpose::Load)
            return;
        failure.title = QStringLiteral("Connection Failure");
        failure.message = QStringLiteral("When trying to fetch the image %1 the following error "
                                         "\"%2\" was encountered")
                              .arg(fetch.url, problem);
        break;
    }
    case PicturePurpose::Open:
    case PicturePurpose::Drop:
        failure.title = tr("Image Not Opened");
        failure.message = fetch.file.isEmpty()
            ? tr("The dropped picture could not be read: %1").arg(problem)
            : tr("\"%1\" could not be read as a picture: %2")
                  .arg(QDir::toNativeSeparators(fetch.file), problem);
        break;
    }
    AlertService::show(failure);
}
