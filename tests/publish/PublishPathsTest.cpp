// Where files go: FTP addresses, WebDAV paths and local targets.
#include "publish/PublishPaths.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

TEST(PublishPathsTest, EscapesEachSegmentAsUTF8)
{
    EXPECT_EQ(
        PublishPaths::ftpURL(QStringLiteral("ftp.example.org:2121"), QStringLiteral("pod/new show"),
                             QStringLiteral("/local/Ep #1 ä?.mp3")),
        QStringLiteral("ftp://ftp.example.org:2121/pod/new%20show/Ep%20%231%20%C3%A4%3F.mp3"));
    // An empty folder: two slashes, the server's root.
    EXPECT_EQ(PublishPaths::ftpURL(QStringLiteral("h"), QString(), QStringLiteral("feed.xml")),
              QStringLiteral("ftp://h//feed.xml"));
    EXPECT_EQ(PublishPaths::joinURL(QStringLiteral("http://h/dav"), QStringLiteral("/Sites/a b/")),
              QStringLiteral("http://h/dav/Sites/a%20b/"));
    EXPECT_EQ(PublishPaths::lastPathComponent(QStringLiteral("http://x/media/a.mp3")),
              QStringLiteral("a.mp3"));
    EXPECT_EQ(PublishPaths::lastPathComponent(QStringLiteral("folder/")), QStringLiteral("folder"));
    // An enclosure is stored under the name its address asks the server for.
    EXPECT_EQ(PublishPaths::fileNameOfURL(QStringLiteral("http://x/m/ep%201%C3%A4.mp3?src=rss#t")),
              QStringLiteral("ep 1ä.mp3"));
    EXPECT_EQ(PublishPaths::fileNameOfURL(QStringLiteral("ep.mp3")), QStringLiteral("ep.mp3"));
    EXPECT_EQ(PublishPaths::lastPathComponent(QStringLiteral("plain")), QStringLiteral("plain"));
}

TEST(PublishPathsTest, LocalTargetsAreUnderHomeUnlessAbsolute)
{
    const QString home = QDir::homePath();
    EXPECT_EQ(PublishPaths::localTarget(QString(), QStringLiteral("f.xml")),
              home + QStringLiteral("/f.xml"));
    EXPECT_EQ(PublishPaths::localTarget(QStringLiteral("/srv/www"), QStringLiteral("f.xml")),
              QStringLiteral("/srv/www/f.xml"));
    EXPECT_EQ(PublishPaths::localTarget(QStringLiteral("Sites/pod"), QStringLiteral("f.xml")),
              home + QStringLiteral("/Sites/pod/f.xml"));
    EXPECT_EQ(PublishPaths::localTarget(QStringLiteral("~/pub"), QStringLiteral("f.xml")),
              home + QStringLiteral("/pub/f.xml"));
    EXPECT_EQ(PublishPaths::abbreviateWithTilde(home + QStringLiteral("/a/b")),
              QStringLiteral("~/a/b"));
    EXPECT_EQ(PublishPaths::abbreviateWithTilde(home + QStringLiteral("x/b")),
              home + QStringLiteral("x/b"));
}

} // namespace
