#include "io/FeedFileWriter.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {
QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QVariantMap entry(const QString &name)
{
    return {{QStringLiteral("feedFileName"), name},
            {QStringLiteral("feedURL"), QStringLiteral("file:///x/") + name},
            {QStringLiteral("isTransient"), 0},
            {QStringLiteral("UniqueIdentifier"), QStringLiteral("ID-1")}};
}

// A small file system of its own, so a test can fill it up or make it read-only. Needs the
// right to mount (root in the test sandbox); otherwise the test is skipped with the reason.
class SmallMount
{
public:
    explicit SmallMount(const QString &size)
    {
        if (!m_dir.isValid() || ::geteuid() != 0)
            return;
        m_mounted = QProcess::execute(QStringLiteral("mount"),
                                      {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                       QStringLiteral("-o"), QStringLiteral("size=") + size,
                                       QStringLiteral("tmpfs"), m_dir.path()})
            == 0;
    }
    ~SmallMount()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_dir.path()});
    }
    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    bool makeReadOnly()
    {
        return QProcess::execute(QStringLiteral("mount"),
                                 {QStringLiteral("-o"), QStringLiteral("remount,ro"), m_dir.path()})
            == 0;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};
} // namespace

TEST(FeedFileWriter, NamesOfCompanionAndBackupsUseXmlWhateverTheExtension)
{
    EXPECT_EQ(FeedFileWriter::companionPath("/f/news.rss"), "/f/news.rss.plist");
    EXPECT_EQ(FeedFileWriter::feedBackupPath("/f", "/f/news.rss"), "/f/news.xml-bak");
    EXPECT_EQ(FeedFileWriter::companionBackupPath("/t", "/f/news.rss"), "/t/news.xml.plist-bak");
    EXPECT_EQ(FeedFileWriter::feedBackupPath("/f", "/f/my.feed.xml"), "/f/my.feed.xml-bak");
}

TEST(FeedFileWriter, ThreeSavesKeepTwoGenerationsOfBackups)
{
    QTemporaryDir folder, temporary;
    const QString feed = QDir(folder.path()).filePath("news.rss");
    writeAll(feed, "v0");
    for (const QByteArray version : {"v1", "v2", "v3"}) {
        QVariantMap e = entry("news.rss");
        e.insert("version", QString::fromLatin1(version));
        const auto result = FeedFileWriter::save(feed, version, e, temporary.path());
        ASSERT_TRUE(result.ok) << result.problem.toStdString();
    }
    EXPECT_EQ(readAll(feed), "v3");
    EXPECT_EQ(readAll(folder.path() + "/news.xml-bak"), "v2");
    EXPECT_EQ(readAll(temporary.path() + "/news.xml-bak"), "v1");
    const QVariantMap companion = PropertyList::parse(readAll(feed + ".plist")).toMap();
    EXPECT_EQ(companion.value("version").toString(), "v3");
    EXPECT_EQ(companion.value("UniqueIdentifier").toString(), "ID-1");
    EXPECT_EQ(PropertyList::parse(readAll(folder.path() + "/news.xml.plist-bak"))
                  .toMap()
                  .value("version"),
              "v2");
    EXPECT_EQ(PropertyList::parse(readAll(temporary.path() + "/news.xml.plist-bak"))
                  .toMap()
                  .value("version"),
              "v1");
    // Nothing else is left behind: no temporary files.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
}

TEST(FeedFileWriter, WithoutTemporaryFolderOnlyTheFirstGenerationIsKept)
{
    QTemporaryDir folder;
    const QString feed = QDir(folder.path()).filePath("a.xml");
    ASSERT_TRUE(FeedFileWriter::save(feed, "one", entry("a.xml"), folder.path() + "/missing").ok);
    ASSERT_TRUE(FeedFileWriter::save(feed, "two", entry("a.xml"), QString()).ok);
    EXPECT_EQ(readAll(feed), "two");
    EXPECT_EQ(readAll(folder.path() + "/a.xml-bak"), "one");
    EXPECT_FALSE(QFileInfo::exists(folder.path() + "/missing"));
}

TEST(FeedFileWriter, MissingFolderFailsAndWritesNothing)
{
    QTemporaryDir folder;
    const auto result
        = FeedFileWriter::save(folder.path() + "/gone/a.xml", "x", entry("a.xml"), {});
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.problem.contains("does not exist"));
}

TEST(FeedFileWriter, ReadOnlyFolderKeepsTheOldFeedAndItsBackups)
{
    QTemporaryDir temporary;
    SmallMount mount("1m");
    QTemporaryDir plainFolder;
    QString folder;
    if (mount.mounted()) {
        folder = mount.path();
    } else if (::geteuid() != 0) {
        folder = plainFolder.path();
    } else {
        GTEST_SKIP() << "cannot mount a file system to make read-only";
    }
    const QString feed = QDir(folder).filePath("news.xml");
    writeAll(feed, "old");
    writeAll(feed + ".plist", "old plist");
    writeAll(folder + "/news.xml-bak", "older");
    writeAll(temporary.path() + "/news.xml-bak", "oldest");
    if (mount.mounted())
        ASSERT_TRUE(mount.makeReadOnly());
    else
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    const auto result = FeedFileWriter::save(feed, "new", entry("news.xml"), temporary.path());
    if (!mount.mounted())
        QFile::setPermissions(
            folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.problem.isEmpty());
    EXPECT_EQ(readAll(feed), "old");
    EXPECT_EQ(readAll(feed + ".plist"), "old plist");
    EXPECT_EQ(readAll(folder + "/news.xml-bak"), "older");
    EXPECT_EQ(readAll(temporary.path() + "/news.xml-bak"), "oldest");
}

TEST(FeedFileWriter, FullDiskKeepsTheOldFeedAndItsBackups)
{
    QTemporaryDir temporary;
    SmallMount mount("64k");
    if (!mount.mounted())
        GTEST_SKIP() << "cannot mount a small file system to fill";
    const QString feed = QDir(mount.path()).filePath("news.xml");
    writeAll(feed, "old");
    writeAll(mount.path() + "/news.xml-bak", "older");
    writeAll(temporary.path() + "/news.xml-bak", "oldest");

    const QByteArray big(200 * 1024, 'x'); // more than the disk holds
    const auto result = FeedFileWriter::save(feed, big, entry("news.xml"), temporary.path());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.problem.contains("could not be written")) << result.problem.toStdString();
    EXPECT_EQ(readAll(feed), "old");
    EXPECT_EQ(readAll(mount.path() + "/news.xml-bak"), "older");
    EXPECT_EQ(readAll(temporary.path() + "/news.xml-bak"), "oldest");
    // The partial temporary file is gone, so the space is given back.
    EXPECT_EQ(QDir(mount.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    // With room again the same save goes through.
    const auto small = FeedFileWriter::save(feed, "new", entry("news.xml"), temporary.path());
    EXPECT_TRUE(small.ok) << small.problem.toStdString();
    EXPECT_EQ(readAll(feed), "new");
    EXPECT_EQ(readAll(mount.path() + "/news.xml-bak"), "old");
    EXPECT_EQ(readAll(temporary.path() + "/news.xml-bak"), "older");
}

TEST(FeedFileWriter, BackupFileMovesThroughBothGenerations)
{
    QTemporaryDir folder, temporary;
    const QString feed = QDir(folder.path()).filePath("n.xml");
    writeAll(feed, "cur");
    writeAll(feed + ".plist", "curp");
    writeAll(folder.path() + "/n.xml-bak", "prev");
    FeedFileWriter::backupFile(feed, temporary.path());
    EXPECT_FALSE(QFileInfo::exists(feed));
    EXPECT_EQ(readAll(folder.path() + "/n.xml-bak"), "cur");
    EXPECT_EQ(readAll(folder.path() + "/n.xml.plist-bak"), "curp");
    EXPECT_EQ(readAll(temporary.path() + "/n.xml-bak"), "prev");
    EXPECT_FALSE(QFileInfo::exists(temporary.path() + "/n.xml.plist-bak"));
}
