// The image sheet's preview loads: in the background, within a time and a size limit.
#include "common/LocalServer.h"
#include "common/TestPictures.h"

#include "editors/ImagePreviewLoader.h"
#include "io/CURLHandle.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class ImagePreviewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
        ASSERT_TRUE(m_files.isValid());
        QImage picture(4, 5, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        ASSERT_TRUE(picture.save(m_files.filePath("pic.png"), "PNG"));
        // Noise does not compress: well over 64 KiB as PNG.
        QImage large(300, 300, QImage::Format_RGB32);
        quint32 noise = 12345;
        for (int y = 0; y < large.height(); ++y)
            for (int x = 0; x < large.width(); ++x)
                large.setPixel(x, y, (noise = noise * 1664525u + 1013904223u) & 0xFFFFFF);
        ASSERT_TRUE(large.save(m_files.filePath("large.png"), "PNG"));
        ASSERT_GT(QFileInfo(m_files.filePath("large.png")).size(), 64 * 1024);
        QFile text(m_files.filePath("notes.txt"));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("not a picture");
    }
    void TearDown() override
    {
        ImagePreviewLoader::setLimits(ImagePreviewLoader::kDefaultTimeoutSeconds,
                                      ImagePreviewLoader::kDefaultMaximumBytes);
        CURLHandle::curlGoodbye();
    }
    // The picture read from the URL text (null when none), and that it arrived later.
    QImage preview(const QString &url)
    {
        ImagePreviewLoader loader;
        QSignalSpy finished(&loader, &ImagePreviewLoader::finished);
        loader.load(url);
        EXPECT_TRUE(finished.isEmpty()) << "reported before the call returned";
        EXPECT_TRUE(finished.wait(20000)) << url.toStdString();
        return finished.isEmpty() ? QImage() : finished.first().first().value<QImage>();
    }
    QTemporaryDir m_files;
};
} // namespace

TEST_F(ImagePreviewTest, PicturesFromTheWebFilesAndDataWithinTheLimits)
{
    LocalServer server;
    ASSERT_TRUE(server.startScript("http_server.py", {"--files", m_files.path()}))
        << server.errorString().toStdString();
    EXPECT_EQ(preview(server.url("http", "/d/pic.png")).size(), QSize(4, 5));
    EXPECT_TRUE(preview(QUrl::fromLocalFile(m_files.filePath("pic.png")).toString()).size()
                == QSize(4, 5));
    EXPECT_EQ(preview(m_files.filePath("pic.png")).size(), QSize(4, 5));
    const QByteArray png = [&] {
        QFile file(m_files.filePath("pic.png"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }();
    EXPECT_EQ(preview("data:image/png;base64," + QString::fromLatin1(png.toBase64())).size(),
              QSize(4, 5));

    // Nothing to show: missing, not a picture, a relative name, a server error.
    for (const QString &url : {server.url("http", "/d/missing.png"),
                               server.url("http", "/d/notes.txt"), QStringLiteral("images/pic.png"),
                               m_files.filePath("missing.png"), server.url("http", "/status/500")})
        EXPECT_TRUE(preview(url).isNull()) << url.toStdString();

    // A server that stops sending is given up after the time limit; one that sends more than
    // the size limit is cut off, whether or not it said how much would come.
    ImagePreviewLoader::setLimits(1, 64 * 1024);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(preview(server.url("http", "/stall?seconds=30")).isNull());
    EXPECT_LT(clock.elapsed(), 15000);
    EXPECT_TRUE(preview(server.url("http", "/d/large.png")).isNull());
    EXPECT_TRUE(preview(m_files.filePath("large.png")).isNull());
    ImagePreviewLoader::setLimits(10, 1024 * 1024);
    EXPECT_EQ(preview(server.url("http", "/d/large.png")).size(), QSize(300, 300));
}

TEST_F(ImagePreviewTest, OnlyGIFJPEGAndPNGArePreviewedWhereverTheyComeFrom)
{
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile file(m_files.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write("pic.gif", TestPictures::picture("GIF", {7, 3}, Qt::red));
    write("pic.jpg", TestPictures::picture("JPEG", {6, 2}, Qt::red));
    const QByteArray svgz = TestPictures::svgz(qint64(16) << 20);
    write("bomb.svgz", svgz);
    write("bomb.png", svgz);
    write("huge.png", TestPictures::pngClaiming(70000, 70000));
    LocalServer server;
    ASSERT_TRUE(server.startScript("http_server.py", {"--files", m_files.path()}))
        << server.errorString().toStdString();
    EXPECT_EQ(preview(server.url("http", "/d/pic.gif")).size(), QSize(7, 3));
    EXPECT_EQ(preview(m_files.filePath("pic.jpg")).size(), QSize(6, 2));
    for (const QString &url :
         {server.url("http", "/d/bomb.svgz"), server.url("http", "/d/bomb.png"),
          m_files.filePath("bomb.svgz"), server.url("http", "/d/huge.png"),
          "data:image/svg+xml;base64," + QString::fromLatin1(svgz.toBase64())})
        EXPECT_TRUE(preview(url).isNull()) << url.left(60).toStdString();
}
