// Additional-file records: their archive, their source texts and the bytes they make.
#include "publish/additionalFiles.h"
#include "model/VLXFeed.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QDateTime kEpoch = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);

// A record as an older version wrote it: only its type.
class OlderRecord : public KeyedArchivable
{
public:
    QString archiveClassName() const override { return QStringLiteral("additionalFiles"); }
    void encodeWithCoder(KeyedArchiver &coder) const override
    {
        coder.encodeInt(5, QStringLiteral("AddFilesType"));
    }
    bool initWithCoder(const KeyedUnarchiver &) override { return true; }
};

class AdditionalFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        ASSERT_TRUE(dir.isValid());
    }
    void TearDown() override { additionalFiles::setOPMLBuilder(nullptr); }

    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }

    QTemporaryDir dir;
};

TEST_F(AdditionalFilesTest, ArchivesEveryFieldAndDecodesAbsentKeysToEmptyValues)
{
    additionalFiles record;
    EXPECT_EQ(record.lastUploaded(), kEpoch);
    record.setFileType(additionalFiles::CSVExport);
    record.setFileDestination(additionalFiles::OtherDestination);
    record.setFileOtherDestination(QStringLiteral(" pub/other "));
    record.setExportTemplate(QStringLiteral("/t/list.csv"));
    record.setLimitNumber(1);
    record.setLimitNumberValue(15);
    record.setNoFuture(1);
    record.setLocalFile(QStringLiteral("/l/file.txt"));
    record.setFilename(QStringLiteral("list.csv"));
    record.setLastUploaded(QDateTime(QDate(2006, 5, 4), QTime(3, 2, 1), Qt::UTC));

    const QByteArray archive = additionalFiles::archiveList({record.copy(), record.copy()});
    const auto list = additionalFiles::unarchiveList(archive);
    ASSERT_EQ(list.size(), 2);
    const additionalFiles &back = *list.at(1);
    EXPECT_EQ(back.fileType(), 3);
    EXPECT_EQ(back.fileDestination(), 3);
    EXPECT_EQ(back.fileOtherDestination(), QStringLiteral(" pub/other "));
    EXPECT_EQ(back.exportTemplate(), QStringLiteral("/t/list.csv"));
    EXPECT_EQ(back.limitNumber(), 1);
    EXPECT_EQ(back.limitNumberValue(), 15);
    EXPECT_EQ(back.noFuture(), 1);
    EXPECT_EQ(back.localFile(), QStringLiteral("/l/file.txt"));
    EXPECT_EQ(back.filename(), QStringLiteral("list.csv"));
    EXPECT_EQ(back.lastUploaded(), record.lastUploaded());

    // An archive written before some fields existed: no null text, no invalid date.
    const QVariant bare
        = KeyedUnarchiver::unarchiveObjectWithData(KeyedArchiver::archivedDataWithRootObject(
            KeyedArchivable::toVariant(std::make_shared<OlderRecord>())));
    const auto partial = KeyedArchivable::objectAs<additionalFiles>(bare);
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->fileType(), 5);
    EXPECT_FALSE(partial->filename().isNull());
    EXPECT_TRUE(partial->filename().isEmpty());
    EXPECT_FALSE(partial->localFile().isNull());
    EXPECT_EQ(partial->lastUploaded(), kEpoch);

    EXPECT_TRUE(additionalFiles::unarchiveList("not an archive").isEmpty());
}

TEST_F(AdditionalFilesTest, CopiesAreIndependentAndNoDateMeansNever)
{
    additionalFiles record;
    record.setFilename(QStringLiteral("a.html"));
    record.setLastUploaded(QDateTime::currentDateTimeUtc());
    const auto copy = record.copy();
    copy->setFilename(QStringLiteral("b.html"));
    EXPECT_EQ(record.filename(), QStringLiteral("a.html"));
    record.setLastUploaded(QDateTime());
    EXPECT_EQ(record.lastUploaded(), kEpoch);
}

TEST_F(AdditionalFilesTest, SourceTextsWriteTheHomeFolderAsTilde)
{
    additionalFiles record;
    record.setExportTemplate(QDir::homePath() + QStringLiteral("/Templates/page.html"));
    EXPECT_EQ(record.fileSource(), QStringLiteral("HTML Export with ~/Templates/page.html"));
    record.setFileType(additionalFiles::JavaScriptExport);
    record.setExportTemplate(QStringLiteral("/opt/t.js"));
    EXPECT_EQ(record.fileSource(), QStringLiteral("JavaScript Export with /opt/t.js"));
    record.setFileType(additionalFiles::XMLExport);
    EXPECT_EQ(record.fileSource(), QStringLiteral("XML Export"));
    record.setFileType(additionalFiles::LocalFile);
    record.setLocalFile(QDir::homePath() + QStringLiteral("/notes.txt"));
    EXPECT_EQ(record.fileSource(), QStringLiteral("~/notes.txt"));
    record.setFileType(additionalFiles::OPMLList);
    EXPECT_EQ(record.fileSource(), QStringLiteral("OPML list of feeds"));
    record.setFileType(9);
    EXPECT_EQ(record.fileSource(), QString());
}

TEST_F(AdditionalFilesTest, MakesItsBytesOrSaysWhyNot)
{
    VLXFeed feed;
    feed.setTitle(QStringLiteral("Show"));
    QString why;

    additionalFiles local;
    local.setFileType(additionalFiles::LocalFile);
    local.setLocalFile(write(QStringLiteral("notes.txt"), "local bytes"));
    EXPECT_EQ(local.dataForFile(nullptr), QByteArray("local bytes"));
    local.setLocalFile(dir.filePath(QStringLiteral("gone.txt")));
    EXPECT_FALSE(local.dataForFile(&feed, &why));
    EXPECT_TRUE(why.contains(QStringLiteral("gone.txt"))) << why.toStdString();

    additionalFiles xml;
    xml.setFileType(additionalFiles::XMLExport);
    const auto feedText = xml.dataForFile(&feed);
    ASSERT_TRUE(feedText);
    EXPECT_TRUE(feedText->contains("<title>Show</title>"));
    EXPECT_FALSE(xml.dataForFile(nullptr, &why));

    // A missing template is a failure, not an empty page published as a success.
    additionalFiles page;
    page.setExportTemplate(dir.filePath(QStringLiteral("missing.html")));
    why.clear();
    EXPECT_FALSE(page.dataForFile(&feed, &why));
    EXPECT_TRUE(why.contains(QStringLiteral("missing.html"))) << why.toStdString();
    page.setExportTemplate(write(QStringLiteral("page.html"), "<p>a page</p>"));
    const auto pageBytes = page.dataForFile(&feed);
    ASSERT_TRUE(pageBytes);
    EXPECT_TRUE(pageBytes->contains("a page"));

    additionalFiles opml;
    opml.setFileType(additionalFiles::OPMLList);
    why.clear();
    EXPECT_FALSE(opml.dataForFile(&feed, &why));
    EXPECT_FALSE(why.isEmpty());
    additionalFiles::setOPMLBuilder([] { return std::optional<QByteArray>("<opml/>"); });
    EXPECT_EQ(opml.dataForFile(nullptr), QByteArray("<opml/>"));
}

} // namespace
