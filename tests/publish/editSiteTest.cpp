// The site editor: what Done accepts, refuses or takes as Cancel, the type change and folding
// groups, and the passwords it looks up and stores.
#include "ModalScript.h"
#include "PublishTestSupport.h"
#include "platform/DefaultsStore.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/PasswordStore.h"
#include "platform/ScriptedAlertService.h"
#include "publish/DMMemberAccount.h"
#include "publish/editSite.h"
#include "settings/VLXPreferences.h"
#include "settings/VLXSite.h"
#include "ui/VLXMatrix.h"
#include "ui/vlxDisclosureButton.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A secret service that refuses to store anything.
class RefusingStore : public PasswordStore
{
public:
    bool readPassword(const QString &, const QString &, QString *password, QString *) override
    {
        password->clear();
        return false;
    }
    bool writePassword(const QString &, const QString &, const QString &, QString *error) override
    {
        ++writes;
        *error = QStringLiteral("The password could not be stored in the secret service: locked");
        return false;
    }
    int writes = 0;
};

class editSiteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        alerts = ScriptedAlertService::install();
        editSite::resetPasswordWarning();
    }
    void TearDown() override
    {
        ModalScript::cancelPending();
        PasswordStore::setInstance(nullptr);
        AlertService::setInstance(nullptr);
    }

    // Runs the editor with the script; answers edit()'s code.
    int run(editSite &editor, const std::function<void(editSite &)> &script)
    {
        ModalScript::whenShown(QStringLiteral("editWindow"), [&] { script(editor); });
        return editor.edit();
    }
    static QLineEdit *field(editSite &e, const char *name)
    {
        return e.outlet<QLineEdit>(QLatin1String(name));
    }
    static void chooseType(editSite &e, int type)
    {
        auto *popUp = e.outlet<QComboBox>(QStringLiteral("siteType"));
        popUp->setCurrentIndex(type);
        e.siteTypeAction();
    }
    static void done(editSite &e) { e.outlet<QPushButton>(QStringLiteral("doneButton"))->click(); }
    QStringList alertTexts() const
    {
        QStringList texts;
        for (const Alert &alert : alerts->alerts())
            texts << alert.title + u'|' + alert.message;
        return texts;
    }

    std::shared_ptr<ScriptedAlertService> alerts;
};

TEST_F(editSiteTest, DoneRefusesMissingNamesAndServersAndTakesEmptyPagesAsCancel)
{
    editSite notConfigured;
    EXPECT_EQ(run(notConfigured,
                  [](editSite &e) {
                      EXPECT_EQ(e.editWindow()->windowTitle(),
                                QStringLiteral("Create New Publishing Site"));
                      auto *popUp = e.outlet<QComboBox>(QStringLiteral("siteType"));
                      EXPECT_EQ(popUp->count(), 4);
                      EXPECT_EQ(popUp->itemText(0), QStringLiteral("Not Configured"));
                      EXPECT_EQ(popUp->itemText(1), QStringLiteral("Standard FTP/FTPS"));
                      EXPECT_EQ(popUp->itemText(2), QStringLiteral(".Mac Account"));
                      EXPECT_EQ(popUp->itemText(3), QStringLiteral("Local Files"));
                      done(e);
                  }),
              0);

    editSite ftp;
    EXPECT_EQ(run(ftp,
                  [](editSite &e) {
                      chooseType(e, 1);
                      done(e); // nothing typed: as Cancel
                  }),
              0);
    editSite ftpAgain;
    const int code = run(ftpAgain, [](editSite &e) {
        chooseType(e, 1);
        field(e, "ftpServer")->setText(QStringLiteral("ftp.example.org"));
        done(e);
        field(e, "siteName")->setText(QStringLiteral("Site"));
        field(e, "ftpServer")->clear();
        done(e);
        field(e, "ftpServer")->setText(QStringLiteral("ftp.example.org"));
        done(e);
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(
        alertTexts(),
        (QStringList {QStringLiteral("Missing Information|You must give this FTP site a name. "
                                     " This name will be used to select this configuration."),
                      QStringLiteral("Missing Information|You must enter a ftp server name.")}));
    EXPECT_EQ(alerts->alerts().at(0).defaultButton, QStringLiteral("OK"));
    EXPECT_EQ(ftpAgain.site()->type(), 1);
    EXPECT_EQ(ftpAgain.site()->ftpServer(), QStringLiteral("ftp.example.org"));

    // The online disk with the system's account and no name: told, not closed.
    alerts->clear();
    DMMemberAccount::setServerURL(QStringLiteral("http://127.0.0.1:9/"));
    VLXPreferences::sharedInstance().store().setObject(QStringLiteral("member"),
                                                       DMMemberAccount::kSystemAccountNameKey);
    editSite disk;
    EXPECT_EQ(run(disk,
                  [](editSite &e) {
                      chooseType(e, 2);
                      e.outlet<VLXMatrix>(QStringLiteral("dmDefaultAccount"))->setStateOfTag(0, 1);
                      e.dmChangeAccountAction();
                      done(e);
                      e.cancel();
                  }),
              0);
    EXPECT_EQ(alertTexts(),
              QStringList {
                  QStringLiteral("Missing Information|You must give this .Mac site a name.  This "
                                 "name will be used to select this configuration.")});

    // Local folders without a name: told when a folder was typed, else as Cancel.
    alerts->clear();
    editSite folders;
    EXPECT_EQ(run(folders,
                  [](editSite &e) {
                      chooseType(e, 3);
                      field(e, "lclImagePath")->setText(QStringLiteral("img"));
                      done(e);
                      field(e, "lclImagePath")->clear();
                      done(e);
                  }),
              0);
    EXPECT_EQ(alertTexts(),
              QStringList {
                  QStringLiteral("Missing Information|You must give this Local Files site a name.  "
                                 "This name will be used to select this configuration.")});
}

TEST_F(editSiteTest, AChangedTypeKeepsTheIdentifierAndStartsTheOtherFieldsAfresh)
{
    auto site = std::make_shared<VLXSite>();
    site->setType(1);
    site->setSiteName(QStringLiteral("Old"));
    site->setFtpServer(QStringLiteral("ftp.example.org"));
    site->setFtpUsername(QStringLiteral("pod"));
    site->setFtpStorePassword(0);
    site->setFtpDefaultXMLDir(QStringLiteral("www"));
    site->setLclDefaultXMLDir(QStringLiteral("kept/before"));
    editSite editor;
    editor.setSite(site);
    const int code = run(editor, [](editSite &e) {
        EXPECT_EQ(e.editWindow()->windowTitle(), QStringLiteral("Modify Existing Publishing Site"));
        EXPECT_EQ(field(e, "ftpServer")->text(), QStringLiteral("ftp.example.org"));
        chooseType(e, 3);
        // The disabled folder of a same-as-feed group keeps its text and is stored.
        auto *same = e.outlet<QCheckBox>(QStringLiteral("lclImageSameAsXML"));
        EXPECT_TRUE(same->isChecked());
        QLineEdit *imagePath = field(e, "lclImagePath");
        EXPECT_FALSE(imagePath->isEnabled());
        EXPECT_EQ(imagePath->placeholderText(), QStringLiteral("Same as Feed"));
        imagePath->setText(QStringLiteral("img"));
        same->click();
        EXPECT_TRUE(imagePath->isEnabled());
        EXPECT_EQ(imagePath->placeholderText(), QStringLiteral("Default Directory"));
        EXPECT_EQ(field(e, "lclImageTextPath")->text(), QStringLiteral("img"));
        same->click();
        done(e);
    });
    ASSERT_EQ(code, 1);
    const VLXSite &accepted = *editor.site();
    EXPECT_EQ(accepted.siteIdentifier(), site->siteIdentifier());
    EXPECT_EQ(accepted.type(), 3);
    EXPECT_EQ(accepted.siteName(), QStringLiteral("Old"));
    EXPECT_EQ(accepted.lclDefaultXMLDir(), QStringLiteral("kept/before"));
    EXPECT_EQ(accepted.lclDefaultImageDir(), QStringLiteral("img"));
    EXPECT_EQ(accepted.lclImageDirSameAsXML(), 1);
    EXPECT_EQ(accepted.ftpServer(), QString());
    EXPECT_EQ(accepted.ftpDefaultXMLDir(), QString());
    EXPECT_EQ(accepted.ftpImageDirSameAsXML(), 1);
}

TEST_F(editSiteTest, TheWindowKeepsItsHeightThroughTypeChangesAndFolding)
{
    editSite editor;
    run(editor, [](editSite &e) {
        chooseType(e, 1);
        const int ftpHeight = e.editWindow()->height();
        chooseType(e, 3);
        const int localHeight = e.editWindow()->height();
        EXPECT_LT(localHeight, ftpHeight);
        chooseType(e, 1);
        EXPECT_EQ(e.editWindow()->height(), ftpHeight);

        // A freshly shown page has its groups folded; unfolding grows the window.
        auto *disclosure = e.outlet<vlxDisclosureButton>(QStringLiteral("ftpEnclosureDisclosure"));
        EXPECT_FALSE(disclosure->isChecked());
        for (int twice = 0; twice < 2; ++twice) {
            disclosure->click();
            EXPECT_GT(e.editWindow()->height(), ftpHeight);
            EXPECT_TRUE(e.outlet<QWidget>(QStringLiteral("ftpEnclosureBox"))->isVisible());
            disclosure->click();
            EXPECT_EQ(e.editWindow()->height(), ftpHeight);
        }

        // The disk page with both groups open is taller than the screen: the window stays within
        // it, OK in sight, and the page scrolls.
        chooseType(e, 2);
        for (const char *group : {"dmEnclosureDisclosure", "dmImageDisclosure"})
            e.outlet<vlxDisclosureButton>(QLatin1String(group))->click();
        const QRect room = e.editWindow()->screen()->availableGeometry();
        EXPECT_TRUE(room.contains(e.editWindow()->frameGeometry()));
        auto *ok = e.outlet<QWidget>(QStringLiteral("doneButton"));
        EXPECT_TRUE(room.contains(QRect(ok->mapToGlobal(QPoint()), ok->size())));
        e.cancel();
    });
}

TEST_F(editSiteTest, TheOnlineDisksDefaultAccountIsTheSystemAccount)
{
    editSite without;
    run(without, [](editSite &e) {
        chooseType(e, 2);
        // No system account: the other account is chosen and the default row cannot be.
        auto *accounts = e.outlet<VLXMatrix>(QStringLiteral("dmDefaultAccount"));
        EXPECT_EQ(accounts->cellWithTag(0)->text(),
                  QStringLiteral("No default .Mac account configured"));
        EXPECT_FALSE(accounts->cellWithTag(0)->isEnabled());
        EXPECT_EQ(accounts->selectedTag(), 1);
        EXPECT_TRUE(field(e, "dmUsername")->isEnabled());
        e.cancel();
    });

    DMMemberAccount::setServerURL(QStringLiteral("http://127.0.0.1:9/"));
    VLXPreferences::sharedInstance().store().setObject(QStringLiteral("member"),
                                                       DMMemberAccount::kSystemAccountNameKey);
    editSite with;
    const int code = run(with, [](editSite &e) {
        chooseType(e, 2);
        auto *accounts = e.outlet<VLXMatrix>(QStringLiteral("dmDefaultAccount"));
        EXPECT_EQ(accounts->cellWithTag(0)->text(),
                  QStringLiteral("Use the default .Mac Account (member)"));
        EXPECT_EQ(accounts->selectedTag(), 0);
        EXPECT_FALSE(field(e, "dmUsername")->isEnabled());
        field(e, "siteName")->setText(QStringLiteral("Disk"));
        done(e);
    });
    ASSERT_EQ(code, 1);
    EXPECT_EQ(with.site()->dmAccount(), 0);
    EXPECT_EQ(with.site()->dmUsername(), QString());
    EXPECT_EQ(with.site()->dmStorePassword(), 0);
    DMMemberAccount::setServerURL(QString());
}

TEST_F(editSiteTest, PasswordsAreLookedUpAsTypedAndAFailedStoreIsToldOnce)
{
    if (PasswordStore::sessionBusAvailable()) {
        const QString server = QStringLiteral("typeahead.test");
        auto stored = std::make_shared<VLXSite>();
        stored->setType(1);
        stored->setFtpServer(server);
        stored->setFtpUsername(QStringLiteral("pod"));
        stored->setFtpStorePassword(1);
        ASSERT_TRUE(stored->savePassword(QStringLiteral("from the keyring")));
        editSite editor;
        run(editor, [&](editSite &e) {
            chooseType(e, 1);
            QTest::keyClicks(field(e, "ftpServer"), server);
            QTest::keyClicks(field(e, "ftpUsername"), QStringLiteral("pod"));
            EXPECT_EQ(field(e, "ftpPassword")->text(), QStringLiteral("from the keyring"));
            // Not kept in the keyring: nothing is looked up.
            field(e, "ftpPassword")->clear();
            e.outlet<QCheckBox>(QStringLiteral("ftpSaveToKeychain"))->setChecked(false);
            QTest::keyClicks(field(e, "ftpUsername"), QStringLiteral("x"));
            QTest::keyClick(field(e, "ftpUsername"), Qt::Key_Backspace);
            EXPECT_EQ(field(e, "ftpPassword")->text(), QString());
            e.cancel();
        });
        PasswordStore::instance().deletePassword(QStringLiteral("ftp://%1:22").arg(server),
                                                 QStringLiteral("pod"));
    }

    auto refusing = std::make_shared<RefusingStore>();
    PasswordStore::setInstance(refusing);
    for (int attempt = 0; attempt < 2; ++attempt) {
        editSite editor;
        const int code = run(editor, [](editSite &e) {
            chooseType(e, 1);
            field(e, "siteName")->setText(QStringLiteral("Site"));
            field(e, "ftpServer")->setText(QStringLiteral("ftp.example.org"));
            field(e, "ftpUsername")->setText(QStringLiteral("pod"));
            field(e, "ftpPassword")->setText(QStringLiteral("secret"));
            e.outlet<QCheckBox>(QStringLiteral("ftpSaveToKeychain"))->setChecked(true);
            done(e);
        });
        // The site is still made; the password will be asked for when publishing.
        EXPECT_EQ(code, 1);
        EXPECT_EQ(editor.site()->ftpStorePassword(), 1);
    }
    EXPECT_EQ(refusing->writes, 2);
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().at(0).title, QStringLiteral("Password Not Stored"));
    EXPECT_TRUE(alerts->alerts().at(0).message.contains(u"locked"));
    EXPECT_TRUE(alerts->alerts().at(0).message.contains(u"asked for when it is needed"));
}

} // namespace
