#include "common/TestPictures.h"

#include "imaging/GIFWriter.h"

#include <QBuffer>
#include <QImage>
#include <QtEndian>

#include <zlib.h>

namespace TestPictures {

namespace {

// Raw deflate of the input, ending on a full flush: the output refers to nothing before it, so
// the same input always gives the same bytes, which may be repeated.
QByteArray deflated(z_stream &stream, const QByteArray &input, int flush)
{
    QByteArray out;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input.constData()));
    stream.avail_in = uInt(input.size());
    char buffer[65536];
    do {
        stream.next_out = reinterpret_cast<Bytef *>(buffer);
        stream.avail_out = sizeof buffer;
        deflate(&stream, flush);
        out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
    } while (stream.avail_out == 0);
    return out;
}

quint32 crcOf(const QByteArray &bytes, quint32 crc = 0)
{
    return quint32(
        crc32(crc, reinterpret_cast<const Bytef *>(bytes.constData()), uInt(bytes.size())));
}

void appendLittle32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void appendBig32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

void appendLittle16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void appendChunk(QByteArray &png, const char *type, const QByteArray &data)
{
    appendBig32(png, quint32(data.size()));
    const QByteArray typed = QByteArray(type) + data;
    png += typed;
    appendBig32(png, crcOf(typed));
}

} // namespace

QByteArray picture(const char *format, const QSize &size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    image.setPixel(0, 0, qRgb(255, 255, 255));
    if (QByteArray(format) == "GIF")
        return GIFWriter::gifDataForImage(image).value_or(QByteArray());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 100);
    return bytes;
}

QByteArray svgz(qint64 inflatedBytes)
{
    const QByteArray head = "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
                            "width=\"10\" height=\"10\"><!--";
    const QByteArray tail = "--><rect width=\"10\" height=\"10\"/></svg>\n";
    const QByteArray spaces(1 << 20, ' ');
    z_stream stream {};
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    // gzip header: deflate, no flags, no time, from Unix.
    QByteArray out("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03", 10);
    out += deflated(stream, head, Z_FULL_FLUSH);
    const QByteArray block = deflated(stream, spaces, Z_FULL_FLUSH);
    const qint64 blocks = qMax<qint64>(1, (inflatedBytes - head.size() - tail.size()) >> 20);
    out += block;
    for (qint64 i = 1; i < blocks; ++i)
        out += block;
    out += deflated(stream, tail, Z_FINISH);
    deflateEnd(&stream);
    // The trailer: the CRC of all the inflated bytes and their count (modulo 2^32).
    const quint32 spacesCRC = crcOf(spaces);
    quint32 crc = crcOf(head);
    for (qint64 i = 0; i < blocks; ++i)
        crc = quint32(crc32_combine(crc, spacesCRC, z_off_t(spaces.size())));
    crc = crcOf(tail, crc);
    appendLittle32(out, crc);
    appendLittle32(out, quint32(head.size() + blocks * spaces.size() + tail.size()));
    return out;
}

QByteArray pngClaiming(quint32 width, quint32 height)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    appendBig32(header, width);
    appendBig32(header, height);
    // Eight bits per sample, RGBA, deflate, no filter, not interlaced.
    header.append("\x08\x06\x00\x00\x00", 5);
    appendChunk(png, "IHDR", header);
    const QByteArray row(64, '\0');
    QByteArray data(128, '\0');
    uLongf length = uLongf(data.size());
    compress(reinterpret_cast<Bytef *>(data.data()), &length,
             reinterpret_cast<const Bytef *>(row.constData()), uLong(row.size()));
    data.truncate(qsizetype(length));
    appendChunk(png, "IDAT", data);
    appendChunk(png, "IEND", {});
    return png;
}

QByteArray gifClaiming(quint16 width, quint16 height)
{
    QByteArray gif("GIF89a");
    appendLittle16(gif, width);
    appendLittle16(gif, height);
    // A global table of two colours, black and white.
    gif.append("\x80\x00\x00", 3);
    gif.append("\x00\x00\x00\xff\xff\xff", 6);
    // One image over the whole screen.
    gif.append(',');
    appendLittle16(gif, 0);
    appendLittle16(gif, 0);
    appendLittle16(gif, width);
    appendLittle16(gif, height);
    gif.append('\0');
    // Code size 2: clear, colour 0, end of information; then the end of the file.
    gif.append("\x02\x02\x44\x01\x00\x3b", 6);
    return gif;
}

} // namespace TestPictures
