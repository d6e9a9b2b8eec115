// Writing GIFs: read back with giflib, palette and transparency.
#include "imaging/GIFWriter.h"

#include <QImage>
#include <QSet>
#include <gif_lib.h>
#include <gtest/gtest.h>

namespace {

// A GIF decoded by giflib: size, palette, pixel indexes and the transparent index (-1: none).
struct DecodedGIF
{
    int width = 0;
    int height = 0;
    QList<QRgb> palette;
    QList<int> pixels;
    int transparentIndex = -1;
    bool hasControlExtension = false;

    QRgb colourAt(int x, int y) const { return palette.at(pixels.at(y * width + x)); }
};

struct Reader
{
    const QByteArray *bytes;
    qsizetype at = 0;
};

int readBytes(GifFileType *gif, GifByteType *into, int length)
{
    auto *reader = static_cast<Reader *>(gif->UserData);
    const int n = int(qMin<qsizetype>(length, reader->bytes->size() - reader->at));
    memcpy(into, reader->bytes->constData() + reader->at, size_t(n));
    reader->at += n;
    return n;
}

std::optional<DecodedGIF> decode(const QByteArray &bytes)
{
    Reader reader {&bytes};
    int error = 0;
    GifFileType *gif = DGifOpen(&reader, readBytes, &error);
    if (!gif)
        return std::nullopt;
    std::optional<DecodedGIF> result;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1 && gif->SColorMap) {
        DecodedGIF out;
        out.width = gif->SWidth;
        out.height = gif->SHeight;
        for (int i = 0; i < gif->SColorMap->ColorCount; ++i) {
            const GifColorType c = gif->SColorMap->Colors[i];
            out.palette.append(qRgb(c.Red, c.Green, c.Blue));
        }
        const SavedImage &image = gif->SavedImages[0];
        for (int i = 0; i < out.width * out.height; ++i)
            out.pixels.append(image.RasterBits[i]);
        GraphicsControlBlock control;
        if (DGifSavedExtensionToGCB(gif, 0, &control) == GIF_OK) {
            out.hasControlExtension = true;
            out.transparentIndex = control.TransparentColor;
        }
        result = out;
    }
    DGifCloseFile(gif, &error);
    return result;
}

QImage picture(bool withBlack, bool withHoles)
{
    QImage image(40, 30, QImage::Format_ARGB32);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            QRgb colour = x < 20 ? qRgb(200, 30, 30) : qRgb(30, 30, 200);
            if (withBlack && y < 5)
                colour = qRgb(0, 0, 0);
            if (withHoles && x >= 35)
                colour = qRgba(0, 0, 0, x == 35 ? 127 : 0);
            image.setPixel(x, y, colour);
        }
    }
    return image;
}

TEST(GIFWriterTest, AnOpaqueImageGetsNoTransparencyBlackPixelsIncluded)
{
    for (const bool withBlack : {false, true}) {
        const auto bytes = GIFWriter::gifDataForImage(picture(withBlack, false));
        ASSERT_TRUE(bytes);
        EXPECT_TRUE(bytes->startsWith("GIF89a"));
        const auto gif = decode(*bytes);
        ASSERT_TRUE(gif);
        EXPECT_EQ(gif->width, 40);
        EXPECT_EQ(gif->height, 30);
        EXPECT_FALSE(gif->hasControlExtension) << "black: " << withBlack;
        EXPECT_EQ(gif->colourAt(0, 29), qRgb(200, 30, 30));
        EXPECT_EQ(gif->colourAt(39, 29), qRgb(30, 30, 200));
        if (withBlack) {
            EXPECT_EQ(gif->colourAt(10, 0), qRgb(0, 0, 0));
        }
    }
}

TEST(GIFWriterTest, TransparentPixelsGetAKeyEntryOfTheirOwn)
{
    const auto bytes = GIFWriter::gifDataForImage(picture(true, true));
    ASSERT_TRUE(bytes);
    const auto gif = decode(*bytes);
    ASSERT_TRUE(gif);
    ASSERT_TRUE(gif->hasControlExtension);
    ASSERT_GE(gif->transparentIndex, 0);
    const QRgb key = gif->palette.at(gif->transparentIndex);

    QSet<QRgb> visible;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            const bool hole = x >= 35;
            EXPECT_EQ(gif->pixels.at(y * 40 + x) == gif->transparentIndex, hole)
                << "pixel " << x << "," << y;
            if (!hole)
                visible.insert(gif->colourAt(x, y));
        }
    }
    // Black stays a visible colour, and no other palette entry shares the key's colour.
    EXPECT_TRUE(visible.contains(qRgb(0, 0, 0)));
    EXPECT_FALSE(visible.contains(key));
    for (int i = 0; i < gif->palette.size(); ++i) {
        if (i != gif->transparentIndex) {
            EXPECT_NE(gif->palette.at(i), key) << "entry " << i;
        }
    }
}

} // namespace
