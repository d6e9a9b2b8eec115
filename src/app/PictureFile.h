#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class QImage;

// The feed image written to a file the user chose: the format follows the name, and the file is
// either written whole or left as it was.
class PictureFile
{
public:
    enum class Format {
        GIF, // the GIF writer's own palette and transparency
        JPEG,
        PNG,
        BitmapGIF, // a GIF of the plain 32-bit bitmap, for every other name
    };
    // By the text after the name's last ".", compared exactly: "gif", "jpg" and "png"; any other
    // extension ("GIF" and "jpeg" among them) or none gives BitmapGIF.
    static Format formatForName(const QString &name);
    // The file's bytes; nothing for an empty picture or one the format cannot hold.
    static std::optional<QByteArray> encode(const QImage &picture, Format format);
    // Writes the picture in the format its name asks for; false with the reason in *problem.
    static bool write(const QImage &picture, const QString &path, QString *problem);
};
