#include "io/FeedFileWriter.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
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

namespace {
mode_t modeOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Hidden files beside the feed: a save leaves none of its own behind.
QStringList hiddenFiles(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden);
}
} // namespace

TEST(FeedFileWriter, AFailedSaveLeavesEveryFileAndBackupAsItWas)
{
    QTemporaryDir folder, temporary;
    const QString feed = QDir(folder.path()).filePath("news.xml");
    writeAll(folder.path() + "/news.xml-bak", "older");
    writeAll(folder.path() + "/news.xml.plist-bak", "older plist");
    writeAll(temporary.path() + "/news.xml-bak", "oldest");
    // A folder where the feed should be: nothing can be saved over it.
    ASSERT_TRUE(QDir().mkdir(feed));
    writeAll(feed + ".plist", "old plist");
    auto result = FeedFileWriter::save(feed, "new", entry("news.xml"), temporary.path());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.problem.endsWith("could not be replaced: Is a directory"))
        << result.problem.toStdString();
    EXPECT_EQ(readAll(feed + ".plist"), "old plist");
    EXPECT_EQ(readAll(folder.path() + "/news.xml-bak"), "older");
    EXPECT_EQ(readAll(folder.path() + "/news.xml.plist-bak"), "older plist");
    EXPECT_EQ(readAll(temporary.path() + "/news.xml-bak"), "oldest");
    EXPECT_TRUE(hiddenFiles(folder.path()).isEmpty());

    // The feed can be replaced but its companion cannot: the feed is put back too.
    ASSERT_TRUE(QDir(feed).removeRecursively());
    QFile::remove(feed + ".plist");
    writeAll(feed, "old");
    ASSERT_TRUE(QDir().mkdir(feed + ".plist"));
    result = FeedFileWriter::save(feed, "new", entry("news.xml"), temporary.path());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.problem.contains("news.xml.plist\" could not be replaced: Is a directory"))
        << result.problem.toStdString();
    EXPECT_EQ(readAll(feed), "old");
    EXPECT_EQ(readAll(folder.path() + "/news.xml-bak"), "older");
    EXPECT_EQ(readAll(temporary.path() + "/news.xml-bak"), "oldest");
    EXPECT_TRUE(hiddenFiles(folder.path()).isEmpty());
}

TEST(FeedFileWriter, SavedFilesKeepTheirModeAndNewOnesFollowTheUmask)
{
    QTemporaryDir folder;
    const QString feed = QDir(folder.path()).filePath("private.xml");
    writeAll(feed, "old");
    writeAll(feed + ".plist", "old plist");
    ASSERT_EQ(::chmod(QFile::encodeName(feed).constData(), 0600), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(feed + ".plist").constData(), 0640), 0);
    ASSERT_TRUE(FeedFileWriter::save(feed, "new", entry("private.xml"), {}).ok);
    EXPECT_EQ(modeOf(feed), 0600u);
    EXPECT_EQ(modeOf(feed + ".plist"), 0640u);
    EXPECT_EQ(modeOf(folder.path() + "/private.xml-bak"), 0600u);

    const mode_t previous = ::umask(027);
    const QString fresh = QDir(folder.path()).filePath("fresh.xml");
    const bool saved = FeedFileWriter::save(fresh, "new", entry("fresh.xml"), {}).ok;
    ::umask(previous);
    ASSERT_TRUE(saved);
    EXPECT_EQ(modeOf(fresh), 0640u);
    EXPECT_EQ(modeOf(fresh + ".plist"), 0640u);
}

TEST(FeedFileWriter, SavingThroughALinkWritesTheLinkedFileAndKeepsTheLink)
{
    QTemporaryDir real, links;
    const QString target = QDir(real.path()).filePath("feed.xml");
    writeAll(target, "old");
    const QString link = QDir(links.path()).filePath("shortcut.xml");
    ASSERT_TRUE(QFile::link(target, link));
    const auto result = FeedFileWriter::save(link, "new", entry("shortcut.xml"), {});
    ASSERT_TRUE(result.ok) << result.problem.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
    EXPECT_EQ(readAll(target), "new");
    // Companion and backup live beside the file itself.
    EXPECT_EQ(readAll(real.path() + "/feed.xml-bak"), "old");
    EXPECT_TRUE(QFileInfo::exists(target + ".plist"));
    EXPECT_EQ(QDir(links.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList {"shortcut.xml"});

    // A link to a file not made yet, written relative to its folder.
    ASSERT_EQ(::symlink("later.xml", QFile::encodeName(real.path() + "/soon.xml").constData()),
              0);
    ASSERT_TRUE(FeedFileWriter::save(real.path() + "/soon.xml", "first", entry("soon.xml"), {}).ok);
    EXPECT_EQ(readAll(real.path() + "/later.xml"), "first");
    EXPECT_TRUE(QFileInfo(real.path() + "/soon.xml").isSymLink());
}

TEST(FeedFileWriter, NamesNearTheFileSystemLimitSaveOrSayWhy)
{
    QTemporaryDir folder, temporary;
    // 245 bytes: the companion (251) and the backups (249, 255) fit, the temporaries are
    // shortened to fit.
    const QString name = QString(241, u'n') + ".xml";
    const QString feed = QDir(folder.path()).filePath(name);
    for (const QByteArray version : {"v1", "v2", "v3"}) {
        const auto result = FeedFileWriter::save(feed, version, entry(name), temporary.path());
        ASSERT_TRUE(result.ok) << result.problem.toStdString();
        EXPECT_TRUE(result.backupProblem.isEmpty()) << result.backupProblem.toStdString();
    }
    EXPECT_EQ(readAll(feed), "v3");
    EXPECT_EQ(readAll(folder.path() + "/" + QString(241, u'n') + ".xml-bak"), "v2");
    EXPECT_EQ(readAll(temporary.path() + "/" + QString(241, u'n') + ".xml-bak"), "v1");
    EXPECT_TRUE(hiddenFiles(folder.path()).isEmpty());

    // 250 bytes: the companion's name cannot exist; nothing is written and the reason is given.
    const QString tooLong = QDir(folder.path()).filePath(QString(246, u'l') + ".xml");
    const auto result = FeedFileWriter::save(tooLong, "x", entry("long"), temporary.path());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.problem.endsWith("could not be saved: File name too long"))
        << result.problem.toStdString();
    EXPECT_FALSE(QFileInfo::exists(tooLong));
    EXPECT_TRUE(hiddenFiles(folder.path()).isEmpty());
}

TEST(FeedFileWriter, TemporariesLeftByACrashGoWithTheNextSaveOfThatFeed)
{
    QTemporaryDir folder;
    const QString feed = QDir(folder.path()).filePath("news.xml");
    writeAll(feed, "old");
    const QStringList stale {".news.xml.vlx-save-Ab12Cd", ".news.xml.plist.vlx-save-x9Y8z7"};
    const QStringList others {".news.xml.backup", ".other.xml.vlx-save-Ab12Cd",
                              ".news.xml.vlx-save-toolong"};
    for (const QString &name : stale + others)
        writeAll(folder.path() + "/" + name, QByteArray(1024, 'x'));
    ASSERT_TRUE(FeedFileWriter::save(feed, "new", entry("news.xml"), {}).ok);
    QStringList expected = others;
    expected.sort();
    EXPECT_EQ(hiddenFiles(folder.path()), expected);
}

TEST(FeedFileWriter, AFeedInTheTemporaryFolderKeepsItsPreviousVersionAtEverySave)
{
    // The feed lives where the second generation goes: both generations are one file there, so
    // the rotation keeps one generation instead of deleting it every second save. The folder is
    // also given through a link, as the user folder may be.
    QTemporaryDir temporary, links;
    const QString linked = QDir(links.path()).filePath("Temporary");
    ASSERT_TRUE(QFile::link(temporary.path(), linked));
    const QString feed = QDir(temporary.path()).filePath("news.xml");
    writeAll(feed, "v0");
    for (const QString &folder : {temporary.path(), linked}) {
        for (const QByteArray version : {"v1", "v2", "v3"}) {
            const QByteArray previous = readAll(feed);
            const auto result = FeedFileWriter::save(feed, version, entry("news.xml"), folder);
            ASSERT_TRUE(result.ok) << result.problem.toStdString();
            EXPECT_TRUE(result.backupProblem.isEmpty()) << result.backupProblem.toStdString();
            EXPECT_EQ(readAll(feed), version);
            EXPECT_EQ(readAll(temporary.path() + "/news.xml-bak"), previous);
        }
    }
    EXPECT_TRUE(hiddenFiles(temporary.path()).isEmpty());

    // The rotation by itself passes the second generation over too.
    FeedFileWriter::backupFile(feed, linked);
    EXPECT_EQ(readAll(temporary.path() + "/news.xml-bak"), "v3");
    EXPECT_EQ(readAll(temporary.path() + "/news.xml.plist-bak"),
              PropertyList::serialize(entry("news.xml"), PropertyList::Format::Xml));
}

TEST(FeedFileWriter, ABackupThatCannotBeMadeKeepsThePreviousVersionAsideAndSaysWhere)
{
    QTemporaryDir folder, temporary;
    const QString feed = QDir(folder.path()).filePath("news.xml");
    writeAll(feed, "old");
    // A folder where the first generation should go: the saved feed stands, the version it
    // replaced takes a name of its own, and the message names both.
    ASSERT_TRUE(QDir().mkdir(folder.path() + "/news.xml-bak"));
    auto result = FeedFileWriter::save(feed, "new", entry("news.xml"), temporary.path());
    ASSERT_TRUE(result.ok) << result.problem.toStdString();
    EXPECT_EQ(readAll(feed), "new");
    EXPECT_EQ(readAll(folder.path() + "/news.xml-bak.1"), "old");
    EXPECT_EQ(result.backupProblem,
              QStringLiteral("The backup \"%1/news.xml-bak\" could not be made: Is a directory. "
                             "The previous version is kept as \"%1/news.xml-bak.1\".")
                  .arg(folder.path()));
    // A later save keeps that one too.
    result = FeedFileWriter::save(feed, "newer", entry("news.xml"), temporary.path());
    EXPECT_EQ(readAll(folder.path() + "/news.xml-bak.1"), "old");
    EXPECT_EQ(readAll(folder.path() + "/news.xml-bak.2"), "new");
    EXPECT_TRUE(result.backupProblem.endsWith("news.xml-bak.2\"."))
        << result.backupProblem.toStdString();
    EXPECT_TRUE(hiddenFiles(folder.path()).isEmpty());

    // The first generation cannot move on to the second (a folder with a file in it is there):
    // it stays as it was, and the version the save replaced is kept aside again.
    ASSERT_TRUE(QDir(folder.path() + "/news.xml-bak").removeRecursively());
    writeAll(folder.path() + "/news.xml-bak", "first generation");
    ASSERT_TRUE(QDir().mkpath(temporary.path() + "/news.xml-bak/inside"));
    result = FeedFileWriter::save(feed, "newest", entry("news.xml"), temporary.path());
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(readAll(feed), "newest");
    EXPECT_EQ(readAll(folder.path() + "/news.xml-bak"), "first generation");
    EXPECT_EQ(readAll(folder.path() + "/news.xml-bak.3"), "newer");
    EXPECT_TRUE(result.backupProblem.startsWith(
        QStringLiteral("The backup \"%1/news.xml-bak\" could not be made: ").arg(temporary.path())))
        << result.backupProblem.toStdString();
    EXPECT_TRUE(QFileInfo(temporary.path() + "/news.xml-bak/inside").isDir());
    // The companions rotated as usual.
    EXPECT_TRUE(QFileInfo::exists(temporary.path() + "/news.xml.plist-bak"));
}
