// Publishing from the sheet to real places: the online disk (a WebDAV server on the loopback),
// local folders, and an FTP run aborted from the sheet.
#include "PublishWindowFixture.h"
#include "publish/DMMemberAccount.h"

#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

using namespace PublishTestSupport;

class PublishSheetRunTest : public PublishWindowFixture
{
protected:
    QString status() const { return outlet<QLabel>(QStringLiteral("statusText"))->text(); }
    LocalServer server;
};

TEST_F(PublishSheetRunTest, ALocalFolderSiteReceivesTheImageEnclosuresAndFeed)
{
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", remote.path().toUtf8());
    auto site = std::make_shared<VLXSite>();
    site->setType(3);
    site->setSiteName(QStringLiteral("Folders"));
    site->setLclDefaultXMLDir(remote.filePath(QStringLiteral("site")));
    site->setLclImageDirSameAsXML(1);
    site->setLclEnclosureDirSameAsXML(0);
    site->setLclDefaultEnclosureDir(QStringLiteral("media"));
    VLXPreferences::updatePubSite(site);
    useSite(site);
    addEnclosure(QStringLiteral("one.mp3"), 3000);
    addEnclosure(QStringLiteral("two.mp3"), 5);
    QImage picture(QSize(16, 16), QImage::Format_ARGB32);
    picture.fill(Qt::darkGreen);
    window.setFeedImage(picture);
    window.setInitialFilename(QStringLiteral("show.xml"));
    window.setInitialImageFilename(QStringLiteral("logo.png"));

    runSheet([&] {
        ASSERT_TRUE(publish());
        EXPECT_EQ(status(), QStringLiteral("All 4 files published successfully"));
        EXPECT_TRUE(window.outlet<QLineEdit>(QStringLiteral("lastUploadXML"))
                        ->text()
                        .startsWith(QStringLiteral("Last Published: ")));
        EXPECT_FALSE(window.isOn(Toggle::UploadXML));
        EXPECT_FALSE(window.isOn(Toggle::UploadImage));
        EXPECT_FALSE(window.isOn(Toggle::UploadEnclosure));
        close();
    });
    qputenv("HOME", savedHome);
    EXPECT_TRUE(readFile(remote.filePath(QStringLiteral("site/show.xml")))
                    .contains("<title>The Show</title>"));
    EXPECT_TRUE(readFile(remote.filePath(QStringLiteral("site/logo.png"))).startsWith("\x89PNG"));
    EXPECT_EQ(readFile(remote.filePath(QStringLiteral("media/one.mp3"))).size(), 3000);
    EXPECT_EQ(readFile(remote.filePath(QStringLiteral("media/two.mp3"))).size(), 5);
    // The folder shown was the site's: the feed keeps no folder of its own.
    EXPECT_EQ(feedSetting(QStringLiteral("LCL_CF_RemotePath")), QString());
    EXPECT_NE(feed.lastUploaded(), TitledElement::neverUploaded());
    EXPECT_NE(feed.image()->lastUploaded(), TitledElement::neverUploaded());
}

TEST_F(PublishSheetRunTest, TheOnlineDiskTakesTheFilesBelowSitesWithTheTypedPassword)
{
    ASSERT_TRUE(
        startWebDAV(server, remote.path(), QStringLiteral("member"), QStringLiteral("disk pass")))
        << server.errorString().toStdString();
    DMMemberAccount::setServerURL(server.url(QStringLiteral("http")));
    auto site = std::make_shared<VLXSite>();
    site->setType(2);
    site->setSiteName(QStringLiteral("Disk"));
    site->setDmAccount(1);
    site->setDmUsername(QStringLiteral("member"));
    site->setDmStorePassword(0);
    site->setDmDefaultXMLDir(QStringLiteral("pod"));
    VLXPreferences::updatePubSite(site);
    useSite(site);
    addEnclosure(QStringLiteral("episode.mp3"), 70000);
    window.setInitialFilename(QStringLiteral("show.xml"));

    runSheet([&] {
        EXPECT_EQ(outlet<QLabel>(QStringLiteral("username"))->text(),
                  QStringLiteral("User: member"));
        window.setText(Field::Password, QStringLiteral("disk pass"));
        ASSERT_TRUE(publish());
        EXPECT_EQ(status(), QStringLiteral("All 2 files published successfully"))
            << publisher.transferLog().toStdString();
        EXPECT_TRUE(outlet<QPlainTextEdit>(QStringLiteral("transferLog"))
                        ->toPlainText()
                        .contains(QStringLiteral("Publish to .Mac\nUSERNAME: member")));
        close();
    });
    DMMemberAccount::setServerURL(QString());
    EXPECT_EQ(readFile(remote.filePath(QStringLiteral("Sites/pod/episode.mp3"))).size(), 70000);
    EXPECT_TRUE(readFile(remote.filePath(QStringLiteral("Sites/pod/show.xml")))
                    .contains("<title>The Show</title>"));
}

TEST_F(PublishSheetRunTest, AbortFromTheSheetEndsTheRunAndLeavesTheProxySwitchAlone)
{
    // The server holds every upload after its first megabyte until the test lets it go on: the
    // first file arrives whole, the second is caught on its way.
    const HeldTransfer hold(1024 * 1024);
    ASSERT_TRUE(startFTP(server, remote.path(), QStringLiteral("pod"), QStringLiteral("secret"),
                         hold.serverOptions()))
        << server.errorString().toStdString();
    auto site = std::make_shared<VLXSite>();
    site->setType(1);
    site->setSiteName(QStringLiteral("Slow"));
    site->setFtpServer(QStringLiteral("127.0.0.1:%1").arg(server.port()));
    site->setFtpUsername(QStringLiteral("pod"));
    site->setFtpStorePassword(0);
    site->setFtpUsePASV(1);
    site->setFtpUseEPSV(1);
    VLXPreferences::updatePubSite(site);
    useSite(site);
    addEnclosure(QStringLiteral("small.mp3"), 1000);
    addEnclosure(QStringLiteral("large.mp3"), 6000000);
    addEnclosure(QStringLiteral("later.mp3"), 1000);
    window.setInitialFilename(QStringLiteral("show.xml"));
    CURLHandle::setAllowsProxy(true);

    runSheet([&] {
        window.setText(Field::Password, QStringLiteral("secret"));
        button(QStringLiteral("uploadButton"))->click();
        EXPECT_EQ(button(QStringLiteral("cancelButton"))->text(), QStringLiteral("Abort"));
        EXPECT_FALSE(button(QStringLiteral("uploadButton"))->isEnabled());
        ASSERT_TRUE(waitUntil([&] { return publisher.publishResults().size() == 1; }));
        ASSERT_TRUE(hold.waitUntilHeld(server));
        // Escape while the run goes on aborts it; it does not close the sheet. The run ends
        // while the server still holds the second file: it does not wait for the server.
        window.uploadWindow()->reject();
        ASSERT_TRUE(waitUntil([&] { return !publisher.isRunning(); }));
        ASSERT_TRUE(hold.release());
        EXPECT_TRUE(window.uploadWindow()->isVisible());
        EXPECT_EQ(button(QStringLiteral("cancelButton"))->text(), QStringLiteral("Close"));
        EXPECT_EQ(status(), QStringLiteral("1 successful, 1 failed"));
        close();
    });
    EXPECT_FALSE(QFileInfo::exists(remote.filePath(QStringLiteral("later.mp3"))));
    EXPECT_FALSE(QFileInfo::exists(remote.filePath(QStringLiteral("show.xml"))));
    // The run's own transfers went without a proxy; the program's switch is as it was.
    EXPECT_TRUE(CURLHandle::allowsProxy());
}

} // namespace
