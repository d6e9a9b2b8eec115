// Publishing runs to the online disk (a WebDAV server on the loopback).
#include "PublishRunFixture.h"
#include "publish/DMMemberAccount.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

using namespace PublishTestSupport;

const QString kMember = QStringLiteral("member");
const QString kPassword = QStringLiteral("disk pass");

class vlxFTPDiskTest : public PublishRunFixture
{
protected:
    void SetUp() override
    {
        PublishRunFixture::SetUp();
        ASSERT_TRUE(startWebDAV(server, remote.path(), kMember, kPassword))
            << server.errorString().toStdString();
        DMMemberAccount::setServerURL(server.url(QStringLiteral("http")));
        auto site = std::make_shared<VLXSite>();
        site->setType(2);
        site->setDmAccount(1);
        site->setDmUsername(kMember);
        site->setDmStorePassword(0);
        publisher.setSite(site);
        view.setText(Field::Password, kPassword);
        view.setText(Field::RemoteEnclosurePath, QStringLiteral("/pod/new/"));
    }
    void TearDown() override
    {
        DMTransaction::setRemovalPatience(DMTransaction::kDefaultRemovalPatienceMs);
        PublishRunFixture::TearDown();
    }

    // Stops the disk's server and puts a gate (tests/servers/webdav_gate.py) at its address, in
    // front of the same folder served anew by `disk`; options are the gate's, besides its ports.
    ::testing::AssertionResult startGate(const QStringList &options)
    {
        const quint16 port = server.port();
        server.stop();
        if (!startWebDAV(disk, remote.path(), kMember, kPassword))
            return ::testing::AssertionFailure() << disk.errorString().toStdString();
        if (!server.startScript(QStringLiteral("webdav_gate.py"),
                                QStringList {QStringLiteral("--port"), QString::number(port),
                                             QStringLiteral("--upstream"),
                                             QString::number(disk.port())}
                                    + options))
            return ::testing::AssertionFailure() << server.errorString().toStdString();
        if (server.port() != port)
            return ::testing::AssertionFailure()
                << "the gate listens on " << server.port() << ", not on " << port;
        return ::testing::AssertionSuccess();
    }

    LocalServer server;
    LocalServer disk; // behind a gate
};

TEST_F(vlxFTPDiskTest, UploadsBelowSitesMakingTheFoldersFirst)
{
    EXPECT_TRUE(publisher.validateDMinfo());
    addEnclosure(QStringLiteral("one.mp3"), 120000);
    addEnclosure(QStringLiteral("two.mp3"), 10);
    ASSERT_TRUE(publish());
    EXPECT_EQ(view.status(), QStringLiteral("All 2 files published successfully"));
    EXPECT_EQ(readFile(remote.filePath(QStringLiteral("Sites/pod/new/one.mp3"))),
              readFile(local.filePath(QStringLiteral("one.mp3"))));
    EXPECT_EQ(readFile(remote.filePath(QStringLiteral("Sites/pod/new/two.mp3"))).size(), 10);
    // Each went up under a temporary name and was moved onto its own: none is left.
    EXPECT_EQ(QDir(remote.filePath(QStringLiteral("Sites/pod/new")))
                  .entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList {QStringLiteral("one.mp3"), QStringLiteral("two.mp3")}));
    const QString rule(38, u'=');
    EXPECT_TRUE(view.log.contains(QStringLiteral("Publish to .Mac\nUSERNAME: member\n") + rule));
    EXPECT_EQ(view.log.count(QStringLiteral("Transfer successful\n\n")), 2);
}

TEST_F(vlxFTPDiskTest, RefusedCredentialsFailEachFile)
{
    view.setText(Field::Password, QStringLiteral("wrong"));
    EXPECT_FALSE(publisher.validateDMinfo());
    addEnclosure(QStringLiteral("one.mp3"), 10);
    addEnclosure(QStringLiteral("two.mp3"), 10);
    ASSERT_TRUE(publish());
    EXPECT_EQ(view.status(), QStringLiteral("0 successful, 2 failed"));
    EXPECT_EQ(
        view.log.count(QStringLiteral("Transfer failed with error: Invalid username/password\n\n")),
        2);
    EXPECT_EQ(publisher.publishResults().at(1),
              QStringLiteral("Item Enclosure two.mp3: Publish failed with reason \"Invalid "
                             "username/password\""));
}

TEST_F(vlxFTPDiskTest, AbortEndsTheRunWithItsResultAndNoServerMeansAFailedFile)
{
    addEnclosure(QStringLiteral("big.mp3"), 32 * 1024 * 1024);
    addEnclosure(QStringLiteral("next.mp3"), 10);
    publisher.upload();
    EXPECT_TRUE(publisher.isRunning());
    publisher.abort();
    ASSERT_TRUE(waitUntil([&] { return !publisher.isRunning(); }, 5000));
    EXPECT_FALSE(view.running);
    EXPECT_TRUE(view.log.contains(u"SUMMARY"));
    EXPECT_EQ(view.status(), QStringLiteral("0 successful, 1 failed"));
    EXPECT_EQ(publisher.publishResults(),
              QStringList {QStringLiteral(
                  "Item Enclosure big.mp3: Publish failed with reason \"Transfer aborted\"")});
    EXPECT_FALSE(QFileInfo::exists(remote.filePath(QStringLiteral("Sites/pod/new/next.mp3"))));

    // No disk set up at all: each file fails at once, and the run goes on to the end.
    DMMemberAccount::setServerURL(QString());
    for (auto &row : publisher.itemsWithEnclosures())
        row.checked = 1;
    ASSERT_TRUE(publish());
    EXPECT_EQ(view.status(), QStringLiteral("0 successful, 2 failed"));
    EXPECT_TRUE(view.log.contains(u"SUMMARY"));
}

TEST_F(vlxFTPDiskTest, AnAbortMidTransferLeavesThePublishedCopyAndOffersTheFileAgain)
{
    // A gate stands at the server's address in front of the disk. It lets the second version
    // through with its first megabyte only and holds it there, so the abort always catches it on
    // its way. As long as the gate holds the upload the disk is still taking it in and refuses
    // the removal of the temporary file ("423 Locked"); once the run has ended the test lets the
    // gate hang up, and the disk lets the file go. Only the test moves the run from one step to
    // the next, never the speed of the machine.
    // However long the machine takes to get to the hang-up, the removal is still being asked.
    DMTransaction::setRemovalPatience(10 * 60 * 1000);
    const QString held = server.workDir() + QStringLiteral("/upload-held");
    const QString release = server.workDir() + QStringLiteral("/upload-release");
    ASSERT_TRUE(startGate({QStringLiteral("--stall-after"), QString::number(1024 * 1024),
                           QStringLiteral("--held"), held, QStringLiteral("--release"),
                           release}));
    const QString path = local.filePath(QStringLiteral("show.mp3"));
    const QString published = remote.filePath(QStringLiteral("Sites/pod/new/show.mp3"));
    ASSERT_TRUE(writeFile(path, QByteArray(10000, 'a')));
    const auto item = addEnclosureAt(QStringLiteral("show.mp3"), path);
    ASSERT_TRUE(publish());
    ASSERT_EQ(view.status(), QStringLiteral("All 1 files published successfully"));
    const QDateTime sent = item->lastUploaded();

    ASSERT_TRUE(writeFile(path, QByteArray(12000000, 'b')));
    publisher.rebuildEnclosureRows();
    publisher.updateEnclosureCheckboxes(true);
    ASSERT_EQ(publisher.itemsWithEnclosures().value(0).checked, 1);
    publisher.upload();
    const QString part = remote.filePath(QStringLiteral("Sites/pod/new/.show.mp3.vlx-part"));
    // Caught while the gate holds it, once the server holds some of it, wherever it puts it.
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(held); }))
        << "the gate never held the upload: " << server.log().toStdString();
    ASSERT_TRUE(waitUntil(
        [&] { return QFileInfo(part).size() > 0 || QFileInfo(published).size() != 10000; }));
    publisher.abort();
    ASSERT_TRUE(waitUntil([&] { return !publisher.isRunning(); }));
    // The removal of the temporary file goes on after the run.
    ASSERT_TRUE(writeFile(release, QByteArray()));
    EXPECT_TRUE(waitUntil([&] { return !QFileInfo::exists(part); })) << server.log().toStdString();

    EXPECT_EQ(readFile(published), QByteArray(10000, 'a'));
    EXPECT_EQ(QDir(remote.filePath(QStringLiteral("Sites/pod/new")))
                  .entryList(QDir::Files | QDir::Hidden),
              QStringList {QStringLiteral("show.mp3")});
    EXPECT_EQ(item->lastUploaded(), sent);
    // Dated before its last upload the file counts as up to date, yet it was not sent.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(sent.addSecs(-3600), QFileDevice::FileModificationTime));
    file.close();
    publisher.rebuildEnclosureRows();
    EXPECT_EQ(publisher.itemsWithEnclosures().value(0).checked, 1);
}

TEST_F(vlxFTPDiskTest, AbortDoesNotWaitForTheServerAndTheNextRunRemovesWhatItKept)
{
    // A gate stands at the server's address in front of the disk. It lets the upload through
    // with its first megabyte only, so the abort catches it on its way; the removal of the
    // temporary file it holds unanswered until the test lets it answer, and then refuses it
    // ("423 Locked", as a server still taking in the file does) for as long as the gate runs. Only
    // the test moves the run from one step to the next, never the speed of the machine.
    DMTransaction::setRemovalPatience(500);
    const quint16 port = server.port();
    const QString partName = QStringLiteral("Sites/pod/new/.show.mp3.vlx-part");
    const QString part = remote.filePath(partName);
    const QString asked = server.workDir() + QStringLiteral("/removal-asked");
    const QString answer = server.workDir() + QStringLiteral("/removal-answer");
    ASSERT_TRUE(startGate({QStringLiteral("--stall-after"), QString::number(1024 * 1024),
                           QStringLiteral("--lock"), u'/' + partName, QStringLiteral("--asked"),
                           asked, QStringLiteral("--answer"), answer}));
    addEnclosure(QStringLiteral("show.mp3"), 24 * 1024 * 1024);
    publisher.upload();
    ASSERT_TRUE(waitUntil([&] { return QFileInfo(part).size() > 0; }))
        << server.log().toStdString();
    const auto account = publisher.dotMacAccount();
    ASSERT_TRUE(account);
    publisher.abort();
    // The removal waits at the server for an answer it does not get yet: the run ends without it.
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(asked); })) << server.log().toStdString();
    ASSERT_TRUE(waitUntil([&] { return !publisher.isRunning(); }))
        << "the run waited for the removal";
    EXPECT_TRUE(DMTransaction::leftoverParts(*account).isEmpty());
    EXPECT_EQ(view.status(), QStringLiteral("0 successful, 1 failed"));
    EXPECT_TRUE(view.log.contains(u"SUMMARY"));

    // Refused as long as it is asked again, behind the ended run the removal gives up, and the
    // file is remembered with the account.
    ASSERT_TRUE(writeFile(answer, QByteArray()));
    ASSERT_TRUE(waitUntil([&] { return !DMTransaction::leftoverParts(*account).isEmpty(); }));
    EXPECT_EQ(DMTransaction::leftoverParts(*account), QStringList {partName});
    EXPECT_TRUE(view.log.contains(
        QStringLiteral("The temporary file %1 could not be removed").arg(partName)))
        << view.log.toStdString();
    EXPECT_TRUE(QFileInfo::exists(part));

    // The disk keeps what it took of the upload once the gate and the disk have stopped.
    server.stop();
    disk.stop();
    ASSERT_TRUE(QFileInfo::exists(part));
    // A server started again at the same address lets it go: the next run removes it.
    ASSERT_TRUE(startWebDAV(server, remote.path(), kMember, kPassword, {}, port));
    for (auto &row : publisher.itemsWithEnclosures())
        row.checked = 0;
    addEnclosure(QStringLiteral("next.mp3"), 10);
    ASSERT_TRUE(publish());
    EXPECT_EQ(view.status(), QStringLiteral("All 1 files published successfully"));
    EXPECT_FALSE(QFileInfo::exists(part));
    EXPECT_TRUE(DMTransaction::leftoverParts(*publisher.dotMacAccount()).isEmpty());
    EXPECT_TRUE(view.log.contains(QStringLiteral("Removed the temporary file %1").arg(partName)));
}

} // namespace
