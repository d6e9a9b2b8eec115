#include "app/PictureFile.h"

#include "imaging/GIFWriter.h"
#include "publish/ImageConversion.h"

#include <QFileInfo>
#include <QImage>
#include <QSaveFile>

PictureFile::Format PictureFile::formatForName(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : name.mid(dot + 1);
    if (extension == QLatin1String("gif"))
        return Format::GIF;
    if (extension == QLatin1String("jpg"))
        return Format::JPEG;
    if (extension == QLatin1String("png"))
        return Format::PNG;
    return Format::BitmapGIF;
}

std::optional<QByteArray> PictureFile::encode(const QImage &picture, Format format)
{
    if (picture.isNull())
        return std::nullopt;
    switch (format) {
    case Format::GIF:
        return GIFWriter::gifDataForImage(picture);
    case Format::JPEG:
        return ImageConversion::jpegData(picture);
    case Format::PNG:
        return ImageConversion::pngData(picture);
    case Format::BitmapGIF:
        return GIFWriter::gifDataForImage(picture.convertToFormat(QImage::Format_ARGB32));
    }
    return std::nullopt;
}

bool PictureFile::write(const QImage &picture, const QString &path, QString *problem)
{
    const QString name = QFileInfo(path).fileName();
    const std::optional<QByteArray> data = encode(picture, formatForName(name));
    if (!data || data->isEmpty()) {
        *problem = QObject::tr("The picture could not be converted for \"%1\".").arg(name);
        return false;
    }
    // Written beside the target and moved over it at the end: a failure leaves the old file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*data) != data->size() || !file.commit()) {
        *problem = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}
