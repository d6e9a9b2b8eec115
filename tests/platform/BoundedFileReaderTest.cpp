#include "platform/BoundedFileReader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using Refusal = BoundedFileReader::Refusal;

constexpr qint64 kMB = 1024 * 1024;

struct Outcome
{
    std::optional<QByteArray> bytes;
    QString problem;
    Refusal refusal = Refusal::None;
};

Outcome readAt(const QString &path, qint64 limit)
{
    Outcome out;
    out.bytes = BoundedFileReader::read(path, limit, &out.problem, &out.refusal);
    return out;
}

TEST(BoundedFileReader, OrdinaryFilesAreReadWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("feed.xml"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray content = QByteArray("<rss/>").repeated(500000); // 3 MB: several reads
    file.write(content);
    file.close();
    const Outcome out = readAt(path, content.size());
    ASSERT_TRUE(out.bytes);
    EXPECT_EQ(*out.bytes, content);
    EXPECT_EQ(out.refusal, Refusal::None);
    EXPECT_FALSE(readAt(path, content.size() - 1).bytes);
}

TEST(BoundedFileReader, TheBytesTakeNoRoomBeyondTheFile)
{
    // The bytes stay in memory while a document is open: whatever the size against the reads'
    // chunks, they take the file's room and no more. A file that tells no size is read whole.
    QTemporaryDir dir;
    for (const qint64 size : {qint64(0), qint64(7), kMB - 1, kMB, kMB + 1, 3 * kMB + 5}) {
        const QString path = dir.filePath(QStringLiteral("feed-%1.xml").arg(size));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray content = QByteArray("<rss/>\n").repeated(size / 7 + 1).left(size);
        file.write(content);
        file.close();
        const Outcome out = readAt(path, 256 * kMB);
        ASSERT_TRUE(out.bytes) << size;
        EXPECT_EQ(*out.bytes, content);
        EXPECT_LE(out.bytes->capacity(), std::max<qint64>(size, 1)) << size;
    }
    const Outcome status = readAt(QStringLiteral("/proc/self/status"), kMB);
    ASSERT_TRUE(status.bytes);
    EXPECT_TRUE(status.bytes->startsWith("Name:"));
    EXPECT_TRUE(status.bytes->endsWith('\n'));
}

TEST(BoundedFileReader, HugeFilesAreRefusedBeforeAnythingIsRead)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("huge.xml"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(300 * kMB)); // sparse: takes no room on disk
    file.close();
    QElapsedTimer timer;
    timer.start();
    const Outcome out = readAt(path, 256 * kMB);
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_FALSE(out.bytes);
    EXPECT_EQ(out.refusal, Refusal::TooLarge);
    EXPECT_TRUE(out.problem.contains(QStringLiteral("is 300 MB; files larger than 256 MB")))
        << out.problem.toStdString();
    // A file that reports no size is held to the limit while it is read.
    const Outcome status = readAt(QStringLiteral("/proc/self/status"), 16);
    EXPECT_FALSE(status.bytes);
    EXPECT_EQ(status.refusal, Refusal::TooLarge);
    EXPECT_TRUE(status.problem.contains(QStringLiteral("larger than 16 bytes")))
        << status.problem.toStdString();
}

TEST(BoundedFileReader, DevicesPipesAndFoldersAreRefusedAtOnce)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.xml"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &path : {QStringLiteral("/dev/zero"), fifo, dir.path()}) {
        const Outcome out = readAt(path, 256 * kMB);
        EXPECT_FALSE(out.bytes) << path.toStdString();
        EXPECT_EQ(out.refusal, Refusal::NotAFile) << path.toStdString();
        EXPECT_TRUE(out.problem.contains(path)) << out.problem.toStdString();
    }
    const Outcome missing = readAt(dir.filePath(QStringLiteral("gone.xml")), 100);
    EXPECT_EQ(missing.refusal, Refusal::Unreadable);
    EXPECT_TRUE(missing.problem.endsWith(QStringLiteral("No such file or directory.")))
        << missing.problem.toStdString();
}

} // namespace
