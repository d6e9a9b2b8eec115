// The picture of the feed's image: fetched in the background from the image URL.
#include "app/FeedDocument.h"

#include "app/Controller.h"
#include "app/VLXUndoManager.h"
#include "io/CURLHandle.h"
#include "io/URLHandleClient.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "platform/AlertService.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMetaObject>

// One background load of the image URL; the document hears of it on the main thread.
struct FeedDocument::PictureFetch : public URLHandleClient
{
    FeedDocument *document = nullptr;
    std::shared_ptr<CURLHandle> handle;
    QString url;

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
    cancelPictureFetch();
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

void FeedDocument::cancelPictureFetch()
{
    m_fetch.reset();
}

void FeedDocument::fetchPicture()
{
    cancelPictureFetch();
    const QString url = image()->URL();
    if (url.isEmpty()) {
        setPicture({});
        return;
    }
    auto fetch = std::make_unique<PictureFetch>();
    fetch->document = this;
    fetch->generation = ++m_fetchGeneration;
    fetch->url = url;
    fetch->handle = CURLHandle::create(QUrl(url), false);
    fetch->handle->setUserAgent(Controller::signature());
    fetch->handle->setFollowsRedirects(true);
    fetch->handle->setFailsOnError(true);
    const QString bundle
        = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ca-bundle.crt"));
    if (QUrl(url).scheme() == QLatin1String("https") && QFileInfo::exists(bundle))
        fetch->handle->setStringOrNumberObject(bundle, CURLOPT_CAINFO);
    fetch->handle->addClient(fetch.get());
    URLHandle *handle = fetch->handle.get();
    m_fetch = std::move(fetch);
    handle->loadInBackground();
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
    m_fetch.reset();
    if (!picture.isNull()) {
        setPicture(picture);
        fillMissingImageSize();
        return;
    }
    Alert failure;
    failure.style = Alert::Style::Informational;
    failure.title = QStringLiteral("Connection Failure");
    failure.message = QStringLiteral("When trying to fetch the image %1 the following error "
                                     "\"%2\" was encountered")
                          .arg(address, problem);
    AlertService::show(failure);
}
