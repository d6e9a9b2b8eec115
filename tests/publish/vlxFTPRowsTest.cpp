// The rows of the publish window's file tables: which files are ticked, and the state each
// shows against its last upload.
#include "PublishRunFixture.h"
#include "publish/additionalFiles.h"

#include <QFile>

namespace {

using namespace PublishTestSupport;
using State = vlxFTP::FileState;

class vlxFTPRowsTest : public PublishRunFixture
{
protected:
    // A local file whose modification time is the given one.
    QString fileModifiedAt(const QString &name, const QDateTime &modified)
    {
        const QString path = local.filePath(name);
        EXPECT_TRUE(writeFile(path, "bytes"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadWrite));
        EXPECT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
        return path;
    }
    std::shared_ptr<VLXItems> item(const QString &title, const QString &url, const QString &path,
                                   const QDateTime &uploaded = {})
    {
        auto item = std::make_shared<VLXItems>();
        item->setTitle(title);
        item->setEnclosureAttrURL(url);
        item->setLocalEnclosureFilePath(path);
        item->setLastUploaded(uploaded);
        feed.addItem(item);
        return item;
    }

    const QDateTime noon = QDateTime(QDate(2024, 3, 7), QTime(12, 0), Qt::UTC);
};

TEST_F(vlxFTPRowsTest, EnclosureRowsAreTickedByTheirFilesAndShowTheirState)
{
    const QString file = fileModifiedAt(QStringLiteral("ep.mp3"), noon);
    item(QStringLiteral("Never"), QStringLiteral("http://e/1.mp3"), file);
    item(QStringLiteral("Changed"), QStringLiteral("http://e/2.mp3"), file, noon.addSecs(-60));
    item(QStringLiteral("Same second"), QStringLiteral("http://e/3.mp3"), file, noon);
    item(QStringLiteral("Sent"), QStringLiteral("http://e/4.mp3"), file, noon.addSecs(60));
    item(QStringLiteral("No file"), QStringLiteral("http://e/5.mp3"), QString());
    item(QStringLiteral("No enclosure"), QString(), file);
    publisher.rebuildEnclosureRows();

    const auto &rows = publisher.itemsWithEnclosures();
    ASSERT_EQ(rows.size(), 5);
    const QList<int> ticked {1, 1, 1, 0, 0};
    const QList<State> states {State::NeverPublished, State::LocalIsNewer, State::LocalIsNewer,
                               State::UpToDate, State::NoLocalFile};
    for (int row = 0; row < rows.size(); ++row) {
        EXPECT_EQ(rows.at(row).checked, ticked.at(row)) << row;
        EXPECT_EQ(publisher.enclosureState(row), states.at(row)) << row;
    }
    EXPECT_EQ(rows.at(0).reference, noon);
    EXPECT_EQ(rows.at(4).reference, TitledElement::neverUploaded());
    EXPECT_EQ(vlxFTP::fileStateText(State::NeverPublished), QStringLiteral("Never published"));
    EXPECT_EQ(vlxFTP::fileStateText(State::LocalIsNewer), QStringLiteral("Local file is newer"));
    EXPECT_EQ(vlxFTP::fileStateText(State::UpToDate), QStringLiteral("Up to date"));
    EXPECT_EQ(vlxFTP::fileStateText(State::NoLocalFile), QStringLiteral("No local file defined"));

    // A row without a file cannot be ticked; the others toggle.
    EXPECT_FALSE(publisher.toggleEnclosureRow(4));
    EXPECT_TRUE(publisher.toggleEnclosureRow(3));
    EXPECT_EQ(rows.at(3).checked, 1);
}

TEST_F(vlxFTPRowsTest, AFileThatCannotBeReadKeepsItsPathUntickedUntilItIsBack)
{
    // The disk with the file is not mounted: the path stays, as the feed window stores it.
    const QString path = local.filePath(QStringLiteral("away/ep.mp3"));
    const auto away = item(QStringLiteral("Away"), QStringLiteral("http://e/a.mp3"), path);
    publisher.rebuildEnclosureRows();
    ASSERT_EQ(publisher.itemsWithEnclosures().size(), 1);
    EXPECT_EQ(publisher.itemsWithEnclosures().at(0).checked, 0);
    EXPECT_EQ(publisher.enclosureState(0), State::Missing);
    EXPECT_EQ(vlxFTP::fileStateText(State::Missing), QStringLiteral("Local file missing"));
    EXPECT_EQ(away->localEnclosureFilePath(), path);
    EXPECT_EQ(
        feed.enclosureLocalFileInfo().value(QStringLiteral("http://e/a.mp3")).toList().value(0),
        path);

    EXPECT_FALSE(publisher.toggleEnclosureRow(0));
    EXPECT_EQ(publisher.itemsWithEnclosures().at(0).checked, 0);
    // Back again: it is looked at anew and ticked.
    ASSERT_TRUE(writeFile(path, "sound"));
    EXPECT_TRUE(publisher.toggleEnclosureRow(0));
    EXPECT_EQ(publisher.itemsWithEnclosures().at(0).checked, 1);
    EXPECT_EQ(publisher.enclosureState(0), State::NeverPublished);
    EXPECT_TRUE(view.isOn(Toggle::UploadEnclosure));
}

TEST_F(vlxFTPRowsTest, AdditionalFilesKeepTheirRecordsAndGeneratedOnesAreAlwaysTicked)
{
    auto page = std::make_shared<additionalFiles>();
    page->setFileType(additionalFiles::HTMLExport);
    auto sentPage = std::make_shared<additionalFiles>();
    sentPage->setFileType(additionalFiles::HTMLExport);
    sentPage->setLastUploaded(noon);
    auto notes = std::make_shared<additionalFiles>();
    notes->setFileType(additionalFiles::LocalFile);
    notes->setLocalFile(fileModifiedAt(QStringLiteral("notes.txt"), noon));
    notes->setLastUploaded(noon.addSecs(5));
    auto gone = std::make_shared<additionalFiles>();
    gone->setFileType(additionalFiles::LocalFile);
    gone->setLocalFile(local.filePath(QStringLiteral("gone.txt")));
    const QList<std::shared_ptr<additionalFiles>> records {page, sentPage, notes, gone};
    publisher.setAdditionalFiles(records);

    EXPECT_EQ(publisher.additionalFileRecords(), records);
    const auto &rows = publisher.otherFiles();
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows.at(0).checked, 1);
    EXPECT_EQ(rows.at(1).checked, 1);
    EXPECT_EQ(rows.at(2).checked, 0);
    EXPECT_EQ(rows.at(3).checked, 0);
    // A generated file sent once shows as newer: its reference is its own last upload.
    EXPECT_EQ(publisher.otherFileState(0), State::NeverPublished);
    EXPECT_EQ(publisher.otherFileState(1), State::LocalIsNewer);
    EXPECT_EQ(publisher.otherFileState(2), State::UpToDate);
    EXPECT_EQ(publisher.otherFileState(3), State::Missing);
    EXPECT_EQ(gone->localFile(), local.filePath(QStringLiteral("gone.txt")));

    // The same list again changes nothing, not even a box the user set.
    publisher.otherFiles()[0].checked = 0;
    publisher.setAdditionalFiles(records);
    EXPECT_EQ(publisher.otherFiles().at(0).checked, 0);
    EXPECT_FALSE(publisher.toggleOtherFileRow(3));
    publisher.setAdditionalFiles({});
    EXPECT_TRUE(publisher.otherFiles().isEmpty());
}

} // namespace
