#include "ui/PictureDecoder.h"

#include "platform/BoundedFileReader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QImageReader>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// A pool of our own: a decode never waits behind other work, and a burst of pictures never
// takes every thread of the global pool.
Q_GLOBAL_STATIC(QThreadPool, g_pool)

QThreadPool *pool()
{
    QThreadPool *threads = g_pool();
    threads->setMaxThreadCount(2);
    return threads;
}

QString problemText(const char *text)
{
    return QCoreApplication::translate("PictureDecoder", text);
}

QByteArray readerFormat(PictureDecoder::Format format)
{
    switch (format) {
    case PictureDecoder::Format::GIF:
        return QByteArrayLiteral("gif");
    case PictureDecoder::Format::JPEG:
        return QByteArrayLiteral("jpeg");
    case PictureDecoder::Format::PNG:
        return QByteArrayLiteral("png");
    }
    return {};
}

// The pixels of a picture of that size, four bytes each, fit the allocation limit.
bool fitsTheLimit(const QSize &size)
{
    const qint64 bytes = qint64(size.width()) * qint64(size.height()) * 4;
    return bytes <= qint64(PictureDecoder::kAllocationLimitMegabytes) * 1024 * 1024;
}

void runLater(std::function<PictureDecoder::Result()> work, QObject *receiver,
              PictureDecoder::Done done)
{
    // The watcher belongs to the receiver: when the receiver goes first, so does the watcher,
    // and the result of the finished work is dropped unheard.
    auto *watcher = new QFutureWatcher<PictureDecoder::Result>(receiver);
    QObject::connect(watcher, &QFutureWatcherBase::finished, receiver,
                     [watcher, done = std::move(done)] {
                         const PictureDecoder::Result result = watcher->result();
                         watcher->deleteLater();
                         done(result);
                     });
    watcher->setFuture(QtConcurrent::run(pool(), std::move(work)));
}

} // namespace

std::optional<PictureDecoder::Format> PictureDecoder::formatOf(const QByteArray &bytes)
{
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return Format::GIF;
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return Format::JPEG;
    if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return Format::PNG;
    return std::nullopt;
}

std::optional<PictureDecoder::Format> PictureDecoder::formatOfFile(const QString &path)
{
    // Only an ordinary file is opened: a pipe or a device could block or never end.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return formatOf(file.read(8));
}

PictureDecoder::Result PictureDecoder::decode(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {{}, problemText("the data is empty")};
    if (bytes.size() > kMaximumBytes)
        return {{}, problemText("the picture is larger than 64 MB")};
    const std::optional<Format> format = formatOf(bytes);
    if (!format)
        return {{}, problemText("the data is not a GIF, JPEG or PNG picture")};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, readerFormat(*format));
    // The named format's reader alone, even where it cannot read the data.
    reader.setAutoDetectImageFormat(false);
    reader.setAllocationLimit(kAllocationLimitMegabytes);
    const QSize size = reader.size();
    if (size.isValid() && !fitsTheLimit(size))
        return {{},
                problemText("the picture is %1 by %2 pixels, too large to be read")
                    .arg(size.width())
                    .arg(size.height())};
    QImage picture = reader.read();
    if (picture.isNull())
        return {{}, problemText("the picture's data could not be read")};
    return {std::move(picture), {}};
}

PictureDecoder::Result PictureDecoder::decodeFile(const QString &path)
{
    BoundedFileReader::Refusal refusal = BoundedFileReader::Refusal::None;
    const std::optional<QByteArray> bytes
        = BoundedFileReader::read(path, kMaximumBytes, nullptr, &refusal);
    if (bytes)
        return decode(*bytes);
    switch (refusal) {
    case BoundedFileReader::Refusal::NotAFile:
        return {{}, problemText("it is not an ordinary file")};
    case BoundedFileReader::Refusal::TooLarge:
        return {{}, problemText("the picture is larger than 64 MB")};
    case BoundedFileReader::Refusal::None:
    case BoundedFileReader::Refusal::Unreadable:
        break;
    }
    return {{},
            QFileInfo::exists(path) ? problemText("the file could not be read")
                                    : problemText("the file does not exist")};
}

void PictureDecoder::decodeLater(const QByteArray &bytes, QObject *receiver, Done done)
{
    runLater([bytes] { return decode(bytes); }, receiver, std::move(done));
}

void PictureDecoder::decodeFileLater(const QString &path, QObject *receiver, Done done)
{
    runLater([path] { return decodeFile(path); }, receiver, std::move(done));
}

void PictureDecoder::waitForIdle()
{
    pool()->waitForDone();
}
