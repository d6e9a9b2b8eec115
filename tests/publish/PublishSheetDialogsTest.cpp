// The publish sheet and the site editor with the program's own folder browsers and
// additional-file dialog: browsing an FTP server from the sheet, its conversation in the sheet's
// log, additional files added and changed through the sheet's buttons, and the site editor's
// Browse buttons.
#include "BrowserTestSupport.h"
#include "PublishWindowFixture.h"
#include "publish/VLXBrowseBase.h"
#include "publish/additionalFiles.h"
#include "platform/QtHelpService.h"
#include "publish/publishAdditionalFiles.h"
#include "ui/VLXHelpAnchored.h"
#include "ui/VLXTableView.h"

#include <QAbstractButton>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSet>
#include <QTemporaryDir>

namespace {

using namespace PublishTestSupport;

class PublishSheetDialogsTest : public PublishWindowFixture
{
protected:
    void SetUp() override
    {
        PublishWindowFixture::SetUp();
        // As the program installs them at start.
        PublishDialogs::setFolderBrowserFactory(&VLXBrowseBase::browserForRequest);
        PublishDialogs::setAdditionalFileEditorFactory(
            [] { return std::make_unique<publishAdditionalFiles>(); });
        site = storeSite(QStringLiteral("Server"), 1);
        useSite(site);
    }

    std::shared_ptr<VLXSite> site;
    LocalServer ftp;
};

TEST_F(PublishSheetDialogsTest, TheBrowseButtonBrowsesTheServerIntoTheSheetsLog)
{
    ASSERT_TRUE(QDir(remote.path()).mkpath(QStringLiteral("www/feeds")));
    ASSERT_TRUE(startFTP(ftp, remote.path(), QStringLiteral("pod"), QStringLiteral("secret")))
        << ftp.errorString().toStdString();
    site->setFtpServer(QStringLiteral("127.0.0.1:%1").arg(ftp.port()));
    site->setFtpUsername(QStringLiteral("pod"));
    site->setFtpStorePassword(0);
    site->setFtpUsePASV(1);
    VLXPreferences::updatePubSite(site);
    runSheet([&] {
        window.setText(Field::Password, QStringLiteral("secret"));
        window.setText(Field::RemotePath, QStringLiteral("www"));
        ASSERT_TRUE(button(QStringLiteral("browseDirs"))->isEnabled());
        ModalScript::whenShown(QStringLiteral("browseWindow"), [&] {
            VLXBrowseBase *browser
                = VLXBrowseBase::browserOfWindow(ModalScript::active(QStringLiteral("browseWindow")));
            ASSERT_TRUE(browser);
            ASSERT_TRUE(waitUntil([&] { return browser->historyTitles().size() == 2; }));
            BrowserTestSupport::selectRow(*browser, QStringLiteral("feeds"));
            BrowserTestSupport::click(*browser, "browseAccept");
        });
        button(QStringLiteral("browseDirs"))->click();
        EXPECT_EQ(window.text(Field::RemotePath), QStringLiteral("www/feeds"));
        const QString log = outlet<QPlainTextEdit>(QStringLiteral("transferLog"))->toPlainText();
        EXPECT_TRUE(log.contains(QStringLiteral("> PASS ********"))) << log.toStdString();
        EXPECT_FALSE(log.contains(QStringLiteral("secret")));
        EXPECT_TRUE(log.contains(QStringLiteral("        feeds/")));
        close();
    });
}

TEST_F(PublishSheetDialogsTest, AdditionalFilesAreAddedAndChangedThroughTheDialog)
{
    site->setType(3);
    VLXPreferences::updatePubSite(site);
    auto existing = std::make_shared<additionalFiles>();
    existing->setFileType(additionalFiles::XMLExport);
    existing->setFilename(QStringLiteral("copy.xml"));
    // Records made by the dialog keep the template field's text whatever their type.
    existing->setExportTemplate(QStringLiteral("/templates/page.html"));
    existing->setLastUploaded(QDateTime::currentDateTimeUtc());
    window.setAdditionalFiles({existing});
    const auto typeInto = [](const char *name, const QString &text) {
        QDialog *dialog = ModalScript::active(QStringLiteral("addiontalFilesWindow"));
        ASSERT_TRUE(dialog);
        dialog->findChild<QLineEdit *>(QLatin1String(name))->setText(text);
    };
    const auto press = [](const char *name) {
        QDialog *dialog = ModalScript::active(QStringLiteral("addiontalFilesWindow"));
        ASSERT_TRUE(dialog);
        dialog->findChild<QAbstractButton *>(QLatin1String(name))->click();
    };
    runSheet([&] {
        ASSERT_TRUE(button(QStringLiteral("otherFilesAdd"))->isEnabled());
        ModalScript::whenShown(QStringLiteral("addiontalFilesWindow"), [&] {
            EXPECT_EQ(ModalScript::active(QStringLiteral("addiontalFilesWindow"))->windowTitle(),
                      QStringLiteral("Add New Additional File"));
            typeInto("addFilesRemoteName", QStringLiteral("page.html"));
            press("addFilesAccept");
        });
        button(QStringLiteral("otherFilesAdd"))->click();
        ASSERT_EQ(window.additionalFileRecords().size(), 2);
        EXPECT_EQ(window.additionalFileRecords().at(1)->filename(), QStringLiteral("page.html"));
        EXPECT_EQ(window.additionalFileRecords().at(1)->fileType(), additionalFiles::HTMLExport);

        outlet<VLXTableView>(QStringLiteral("otherFilesTable"))->selectRow(0);
        ModalScript::whenShown(QStringLiteral("addiontalFilesWindow"), [&] {
            EXPECT_EQ(ModalScript::active(QStringLiteral("addiontalFilesWindow"))->windowTitle(),
                      QStringLiteral("Modify Existing Additional File"));
            typeInto("addFilesRemoteName", QStringLiteral("feed-copy.xml"));
            press("addFilesAccept");
        });
        button(QStringLiteral("otherFilesModify"))->click();
        close();
    });
    const auto records = window.additionalFileRecords();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records.at(0)->filename(), QStringLiteral("feed-copy.xml"));
    EXPECT_EQ(records.at(0)->fileType(), additionalFiles::XMLExport);
    EXPECT_EQ(records.at(0)->lastUploaded().toSecsSinceEpoch(), 0);
    // The record handed in is left as it was.
    EXPECT_EQ(existing->filename(), QStringLiteral("copy.xml"));
}

TEST_F(PublishSheetDialogsTest, TheSiteEditorsBrowseButtonsOpenTheBrowsers)
{
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("www/feeds")));
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    auto disk = std::make_shared<VLXSite>();
    disk->setType(3);
    disk->setSiteName(QStringLiteral("Disk"));
    editSite editor;
    editor.setSite(disk);
    ModalScript::whenShown(QStringLiteral("editWindow"), [&] {
        auto *browse = editor.outlet<QPushButton>(QStringLiteral("lclFeedBrowse"));
        ASSERT_TRUE(browse && browse->isEnabled());
        ModalScript::whenShown(QStringLiteral("browseWindow"), [&] {
            VLXBrowseBase *browser
                = VLXBrowseBase::browserOfWindow(ModalScript::active(QStringLiteral("browseWindow")));
            ASSERT_TRUE(browser);
            ASSERT_TRUE(waitUntil([&] { return !browser->browseFiles().isEmpty(); }));
            BrowserTestSupport::selectRow(*browser, QStringLiteral("www"));
            BrowserTestSupport::click(*browser, "browseAccept");
        });
        browse->click();
        EXPECT_EQ(editor.outlet<QLineEdit>(QStringLiteral("lclFeedPath"))->text(),
                  QStringLiteral("www"));
        editor.outlet<QPushButton>(QStringLiteral("cancelButton"))->click();
    });
    editor.edit();
    qputenv("HOME", savedHome);
}

TEST_F(PublishSheetDialogsTest, EverySiteKindsSettingsNameATopicOfTheHelpBook)
{
    const QtHelpService book;
    QSet<QString> anchors;
    for (int type : {1, 2, 3}) {
        auto site = std::make_shared<VLXSite>();
        site->setType(type);
        site->setSiteName(QStringLiteral("Site"));
        editSite editor;
        editor.setSite(site);
        ModalScript::whenShown(QStringLiteral("editWindow"), [&] {
            for (QWidget *widget : editor.editWindow()->findChildren<QWidget *>()) {
                const auto *anchored = dynamic_cast<const VLXHelpAnchored *>(widget);
                if (anchored && !anchored->helpAnchor().isEmpty())
                    anchors.insert(anchored->helpAnchor());
            }
            editor.outlet<QPushButton>(QStringLiteral("cancelButton"))->click();
        });
        editor.edit();
    }
    for (const QString &anchor : std::as_const(anchors))
        EXPECT_TRUE(book.hasAnchor(anchor)) << anchor.toStdString();
    // The shared head and one box per kind of site.
    EXPECT_GE(anchors.size(), 4);
}

} // namespace
