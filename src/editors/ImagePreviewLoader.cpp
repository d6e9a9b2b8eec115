#include "editors/ImagePreviewLoader.h"

#include "io/CURLHandle.h"
#include "ui/PictureDecoder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QUrl>

namespace {
int g_timeoutSeconds = ImagePreviewLoader::kDefaultTimeoutSeconds;
qint64 g_maximumBytes = ImagePreviewLoader::kDefaultMaximumBytes;

bool isTransferScheme(const QString &scheme)
{
    return scheme == u"http" || scheme == u"https" || scheme == u"ftp" || scheme == u"ftps";
}

// The bytes of a local file, or nothing when it is missing or too large.
QByteArray readLocalFile(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || file.size() > g_maximumBytes
        || !file.open(QIODevice::ReadOnly))
        return {};
    return file.read(g_maximumBytes);
}

QByteArray dataURLBytes(const QString &text)
{
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma < 0)
        return {};
    const QString header = text.left(comma);
    const QByteArray payload = text.mid(comma + 1).toLatin1();
    return header.endsWith(QLatin1String(";base64"), Qt::CaseInsensitive)
        ? QByteArray::fromBase64(payload)
        : QByteArray::fromPercentEncoding(payload);
}
} // namespace

void ImagePreviewLoader::setLimits(int timeoutSeconds, qint64 maximumBytes)
{
    g_timeoutSeconds = timeoutSeconds;
    g_maximumBytes = maximumBytes;
}

int ImagePreviewLoader::timeoutSeconds()
{
    return g_timeoutSeconds;
}

qint64 ImagePreviewLoader::maximumBytes()
{
    return g_maximumBytes;
}

ImagePreviewLoader::ImagePreviewLoader(QObject *parent) : QObject(parent) { }

ImagePreviewLoader::~ImagePreviewLoader()
{
    cancel();
}

void ImagePreviewLoader::cancel()
{
    ++m_generation;
    m_delivering = false;
    if (auto handle = std::exchange(m_handle, nullptr)) {
        handle->removeClient(this);
        handle->cancelLoadInBackground();
        // The handle may be telling its clients right now: it goes once that is over.
        if (QCoreApplication::instance())
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [handle] {}, Qt::QueuedConnection);
    }
}

void ImagePreviewLoader::load(const QString &urlText)
{
    cancel();
    const QString text = urlText.trimmed();
    const QUrl url(text);
    const QString scheme = url.scheme().toLower();
    if (isTransferScheme(scheme)) {
        auto handle = CURLHandle::create(url, false);
        if (handle) {
            handle->setUserAgent(CURLHandle::signature());
            handle->setFollowsRedirects(true);
            handle->setFailsOnError(true);
            handle->setConnectionTimeout(g_timeoutSeconds);
            handle->setTransferTimeout(g_timeoutSeconds);
            handle->setStringOrNumberObject(g_maximumBytes, CURLOPT_MAXFILESIZE_LARGE);
            const QString bundle = QDir(QCoreApplication::applicationDirPath())
                                       .filePath(QStringLiteral("ca-bundle.crt"));
            if (scheme == u"https" && QFileInfo::exists(bundle))
                handle->setStringOrNumberObject(bundle, CURLOPT_CAINFO);
            m_handle = handle;
            handle->addClient(this);
            handle->loadInBackground();
            return;
        }
    }
    QByteArray bytes;
    if (scheme == u"file")
        bytes = readLocalFile(url.toLocalFile());
    else if (scheme == u"data")
        bytes = dataURLBytes(text);
    else if (QDir::isAbsolutePath(text))
        bytes = readLocalFile(text);
    deliver(bytes);
}

void ImagePreviewLoader::URLHandleResourceDataDidBecomeAvailable(URLHandle *sender,
                                                                 const QByteArray &)
{
    // A server that says nothing of the length is held to the limit all the same.
    if (sender->availableResourceData().size() > g_maximumBytes) {
        cancel();
        deliver({});
    }
}

void ImagePreviewLoader::URLHandleResourceDidFinishLoading(URLHandle *sender)
{
    const QByteArray bytes = sender->availableResourceData();
    cancel();
    deliver(bytes);
}

void ImagePreviewLoader::URLHandleResourceDidFailLoadingWithReason(URLHandle *, const QString &)
{
    cancel();
    deliver({});
}

void ImagePreviewLoader::deliver(const QByteArray &bytes)
{
    m_delivering = true;
    auto tell = [this, generation = m_generation](const QImage &image) {
        if (generation != m_generation)
            return;
        m_delivering = false;
        emit finished(image);
    };
    if (bytes.isEmpty() || bytes.size() > g_maximumBytes) {
        QMetaObject::invokeMethod(
            this, [tell] { tell({}); }, Qt::QueuedConnection);
        return;
    }
    // Read away from the window as a feed image is, and as safely: GIF, JPEG or PNG only.
    PictureDecoder::decodeLater(
        bytes, this, [tell](const PictureDecoder::Result &result) { tell(result.picture); });
}
