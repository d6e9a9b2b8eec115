// Pictures are read as GIF, JPEG or PNG only, by their own bytes, within a memory limit and away
// from the window's thread.
#include "common/TestPictures.h"
#include "common/TestSupport.h"

#include "ui/PictureDecoder.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

const QString kNotAFeedPicture = QStringLiteral("the data is not a GIF, JPEG or PNG picture");

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 40 && qAbs(qGreen(a) - qGreen(b)) < 40
        && qAbs(qBlue(a) - qBlue(b)) < 40;
}

QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

} // namespace

TEST(PictureDecoder, FeedPicturesAreReadByTheirOwnBytesWhateverTheirName)
{
    QTemporaryDir dir;
    const struct
    {
        const char *format;
        PictureDecoder::Format detected;
        const char *misleadingName;
    } cases[] = {{"PNG", PictureDecoder::Format::PNG, "logo.gif"},
                 {"JPEG", PictureDecoder::Format::JPEG, "logo.png"},
                 {"GIF", PictureDecoder::Format::GIF, "logo.svgz"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.format);
        const QByteArray bytes = TestPictures::picture(c.format, {30, 20}, QColor(0, 0, 200));
        EXPECT_EQ(PictureDecoder::formatOf(bytes), c.detected);
        const QString file = write(dir, c.misleadingName, bytes);
        EXPECT_EQ(PictureDecoder::formatOfFile(file), c.detected);
        for (const PictureDecoder::Result &result :
             {PictureDecoder::decode(bytes), PictureDecoder::decodeFile(file)}) {
            EXPECT_TRUE(result.problem.isEmpty()) << result.problem.toStdString();
            ASSERT_EQ(result.picture.size(), QSize(30, 20));
            EXPECT_TRUE(near(result.picture.pixel(0, 0), qRgb(255, 255, 255)));
            EXPECT_TRUE(near(result.picture.pixel(20, 10), qRgb(0, 0, 200)));
        }
    }
}

TEST(PictureDecoder, EveryOtherKindIsRefusedWithTheReason)
{
    QTemporaryDir dir;
    const QByteArray png = TestPictures::picture("PNG", {30, 20}, Qt::red);
    QByteArray tooLong = png;
    tooLong.resize(PictureDecoder::kMaximumBytes + 1);
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString problem;
    } cases[] = {
        {"compressed SVG", TestPictures::svgz(1 << 20), kNotAFeedPicture},
        {"SVG", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"9\" height=\"9\"/>",
         kNotAFeedPicture},
        {"BMP", TestPictures::picture("BMP", {30, 20}, Qt::red), kNotAFeedPicture},
        {"text", "hello world", kNotAFeedPicture},
        {"nothing", {}, "the data is empty"},
        {"cut short", png.left(40), "the picture's data could not be read"},
        {"beyond 64 MB", tooLong, "the picture is larger than 64 MB"},
        {"huge PNG", TestPictures::pngClaiming(100000, 100000),
         "the picture is 100000 by 100000 pixels, too large to be read"},
        // 400 MB of pixels at four bytes each: past the limit before any is read.
        {"PNG of 10,000 by 10,000", TestPictures::pngClaiming(10000, 10000),
         "the picture is 10000 by 10000 pixels, too large to be read"},
        {"huge GIF", TestPictures::gifClaiming(65535, 65535),
         "the picture is 65535 by 65535 pixels, too large to be read"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const PictureDecoder::Result result = PictureDecoder::decode(c.bytes);
        EXPECT_TRUE(result.picture.isNull());
        EXPECT_EQ(result.problem, c.problem);
        const PictureDecoder::Result fromFile
            = PictureDecoder::decodeFile(write(dir, "picture.png", c.bytes));
        EXPECT_TRUE(fromFile.picture.isNull());
        EXPECT_EQ(fromFile.problem, c.problem);
    }
    EXPECT_EQ(PictureDecoder::decodeFile("/dev/zero").problem, "it is not an ordinary file");
    EXPECT_FALSE(PictureDecoder::formatOfFile("/dev/zero"));
    EXPECT_EQ(PictureDecoder::decodeFile(dir.filePath("missing.png")).problem,
              "the file does not exist");
}

TEST(PictureDecoder, ReadingLaterAnswersOnTheReceiversThreadAndNeverAfterItWent)
{
    const QByteArray bytes = TestPictures::picture("PNG", {30, 20}, Qt::green);
    QObject receiver;
    std::optional<PictureDecoder::Result> told;
    QThread *toldOn = nullptr;
    PictureDecoder::decodeLater(bytes, &receiver, [&](const PictureDecoder::Result &result) {
        told = result;
        toldOn = QThread::currentThread();
    });
    EXPECT_FALSE(told) << "told before the call returned";
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.has_value(); }, 10000));
    EXPECT_EQ(told->picture.size(), QSize(30, 20));
    EXPECT_EQ(toldOn, QCoreApplication::instance()->thread());

    bool heard = false;
    {
        QObject gone;
        PictureDecoder::decodeLater(bytes, &gone,
                                    [&](const PictureDecoder::Result &) { heard = true; });
    }
    PictureDecoder::waitForIdle();
    QTest::qWait(50);
    EXPECT_FALSE(heard);
}

// Memory is checked in a child process whose address space may grow by a bounded amount: an
// allocation beyond it fails there as it would on a machine without the memory. Read by every
// image plugin, the compressed SVG inflates past the bound and the child aborts.
TEST(PictureDecoderDeathTest, HostilePicturesAreRefusedWithinBoundedMemory)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QByteArray bomb = TestPictures::svgz(qint64(1536) << 20);
    ASSERT_LT(bomb.size(), 2 << 20);
    const QByteArray huge = TestPictures::pngClaiming(60000, 60000);
    const QByteArray good = TestPictures::picture("JPEG", {300, 200}, Qt::blue);
    EXPECT_EXIT(
        {
            if (!TestSupport::boundAddressSpaceGrowth(qint64(512) << 20)) {
                std::fprintf(stderr, "the address space cannot be bounded here\n");
                std::_Exit(2);
            }
            // The bound holds: a gigabyte is more than this process may take.
            void *gigabyte = std::malloc(size_t(1) << 30);
            const bool bounded = gigabyte == nullptr;
            std::free(gigabyte);
            const PictureDecoder::Result bombRead = PictureDecoder::decode(bomb);
            const PictureDecoder::Result hugeRead = PictureDecoder::decode(huge);
            const PictureDecoder::Result goodRead = PictureDecoder::decode(good);
            const bool refused = bombRead.picture.isNull() && bombRead.problem == kNotAFeedPicture
                && hugeRead.picture.isNull() && !hugeRead.problem.isEmpty();
            std::fprintf(stderr, "bounded %d refused %d good %dx%d\n", int(bounded), int(refused),
                         goodRead.picture.width(), goodRead.picture.height());
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "bounded 1 refused 1 good 300x200");
}
