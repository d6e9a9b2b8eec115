// The additional-file dialog, driven offscreen: defaults by type, the Accept checks, the
// choosers and the folder browsers of each kind of site.
#include "BrowserTestSupport.h"
#include "PublishTestSupport.h"
#include "app/ToolHandOffs.h"
#include "app/Vellumcast.h"
#include "io/CURLHandle.h"
#include "panes/OPMLTool.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/ScriptedAlertService.h"
#include "platform/ScriptedFileChooser.h"
#include "platform/ScriptedHelpService.h"
#include "publish/DMMemberAccount.h"
#include "publish/PublishDialogs.h"
#include "publish/additionalFiles.h"
#include "publish/publishAdditionalFiles.h"
#include "settings/VLXPreferences.h"
#include "settings/VLXSite.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXSpinBox.h"
#include "ui/VLXTextField.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

using BrowserTestSupport::whileModal;
using PublishTestSupport::waitUntil;

const QString kFeed = QStringLiteral("FEED-1");

class publishAdditionalFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        savedHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        alerts = ScriptedAlertService::install();
        help = ScriptedHelpService::install();
        chooser = std::make_shared<ScriptedFileChooser>();
        FileChooser::setInstance(chooser);
        feedTemplate = home.filePath(QStringLiteral("mine/page.html"));
        ASSERT_TRUE(PublishTestSupport::writeFile(feedTemplate, "<html/>"));
        VLXPreferences::setObjectForKey(feedTemplate, QStringLiteral("Export_CF_HTML_Template"),
                                        kFeed);
        VLXPreferences::setObjectForKey(home.filePath(QStringLiteral("gone.js")),
                                        QStringLiteral("Export_CF_JavaScript_Template"), kFeed);
    }
    void TearDown() override
    {
        AlertService::setInstance(nullptr);
        HelpService::setInstance(nullptr);
        FileChooser::setInstance(nullptr);
        qputenv("HOME", savedHome);
    }

    static std::shared_ptr<VLXSite> site(int type)
    {
        auto made = std::make_shared<VLXSite>();
        made->setType(type);
        made->setFtpUsername(QStringLiteral("bob"));
        made->setFtpStorePassword(0);
        made->setDmUsername(QStringLiteral("member"));
        made->setDmStorePassword(0);
        return made;
    }
    // Runs the dialog with the script inside it.
    int edit(publishAdditionalFiles &dialog, const std::function<void()> &script)
    {
        return whileModal([&] { return dialog.edit(); }, script);
    }
    template<typename T> static T *get(const publishAdditionalFiles &dialog, const char *name)
    {
        T *control = dialog.outlet<T>(QLatin1String(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    static QString text(const publishAdditionalFiles &dialog, const char *name)
    {
        return get<QLineEdit>(dialog, name)->text();
    }
    static void setText(const publishAdditionalFiles &dialog, const char *name, const QString &value)
    {
        get<QLineEdit>(dialog, name)->setText(value);
    }
    static void chooseType(publishAdditionalFiles &dialog, int type)
    {
        get<VLXPopUpButton>(dialog, "addFilesType")->setCurrentIndex(type);
        dialog.addFilesTypeChanged();
    }
    static void chooseDestination(publishAdditionalFiles &dialog, int row)
    {
        get<VLXMatrix>(dialog, "addFilesDestMatrix")->cellWithTag(row)->click();
    }
    QString defaultTemplate(const char *file) const
    {
        return home.filePath(QStringLiteral("Documents/Vellumcast/Templates/"))
            + QLatin1String(file);
    }

    QByteArray savedHome;
    QTemporaryDir home;
    QString feedTemplate;
    std::shared_ptr<ScriptedAlertService> alerts;
    std::shared_ptr<ScriptedHelpService> help;
    std::shared_ptr<ScriptedFileChooser> chooser;
};

TEST_F(publishAdditionalFilesTest, ANewRecordStartsAsAnHTMLExportWithTheFeedsTemplate)
{
    publishAdditionalFiles dialog;
    dialog.setUniqueKey(kFeed);
    dialog.setPubSite(site(3));
    const int result = edit(dialog, [&] {
        EXPECT_EQ(dialog.window()->windowTitle(), QStringLiteral("Add New Additional File"));
        EXPECT_EQ(get<VLXPopUpButton>(dialog, "addFilesType")->currentIndex(), 0);
        EXPECT_EQ(get<QTabWidget>(dialog, "addFilesTabView")->currentIndex(), 0);
        EXPECT_EQ(text(dialog, "addFilesTemplate"), feedTemplate);
        // The limit box enables the count field, both ways.
        auto *count = get<VLXSpinBox>(dialog, "addFilesLimitValue");
        EXPECT_FALSE(count->isEnabled());
        get<VLXCheckBox>(dialog, "addFilesLimitButton")->click();
        EXPECT_TRUE(count->isEnabled());
        get<VLXCheckBox>(dialog, "addFilesLimitButton")->click();
        EXPECT_FALSE(count->isEnabled());
        EXPECT_FALSE(get<QWidget>(dialog, "addFilesOtherDest")->isEnabled());
        EXPECT_FALSE(get<QWidget>(dialog, "addFilesPassword")->isEnabled());

        // A per-feed template that no longer exists gives way to the default one.
        chooseType(dialog, 1);
        EXPECT_EQ(text(dialog, "addFilesTemplate"), defaultTemplate("BasicJavaScript.js"));
        chooseType(dialog, 3);
        EXPECT_EQ(text(dialog, "addFilesTemplate"), defaultTemplate("BasicCSVfile.csv"));
        // XML needs no template: the field is disabled and keeps its text.
        chooseType(dialog, 4);
        EXPECT_FALSE(get<QWidget>(dialog, "addFilesTemplate")->isEnabled());
        EXPECT_FALSE(get<QWidget>(dialog, "addFilesTemplateBrowse")->isEnabled());
        EXPECT_EQ(text(dialog, "addFilesTemplate"), defaultTemplate("BasicCSVfile.csv"));
        chooseType(dialog, 5);
        EXPECT_EQ(get<QTabWidget>(dialog, "addFilesTabView")->currentIndex(), 1);
        chooseType(dialog, 6);
        EXPECT_EQ(get<QTabWidget>(dialog, "addFilesTabView")->currentIndex(), 2);
        // Without an OPML export installed its button is not offered.
        EXPECT_FALSE(get<QWidget>(dialog, "addFilesOPML")->isEnabled());

        get<QAbstractButton>(dialog, "addFilesHelp")->click();
        get<QAbstractButton>(dialog, "addFilesCancel")->click();
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(help->anchors(), QStringList {"PublishAddingNewAdditional"});
}

TEST_F(publishAdditionalFilesTest, AcceptNamesTheFirstMissingFieldInOrder)
{
    publishAdditionalFiles dialog;
    dialog.setUniqueKey(kFeed);
    dialog.setPubSite(site(3));
    const int result = edit(dialog, [&] {
        const auto accept = [&] {
            alerts->clear();
            const bool accepted = dialog.addFilesAccept();
            return accepted ? QString() : alerts->alerts().value(0).message;
        };
        chooseDestination(dialog, 3);
        EXPECT_TRUE(get<QWidget>(dialog, "addFilesOtherDest")->isEnabled());
        setText(dialog, "addFilesRemoteName", QStringLiteral("  \n"));
        EXPECT_EQ(accept(), QStringLiteral("Filename must be filled in"));
        ASSERT_EQ(alerts->alerts().size(), 1);
        EXPECT_EQ(alerts->alerts().first().title, QStringLiteral("Missing Field"));
        EXPECT_EQ(alerts->alerts().first().style, Alert::Style::Informational);
        EXPECT_EQ(alerts->alerts().first().defaultButton, QStringLiteral("OK"));
        EXPECT_EQ(text(dialog, "addFilesRemoteName"), QString());

        setText(dialog, "addFilesRemoteName", QStringLiteral(" feed.html "));
        EXPECT_EQ(accept(),
                  QStringLiteral(
                      "When \"Other\" is selected a destination directory must be choosen"));
        EXPECT_EQ(text(dialog, "addFilesRemoteName"), QStringLiteral("feed.html"));
        setText(dialog, "addFilesOtherDest", QStringLiteral("www/extra"));
        chooseType(dialog, 5);
        EXPECT_EQ(accept(), QStringLiteral("A file must be selected"));
        chooseType(dialog, 0);
        setText(dialog, "addFilesTemplate", QString());
        chooseType(dialog, 6);
        EXPECT_EQ(accept(), QStringLiteral("An export template must be choosen"));
        // The XML export keeps a template it does not use, which passes the check.
        chooseType(dialog, 2);
        chooseType(dialog, 4);
        setText(dialog, "addFilesLocalFile", QStringLiteral("/data/kept.bin "));
        get<VLXCheckBox>(dialog, "addFilesLimitButton")->click();
        get<VLXSpinBox>(dialog, "addFilesLimitValue")->setValue(12);
        get<VLXCheckBox>(dialog, "addFilesNoFuture")->click();
        EXPECT_EQ(accept(), QString());
    });
    EXPECT_EQ(result, 1);
    const additionalFiles &record = *dialog.additionalFilesInfo();
    EXPECT_EQ(record.fileType(), 4);
    EXPECT_EQ(record.exportTemplate(), defaultTemplate("BasicTextfile.txt"));
    EXPECT_EQ(record.fileDestination(), 3);
    EXPECT_EQ(record.fileOtherDestination(), QStringLiteral("www/extra"));
    EXPECT_EQ(record.filename(), QStringLiteral("feed.html"));
    // Fields of other types are kept as well.
    EXPECT_EQ(record.localFile(), QStringLiteral("/data/kept.bin"));
    EXPECT_EQ(record.limitNumber(), 1);
    EXPECT_EQ(record.limitNumberValue(), 12);
    EXPECT_EQ(record.noFuture(), 1);
}

TEST_F(publishAdditionalFilesTest, TheItemLimitTakesUpTo9999ItemsFromEitherEnd)
{
    publishAdditionalFiles dialog;
    dialog.setUniqueKey(kFeed);
    dialog.setPubSite(site(3));
    const int result = edit(dialog, [&] {
        setText(dialog, "addFilesRemoteName", QStringLiteral("items.html"));
        auto *count = get<VLXSpinBox>(dialog, "addFilesLimitValue");
        // Without the limit the number is not used, whatever it is.
        count->setValue(0);
        alerts->clear();
        EXPECT_TRUE(dialog.addFilesAccept());
        EXPECT_TRUE(alerts->alerts().isEmpty());

        get<VLXCheckBox>(dialog, "addFilesLimitButton")->click();
        for (const int refused : {0, 10000, -10000, 999999, -999999}) {
            SCOPED_TRACE(refused);
            count->setValue(refused);
            alerts->clear();
            EXPECT_FALSE(dialog.addFilesAccept());
            ASSERT_EQ(alerts->alerts().size(), 1);
            EXPECT_EQ(alerts->alerts().first().title, QStringLiteral("Invalid Field"));
            EXPECT_EQ(alerts->alerts().first().message,
                      QStringLiteral("The number of items must be from 1 to 9999, or from -1 to "
                                     "-9999 to take the last items"));
        }
        for (const int taken : {1, 9999, -1, -9999}) {
            SCOPED_TRACE(taken);
            count->setValue(taken);
            alerts->clear();
            EXPECT_TRUE(dialog.addFilesAccept());
            EXPECT_TRUE(alerts->alerts().isEmpty());
            EXPECT_EQ(dialog.additionalFilesInfo()->limitNumberValue(), taken);
        }
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(dialog.additionalFilesInfo()->limitNumber(), 1);
}

TEST_F(publishAdditionalFilesTest, ModifyingKeepsTheRecordsTemplateAndResetsItsUploadDate)
{
    auto original = std::make_shared<additionalFiles>();
    original->setFileType(0);
    original->setExportTemplate(QStringLiteral("/templates/own.html"));
    original->setFilename(QStringLiteral("index.html"));
    original->setLimitNumber(1);
    original->setLimitNumberValue(5);
    original->setFileDestination(1);
    original->setLastUploaded(QDateTime::currentDateTimeUtc());
    publishAdditionalFiles dialog;
    dialog.setAdditionalFilesInfo(original);
    dialog.setUniqueKey(kFeed);
    dialog.setPubSite(site(3));
    const int result = edit(dialog, [&] {
        EXPECT_EQ(dialog.window()->windowTitle(), QStringLiteral("Modify Existing Additional File"));
        EXPECT_EQ(text(dialog, "addFilesTemplate"), QStringLiteral("/templates/own.html"));
        EXPECT_TRUE(get<QWidget>(dialog, "addFilesLimitValue")->isEnabled());
        EXPECT_EQ(get<VLXMatrix>(dialog, "addFilesDestMatrix")->selectedTag(), 1);
        setText(dialog, "addFilesRemoteName", QStringLiteral("home.html"));
        get<QAbstractButton>(dialog, "addFilesHelp")->click();
        get<QAbstractButton>(dialog, "addFilesAccept")->click();
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(help->anchors(), QStringList {"PublishModifyExistingAdditional"});
    const auto changed = dialog.additionalFilesInfo();
    EXPECT_NE(changed, original);
    EXPECT_EQ(changed->filename(), QStringLiteral("home.html"));
    EXPECT_EQ(changed->lastUploaded().toSecsSinceEpoch(), 0);
    EXPECT_EQ(original->filename(), QStringLiteral("index.html"));
    EXPECT_NE(original->lastUploaded().toSecsSinceEpoch(), 0);
}

TEST_F(publishAdditionalFilesTest, ChoosersFillTheTemplateTheLocalFileAndAnEmptyRemoteName)
{
    publishAdditionalFiles dialog;
    dialog.setUniqueKey(kFeed);
    dialog.setPubSite(site(3));
    edit(dialog, [&] {
        chooser->enqueue({QStringLiteral("/templates/chosen.htm")});
        dialog.addFilesSelectTemplate();
        EXPECT_EQ(text(dialog, "addFilesTemplate"), QStringLiteral("/templates/chosen.htm"));
        EXPECT_EQ(chooser->requests().last().title, QStringLiteral("Load"));
        EXPECT_EQ(chooser->requests().last().allowedExtensions, (QStringList {"html", "htm"}));

        chooseType(dialog, 5);
        chooser->enqueue({QStringLiteral("/media/cover art.png")});
        dialog.addFilesLocalBrowse();
        EXPECT_EQ(chooser->requests().last().title, QStringLiteral("Select Enclosure File"));
        EXPECT_EQ(text(dialog, "addFilesLocalFile"), QStringLiteral("/media/cover art.png"));
        EXPECT_EQ(text(dialog, "addFilesRemoteName"), QStringLiteral("cover art.png"));
        setText(dialog, "addFilesRemoteName", QStringLiteral("cover.png"));
        chooser->enqueue({QStringLiteral("/media/other.png")});
        dialog.addFilesLocalBrowse();
        EXPECT_EQ(chooser->requests().last().directory, QStringLiteral("/media"));
        EXPECT_EQ(text(dialog, "addFilesRemoteName"), QStringLiteral("cover.png"));
        // A cancelled chooser changes nothing.
        chooser->enqueue({});
        dialog.addFilesLocalBrowse();
        EXPECT_EQ(text(dialog, "addFilesLocalFile"), QStringLiteral("/media/other.png"));
        dialog.addFilesCancel();
    });
}

TEST_F(publishAdditionalFilesTest, ThePasswordIsAskedForWhenTheSiteKeepsNone)
{
    struct Case
    {
        std::shared_ptr<VLXSite> site;
        bool enabled;
        const char *password;
        const char *user;
    };
    auto systemDisk = site(2);
    systemDisk->setDmAccount(0);
    auto ownDisk = site(2);
    ownDisk->setDmAccount(1);
    for (const Case &c : {Case {site(1), true, "", "Username: bob"},
                          Case {systemDisk, false, "********", ""},
                          Case {ownDisk, true, "", "Username: member"},
                          Case {site(3), false, "", ""}}) {
        publishAdditionalFiles dialog;
        dialog.setPubSite(c.site);
        edit(dialog, [&] {
            EXPECT_EQ(get<QWidget>(dialog, "addFilesPassword")->isEnabled(), c.enabled);
            EXPECT_EQ(text(dialog, "addFilesPassword"), QLatin1String(c.password));
            EXPECT_EQ(get<QLabel>(dialog, "addFilesPasswordUser")->text(), QLatin1String(c.user));
            dialog.addFilesCancel();
        });
    }
}

// The OPML button hands the window's list of feeds to the installed OPML export.
class RecordingOPMLTool : public OPMLTool
{
public:
    int showOPMLList(QWidget *window, const QList<QVariantMap> &feeds) override
    {
        shownOver = window;
        listed = feeds;
        return 1;
    }
    QWidget *shownOver = nullptr;
    QList<QVariantMap> listed {QVariantMap()};
};

TEST_F(publishAdditionalFilesTest, TheOPMLButtonOpensTheInstalledOPMLExport)
{
    Vellumcast window;
    auto tool = std::make_shared<RecordingOPMLTool>();
    window.tools().setOPMLTool(tool);
    publishAdditionalFiles dialog;
    dialog.setPubSite(site(3));
    edit(dialog, [&] {
        chooseType(dialog, 6);
        ASSERT_TRUE(get<QWidget>(dialog, "addFilesOPML")->isEnabled());
        get<QAbstractButton>(dialog, "addFilesOPML")->click();
        dialog.addFilesCancel();
    });
    EXPECT_EQ(tool->shownOver, dialog.window());
    EXPECT_EQ(tool->listed, window.currentListOfFeeds());
}

// --- The folder browsers of each kind of site -------------------------------------------------

class publishAdditionalFilesBrowseTest : public publishAdditionalFilesTest
{
protected:
    void SetUp() override
    {
        publishAdditionalFilesTest::SetUp();
        CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
        PublishDialogs::setFolderBrowserFactory(&VLXBrowseBase::browserForRequest);
        ASSERT_TRUE(served.isValid());
        ASSERT_TRUE(QDir(served.path()).mkpath(QStringLiteral("Sites/feeds/deep")));
        ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("www/feeds")));
    }
    void TearDown() override
    {
        PublishDialogs::setFolderBrowserFactory({});
        CURLHandle::curlGoodbye();
        publishAdditionalFilesTest::TearDown();
    }

    // Opens the site's browser from the other-folder field, runs the script in it and answers.
    QString browseOther(std::shared_ptr<VLXSite> pubSite, const QString &password,
                        const QString &start, const std::function<void(VLXBrowseBase &)> &script)
    {
        publishAdditionalFiles dialog;
        dialog.setPubSite(std::move(pubSite));
        QString answer;
        edit(dialog, [&] {
            chooseDestination(dialog, 3);
            setText(dialog, "addFilesOtherDest", start);
            if (get<QWidget>(dialog, "addFilesPassword")->isEnabled())
                setText(dialog, "addFilesPassword", password);
            // The disk's account check keeps the event loop turning before the browser comes:
            // look for the browser until it is up.
            QTimer poll;
            poll.setInterval(5);
            QObject::connect(&poll, &QTimer::timeout, dialog.window(), [&] {
                VLXBrowseBase *browser
                    = VLXBrowseBase::browserOfWindow(QApplication::activeModalWidget());
                if (!browser)
                    return;
                poll.stop();
                browserOpened = true;
                script(*browser);
                if (browser->browseWindow()->isVisible())
                    BrowserTestSupport::click(*browser, "browseCancel");
            });
            poll.start();
            get<QAbstractButton>(dialog, "addFilesOtherDestBrowse")->click();
            poll.stop();
            answer = text(dialog, "addFilesOtherDest");
            dialog.addFilesCancel();
        });
        return answer;
    }

    QTemporaryDir served;
    bool browserOpened = false;
};

TEST_F(publishAdditionalFilesBrowseTest, TheChosenFolderIsWrittenBackIntoTheField)
{
    // Local folders.
    const QString local = browseOther(site(3), QString(), QString(), [](VLXBrowseBase &browser) {
        ASSERT_TRUE(waitUntil([&] { return !browser.historyTitles().isEmpty(); }));
        BrowserTestSupport::selectRow(browser, QStringLiteral("www"));
        BrowserTestSupport::click(browser, "browseAccept");
    });
    EXPECT_TRUE(browserOpened);
    EXPECT_EQ(local, QStringLiteral("www"));

    // An FTP server, with the password typed into the dialog.
    LocalServer ftp;
    ASSERT_TRUE(PublishTestSupport::startFTP(ftp, served.path(), QStringLiteral("bob"),
                                             QStringLiteral("ftp pass")));
    auto ftpSite = site(1);
    ftpSite->setFtpServer(QStringLiteral("127.0.0.1:%1").arg(ftp.port()));
    ftpSite->setFtpUsePASV(1);
    const QString remote = browseOther(ftpSite, QStringLiteral("ftp pass"), QStringLiteral("Sites"),
                                       [](VLXBrowseBase &browser) {
                                           ASSERT_TRUE(waitUntil([&] {
                                               return browser.historyTitles().size() == 2;
                                           }));
                                           BrowserTestSupport::selectRow(browser,
                                                                         QStringLiteral("feeds"));
                                           BrowserTestSupport::click(browser, "browseAccept");
                                       });
    EXPECT_EQ(remote, QStringLiteral("Sites/feeds"));

    // The online disk: a refused password opens nothing and keeps the field's text.
    LocalServer dav;
    ASSERT_TRUE(PublishTestSupport::startWebDAV(dav, served.path(), QStringLiteral("member"),
                                                QStringLiteral("disk pass")));
    DMMemberAccount::setServerURL(dav.url(QStringLiteral("http")));
    auto disk = site(2);
    disk->setDmAccount(1);
    browserOpened = false;
    EXPECT_EQ(browseOther(disk, QStringLiteral("wrong"), QStringLiteral("kept"),
                          [](VLXBrowseBase &browser) { BrowserTestSupport::click(browser, "browseCancel"); }),
              QStringLiteral("kept"));
    EXPECT_FALSE(browserOpened);
    const QString onDisk = browseOther(disk, QStringLiteral("disk pass"), QStringLiteral("feeds"),
                                       [](VLXBrowseBase &browser) {
                                           ASSERT_TRUE(waitUntil([&] {
                                               return browser.historyTitles().size() == 2
                                                   && !browser.browseFiles().isEmpty();
                                           }));
                                           BrowserTestSupport::selectRow(browser,
                                                                         QStringLiteral("deep"));
                                           BrowserTestSupport::click(browser, "browseAccept");
                                       });
    EXPECT_TRUE(browserOpened);
    EXPECT_EQ(onDisk, QStringLiteral("feeds/deep"));
}

} // namespace
