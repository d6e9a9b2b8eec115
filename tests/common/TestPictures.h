#pragma once

#include <QByteArray>
#include <QColor>
#include <QSize>
#include <QtGlobal>

// Pictures made by the tests themselves: good ones of each feed format and hostile ones.
namespace TestPictures {
// A picture of one colour with a white pixel at the top left, as the bytes of that format
// ("PNG", "JPEG" or "GIF").
QByteArray picture(const char *format, const QSize &size, const QColor &colour);
// A gzip-compressed SVG (.svgz) of about 1 KB per inflated megabyte: a valid SVG start and end
// around a comment of spaces, `inflatedBytes` long once inflated.
QByteArray svgz(qint64 inflatedBytes);
// A PNG whose header claims the size; its pixel data is a few bytes only.
QByteArray pngClaiming(quint32 width, quint32 height);
// A GIF whose screen and image claim the size; its pixel data is a few bytes only.
QByteArray gifClaiming(quint16 width, quint16 height);
} // namespace TestPictures
