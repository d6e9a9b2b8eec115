#include "editors/CroppingImageView.h"

#include "EditorTestSupport.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <gif_lib.h>
#include <gtest/gtest.h>

namespace {
// Each pixel's colour names its place (red = x, green = y from the top), fully opaque, except
// a transparent column at x = 50.
QImage patternImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, x == 50 ? qRgba(0, 0, 0, 0) : qRgb(x, y, 128));
    }
    return image;
}

// GIF bytes read back through giflib into an image: each pixel its palette colour, the
// transparent entry (if any) fully transparent. Null when giflib cannot read the bytes.
QImage readGIF(const QByteArray &bytes)
{
    QTemporaryFile file;
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        return QImage();
    int error = 0;
    GifFileType *gif = DGifOpenFileName(file.fileName().toLocal8Bit().constData(), &error);
    if (!gif)
        return QImage();
    QImage image;
    GraphicsControlBlock control {};
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1 && gif->SColorMap) {
        DGifSavedExtensionToGCB(gif, 0, &control);
        image = QImage(gif->SWidth, gif->SHeight, QImage::Format_ARGB32);
        const GifByteType *index = gif->SavedImages[0].RasterBits;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x, ++index) {
                const GifColorType c = gif->SColorMap->Colors[*index];
                image.setPixel(x, y,
                               *index == control.TransparentColor ? qRgba(0, 0, 0, 0)
                                                                  : qRgb(c.Red, c.Green, c.Blue));
            }
        }
    }
    DGifCloseFile(gif, &error);
    return image;
}

// A 100 x 80 image centred in a 140 x 140 view lies at (20, 30) counted from the lower left.
class CroppingImageViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.setImage(patternImage(100, 80));
        view.resize(140, 140);
    }
    // A point of the view (origin lower left) as a widget position.
    QPointF at(double x, double y) const { return {x, 140 - y}; }

    CroppingImageView view;
};
} // namespace

TEST_F(CroppingImageViewTest, SelectionTravelsInCornerFormOneWayAndOriginAndSizeTheOther)
{
    EXPECT_EQ(view.imageRect(), QRectF(20, 30, 100, 80));
    view.selectionMarker()->setSelectedRect(QRectF(25, 35, 10, 10));
    EXPECT_EQ(view.selectionRect(), QRectF(5, 5, 15, 15));

    view.setSelectionRect(QRectF(5, 5, 10, 10));
    EXPECT_EQ(view.selectionMarker()->selectedRect(), QRectF(25, 35, 10, 10));

    // Only the part over the image counts; no selection, or none over the image, is all of it.
    view.selectionMarker()->setSelectedRect(QRectF(100, 100, 50, 50));
    EXPECT_EQ(view.selectionRect(), QRectF(80, 70, 100, 80));
    view.selectionMarker()->setSelectedRect(QRectF(0, 0, 10, 10));
    EXPECT_EQ(view.selectionRect(), QRectF(0, 0, 100, 80));
    view.clearSelectionRect();
    EXPECT_EQ(view.selectionRect(), QRectF(0, 0, 100, 80));
}

TEST_F(CroppingImageViewTest, MouseDragsSelectAndMoveAndAnnounceTheChange)
{
    QSignalSpy changes(&view, &CroppingImageView::imageSelectionChanged);
    view.setContinuous(true);
    MouseDriver::drag(&view, at(10, 10), at(5, 30));
    EXPECT_EQ(view.selectionMarker()->selectedRect(), QRectF(5, 10, 5, 20));
    EXPECT_EQ(changes.count(), 3); // two steps of the drag, then the release
    EXPECT_EQ(changes.first().first().value<CroppingImageView *>(), &view);

    view.setContinuous(false);
    changes.clear();
    MouseDriver::drag(&view, at(30, 40), at(60, 90));
    EXPECT_EQ(view.selectionRect(), QRectF(10, 10, 40, 60));
    EXPECT_EQ(changes.count(), 1);

    // A drag from inside moves it, beyond the image's edge too.
    MouseDriver::drag(&view, at(40, 50), at(15, 45));
    EXPECT_EQ(view.selectionMarker()->selectedRect(), QRectF(5, 35, 30, 50));
    EXPECT_EQ(view.selectionRect(), QRectF(0, 5, 15, 55));
    EXPECT_EQ(view.croppedImage().size(), QSize(15, 50));

    // Clearing and setting are not announced; a click outside clears and is.
    changes.clear();
    view.setSelectionRect(QRectF(1, 1, 5, 5));
    view.clearSelectionRect();
    EXPECT_EQ(changes.count(), 0);
    view.setSelectionRect(QRectF(1, 1, 5, 5));
    MouseDriver::click(&view, at(130, 130));
    EXPECT_FALSE(view.selectionMarker()->hasSelection());
    EXPECT_EQ(view.selectionRect(), QRectF(0, 0, 100, 80));
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(CroppingImageViewTest, CroppedImageHoldsThePixelsUnderTheSelection)
{
    EXPECT_EQ(view.croppedImage().cacheKey(), view.image().cacheKey()); // no selection
    // Left 40, bottom 20, 30 wide and 15 high: rows 45 to 59 of the image from the top.
    view.setSelectionRect(QRectF(40, 20, 30, 15));
    const QImage cropped = view.croppedImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(cropped.size(), QSize(30, 15));
    int wrong = 0;
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 30; ++x) {
            const QRgb expected = x + 40 == 50 ? qRgba(0, 0, 0, 0) : qRgb(x + 40, y + 45, 128);
            wrong += cropped.pixel(x, y) != expected;
        }
    }
    EXPECT_EQ(wrong, 0);

    // A selection reaching past the image keeps only the part over the image.
    view.setSelectionRect(QRectF(90, 70, 30, 30));
    const QImage corner = view.croppedImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(corner.size(), QSize(10, 10));
    EXPECT_EQ(corner.pixel(0, 0), qRgb(90, 0, 128));
    EXPECT_EQ(corner.pixel(9, 9), qRgb(99, 9, 128));
}

TEST_F(CroppingImageViewTest, ResizedImageSqueezesTheWholePicture)
{
    QImage halves(200, 100, QImage::Format_ARGB32);
    halves.fill(Qt::red);
    for (int y = 0; y < 100; ++y) {
        for (int x = 100; x < 200; ++x)
            halves.setPixel(x, y, qRgb(0, 0, 255));
    }
    view.setImage(halves);
    const QImage squeezed
        = view.resizedImage(QSizeF(100, 100)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(squeezed.size(), QSize(100, 100));
    EXPECT_EQ(squeezed.pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(squeezed.pixel(45, 97), qRgb(255, 0, 0));
    EXPECT_EQ(squeezed.pixel(55, 2), qRgb(0, 0, 255));
    EXPECT_EQ(squeezed.pixel(97, 97), qRgb(0, 0, 255));
}

TEST_F(CroppingImageViewTest, TheFrameFollowsImageAndScrollArea)
{
    QScrollArea area;
    area.resize(400, 150);
    auto *shown = new CroppingImageView;
    area.setWidget(shown);
    area.show();
    shown->setImage(patternImage(300, 200));
    EXPECT_EQ(shown->size(), QSize(400, 200));
    EXPECT_FALSE(area.horizontalScrollBar()->isEnabled());
    EXPECT_TRUE(area.verticalScrollBar()->isEnabled());

    area.resize(250, 300);
    EXPECT_EQ(shown->size(), QSize(300, 300));
    EXPECT_TRUE(area.horizontalScrollBar()->isEnabled());
    EXPECT_FALSE(area.verticalScrollBar()->isEnabled());
}

TEST_F(CroppingImageViewTest, OutsideTheSelectionIsShaded)
{
    // A white image fills the view; the selection sits in its lower left quarter.
    QImage white(140, 140, QImage::Format_ARGB32);
    white.fill(Qt::white);
    view.setImage(white);
    view.resize(140, 140);
    view.setSelectionRect(QRectF(10, 10, 40, 40));
    const QImage drawn = view.grab().toImage();
    EXPECT_EQ(drawn.pixel(30, 140 - 30), qRgb(255, 255, 255)); // inside, near the bottom
    EXPECT_LT(qGray(drawn.pixel(30, 30)), 200); // the top of the view is outside
    EXPECT_EQ(qGray(drawn.pixel(10, 140 - 30)), 0); // the frame's left edge
}

TEST_F(CroppingImageViewTest, GIFDataHoldsTheImageTopRowFirst)
{
    // Four colours in quarters, the top left quarter half transparent.
    QImage quarters(40, 20, QImage::Format_ARGB32);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) {
            const bool left = x < 20;
            const bool top = y < 10;
            quarters.setPixel(x, y,
                              top ? (left ? qRgba(0, 0, 0, 100) : qRgb(255, 0, 0))
                                  : (left ? qRgb(0, 255, 0) : qRgb(0, 0, 255)));
        }
    }
    view.setImage(quarters);
    const QByteArray data = view.gifDataForImage();
    ASSERT_TRUE(data.startsWith("GIF89a"));
    const QImage read = readGIF(data);
    ASSERT_EQ(read.size(), QSize(40, 20));
    EXPECT_EQ(qAlpha(read.pixel(5, 5)), 0);
    EXPECT_EQ(read.pixel(30, 5), qRgb(255, 0, 0));
    EXPECT_EQ(read.pixel(5, 15), qRgb(0, 255, 0));
    EXPECT_EQ(read.pixel(30, 15), qRgb(0, 0, 255));

    view.setImage(QImage());
    EXPECT_TRUE(view.gifDataForImage().isEmpty());
}
