#include "publish/ImageConversion.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

namespace {

std::optional<QByteArray> encode(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image))
        return std::nullopt;
    return bytes;
}

} // namespace

std::optional<QByteArray> ImageConversion::jpegData(const QImage &image)
{
    if (image.isNull())
        return std::nullopt;
    // JPEG has no alpha: without a background transparent parts would come out black.
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    return encode(flat, "jpeg");
}

std::optional<QByteArray> ImageConversion::pngData(const QImage &image)
{
    if (image.isNull())
        return std::nullopt;
    return encode(image, "png");
}

ConvertedImages ImageConversion::generateImageData(const QImage &image,
                                                   const GIFWriter::CancelCheck &cancelled)
{
    ConvertedImages result;
    if (image.isNull())
        return result;
    result.gif = GIFWriter::gifDataForImage(image, cancelled);
    if (cancelled && cancelled())
        return result;
    result.jpeg = jpegData(image);
    if (cancelled && cancelled())
        return result;
    result.png = pngData(image);
    return result;
}

ThreadWorker::Task ImageConversion::task(const QImage &image)
{
    return [image](ThreadWorker &worker) {
        return QVariant::fromValue(
            generateImageData(image, [&worker] { return worker.cancelled(); }));
    };
}
