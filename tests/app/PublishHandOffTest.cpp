// Publishing from the feed window as a new user does it: a site made in the publish sheet for
// the local FTP server, the feed published with its image, two enclosures and an additional
// file, the log read, a second publish that sends only what changed, and a restart that finds
// the publish dates and the additional files in the feed's entry.
#include "AppFixture.h"
#include "ModalScript.h"
#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "common/LocalServer.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "extensions/mrss/mrssItem.h"
#include "model/TitledElement.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "platform/PasswordStore.h"
#include "publish/PublishDialogs.h"
#include "publish/PublishWindow.h"
#include "publish/additionalFiles.h"
#include "publish/editSite.h"
#include "publish/vlxFTP.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {

const QString kUser = QStringLiteral("pod");
const QString kPassword = QStringLiteral("s3cret word");

// The additional-file dialog as a user fills it: the feed's own text under another name.
class CopyOfTheFeed : public AdditionalFileEditor
{
public:
    void setUniqueKey(const QString &) override { }
    void setPubSite(const std::shared_ptr<VLXSite> &) override { }
    void setAdditionalFilesInfo(const std::shared_ptr<additionalFiles> &) override { }
    int edit() override { return 1; }
    std::shared_ptr<additionalFiles> additionalFilesInfo() const override
    {
        auto record = std::make_shared<additionalFiles>();
        record->setFileType(additionalFiles::XMLExport);
        record->setFileDestination(additionalFiles::OtherDestination);
        record->setFileOtherDestination(QStringLiteral("copies"));
        record->setFilename(QStringLiteral("copy.xml"));
        return record;
    }
};

bool waitFor(const std::function<bool()> &condition, int timeoutMs = 30000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return condition();
        QTest::qWait(10);
    }
    return true;
}

class PublishHandOffTest : public AppFixture
{
protected:
    void TearDown() override
    {
        ModalScript::cancelPending();
        PublishDialogs::setAdditionalFileEditorFactory({});
        if (PasswordStore::sessionBusAvailable())
            PasswordStore::instance().deletePassword(
                QStringLiteral("ftp://127.0.0.1:%1:22").arg(ftp.port()), kUser);
        AppFixture::TearDown();
    }

    QByteArray feedText() const
    {
        QByteArray text
            = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel>"
              "<title>Show</title><link>https://example.org/</link>"
              "<description>d</description>"
              "<pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate>";
        text += "<image><url>" + web.url("http", "/d/logo.png").toUtf8()
            + "</url><title>Show</title><link>https://example.org/</link>"
              "<width>88</width><height>31</height></image>";
        for (const char *name : {"a", "b"})
            text += QStringLiteral("<item><title>Episode %1</title><link>https://example.org/%1"
                                   "</link><description>one</description><guid>https://"
                                   "example.org/%1</guid><pubDate>Mon, 07 Dec 2026 09:00:00 "
                                   "+0000</pubDate><enclosure url=\"https://example.org/%1.mp3\" "
                                   "length=\"4\" type=\"audio/mpeg\"/></item>")
                        .arg(QLatin1String(name))
                        .toUtf8();
        return text + "</channel></rss>\n";
    }
    QString remoteFile(const QString &name) const { return QDir(remoteRoot()).filePath(name); }
    QString remoteRoot() const { return QDir(home()).filePath(QStringLiteral("server")); }

    PublishWindow &sheet() { return PublishWindow::sharedInstance(); }
    template<typename T = QWidget> T *outlet(const QString &name)
    {
        T *found = sheet().outlet<T>(name);
        EXPECT_TRUE(found) << name.toStdString();
        return found;
    }
    void click(const QString &name) { outlet<QPushButton>(name)->click(); }
    void typePasswordWhenNotKept()
    {
        if (sheet().text(PublishView::Field::Password).isEmpty())
            sheet().setText(PublishView::Field::Password, kPassword);
    }
    bool publishInSheet()
    {
        vlxFTP &publisher = sheet().publisher();
        waitFor([&] { return !publisher.imageConversionRunning(); });
        click(QStringLiteral("uploadButton"));
        return waitFor([&] { return !publisher.isRunning(); });
    }
    // The site editor as a user fills it for the local FTP server.
    void createSiteInEditor()
    {
        QDialog *editor = ModalScript::active(QStringLiteral("editWindow"));
        auto *type = editor->findChild<QComboBox *>(QStringLiteral("siteType"));
        type->setCurrentIndex(1);
        emit type->activated(1);
        // Done without a name is refused first.
        editor->findChild<QLineEdit *>(QStringLiteral("ftpServer"))
            ->setText(QStringLiteral("127.0.0.1:%1").arg(ftp.port()));
        editor->findChild<QPushButton *>(QStringLiteral("doneButton"))->click();
        editor->findChild<QLineEdit *>(QStringLiteral("siteName"))->setText(QStringLiteral("Mine"));
        editor->findChild<QLineEdit *>(QStringLiteral("ftpUsername"))->setText(kUser);
        editor->findChild<QLineEdit *>(QStringLiteral("ftpPassword"))->setText(kPassword);
        editor->findChild<QCheckBox *>(QStringLiteral("ftpSaveToKeychain"))->setChecked(true);
        editor->findChild<QCheckBox *>(QStringLiteral("ftpOptionPassive"))->setChecked(true);
        editor->findChild<QPushButton *>(QStringLiteral("doneButton"))->click();
    }

    LocalServer web;
    LocalServer ftp;
};

TEST_F(PublishHandOffTest, AFeedIsPublishedThenOnlyWhatChangedAndItsDatesSurviveARestart)
{
    const QString served = QDir(home()).filePath(QStringLiteral("served"));
    QImage logo(88, 31, QImage::Format_RGB32);
    logo.fill(Qt::darkBlue);
    QDir().mkpath(served);
    ASSERT_TRUE(logo.save(QDir(served).filePath(QStringLiteral("logo.png"))));
    ASSERT_TRUE(
        web.startScript(QStringLiteral("http_server.py"), {QStringLiteral("--files"), served}));
    QDir().mkpath(remoteRoot());
    ASSERT_TRUE(ftp.startScript(QStringLiteral("ftp_server.py"),
                                {QStringLiteral("--root"), remoteRoot(), QStringLiteral("--user"),
                                 kUser, QStringLiteral("--password"), kPassword}))
        << ftp.errorString().toStdString();

    Vellumcast &window = openInWindow(feedText());
    ASSERT_TRUE(waitFor([&] { return !window.document()->picture().isNull(); }));
    for (int item = 0; item < 2; ++item) {
        const QString path = QDir(home()).filePath(QStringLiteral("ep%1.mp3").arg(item));
        writeFile(path, "sound");
        ASSERT_TRUE(window.document()->attachLocalEnclosureFile(item, path, false).isEmpty());
    }
    PublishDialogs::setAdditionalFileEditorFactory(
        [] { return std::make_unique<CopyOfTheFeed>(); });
    EXPECT_FALSE(window.command(QStringLiteral("viewFTPLog"))->isEnabled());
    alerts->clear();

    // First publish: a site made in the sheet, everything sent, the log read.
    ModalScript::whenShown(QStringLiteral("uploadWindow"), [&] {
        EXPECT_EQ(outlet<QComboBox>(QStringLiteral("publishSites"))->currentText(),
                  QStringLiteral("Select Site"));
        ModalScript::whenShown(QStringLiteral("editWindow"), [&] { createSiteInEditor(); });
        click(QStringLiteral("newSite"));
        EXPECT_EQ(outlet<QComboBox>(QStringLiteral("publishSites"))->currentText(),
                  QStringLiteral("Mine"));
        ASSERT_FALSE(alerts->alerts().isEmpty());
        EXPECT_EQ(alerts->alerts().at(0).title, QStringLiteral("Missing Information"));
        click(QStringLiteral("otherFilesAdd"));
        typePasswordWhenNotKept();
        ASSERT_TRUE(publishInSheet());
        EXPECT_EQ(outlet<QLabel>(QStringLiteral("statusText"))->text(),
                  QStringLiteral("All 5 files published successfully"))
            << sheet().publisher().transferLog().toStdString();

        click(QStringLiteral("viewLogButton"));
        EXPECT_TRUE(sheet().logWindow()->isVisible());
        EXPECT_EQ(outlet<QPushButton>(QStringLiteral("viewLogButton"))->text(),
                  QStringLiteral("Hide Log"));
        const QString log = outlet<QPlainTextEdit>(QStringLiteral("transferLog"))->toPlainText();
        // The header names the program as it was started: "v", the short version, and the
        // full version in brackets.
        const QString named = log.section(u'\n', 1, 1);
        EXPECT_EQ(named, Controller::signature());
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^Vellumcast Mac v(\\d+\\.\\d+) "
                                                      "\\(\\1(\\.\\d+)*\\)$"))
                        .match(named)
                        .hasMatch())
            << named.toStdString();
        EXPECT_TRUE(log.contains(QStringLiteral("FTP SERVER: 127.0.0.1:%1").arg(ftp.port())));
        EXPECT_TRUE(log.contains(QStringLiteral("REMOTE FILENAME: ep0.mp3"))
                    || log.contains(QStringLiteral("REMOTE FILENAME: a.mp3")));
        EXPECT_TRUE(log.contains(QStringLiteral("PASS ********")));
        EXPECT_FALSE(log.contains(kPassword));
        click(QStringLiteral("cancelButton"));
    });
    window.command(QStringLiteral("uploadFile"))->trigger();
    EXPECT_FALSE(sheet().logWindow()->isVisible());
    EXPECT_EQ(readFile(remoteFile(QStringLiteral("a.mp3"))), "sound");
    EXPECT_EQ(readFile(remoteFile(QStringLiteral("b.mp3"))), "sound");
    EXPECT_TRUE(readFile(remoteFile(QStringLiteral("logo.png"))).startsWith("\x89PNG"));
    EXPECT_TRUE(readFile(remoteFile(QStringLiteral("edit.xml"))).contains("<title>Show</title>"));
    EXPECT_TRUE(readFile(remoteFile(QStringLiteral("copies/copy.xml"))).contains("<rss"));
    // The log can be looked at from the window now.
    window.validateCommands();
    EXPECT_TRUE(window.command(QStringLiteral("viewFTPLog"))->isEnabled());
    window.command(QStringLiteral("viewFTPLog"))->trigger();
    EXPECT_TRUE(sheet().logWindow()->isVisible());
    window.command(QStringLiteral("viewFTPLog"))->trigger();
    EXPECT_FALSE(sheet().logWindow()->isVisible());

    const FeedListEntry first = window.document()->entry();
    ASSERT_NE(first.lastPublished, TitledElement::neverUploaded());
    ASSERT_TRUE(first.lastPublished.isValid());
    ASSERT_NE(first.imageLastPublished, TitledElement::neverUploaded());

    // Second publish: the site is remembered, the files sent are up to date and stay unticked;
    // only the feed goes out.
    const QDateTime enclosureSent = QFileInfo(remoteFile(QStringLiteral("a.mp3"))).lastModified();
    ModalScript::whenShown(QStringLiteral("uploadWindow"), [&] {
        EXPECT_EQ(outlet<QComboBox>(QStringLiteral("publishSites"))->currentText(),
                  QStringLiteral("Mine"));
        QAbstractItemModel *rows
            = outlet<QAbstractItemView>(QStringLiteral("enclosureTable"))->model();
        ASSERT_EQ(rows->rowCount(), 2);
        for (int row = 0; row < 2; ++row) {
            EXPECT_EQ(rows->index(row, 0).data(Qt::CheckStateRole), Qt::Unchecked);
            EXPECT_EQ(rows->index(row, 1).data().toString(), QStringLiteral("Up to date"));
        }
        EXPECT_FALSE(sheet().isOn(PublishView::Toggle::UploadEnclosure));
        EXPECT_FALSE(sheet().isOn(PublishView::Toggle::UploadImage));
        EXPECT_TRUE(sheet().isOn(PublishView::Toggle::UploadXML));
        // The generated copy is made afresh every time.
        EXPECT_TRUE(sheet().isOn(PublishView::Toggle::UploadOtherFiles));
        sheet().setOn(PublishView::Toggle::UploadOtherFiles, false);
        // The password went to the keyring with the site, and comes back from it.
        if (PasswordStore::sessionBusAvailable()) {
            EXPECT_EQ(sheet().text(PublishView::Field::Password), kPassword);
        }
        typePasswordWhenNotKept();
        ASSERT_TRUE(publishInSheet());
        EXPECT_EQ(sheet().publisher().publishResults(),
                  QStringList {QStringLiteral("Feed: Published successfully")});
        click(QStringLiteral("cancelButton"));
    });
    window.command(QStringLiteral("uploadFile"))->trigger();
    EXPECT_EQ(QFileInfo(remoteFile(QStringLiteral("a.mp3"))).lastModified(), enclosureSent);
    const FeedListEntry second = window.document()->entry();
    EXPECT_GE(second.lastPublished, first.lastPublished);

    // A restart reads the list back: the dates and the additional file are still there.
    stopApplication();
    startApplication();
    ASSERT_TRUE(waitFor([&] { return controller->feedController() != nullptr; }));
    Vellumcast &again = *controller->feedController();
    const QList<QVariantMap> feeds = again.currentListOfFeeds();
    ASSERT_FALSE(feeds.isEmpty());
    const FeedListEntry stored = FeedListEntry::fromMap(feeds.first());
    EXPECT_EQ(stored.lastPublished, second.lastPublished);
    EXPECT_EQ(stored.imageLastPublished, first.imageLastPublished);
    EXPECT_EQ(stored.localEnclosureFileInfo.size(), 2);
    const auto records = additionalFiles::unarchiveList(stored.additionalFiles);
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records.at(0)->filename(), QStringLiteral("copy.xml"));
    EXPECT_NE(records.at(0)->lastUploaded(), TitledElement::neverUploaded());
}

TEST_F(PublishHandOffTest, AReplacedLocalFileIsSentWithTheLengthTheFeedThenStates)
{
    QDir().mkpath(remoteRoot());
    ASSERT_TRUE(ftp.startScript(QStringLiteral("ftp_server.py"),
                                {QStringLiteral("--root"), remoteRoot(), QStringLiteral("--user"),
                                 kUser, QStringLiteral("--password"), kPassword}))
        << ftp.errorString().toStdString();
    Vellumcast &window = openInWindow(
        "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" "
        "xmlns:media=\"http://search.yahoo.com/mrss/\"><channel><title>Show</title>"
        "<link>https://example.org/</link><description>d</description><item><title>One</title>"
        "<link>https://example.org/1</link><description>d</description>"
        "<enclosure url=\"https://example.org/a.mp3\" length=\"5\" type=\"audio/mpeg\"/>"
        "<media:content url=\"https://example.org/c.mp3\" fileSize=\"5\" type=\"audio/mpeg\"/>"
        "</item></channel></rss>\n");
    FeedDocument &doc = *window.document();
    const QString enclosureFile = QDir(home()).filePath(QStringLiteral("a.mp3"));
    const QString contentFile = QDir(home()).filePath(QStringLiteral("c.mp3"));
    writeFile(enclosureFile, "sound");
    writeFile(contentFile, "sound");
    ASSERT_TRUE(doc.attachLocalEnclosureFile(0, enclosureFile, false).isEmpty());
    mrssItem *media = mrssItem::inUseOf(*doc.item(0));
    ASSERT_TRUE(media);
    media->mediaContentsValueAtIndex(0).setLocalEnclosureFilePath(contentFile);
    const auto stated = [&] {
        const mrssRequiredElement &content
            = mrssItem::inUseOf(*doc.item(0))->mediaContentsValue().at(0);
        return QStringList {doc.item(0)->enclosureAttrLength(),
                            content.attribute("attributeFileSize")};
    };
    const auto publish = [&](bool makeSite) {
        ModalScript::whenShown(QStringLiteral("uploadWindow"), [&] {
            if (makeSite) {
                ModalScript::whenShown(QStringLiteral("editWindow"), [&] { createSiteInEditor(); });
                click(QStringLiteral("newSite"));
            }
            typePasswordWhenNotKept();
            ASSERT_TRUE(publishInSheet());
            click(QStringLiteral("cancelButton"));
        });
        window.command(QStringLiteral("uploadFile"))->trigger();
    };

    publish(true);
    EXPECT_EQ(readFile(remoteFile(QStringLiteral("a.mp3"))), "sound");
    // Both files replaced by longer ones: sent as they are now, with their lengths in the feed.
    writeFile(enclosureFile, "a longer sound");
    writeFile(contentFile, "another longer sound");
    const int steps = window.undoManager()->count();
    publish(false);
    EXPECT_EQ(readFile(remoteFile(QStringLiteral("a.mp3"))), "a longer sound");
    EXPECT_EQ(readFile(remoteFile(QStringLiteral("c.mp3"))), "another longer sound");
    const QByteArray sent = readFile(remoteFile(QStringLiteral("edit.xml")));
    EXPECT_TRUE(sent.contains("length=\"14\"")) << sent.toStdString();
    EXPECT_TRUE(sent.contains("fileSize=\"20\"")) << sent.toStdString();
    EXPECT_EQ(stated(), (QStringList {"14", "20"}));
    // One step of the action, which undo takes back whole.
    EXPECT_EQ(window.undoManager()->count(), steps + 1);
    EXPECT_EQ(window.undoManager()->undoActionName(), QStringLiteral("Publish Feed"));
    window.undo();
    EXPECT_EQ(stated(), (QStringList {"5", "5"}));
}

} // namespace
