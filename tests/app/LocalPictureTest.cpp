// The feed image's picture from one load to the next: the file the user opened it from or saved
// it to shows again after a restart without any transfer, an address that cannot be fetched is
// told once while the same feed stays loaded however often it is read again, a feed loaded
// anew never shows the picture of the feed before, and the publish sheet sends the local
// picture.
#include "FindFixture.h"
#include "ModalScript.h"

#include "app/FeedSaving.h"
#include "app/ImageActions.h"
#include "common/LocalServer.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "editors/CroppingImageView.h"
#include "io/CURLHandle.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "platform/AlertService.h"
#include "publish/PublishWindow.h"
#include "publish/vlxFTP.h"
#include "settings/VLXPreferences.h"
#include "settings/VLXSite.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPushButton>
#include <QTest>

namespace {

class LocalPictureTest : public FindFixture
{
protected:
    void SetUp() override
    {
        FindFixture::SetUp();
        CURLHandle::setDefaultTimeouts(5, 5);
    }
    void TearDown() override
    {
        ModalScript::cancelPending();
        CURLHandle::setDefaultTimeouts(CURLHandle::kDefaultConnectTimeout,
                                       CURLHandle::kDefaultTransferTimeout);
        FindFixture::TearDown();
    }

    // An address on the loopback that nobody answers: the network as it is for a feed whose
    // image is not published yet, or with no connection at all.
    static QString unreachable(const QString &name)
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(LocalServer::freePort()).arg(name);
    }
    static QByteArray feedWithImage(const QString &title, const QString &imageURL)
    {
        QByteArray text = feedText(title, {"A", "B"});
        const QByteArray image = "<image><url>" + imageURL.toUtf8() + "</url><title>"
            + title.toUtf8() + "</title><link>https://example.org/</link></image>";
        return text.replace("<item>", image + "<item>");
    }
    // Opens the feed of that file in the window (starting it with a feed of its own first).
    Vellumcast &openFile(const QString &name, const QByteArray &text)
    {
        if (!controller)
            openForFind();
        writeFile(path(name), text);
        window().openFeedAtPath(path(name));
        settlePicture();
        return window();
    }
    FeedDocument &doc() const { return *window().document(); }
    // Lets a fetch under way end (a refused connection ends at once).
    void settlePicture()
    {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !doc().isFetchingPicture(); }, 15000));
        QApplication::processEvents();
        endAction();
    }
    int failuresTold() const
    {
        return int(alertTitles().count(QStringLiteral("Connection Failure")));
    }
    QString writePicture(const QString &name, const QSize &size, QRgb colour)
    {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(colour);
        const QString file = path(QStringLiteral("pictures/") + name);
        QDir().mkpath(QFileInfo(file).absolutePath());
        EXPECT_TRUE(picture.save(file));
        return file;
    }
    // Open Image with the file chosen, the picture read in the background; the size sheets
    // are answered with their default.
    void openPicture(const QString &file)
    {
        chooser->enqueue({file});
        window().command(QStringLiteral("openImage"))->trigger();
        settlePicture();
    }
    QImage shown() const
    {
        return window().outlet<CroppingImageView>(QStringLiteral("Image_Required_Image"))->image();
    }
    void restart()
    {
        stopApplication();
        alerts->clear();
        startApplication();
        QTest::qWait(300);
        settlePicture();
    }
};

TEST_F(LocalPictureTest, ThePictureOpenedFromAFileAndSavedShowsAfterARestartWithoutTheNetwork)
{
    const QString address = unreachable(QStringLiteral("logo.png"));
    openFile(QStringLiteral("show.xml"), feedWithImage(QStringLiteral("Show"), address));
    EXPECT_EQ(failuresTold(), 1);
    EXPECT_TRUE(doc().picture().isNull());

    const QString opened = writePicture(QStringLiteral("logo.png"), {60, 40}, qRgb(200, 0, 0));
    openPicture(opened);
    EXPECT_EQ(doc().picture().size(), QSize(60, 40));
    EXPECT_EQ(doc().pictureFile(), opened);
    // Saved under another name: that file is the picture's from then on.
    const QString saved = path(QStringLiteral("saved/logo-copy.png"));
    QDir().mkpath(QFileInfo(saved).absolutePath());
    chooser->enqueue({saved});
    ASSERT_TRUE(window().imageActions().saveImage());
    EXPECT_EQ(doc().pictureFile(), saved);
    ASSERT_TRUE(QFile::remove(opened));
    ASSERT_TRUE(window().saving().actualSaveDocument(0));

    restart();
    ASSERT_EQ(doc().entry().localPath(), path(QStringLiteral("show.xml")));
    EXPECT_EQ(alertTitles(), QStringList());
    EXPECT_FALSE(doc().isFetchingPicture()) << "the local picture needs no transfer";
    EXPECT_EQ(doc().picture().size(), QSize(60, 40));
    EXPECT_EQ(shown().pixel(5, 5), qRgb(200, 0, 0));
    EXPECT_EQ(doc().image()->URL(), address);

    // Read again (Replace All, its undo, Revert), the picture stays and nothing is fetched.
    setScope({"channel"});
    find().setFindField(QStringLiteral("example.org"));
    find().setReplaceField(QStringLiteral("example.net"));
    press("ReplaceAll");
    settlePicture();
    undo().undo();
    settlePicture();
    window().command(QStringLiteral("revertDocumentToSaved"))->trigger();
    settlePicture();
    EXPECT_EQ(failuresTold(), 0);
    EXPECT_EQ(shown().size(), QSize(60, 40));

    // Without its file the picture is fetched again from the address, and that fails aloud.
    ASSERT_TRUE(QFile::remove(saved));
    restart();
    EXPECT_EQ(failuresTold(), 1);
    EXPECT_TRUE(doc().picture().isNull());
}

TEST_F(LocalPictureTest, ASizeTheUserClearedStaysClearedThroughSavingAndOpening)
{
    // A picture far over the limits: its own size would not even be valid in the feed.
    const QString big = writePicture(QStringLiteral("big.png"), {1400, 1400}, qRgb(0, 90, 0));
    LocalServer web;
    ASSERT_TRUE(web.startScript(QStringLiteral("http_server.py"),
                                {QStringLiteral("--files"), QFileInfo(big).absolutePath()}));
    const QString served = web.url(QStringLiteral("http"), QStringLiteral("/d/big.png"));
    const struct
    {
        const char *how;
        QByteArray feed;
        bool opened; // the picture opened from the file, else fetched from the feed's address
    } ways[] = {
        {"fetched, its size in the feed",
         feedWithImage(QStringLiteral("Show"), served)
             .replace("</link></image>", "</link><width>1400</width><height>1400</height></image>"),
         false},
        {"opened from a file", feedWithImage(QStringLiteral("Show"), unreachable("big.png")), true},
    };
    const auto size = [this] {
        return QStringList {doc().image()->width(), doc().image()->height()};
    };
    for (const auto &[how, feed, opened] : ways) {
        SCOPED_TRACE(how);
        openFile(QStringLiteral("show.xml"), feed);
        if (opened) {
            alerts->queueAnswer(AlertService::kAlternate); // not scaled down
            openPicture(big);
        }
        ASSERT_EQ(doc().picture().size(), QSize(1400, 1400));
        ASSERT_EQ(size(), (QStringList {"1400", "1400"}));
        for (const char *field : {"Image_Required_Width", "Image_Required_Height"})
            ASSERT_TRUE(doc().editField(QLatin1String(field), -1, QString()));
        ASSERT_TRUE(window().saving().actualSaveDocument(0));
        EXPECT_FALSE(readFile(path(QStringLiteral("show.xml"))).contains("<width>"));
        restart();
        EXPECT_EQ(doc().picture().size(), QSize(1400, 1400));
        EXPECT_EQ(size(), (QStringList {"", ""}));
        stopApplication();
    }
}

// A picture opened from a file is the file's: once the feed is saved (and with it the file it
// shows the picture from), quitting asks nothing about the image. A picture changed since it was
// read is still asked about.
TEST_F(LocalPictureTest, ASavedFeedLeavesNoQuestionAboutThePictureItShowsAgain)
{
    const QString image = QStringLiteral("Changes have been made to this feed's image.  Do you "
                                         "want to save before you exit?");
    for (const bool cropped : {false, true}) {
        openFile(QStringLiteral("show.xml"),
                 feedWithImage(QStringLiteral("Show"), unreachable(QStringLiteral("logo.png"))));
        openPicture(writePicture(QStringLiteral("logo.png"), {60, 40}, qRgb(0, 0, 200)));
        if (cropped)
            doc().replacePicture(doc().picture().copy(0, 0, 30, 20), QStringLiteral("Crop Image"));
        ASSERT_TRUE(window().saving().actualSaveDocument(window().lastFeedViewed()));
        alerts->clear();
        alerts->queueAnswer(AlertService::kOther); // Cancel, when asked
        window().saving().askToSaveChanges(FeedSaving::Leaving::Quitting);
        QStringList messages;
        for (const Alert &alert : alerts->alerts())
            messages << alert.message;
        EXPECT_EQ(messages.contains(image), cropped) << messages.join('\n').toStdString();
        window().setImageEdited(false);
    }
}

TEST_F(LocalPictureTest, AnAddressThatCannotBeFetchedIsToldOnceWhileTheFeedStaysLoaded)
{
    const QString address = unreachable(QStringLiteral("logo.png"));
    const QByteArray text = feedWithImage(QStringLiteral("Show"), address);
    openFile(QStringLiteral("show.xml"), text);
    ASSERT_EQ(failuresTold(), 1);
    EXPECT_TRUE(alerts->alerts().first().message.contains(address));

    setScope({"channel"});
    find().setFindField(QStringLiteral("example.org"));
    find().setReplaceField(QStringLiteral("example.net"));
    press("ReplaceAll");
    settlePicture();
    EXPECT_EQ(doc().feed()->link(), QStringLiteral("https://example.net/"));
    undo().undo();
    settlePicture();
    undo().redo();
    settlePicture();
    window().command(QStringLiteral("revertDocumentToSaved"))->trigger();
    settlePicture();
    EXPECT_EQ(doc().feed()->link(), QStringLiteral("https://example.org/"));
    EXPECT_EQ(failuresTold(), 1) << alertTitles().join(", ").toStdString();

    // Another address of the same feed is told in its turn.
    const QString other = unreachable(QStringLiteral("other.png"));
    doc().image()->setURL(other);
    window().updateInterface(false);
    settlePicture();
    EXPECT_EQ(failuresTold(), 2);

    // A download the user asks for is answered every time.
    window().command(QStringLiteral("redownloadImage"))->trigger();
    settlePicture();
    window().command(QStringLiteral("redownloadImage"))->trigger();
    settlePicture();
    EXPECT_EQ(failuresTold(), 4);

    // Loaded anew, the feed's address is told again.
    alerts->clear();
    window().openFeedAtPath(path(QStringLiteral("show.xml")));
    settlePicture();
    EXPECT_EQ(failuresTold(), 1);
}

TEST_F(LocalPictureTest, ARelativeImageAddressIsKeptAndNotFetched)
{
    openFile(QStringLiteral("show.xml"), feedWithImage(QStringLiteral("Show"), "art/logo.png"));
    EXPECT_EQ(doc().image()->URL(), QStringLiteral("art/logo.png"));
    EXPECT_EQ(failuresTold(), 0) << lines(alertTitles());
}

TEST_F(LocalPictureTest, AFeedLoadedAnewNeverShowsThePictureOfTheFeedBefore)
{
    openFile(QStringLiteral("first.xml"),
             feedWithImage(QStringLiteral("First"), unreachable(QStringLiteral("a.png"))));
    openPicture(writePicture(QStringLiteral("a.png"), {30, 20}, qRgb(0, 0, 200)));
    window().setImageEdited(false);
    ASSERT_TRUE(window().saving().actualSaveDocument(0));
    ASSERT_FALSE(shown().isNull());

    alerts->clear();
    openFile(QStringLiteral("second.xml"),
             feedWithImage(QStringLiteral("Second"), unreachable(QStringLiteral("b.png"))));
    EXPECT_EQ(failuresTold(), 1);
    EXPECT_TRUE(doc().picture().isNull());
    EXPECT_TRUE(shown().isNull());
    EXPECT_EQ(doc().pictureFile(), QString());
    window().validateCommands();
    EXPECT_FALSE(window().command(QStringLiteral("saveImage"))->isEnabled());

    // Back on the first feed, its own picture comes back from its file.
    window().openFeedAtPath(path(QStringLiteral("first.xml")));
    settlePicture();
    EXPECT_EQ(shown().size(), QSize(30, 20));
}

TEST_F(LocalPictureTest, ThePicturesFileFollowsUndoAndADownloadLeavesIt)
{
    LocalServer web;
    const QString served = path(QStringLiteral("served"));
    QDir().mkpath(served);
    QImage remote(50, 10, QImage::Format_RGB32);
    remote.fill(Qt::green);
    ASSERT_TRUE(remote.save(served + QStringLiteral("/logo.png")));
    ASSERT_TRUE(
        web.startScript(QStringLiteral("http_server.py"), {QStringLiteral("--files"), served}));
    const QString address = web.url(QStringLiteral("http"), QStringLiteral("/d/logo.png"));
    openFile(QStringLiteral("show.xml"), feedWithImage(QStringLiteral("Show"), address));
    ASSERT_EQ(doc().picture().size(), QSize(50, 10));

    const QString file = writePicture(QStringLiteral("mine.png"), {20, 20}, qRgb(9, 9, 9));
    openPicture(file);
    EXPECT_EQ(doc().pictureFile(), file);
    window().command(QStringLiteral("redownloadImage"))->trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return doc().picture().size() == QSize(50, 10); }, 10000));
    settlePicture();
    EXPECT_EQ(doc().pictureFile(), QString()) << "the picture is the address's again";
    undo().undo();
    EXPECT_EQ(doc().pictureFile(), file);
    EXPECT_EQ(doc().picture().size(), QSize(20, 20));
    undo().undo();
    EXPECT_EQ(doc().pictureFile(), QString());
    EXPECT_EQ(doc().picture().size(), QSize(50, 10));
    undo().redo();
    EXPECT_EQ(doc().pictureFile(), file);
    // The list keeps what the document keeps.
    EXPECT_EQ(window().currentListOfFeeds().first().value(QStringLiteral("ImageLocalFile")), file);

    // Read again while edited under the same address, the picture stays as it is.
    press("ReplaceAll");
    settlePicture();
    EXPECT_EQ(doc().picture().size(), QSize(20, 20));
}

TEST_F(LocalPictureTest, ThePublishSheetSendsTheLocalPictureAfterARestart)
{
    openFile(QStringLiteral("show.xml"),
             feedWithImage(QStringLiteral("Show"), unreachable(QStringLiteral("logo.png"))));
    openPicture(writePicture(QStringLiteral("picked.png"), {40, 30}, qRgb(0, 150, 0)));
    window().setImageEdited(false);
    ASSERT_TRUE(window().saving().actualSaveDocument(0));
    restart();
    ASSERT_EQ(doc().picture().size(), QSize(40, 30));

    auto site = std::make_shared<VLXSite>();
    site->setType(3);
    site->setSiteName(QStringLiteral("Folders"));
    site->setLclDefaultXMLDir(path(QStringLiteral("site")));
    site->setLclImageDirSameAsXML(1);
    VLXPreferences::updatePubSite(site);
    VLXPreferences::setObjectForKey(site->siteIdentifier(), QStringLiteral("FTP_CF_PubSiteID"),
                                    doc().entry().uniqueIdentifier);
    PublishWindow &sheet = PublishWindow::sharedInstance();
    bool published = false;
    ModalScript::whenShown(QStringLiteral("uploadWindow"), [&] {
        EXPECT_TRUE(sheet.outlet<QWidget>(QStringLiteral("disclosureImage"))->isEnabled());
        EXPECT_TRUE(sheet.outlet<QWidget>(QStringLiteral("uploadImage"))->isEnabled());
        EXPECT_TRUE(sheet.isOn(PublishView::Toggle::UploadImage));
        EXPECT_EQ(sheet.text(PublishView::Field::RemoteImageFilename), QStringLiteral("logo.png"));
        vlxFTP &publisher = sheet.publisher();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !publisher.imageConversionRunning(); }, 10000));
        sheet.outlet<QPushButton>(QStringLiteral("uploadButton"))->click();
        published = QTest::qWaitFor([&] { return !publisher.isRunning(); }, 10000);
        sheet.outlet<QPushButton>(QStringLiteral("cancelButton"))->click();
    });
    window().command(QStringLiteral("uploadFile"))->trigger();
    ASSERT_TRUE(published);
    const QImage sent = QImageReader(path(QStringLiteral("site/logo.png"))).read();
    EXPECT_EQ(sent.size(), QSize(40, 30));
    EXPECT_EQ(sent.pixel(3, 3), qRgb(0, 150, 0));
    EXPECT_TRUE(readFile(path(QStringLiteral("site/show.xml"))).contains("<title>Show</title>"));
}

} // namespace
