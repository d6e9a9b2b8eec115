// Publishing runs over FTP and FTPS against the local pyftpdlib server.
#include "PublishRunFixture.h"

#include <QDir>
#include <QFileInfo>

namespace {

using namespace PublishTestSupport;

const QString kUser = QStringLiteral("publisher");
const QString kPassword = QStringLiteral("pä:ß wörd");

class vlxFTPRunTest : public PublishRunFixture
{
protected:
    void startServer(const QStringList &extra = {})
    {
        ASSERT_TRUE(startFTP(server, remote.path(), kUser, kPassword, extra))
            << server.errorString().toStdString();
        auto site = std::make_shared<VLXSite>();
        site->setType(1);
        site->setFtpServer(QStringLiteral("127.0.0.1:%1").arg(server.port()));
        site->setFtpUsername(kUser);
        site->setFtpUsePASV(1);
        site->setFtpUseEPSV(1);
        publisher.setSite(site);
        view.setText(Field::Password, kPassword);
        view.setText(Field::RemoteEnclosurePath, QStringLiteral(" media/new "));
    }

    QByteArray remoteFile(const QString &path) const { return readFile(remote.filePath(path)); }

    LocalServer server;
};

TEST_F(vlxFTPRunTest, ARefusedFileFailsAndTheRunGoesOn)
{
    // A file is stored under its temporary name first: that is the store the server refuses.
    startServer({QStringLiteral("--refuse"), QStringLiteral(".b.mp3.vlx-part")});
    const auto a = addEnclosure(QStringLiteral("a.mp3"), 200000);
    const auto b = addEnclosure(QStringLiteral("b.mp3"), 1000);
    addEnclosure(QStringLiteral("c.mp3"), 3000);
    ASSERT_TRUE(publish());

    EXPECT_EQ(view.status(), QStringLiteral("2 successful, 1 failed"));
    ASSERT_EQ(publisher.publishResults().size(), 3);
    EXPECT_EQ(publisher.publishResults().at(0),
              QStringLiteral("Item Enclosure a.mp3: Published successfully"));
    EXPECT_TRUE(publisher.publishResults().at(1).startsWith(
        QStringLiteral("Item Enclosure b.mp3: Publish failed with reason \"")))
        << publisher.publishResults().at(1).toStdString();
    EXPECT_EQ(publisher.publishResults().at(2),
              QStringLiteral("Item Enclosure c.mp3: Published successfully"));

    // Streamed in whole, into the folder made for them.
    EXPECT_EQ(remoteFile(QStringLiteral("media/new/a.mp3")),
              readFile(local.filePath(QStringLiteral("a.mp3"))));
    EXPECT_EQ(remoteFile(QStringLiteral("media/new/c.mp3")).size(), 3000);
    EXPECT_FALSE(QFileInfo::exists(remote.filePath(QStringLiteral("media/new/b.mp3"))));
    EXPECT_EQ(QDir(remote.filePath(QStringLiteral("media/new")))
                  .entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList {QStringLiteral("a.mp3"), QStringLiteral("c.mp3")}));

    // Stamped, unchecked and reported only when sent.
    EXPECT_NE(a->lastUploaded(), TitledElement::neverUploaded());
    EXPECT_EQ(b->lastUploaded(), TitledElement::neverUploaded());
    EXPECT_EQ(publisher.itemsWithEnclosures().at(0).checked, 0);
    EXPECT_EQ(publisher.itemsWithEnclosures().at(1).checked, 1);
    EXPECT_EQ(view.runningChanges, (QList<bool> {true, false}));
    EXPECT_TRUE(view.log.endsWith(
        QStringLiteral("\n\nSUMMARY OF PUBLISHING RESULTS:\n==============================\n%1\n")
            .arg(publisher.publishResults().join(u'\n'))));
}

TEST_F(vlxFTPRunTest, TheLogHasItsHeaderAndNeverThePassword)
{
    // The header names the program as it was started, whatever the build constants say.
    CURLHandle::curlHelloSignature(QStringLiteral("Vellumcast Mac v7.3 (7.3.1)"), true);
    startServer();
    addEnclosure(QStringLiteral("ep 1 #ä?.mp3"), 10);
    view.setOn(Toggle::UploadXML, true);
    view.setText(Field::RemoteFilename, QStringLiteral("feed.xml"));
    ASSERT_TRUE(publish());
    EXPECT_EQ(view.status(), QStringLiteral("All 2 files published successfully"));
    EXPECT_EQ(publisher.publishResults().last(), QStringLiteral("Feed: Published successfully"));
    // An empty folder is the server's root.
    EXPECT_TRUE(remoteFile(QStringLiteral("feed.xml")).contains("<title>The Show</title>"));
    EXPECT_FALSE(view.isOn(Toggle::UploadXML));
    EXPECT_TRUE(view.stamps.value(PublishView::Stamp::Feed).startsWith(u"Last Published: "));

    const QString rule(38, u'=');
    const QString header = rule + QStringLiteral("\nVellumcast Mac v7.3 (7.3.1)\n") + rule
        + QStringLiteral("\nFTP SERVER: 127.0.0.1:%1\nUSERNAME: publisher\n").arg(server.port())
        + rule + QStringLiteral("\n\n") + rule
        + QStringLiteral("\nREMOTE PATH: media/new\nREMOTE FILENAME: ep 1 #ä?.mp3\n") + rule
        + QStringLiteral("\n\n");
    EXPECT_TRUE(view.log.startsWith(header)) << view.log.left(600).toStdString();
    EXPECT_EQ(view.log, publisher.transferLog());
    EXPECT_TRUE(view.log.contains(u"> PASS ********")) << view.log.toStdString();
    EXPECT_FALSE(view.log.contains(kPassword));
    EXPECT_FALSE(view.log.contains(u"wörd"));
    // The name reached the server whole: escaped per segment as UTF-8.
    EXPECT_EQ(remoteFile(QStringLiteral("media/new/ep 1 #ä?.mp3")).size(), 10);
}

TEST_F(vlxFTPRunTest, AbortDuringTheSecondFileEndsTheRunPromptly)
{
    // The server holds every upload after its first megabyte until the test lets it go on: the
    // first file arrives whole, the second is caught on its way.
    const HeldTransfer hold(1024 * 1024);
    startServer(hold.serverOptions());
    addEnclosure(QStringLiteral("one.mp3"), 100000);
    addEnclosure(QStringLiteral("two.mp3"), 6000000);
    addEnclosure(QStringLiteral("three.mp3"), 1000);
    publisher.upload();
    ASSERT_TRUE(waitUntil([&] { return publisher.publishResults().size() == 1; }));
    ASSERT_TRUE(hold.waitUntilHeld(server)) << view.log.toStdString();
    publisher.abort();
    // Promptly: the run ends while the server still holds the second file, without waiting for
    // the server to take the rest of it.
    ASSERT_TRUE(waitUntil([&] { return !publisher.isRunning(); })) << view.log.toStdString();
    ASSERT_TRUE(hold.release());

    EXPECT_EQ(view.status(), QStringLiteral("1 successful, 1 failed"));
    ASSERT_EQ(publisher.publishResults().size(), 2);
    EXPECT_TRUE(publisher.publishResults().at(1).startsWith(
        QStringLiteral("Item Enclosure two.mp3: Publish failed with reason \"")));
    EXPECT_TRUE(view.log.contains(u"SUMMARY OF PUBLISHING RESULTS"));
    EXPECT_FALSE(QFileInfo::exists(remote.filePath(QStringLiteral("media/new/three.mp3"))));
    EXPECT_FALSE(view.running);

    // The next run starts afresh.
    server.stop();
    publisher.itemsWithEnclosures().removeLast();
    publisher.itemsWithEnclosures().removeLast();
    startServer();
    addEnclosure(QStringLiteral("four.mp3"), 10);
    ASSERT_TRUE(publish());
    EXPECT_EQ(view.status(), QStringLiteral("All 1 files published successfully"));
}

TEST_F(vlxFTPRunTest, FTPSUsesTLSOnBothConnections)
{
    LocalServer certificates;
    QString error;
    const auto certificate = LocalServer::makeSelfSignedCertificate(certificates.workDir(), &error);
    ASSERT_TRUE(certificate) << error.toStdString();
    startServer({QStringLiteral("--cert"), certificate->certFile, QStringLiteral("--key"),
                 certificate->keyFile});
    publisher.site()->setFtpProtocol(1);
    vlxFTP::setCertificateAuthorityFile(certificate->certFile);
    addEnclosure(QStringLiteral("secure.mp3"), 50000);
    const bool ended = publish();
    vlxFTP::setCertificateAuthorityFile(QString());
    ASSERT_TRUE(ended);
    EXPECT_EQ(view.status(), QStringLiteral("All 1 files published successfully"))
        << view.log.toStdString();
    EXPECT_TRUE(view.log.contains(u"> AUTH TLS"));
    EXPECT_TRUE(view.log.contains(u"> PROT P"));
    EXPECT_EQ(remoteFile(QStringLiteral("media/new/secure.mp3")).size(), 50000);

    // Without the server's authority the transfer fails, and says so.
    view.setOn(Toggle::UploadEnclosure, true);
    publisher.itemsWithEnclosures()[0].checked = 1;
    ASSERT_TRUE(publish());
    EXPECT_EQ(view.status(), QStringLiteral("0 successful, 1 failed"));
}

} // namespace
