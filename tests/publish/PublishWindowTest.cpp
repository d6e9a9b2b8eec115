// The publish sheet filled from a feed, its settings and the sites: texts, the image, the
// migration of a feed's older FTP settings, and choosing sites.
#include "PublishWindowFixture.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTextField.h"
#include "ui/vlxDisclosureButton.h"

#include <QImage>
#include <QLabel>

namespace {

using namespace PublishTestSupport;

class PublishWindowTest : public PublishWindowFixture
{
protected:
    QString line(const QString &name) const { return outlet<QLineEdit>(name)->text(); }
    bool isOn(Toggle toggle) const { return window.isOn(toggle); }
    QStringList sitesInPopUp() const
    {
        QStringList names;
        auto *popUp = outlet<VLXPopUpButton>(QStringLiteral("publishSites"));
        for (int i = 0; i < popUp->count(); ++i)
            names << popUp->itemText(i);
        return names;
    }
    void choose(int index)
    {
        outlet<VLXPopUpButton>(QStringLiteral("publishSites"))->setCurrentIndex(index);
        window.siteChanged();
    }
    void setOldFTPSettings(const QString &key, const QString &host, const QString &user)
    {
        VLXPreferences::setObjectForKey(host, QStringLiteral("FTP_CF_Host"), key);
        VLXPreferences::setObjectForKey(user, QStringLiteral("FTP_CF_Username"), key);
    }

    // 03/07/2008 14:05:09 on the local clock.
    const QDateTime kPublished = QDateTime(QDate(2008, 3, 7), QTime(14, 5, 9));
};

TEST_F(PublishWindowTest, AFeedWithoutASiteShowsSelectSiteAndNothingToPublish)
{
    window.setInitialFilename(QStringLiteral("shows/feed.xml"));
    // A site the feed once used and that is gone: no question, nothing selected.
    VLXPreferences::setObjectForKey(QStringLiteral("GONE"), QStringLiteral("FTP_CF_PubSiteID"),
                                    kFeedKey);
    storeSite(QStringLiteral("Server"), 1);
    int heightWithContents = 0;
    const int code = runSheet([&] {
        EXPECT_EQ(sitesInPopUp(),
                  (QStringList {QStringLiteral("Select Site"), QStringLiteral("Server")}));
        EXPECT_EQ(outlet<VLXPopUpButton>(QStringLiteral("publishSites"))->currentIndex(), 0);
        EXPECT_EQ(feedSetting(QStringLiteral("FTP_CF_PubSiteID")), QString());
        EXPECT_FALSE(window.isShowingContents());
        EXPECT_TRUE(button(QStringLiteral("uploadButton"))->isHidden());
        EXPECT_EQ(outlet<QLabel>(QStringLiteral("statusText"))->text(),
                  QStringLiteral("Disconnected"));
        EXPECT_EQ(button(QStringLiteral("uploadButton"))->text(), QStringLiteral("Publish"));
        EXPECT_EQ(button(QStringLiteral("cancelButton"))->text(), QStringLiteral("Close"));
        EXPECT_EQ(button(QStringLiteral("viewLogButton"))->text(), QStringLiteral("View Log"));
        EXPECT_EQ(line(QStringLiteral("lastUploadXML")), QStringLiteral("Last Published: Never"));
        EXPECT_EQ(line(QStringLiteral("remoteFilename")), QStringLiteral("feed.xml"));
        EXPECT_TRUE(isOn(Toggle::UploadXML));
        // No image: its section cannot be used.
        EXPECT_FALSE(outlet(QStringLiteral("disclosureImage"))->isEnabled());
        EXPECT_FALSE(outlet(QStringLiteral("uploadImage"))->isEnabled());
        EXPECT_EQ(line(QStringLiteral("lastUploadImage")), QString());

        // Choosing the site shows the contents, the window growing by them; back to none.
        const int shrunk = window.uploadWindow()->height();
        choose(1);
        heightWithContents = window.uploadWindow()->height();
        EXPECT_GT(heightWithContents, shrunk);
        EXPECT_TRUE(window.isShowingContents());
        EXPECT_FALSE(button(QStringLiteral("uploadButton"))->isHidden());
        choose(0);
        EXPECT_LT(window.uploadWindow()->height(), heightWithContents);
        EXPECT_EQ(feedSetting(QStringLiteral("FTP_CF_PubSiteID")), QString());
        choose(1);
        EXPECT_EQ(window.uploadWindow()->height(), heightWithContents);
        close();
    });
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(alerts->alerts().isEmpty());
    EXPECT_FALSE(window.uploadWindow()->isVisible());
}

TEST_F(PublishWindowTest, TheImageIsConvertedWhenNeverPublishedOrAskedForElseItFolds)
{
    // A first run without an image makes the sheet; then its image line is watched.
    runSheet([&] { close(); });
    QStringList imageLines;
    QObject::connect(outlet<QLineEdit>(QStringLiteral("lastUploadImage")), &QLineEdit::textChanged,
                     [&](const QString &text) { imageLines << text; });

    const QImage picture(QSize(40, 30), QImage::Format_RGB32);
    window.setFeedImage(picture);
    window.setInitialImageFilename(QStringLiteral("logo.png"));
    runSheet([&] {
        EXPECT_TRUE(isOn(Toggle::UploadImage));
        EXPECT_EQ(line(QStringLiteral("remoteImageFilename")), QStringLiteral("logo.png"));
        ASSERT_TRUE(waitUntil([&] { return !publisher.imageConversionRunning(); }));
        EXPECT_TRUE(publisher.convertedImages().png.has_value());
        EXPECT_EQ(imageLines,
                  (QStringList {QStringLiteral("Generating file from image"),
                                QStringLiteral("Last Published: Never")}));
        EXPECT_FALSE(outlet(QStringLiteral("imageGeneratingProgress"))->isVisible());
        EXPECT_TRUE(outlet(QStringLiteral("uploadImage"))->isEnabled());
        close();
    });

    // Published before, from the feed's command: nothing converted, the section folds.
    feed.image()->setLastUploaded(kPublished);
    feed.setLastUploaded(kPublished);
    window.clearFilenames();
    window.setFeedImage(picture);
    outlet<vlxDisclosureButton>(QStringLiteral("disclosureImage"))->setChecked(true);
    runSheet([&] {
        EXPECT_FALSE(isOn(Toggle::UploadImage));
        EXPECT_FALSE(publisher.imageConversionRunning());
        EXPECT_FALSE(outlet<vlxDisclosureButton>(QStringLiteral("disclosureImage"))->isChecked());
        EXPECT_EQ(line(QStringLiteral("lastUploadImage")),
                  QStringLiteral("Last Published: 03/07/2008 14:05:09"));
        EXPECT_EQ(line(QStringLiteral("lastUploadXML")),
                  QStringLiteral("Last Published: 03/07/2008 14:05:09"));
        // Ticking the image converts it then.
        outlet<VLXCheckBox>(QStringLiteral("uploadImage"))->click();
        EXPECT_TRUE(publisher.imageConversionRunning());
        ASSERT_TRUE(waitUntil([&] { return !publisher.imageConversionRunning(); }));
        close();
    });

    // From the image's command: converted and ticked whenever it was published.
    window.clearFilenames();
    window.setFeedImage(picture);
    runSheet(
        [&] {
            EXPECT_TRUE(isOn(Toggle::UploadImage));
            EXPECT_TRUE(publisher.imageConversionRunning() || publisher.convertedImages().any());
            close();
        },
        true);
    EXPECT_FALSE(publisher.imageConversionRunning());
}

TEST_F(PublishWindowTest, AFeedsOlderFTPSettingsAreOfferedAsASite)
{
    setOldFTPSettings(kFeedKey, QStringLiteral("ftp.example.org"), QStringLiteral("pod"));
    VLXPreferences::setObjectForKey(0, QStringLiteral("M_UseKeychain"));

    // "No": nothing is made, and the question comes again next time.
    alerts->queueAnswer(AlertService::kAlternate);
    runSheet([&] {
        EXPECT_EQ(sitesInPopUp(), QStringList {QStringLiteral("Select Site")});
        close();
    });
    ASSERT_EQ(alerts->alerts().size(), 1);
    const Alert question = alerts->alerts().at(0);
    EXPECT_EQ(question.title, QStringLiteral("--"));
    EXPECT_EQ(
        question.message,
        QStringLiteral("Do you want to create a publishing site with the stored information"));
    EXPECT_EQ(question.defaultButton, QStringLiteral("YES"));
    EXPECT_EQ(question.alternateButton, QStringLiteral("No"));

    // "YES": the site editor shows the imported site; accepted, it is stored and chosen.
    alerts->clear();
    ModalScript::whenShown(QStringLiteral("editWindow"), [&] {
        QDialog *editor = ModalScript::active(QStringLiteral("editWindow"));
        EXPECT_EQ(editor->windowTitle(), QStringLiteral("Modify Existing Publishing Site"));
        EXPECT_EQ(editor->findChild<QLineEdit *>(QStringLiteral("siteName"))->text(),
                  QStringLiteral("Imported Site for host \"ftp.example.org\""));
        EXPECT_EQ(editor->findChild<QLineEdit *>(QStringLiteral("ftpServer"))->text(),
                  QStringLiteral("ftp.example.org"));
        // "FTP_CF_PasswordToKeychain" is -1: the flag follows "M_UseKeychain".
        EXPECT_FALSE(
            editor->findChild<QCheckBox *>(QStringLiteral("ftpSaveToKeychain"))->isChecked());
        editor->findChild<QPushButton *>(QStringLiteral("doneButton"))->click();
    });
    runSheet([&] {
        EXPECT_EQ(sitesInPopUp(),
                  (QStringList {QStringLiteral("Select Site"),
                                QStringLiteral("Imported Site for host \"ftp.example.org\"")}));
        EXPECT_EQ(outlet<VLXPopUpButton>(QStringLiteral("publishSites"))->currentIndex(), 1);
        close();
    });
    EXPECT_EQ(alerts->alerts().size(), 1);
    const auto imported = VLXPreferences::pubSiteWithID(feedSetting("FTP_CF_PubSiteID"));
    ASSERT_TRUE(imported);
    EXPECT_EQ(imported->ftpUsername(), QStringLiteral("pod"));
    EXPECT_EQ(imported->ftpStorePassword(), 0);
    // The choice is remembered: no question the next time.
    alerts->clear();
    runSheet([&] { close(); });
    EXPECT_TRUE(alerts->alerts().isEmpty());

    // Another feed with the same server and user: the stored site is named and can be used.
    const QString otherKey = QStringLiteral("FEED-2");
    setOldFTPSettings(otherKey, QStringLiteral("ftp.example.org"), QStringLiteral("pod"));
    ModalScript::whenShown(QStringLiteral("uploadWindow"), [&] {
        EXPECT_EQ(outlet<VLXPopUpButton>(QStringLiteral("publishSites"))->currentIndex(), 1);
        close();
    });
    window.uploadFile(&host, {&feed, otherKey, false});
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().at(0).message,
              QStringLiteral("This is the first time publishing this feed with this version of "
                             "Vellumcast Mac.  The \"Publishing Site\" Imported Site for host "
                             "\"ftp.example.org\" has the same FTP server and Username as this "
                             "feed was previously using.  You can either use this site, or "
                             "create a new one."));
    EXPECT_EQ(alerts->alerts().at(0).defaultButton, QStringLiteral("Use this site"));
    EXPECT_EQ(alerts->alerts().at(0).alternateButton, QStringLiteral("Create a new site"));
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FTP_CF_PubSiteID"), otherKey),
              imported->siteIdentifier());

    // "Create a new site" with the editor cancelled keeps the site found.
    const QString thirdKey = QStringLiteral("FEED-3");
    setOldFTPSettings(thirdKey, QStringLiteral("ftp.example.org"), QStringLiteral("pod"));
    alerts->queueAnswer(AlertService::kAlternate);
    ModalScript::whenShown(QStringLiteral("editWindow"), [] {
        ModalScript::active(QStringLiteral("editWindow"))
            ->findChild<QPushButton *>(QStringLiteral("cancelButton"))
            ->click();
    });
    ModalScript::whenShown(QStringLiteral("uploadWindow"), [&] { close(); });
    window.uploadFile(&host, {&feed, thirdKey, false});
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FTP_CF_PubSiteID"), thirdKey),
              imported->siteIdentifier());
    EXPECT_EQ(sitesInPopUp().size(), 2);
}

TEST_F(PublishWindowTest, ChoosingASiteShowsItsFoldersUnlessTheFeedHasItsOwnAndItsPassword)
{
    auto server = std::make_shared<VLXSite>();
    server->setType(1);
    server->setSiteName(QStringLiteral("Server"));
    server->setFtpServer(QStringLiteral("127.0.0.1"));
    server->setFtpUsername(QStringLiteral("pod"));
    server->setFtpStorePassword(0);
    server->setFtpDefaultXMLDir(QStringLiteral("www"));
    server->setFtpDefaultImageDir(QStringLiteral("img"));
    server->setFtpEnclosureDirSameAsXML(0);
    server->setFtpDefaultEnclosureDir(QStringLiteral("media"));
    VLXPreferences::updatePubSite(server);
    const auto folders = storeSite(QStringLiteral("Folders"), 3);
    useSite(server);

    runSheet([&] {
        EXPECT_EQ(outlet<VLXPopUpButton>(QStringLiteral("publishSites"))->currentText(),
                  QStringLiteral("Server"));
        EXPECT_EQ(window.text(Field::RemotePath), QStringLiteral("www"));
        // The image follows the feed; the enclosures have a folder of their own.
        EXPECT_EQ(window.text(Field::RemoteImagePath), QStringLiteral("www"));
        EXPECT_EQ(window.text(Field::RemoteEnclosurePath), QStringLiteral("media"));
        // The feed is to be sent: its section opens when a site is chosen, and closes when not.
        auto *disclosureXML = outlet<vlxDisclosureButton>(QStringLiteral("disclosureXML"));
        EXPECT_TRUE(disclosureXML->isChecked());
        disclosureXML->setChecked(false);
        choose(1);
        EXPECT_TRUE(disclosureXML->isChecked());
        window.setOn(Toggle::UploadXML, false);
        choose(1);
        EXPECT_FALSE(disclosureXML->isChecked());
        // The password is not kept: the user types it, told whose it is.
        auto *user = outlet<QLabel>(QStringLiteral("username"));
        EXPECT_FALSE(user->isHidden());
        EXPECT_EQ(user->text(), QStringLiteral("User: pod"));
        EXPECT_EQ(window.text(Field::Password), QString());

        choose(2);
        EXPECT_EQ(feedSetting(QStringLiteral("FTP_CF_PubSiteID")), folders->siteIdentifier());
        EXPECT_TRUE(user->isHidden());
        close();
    });

    // The feed's own folder wins over the site's, and the image follows it.
    useSite(server);
    VLXPreferences::setObjectForKey(QStringLiteral("own/feed"), QStringLiteral("FTP_CF_RemotePath"),
                                    kFeedKey);
    runSheet([&] {
        EXPECT_EQ(window.text(Field::RemotePath), QStringLiteral("own/feed"));
        EXPECT_EQ(window.text(Field::RemoteImagePath), QStringLiteral("own/feed"));
        EXPECT_EQ(window.text(Field::RemoteEnclosurePath), QStringLiteral("media"));
        close();
    });
}

TEST_F(PublishWindowTest, NewAndChangedSitesComeBackIntoThePopUp)
{
    storeSite(QStringLiteral("First"), 3);
    auto fillLocalSite = [](const QString &name) {
        QDialog *editor = ModalScript::active(QStringLiteral("editWindow"));
        auto *type = editor->findChild<QComboBox *>(QStringLiteral("siteType"));
        type->setCurrentIndex(3);
        emit type->activated(3);
        editor->findChild<QLineEdit *>(QStringLiteral("siteName"))->setText(name);
        editor->findChild<QLineEdit *>(QStringLiteral("lclFeedPath"))
            ->setText(QStringLiteral("out"));
        editor->findChild<QPushButton *>(QStringLiteral("doneButton"))->click();
    };
    runSheet([&] {
        // Cancelled: nothing changes.
        ModalScript::whenShown(QStringLiteral("editWindow"),
                               [] { ModalScript::active(QStringLiteral("editWindow"))->reject(); });
        window.createNewSite();
        EXPECT_EQ(sitesInPopUp().size(), 2);

        ModalScript::whenShown(QStringLiteral("editWindow"),
                               [&] { fillLocalSite(QStringLiteral("Second")); });
        window.createNewSite();
        EXPECT_EQ(sitesInPopUp(),
                  (QStringList {QStringLiteral("Select Site"), QStringLiteral("First"),
                                QStringLiteral("Second")}));
        EXPECT_EQ(outlet<VLXPopUpButton>(QStringLiteral("publishSites"))->currentIndex(), 2);
        EXPECT_EQ(window.text(Field::RemotePath), QStringLiteral("out"));

        choose(1);
        ModalScript::whenShown(QStringLiteral("editWindow"),
                               [&] { fillLocalSite(QStringLiteral("Renamed")); });
        window.modifyThisSite();
        EXPECT_EQ(sitesInPopUp().at(1), QStringLiteral("Renamed"));
        EXPECT_EQ(outlet<VLXPopUpButton>(QStringLiteral("publishSites"))->currentIndex(), 1);
        close();
    });
    const QVariantList stored = VLXPreferences::objectForKey(QStringLiteral("Pub_Sites")).toList();
    EXPECT_EQ(stored.size(), 2);
    EXPECT_EQ(VLXPreferences::pubSiteWithID(feedSetting("FTP_CF_PubSiteID"))->siteName(),
              QStringLiteral("Renamed"));
}

} // namespace
