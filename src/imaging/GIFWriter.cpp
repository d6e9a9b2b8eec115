#include "imaging/GIFWriter.h"

#include <QImage>
#include <gif_lib.h>
#include <memory>
#include <vector>

namespace {

constexpr int kPaletteSize = 256;
// The palette entry of the transparent key when there is one; the quantiser gets the others.
constexpr int kKeyIndex = kPaletteSize - 1;
// A pixel below half opacity is transparent.
constexpr int kOpaqueAlpha = 128;

int appendToBytes(GifFileType *gif, const GifByteType *data, int length)
{
    static_cast<QByteArray *>(gif->UserData)->append(reinterpret_cast<const char *>(data), length);
    return length;
}

quint32 rgbKey(int red, int green, int blue)
{
    return (quint32(red) << 16) | (quint32(green) << 8) | quint32(blue);
}

// A colour that neither the image nor the palette uses.
GifColorType unusedColour(const std::vector<bool> &used)
{
    quint32 colour = 0;
    while (colour < used.size() && used[colour])
        ++colour;
    return GifColorType {GifByteType(colour >> 16), GifByteType(colour >> 8), GifByteType(colour)};
}

// The quantiser works on five bits a channel and hands back the corners of its colour boxes;
// each entry becomes the mean of the pixels it stands for, so an image of few colours keeps
// them exactly.
void exactPalette(const std::vector<GifByteType> &red, const std::vector<GifByteType> &green,
                  const std::vector<GifByteType> &blue, const std::vector<GifByteType> &index,
                  std::vector<GifColorType> &palette)
{
    struct Sum
    {
        quint64 red = 0, green = 0, blue = 0, count = 0;
    };
    std::vector<Sum> sums(palette.size());
    for (size_t i = 0; i < index.size(); ++i) {
        Sum &sum = sums[index[i]];
        sum.red += red[i];
        sum.green += green[i];
        sum.blue += blue[i];
        ++sum.count;
    }
    for (size_t i = 0; i < palette.size(); ++i) {
        const Sum &sum = sums[i];
        if (sum.count == 0)
            continue;
        const auto mean
            = [&](quint64 total) { return GifByteType((total + sum.count / 2) / sum.count); };
        palette[i] = GifColorType {mean(sum.red), mean(sum.green), mean(sum.blue)};
    }
}

// Closes the file whatever happened; giflib frees it.
struct GifCloser
{
    void operator()(GifFileType *gif) const
    {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};

} // namespace

std::optional<QByteArray> GIFWriter::gifDataForImage(const QImage &image,
                                                     const CancelCheck &cancelled)
{
    const auto isCancelled = [&] { return cancelled && cancelled(); };
    if (image.isNull() || image.width() > 65535 || image.height() > 65535)
        return std::nullopt;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const int w = argb.width();
    const int h = argb.height();
    const size_t count = size_t(w) * size_t(h);

    // Transparent pixels take the colour of the first opaque one, so they claim no palette
    // entry of their own; they get the key's index after quantising.
    bool transparency = false;
    QRgb filler = qRgb(0, 0, 0);
    bool fillerFound = false;
    for (int y = 0; y < h && !(transparency && fillerFound); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (qAlpha(line[x]) < kOpaqueAlpha) {
                transparency = true;
            } else if (!fillerFound) {
                filler = line[x];
                fillerFound = true;
            }
        }
    }

    std::vector<GifByteType> red(count), green(count), blue(count), index(count);
    std::vector<bool> used;
    if (transparency)
        used.assign(size_t(1) << 24, false);
    size_t at = 0;
    for (int y = 0; y < h; ++y) {
        if (isCancelled())
            return std::nullopt;
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < w; ++x, ++at) {
            const QRgb pixel = qAlpha(line[x]) < kOpaqueAlpha ? filler : line[x];
            red[at] = GifByteType(qRed(pixel));
            green[at] = GifByteType(qGreen(pixel));
            blue[at] = GifByteType(qBlue(pixel));
            if (transparency && qAlpha(line[x]) >= kOpaqueAlpha)
                used[rgbKey(qRed(pixel), qGreen(pixel), qBlue(pixel))] = true;
        }
    }

    std::vector<GifColorType> palette(kPaletteSize, GifColorType {0, 0, 0});
    int mapSize = transparency ? kKeyIndex : kPaletteSize;
    if (GifQuantizeBuffer(unsigned(w), unsigned(h), &mapSize, red.data(), green.data(), blue.data(),
                          index.data(), palette.data())
        != GIF_OK)
        return std::nullopt;
    if (isCancelled())
        return std::nullopt;
    exactPalette(red, green, blue, index, palette);

    if (transparency) {
        for (int i = 0; i < kKeyIndex; ++i)
            used[rgbKey(palette[i].Red, palette[i].Green, palette[i].Blue)] = true;
        palette[kKeyIndex] = unusedColour(used);
        at = 0;
        for (int y = 0; y < h; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
            for (int x = 0; x < w; ++x, ++at) {
                if (qAlpha(line[x]) < kOpaqueAlpha)
                    index[at] = GifByteType(kKeyIndex);
            }
        }
    }

    QByteArray bytes;
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(&bytes, appendToBytes, &error));
    if (!gif)
        return std::nullopt;
    EGifSetGifVersion(gif.get(), true);
    ColorMapObject *map = GifMakeMapObject(kPaletteSize, palette.data());
    if (!map)
        return std::nullopt;
    // giflib keeps its own copy of the global palette.
    const int screen = EGifPutScreenDesc(gif.get(), w, h, 8, 0, map);
    GifFreeMapObject(map);
    if (screen != GIF_OK)
        return std::nullopt;
    if (transparency) {
        // Transparent-colour flag, no disposal, no delay, then the key's index.
        const GifByteType control[4] = {0x01, 0x00, 0x00, GifByteType(kKeyIndex)};
        if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, 4, control) != GIF_OK)
            return std::nullopt;
    }
    if (EGifPutImageDesc(gif.get(), 0, 0, w, h, false, nullptr) != GIF_OK)
        return std::nullopt;
    for (int y = 0; y < h; ++y) {
        if (EGifPutLine(gif.get(), index.data() + size_t(y) * size_t(w), w) != GIF_OK)
            return std::nullopt;
    }
    if (EGifCloseFile(gif.release(), &error) != GIF_OK)
        return std::nullopt;
    return bytes;
}
