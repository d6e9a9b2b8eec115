#pragma once

#include <QByteArray>
#include <functional>
#include <optional>

class QImage;

// Writes an image as a GIF89a file in memory with giflib: the colours reduced to one 256-entry
// palette, and, only when some pixel is less than half opaque, a transparency extension naming
// a palette entry of its own whose colour appears nowhere in the image or the rest of the
// palette, so no visible pixel can turn transparent.
class GIFWriter
{
public:
    // Polled between rows; answering true stops the conversion.
    using CancelCheck = std::function<bool()>;

    // The GIF file's bytes; nothing when cancelled, for an empty image, or when giflib refuses
    // (a side longer than 65,535 pixels).
    static std::optional<QByteArray> gifDataForImage(const QImage &image,
                                                     const CancelCheck &cancelled = {});
};
