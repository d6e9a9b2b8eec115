// Converting the feed image: JPEG and PNG read back with Qt, cancelling.
#include "publish/ImageConversion.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// Red and blue halves, the last columns half transparent and then transparent.
QImage pictureWithHoles()
{
    QImage image(40, 30, QImage::Format_ARGB32);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            const QRgb colour = x >= 35 ? qRgba(0, 0, 0, x == 35 ? 127 : 0)
                : x < 20                ? qRgb(200, 30, 30)
                                        : qRgb(30, 30, 200);
            image.setPixel(x, y, colour);
        }
    }
    return image;
}

TEST(ImageConversionTest, MakesJPEGAndPNGAndStopsWhenCancelled)
{
    const QImage image = pictureWithHoles();
    const ConvertedImages all = ImageConversion::generateImageData(image);
    ASSERT_TRUE(all.gif && all.jpeg && all.png);
    const QImage jpeg = QImage::fromData(*all.jpeg, "JPEG");
    ASSERT_FALSE(jpeg.isNull());
    EXPECT_EQ(jpeg.size(), image.size());
    // Transparent parts of a JPEG are laid on white, not black.
    EXPECT_GT(qGray(jpeg.pixel(38, 10)), 240);
    const QImage png = QImage::fromData(*all.png, "PNG");
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(qAlpha(png.pixel(38, 10)), 0);

    EXPECT_FALSE(GIFWriter::gifDataForImage(image, [] { return true; }));
    const ConvertedImages none = ImageConversion::generateImageData(image, [] { return true; });
    EXPECT_FALSE(none.any());
    EXPECT_FALSE(ImageConversion::generateImageData(QImage()).any());
}

} // namespace
