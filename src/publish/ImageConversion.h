#pragma once

#include "imaging/GIFWriter.h"
#include "publish/ConvertedImages.h"
#include "publish/ThreadWorker.h"

class QImage;

// Converts the feed image for publishing: GIF through GIFWriter, JPEG and PNG through Qt's
// image writers. Lives in the imaging library (QtGui); the publisher in core only receives the
// bytes.
class ImageConversion
{
public:
    // GIF first, then JPEG and PNG; stops between formats when cancelled, keeping what it made.
    static ConvertedImages generateImageData(const QImage &image,
                                             const GIFWriter::CancelCheck &cancelled = {});
    // The conversion as a worker task (its result holds a ConvertedImages), for
    // vlxFTP::startImageConversion.
    static ThreadWorker::Task task(const QImage &image);

    // JPEG at the writer's default quality; transparent parts are laid on white.
    static std::optional<QByteArray> jpegData(const QImage &image);
    static std::optional<QByteArray> pngData(const QImage &image);
};
