#pragma once

#include <QByteArray>
#include <QMetaType>
#include <optional>

// The feed image in the three formats RSS allows, as the image conversion hands it to the
// publisher; a format is absent when it could not be made or the conversion was cancelled first.
struct ConvertedImages
{
    std::optional<QByteArray> gif;
    std::optional<QByteArray> jpeg;
    std::optional<QByteArray> png;

    bool any() const { return gif || jpeg || png; }
};

Q_DECLARE_METATYPE(ConvertedImages)
