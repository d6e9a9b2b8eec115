// Sending a file again over FTP and FTPS never spoils the copy already published: an abort, a
// dropped connection or a refused rename leave it as it was, leave no temporary file behind,
// and the file is offered again in the next sheet.
#include "PublishRunFixture.h"
#include "model/TitledElement.h"
#include "publish/PublishPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

using namespace PublishTestSupport;

const QString kUser = QStringLiteral("publisher");
const QString kPassword = QStringLiteral("secret");
const QString kName = QStringLiteral("show.mp3");

class vlxFTPReplaceTest : public PublishRunFixture
{
protected:
    void TearDown() override
    {
        vlxFTP::setCertificateAuthorityFile(QString());
        PublishRunFixture::TearDown();
    }

    // A fresh server of the protocol (0 FTP, 1 FTPS) with the extra options; the enclosures go
    // to a folder of the protocol's own.
    void startServer(int protocol, const QStringList &extra)
    {
        server.stop();
        QStringList arguments = extra;
        if (protocol == 1) {
            if (!certificate) {
                QString error;
                certificate
                    = LocalServer::makeSelfSignedCertificate(certificates.workDir(), &error);
                ASSERT_TRUE(certificate) << error.toStdString();
            }
            arguments << QStringLiteral("--cert") << certificate->certFile
                      << QStringLiteral("--key") << certificate->keyFile;
            vlxFTP::setCertificateAuthorityFile(certificate->certFile);
        }
        ASSERT_TRUE(startFTP(server, remote.path(), kUser, kPassword, arguments))
            << server.errorString().toStdString();
        auto site = std::make_shared<VLXSite>();
        site->setType(1);
        site->setFtpProtocol(protocol);
        site->setFtpServer(QStringLiteral("127.0.0.1:%1").arg(server.port()));
        site->setFtpUsername(kUser);
        site->setFtpUsePASV(1);
        site->setFtpUseEPSV(1);
        publisher.setSite(site);
        view.setText(Field::Password, kPassword);
        folder = protocol == 1 ? QStringLiteral("secure") : QStringLiteral("plain");
        view.setText(Field::RemoteEnclosurePath, folder);
    }

    // Writes the local file with bytes of the letter, dated as given (now when invalid).
    void writeLocal(const QString &path, char letter, qsizetype size,
                    const QDateTime &modified = QDateTime())
    {
        ASSERT_TRUE(writeFile(path, QByteArray(size, letter)));
        if (modified.isValid()) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
        }
    }

    QString remotePath(const QString &name) const { return remote.filePath(folder + u'/' + name); }
    // Every file in the protocol's folder, hidden ones included.
    QStringList remoteFiles() const
    {
        return QDir(remote.filePath(folder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    // The check box the next sheet gives the item's row (the sheet's section follows its rows).
    int nextSheetTick(const std::shared_ptr<VLXItems> &item)
    {
        publisher.rebuildEnclosureRows();
        publisher.updateEnclosureCheckboxes(true);
        for (const auto &row : publisher.itemsWithEnclosures()) {
            if (row.item == item && !row.media)
                return row.checked;
        }
        ADD_FAILURE() << "no row for the item";
        return -1;
    }
    // Publishes the item's first version whole; the time it was stamped with.
    QDateTime publishFirstVersion(const std::shared_ptr<VLXItems> &item, const QByteArray &bytes)
    {
        publisher.itemsWithEnclosures().last().checked = 1;
        view.setOn(Toggle::UploadEnclosure, true);
        EXPECT_TRUE(publish());
        EXPECT_EQ(view.status(), QStringLiteral("All 1 files published successfully"))
            << view.log.toStdString();
        EXPECT_EQ(readFile(remotePath(kName)), bytes);
        return item->lastUploaded();
    }

    LocalServer server;
    LocalServer certificates;
    std::optional<LocalServer::Certificate> certificate;
    QString folder;
};

TEST_F(vlxFTPReplaceTest, AnAbortMidTransferLeavesThePublishedCopyAndOffersTheFileAgain)
{
    for (const int protocol : {0, 1}) {
        SCOPED_TRACE(protocol == 1 ? "FTPS" : "FTP");
        feed.removeAllItems();
        publisher.itemsWithEnclosures().clear();
        // The server holds every upload after its first megabyte until the test lets it go on:
        // the first version arrives whole, the second is caught on its way.
        const HeldTransfer hold(1024 * 1024);
        startServer(protocol, hold.serverOptions());
        const QString local = this->local.filePath(folder + u'/' + kName);
        const QByteArray first(20000, 'a');
        writeLocal(local, 'a', first.size());
        const auto item = addEnclosureAt(kName, local);
        const QDateTime sent = publishFirstVersion(item, first);

        writeLocal(local, 'b', 3000000);
        ASSERT_EQ(nextSheetTick(item), 1);
        publisher.upload();
        // Caught while the server holds it, once the server holds some of it, wherever it puts it.
        ASSERT_TRUE(hold.waitUntilHeld(server)) << view.log.toStdString();
        ASSERT_TRUE(waitUntil([&] {
            return QFileInfo(remotePath(PublishPaths::partFileName(kName))).size() > 0
                || QFileInfo(remotePath(kName)).size() != first.size();
        })) << view.log.toStdString();
        publisher.abort();
        // The run ends, the temporary file removed, while the server still holds the upload.
        ASSERT_TRUE(waitUntil([&] { return !publisher.isRunning(); })) << view.log.toStdString();
        ASSERT_TRUE(hold.release());

        EXPECT_EQ(view.status(), QStringLiteral("0 successful, 1 failed"));
        EXPECT_EQ(readFile(remotePath(kName)), first);
        EXPECT_EQ(remoteFiles(), QStringList {kName});
        EXPECT_TRUE(view.log.contains(QStringLiteral("> DELE .show.mp3.vlx-part")))
            << view.log.toStdString();
        EXPECT_EQ(item->lastUploaded(), sent);

        // Dated before its last upload the file counts as up to date, yet the transfer the
        // user asked for did not happen: the next sheet ticks it.
        writeLocal(local, 'b', 3000000, sent.addSecs(-3600));
        EXPECT_EQ(nextSheetTick(item), 1);
        EXPECT_EQ(publisher.enclosureState(0), vlxFTP::FileState::UpToDate);
    }
}

TEST_F(vlxFTPReplaceTest, ADroppedConnectionLeavesThePublishedCopyUntilAWholeFileArrives)
{
    for (const int protocol : {0, 1}) {
        SCOPED_TRACE(protocol == 1 ? "FTPS" : "FTP");
        feed.removeAllItems();
        publisher.itemsWithEnclosures().clear();
        // The server hangs up the data connection of any upload after 100 kB.
        startServer(protocol, {QStringLiteral("--drop-after"), QStringLiteral("100000")});
        const QString local = this->local.filePath(folder + u'/' + kName);
        const QByteArray first(30000, 'a');
        writeLocal(local, 'a', first.size());
        const auto item = addEnclosureAt(kName, local);
        const QDateTime sent = publishFirstVersion(item, first);

        writeLocal(local, 'b', 2000000);
        ASSERT_EQ(nextSheetTick(item), 1);
        ASSERT_TRUE(publish());
        EXPECT_EQ(view.status(), QStringLiteral("0 successful, 1 failed"))
            << view.log.toStdString();
        EXPECT_TRUE(publisher.publishResults().value(0).startsWith(
            QStringLiteral("Item Enclosure show.mp3: Publish failed with reason \"")));
        EXPECT_EQ(readFile(remotePath(kName)), first);
        EXPECT_EQ(remoteFiles(), QStringList {kName});
        EXPECT_EQ(item->lastUploaded(), sent);
        writeLocal(local, 'b', 2000000, sent.addSecs(-3600));
        EXPECT_EQ(nextSheetTick(item), 1);

        // A version small enough to arrive replaces the copy, and is then up to date.
        writeLocal(local, 'c', 40000);
        ASSERT_TRUE(publish());
        EXPECT_EQ(view.status(), QStringLiteral("All 1 files published successfully"));
        EXPECT_EQ(readFile(remotePath(kName)), QByteArray(40000, 'c'));
        EXPECT_EQ(remoteFiles(), QStringList {kName});
        EXPECT_GT(item->lastUploaded(), sent);
        writeLocal(local, 'c', 40000, item->lastUploaded().addSecs(-3600));
        EXPECT_EQ(nextSheetTick(item), 0);
    }
}

TEST_F(vlxFTPReplaceTest, ARefusedRenameFailsTheFileWithTheServersReason)
{
    for (const int protocol : {0, 1}) {
        SCOPED_TRACE(protocol == 1 ? "FTPS" : "FTP");
        feed.removeAllItems();
        publisher.itemsWithEnclosures().clear();
        startServer(protocol, {QStringLiteral("--refuse-rename")});
        const auto item = addEnclosure(folder + QStringLiteral("-new.mp3"), 5000);
        const QString name = PublishPaths::lastPathComponent(item->localEnclosureFilePath());
        ASSERT_TRUE(publish());

        EXPECT_EQ(view.status(), QStringLiteral("0 successful, 1 failed"));
        EXPECT_EQ(publisher.publishResults(),
                  QStringList {QStringLiteral("Item Enclosure %1: Publish failed with reason \"The "
                                              "server refused to rename .%1.vlx-part to %1: 550 "
                                              "Renaming is not allowed on this server.\"")
                                   .arg(name)});
        // Nothing under the name, and the temporary file is gone.
        EXPECT_EQ(remoteFiles(), QStringList {}) << view.log.toStdString();
        EXPECT_EQ(item->lastUploaded(), TitledElement::neverUploaded());
        EXPECT_EQ(nextSheetTick(item), 1);
    }
}

} // namespace
