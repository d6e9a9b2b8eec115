// Publishing runs to local folders: the queue's order and contents, settings, images, failures.
#include "PublishRunFixture.h"
#include "extensions/mrss/mrssItem.h"
#include "io/VLXParseFeed.h"
#include "model/VLXImage.h"
#include "publish/MediaContentFile.h"
#include "publish/additionalFiles.h"

#include <QFileInfo>
#include <QThread>
#include <atomic>

namespace {

using namespace PublishTestSupport;

class vlxFTPLocalTest : public PublishRunFixture
{
protected:
    void SetUp() override
    {
        PublishRunFixture::SetUp();
        // Relative folders are under the home folder: a temporary one.
        savedHome = qgetenv("HOME");
        qputenv("HOME", remote.path().toUtf8());
        auto site = std::make_shared<VLXSite>();
        site->setType(3);
        site->setLclDefaultXMLDir(QStringLiteral("feeds"));
        site->setLclDefaultImageDir(QStringLiteral("img"));
        site->setLclDefaultEnclosureDir(QStringLiteral("media"));
        publisher.setSite(site);
        view.setText(Field::RemoteEnclosurePath, QStringLiteral("media"));
    }
    void TearDown() override
    {
        qputenv("HOME", savedHome);
        PublishRunFixture::TearDown();
    }

    std::shared_ptr<additionalFiles> addOtherFile(int type, int destination, const QString &name)
    {
        auto record = std::make_shared<additionalFiles>();
        record->setFileType(type);
        record->setFileDestination(destination);
        record->setFilename(name);
        publisher.otherFiles().append({record, 1, {}});
        view.setOn(Toggle::UploadOtherFiles, true);
        return record;
    }

    QByteArray savedHome;
};

TEST_F(vlxFTPLocalTest, QueuesImageEnclosuresOtherFilesAndFeedLastAndReportsEveryFailure)
{
    publisher.setConvertedImages({QByteArray("GIF89a-bytes"), QByteArray("jpeg"), {}});
    view.setOn(Toggle::UploadImage, true);
    view.setText(Field::RemoteImageFilename, QStringLiteral(" Logo.GIF "));
    view.setText(Field::RemoteImagePath, QStringLiteral("img"));
    addEnclosure(QStringLiteral("a.mp3"), 5000);
    addEnclosureAt(QStringLiteral("gone.mp3"), local.filePath(QStringLiteral("gone.mp3")));
    auto page = addOtherFile(additionalFiles::HTMLExport, additionalFiles::OtherDestination,
                             QStringLiteral("index.html"));
    page->setExportTemplate(local.filePath(QStringLiteral("missing-template.html")));
    page->setFileOtherDestination(QStringLiteral(" site "));
    auto copy = addOtherFile(additionalFiles::XMLExport, additionalFiles::XMLFolder,
                             QStringLiteral("copy.xml"));
    auto notes = addOtherFile(additionalFiles::LocalFile, additionalFiles::EnclosureFolder,
                              QStringLiteral("notes.txt"));
    ASSERT_TRUE(writeFile(local.filePath(QStringLiteral("notes.txt")), "notes"));
    notes->setLocalFile(local.filePath(QStringLiteral("notes.txt")));
    const QString absolute = remote.filePath(QStringLiteral("abs/feeds"));
    view.setOn(Toggle::UploadXML, true);
    view.setOn(Toggle::LimitItems, true);
    view.setText(Field::LimitNumber, QStringLiteral("7"));
    view.setText(Field::RemoteFilename, QStringLiteral("feed.xml"));
    view.setText(Field::RemotePath, absolute);
    ASSERT_TRUE(publish());

    const QStringList expected {
        QStringLiteral("Feed Image: Published successfully"),
        QStringLiteral("Item Enclosure a.mp3: Published successfully"),
        QStringLiteral("Item Enclosure gone.mp3: Publish failed with reason \"Cannot read %1: "),
        QStringLiteral("Additonal File HTML Export with %1: Publish failed with reason \"The "
                       "template %1 does not exist\"")
            .arg(local.filePath(QStringLiteral("missing-template.html"))),
        QStringLiteral("Additonal File XML Export: Published successfully"),
        QStringLiteral("Additonal File %1: Published successfully")
            .arg(local.filePath(QStringLiteral("notes.txt"))),
        QStringLiteral("Feed: Published successfully"),
    };
    ASSERT_EQ(publisher.publishResults().size(), expected.size()) << view.log.toStdString();
    for (int i = 0; i < expected.size(); ++i) {
        const QString want = expected.at(i).contains(u"%1")
            ? expected.at(i).arg(local.filePath(QStringLiteral("gone.mp3")))
            : expected.at(i);
        EXPECT_TRUE(publisher.publishResults().at(i).startsWith(want))
            << publisher.publishResults().at(i).toStdString();
    }
    EXPECT_EQ(view.status(), QStringLiteral("5 successful, 2 failed"));

    // Where each went: the default folders of the site, the feed to its absolute folder.
    EXPECT_EQ(readFile(remote.filePath(QStringLiteral("img/Logo.GIF"))), "GIF89a-bytes");
    EXPECT_EQ(readFile(remote.filePath(QStringLiteral("media/a.mp3"))).size(), 5000);
    EXPECT_TRUE(readFile(remote.filePath(QStringLiteral("feeds/copy.xml"))).contains("The Show"));
    EXPECT_EQ(readFile(remote.filePath(QStringLiteral("media/notes.txt"))), "notes");
    EXPECT_TRUE(readFile(absolute + QStringLiteral("/feed.xml")).contains("<title>The Show"));
    EXPECT_FALSE(QFileInfo::exists(remote.filePath(QStringLiteral("site/index.html"))));
    EXPECT_TRUE(
        view.log.contains(QStringLiteral("REMOTE PATH: site\nREMOTE FILENAME: index.html")));

    // Stamps, and the feed's settings: a folder equal to the site's default is stored empty.
    EXPECT_NE(feed.image()->lastUploaded(), TitledElement::neverUploaded());
    EXPECT_NE(feed.lastUploaded(), TitledElement::neverUploaded());
    EXPECT_NE(copy->lastUploaded(), TitledElement::neverUploaded());
    EXPECT_EQ(page->lastUploaded(), TitledElement::neverUploaded());
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("LCL_CF_RemoteImagePath"), kFeedKey),
              QVariant(QStringLiteral("")));
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("LCL_CF_RemotePath"), kFeedKey),
              QVariant(absolute));
    EXPECT_EQ(
        VLXPreferences::objectForKey(QStringLiteral("Export_CF_LimitItems"), kFeedKey).toInt(), 1);
    EXPECT_EQ(
        VLXPreferences::objectForKey(QStringLiteral("Export_CF_LimitNumber"), kFeedKey).toInt(), 7);
}

TEST_F(vlxFTPLocalTest, AFolderThatCannotBeWrittenFailsTheFile)
{
    ASSERT_TRUE(writeFile(remote.filePath(QStringLiteral("blocked")), "a file, not a folder"));
    view.setText(Field::RemoteEnclosurePath, QStringLiteral("blocked/media"));
    addEnclosure(QStringLiteral("a.mp3"), 10);
    addEnclosure(QStringLiteral("b.mp3"), 10);
    ASSERT_TRUE(publish());
    EXPECT_TRUE(view.log.contains(u"Transfer failed with error: Error writing file\n\n"));
    EXPECT_EQ(
        publisher.publishResults().at(0),
        QStringLiteral("Item Enclosure a.mp3: Publish failed with reason \"Error writing file\""));
    EXPECT_EQ(view.status(), QStringLiteral("0 successful, 2 failed"));
}

TEST_F(vlxFTPLocalTest, TheImageNameMustMatchAConvertedType)
{
    // A ".gif" name with JPEG and PNG data only: the alert, and the rest still goes.
    publisher.setConvertedImages({{}, QByteArray("jpeg"), QByteArray("png")});
    view.setOn(Toggle::UploadImage, true);
    view.setText(Field::RemoteImageFilename, QStringLiteral("logo.gif"));
    addEnclosure(QStringLiteral("a.mp3"), 10);
    ASSERT_TRUE(publish());
    EXPECT_EQ(view.alerts, QStringList {QStringLiteral("Invalid image type")});
    EXPECT_EQ(view.alertStyles, QList<Alert::Style> {Alert::Style::Warning});
    EXPECT_EQ(publisher.publishResults(),
              QStringList {QStringLiteral("Item Enclosure a.mp3: Published successfully")});

    // While the conversion runs the image is left out without a word.
    std::atomic<bool> release {false};
    publisher.startImageConversion([&](ThreadWorker &worker) {
        while (!release && !worker.cancelled())
            QThread::msleep(1);
        return QVariant::fromValue(ConvertedImages {QByteArray("gif"), {}, {}});
    });
    publisher.itemsWithEnclosures()[0].checked = 1;
    view.setOn(Toggle::UploadEnclosure, true);
    ASSERT_TRUE(publish());
    EXPECT_EQ(view.alerts.size(), 1);
    EXPECT_EQ(publisher.publishResults().size(), 1);
    release = true;
    ASSERT_TRUE(waitUntil([&] { return !publisher.imageConversionRunning(); }));
    EXPECT_EQ(view.conversionEnded, QList<bool> {true});
    EXPECT_EQ(view.stamps.value(PublishView::Stamp::Image),
              QStringLiteral("Last Published: Never"));

    // Closing while a conversion runs stops it first, then closes.
    publisher.startImageConversion([](ThreadWorker &worker) {
        while (!worker.cancelled())
            QThread::msleep(1);
        return QVariant::fromValue(ConvertedImages {});
    });
    publisher.close();
    EXPECT_FALSE(publisher.imageConversionRunning());
    EXPECT_EQ(view.closed, 1);
}

TEST_F(vlxFTPLocalTest, MediaContentFilesPublishLikeEnclosures)
{
    VLXParseFeed parser;
    const QString text = QStringLiteral(
        "<?xml version=\"1.0\"?><rss version=\"2.0\" xmlns:m=\"http://search.yahoo.com/mrss/\">"
        "<channel><title>T</title><link>http://x/</link><description>d</description><item>"
        "<title>i</title><m:group><m:content url=\"http://x/m/video%201.mp4\"/>"
        "<m:content url=\"http://x/m/b.ogg\"/></m:group><m:content url=\"http://x/c.mp3\"/>"
        "</item></channel></rss>");
    ASSERT_EQ(parser.parseFeed(text, QStringLiteral("base"), nullptr), 0);
    const auto item = parser.feed()->itemAtIndex(0);
    const auto contents = MediaContentFile::mediaContentsOfItem(*item);
    ASSERT_EQ(contents.size(), 3);
    EXPECT_EQ(contents.at(0)->contentURL(), QStringLiteral("http://x/m/video%201.mp4"));
    EXPECT_EQ(contents.at(2)->contentURL(), QStringLiteral("http://x/c.mp3"));

    ASSERT_TRUE(writeFile(local.filePath(QStringLiteral("clip.mp4")), "video"));
    contents.at(0)->setLocalEnclosureFilePath(local.filePath(QStringLiteral("clip.mp4")));
    publisher.itemsWithEnclosures().append({item, contents.at(0), 1, {}});
    publisher.itemsWithEnclosures().append({item, contents.at(1), 0, {}});
    view.setOn(Toggle::UploadEnclosure, true);
    ASSERT_TRUE(publish());
    EXPECT_EQ(publisher.publishResults(),
              QStringList {QStringLiteral("Item Enclosure clip.mp4: Published successfully")});
    EXPECT_EQ(readFile(remote.filePath(QStringLiteral("media/video 1.mp4"))), "video");
    EXPECT_NE(contents.at(0)->lastUploaded(), TitledElement::neverUploaded());
    EXPECT_EQ(item->lastUploaded(), TitledElement::neverUploaded());
    // The file and its date are the feed's own: they are saved with it.
    const mrssItem *media = mrssItem::inUseOf(*item);
    ASSERT_TRUE(media);
    EXPECT_EQ(media->mediaContentsValueAtIndex(0).localEnclosureFilePath(),
              local.filePath(QStringLiteral("clip.mp4")));
    EXPECT_EQ(media->mediaContentsValueAtIndex(0).lastUploaded(), contents.at(0)->lastUploaded());
    EXPECT_TRUE(item->enclosureLocalFileInfo().contains(QStringLiteral("http://x/m/video%201.mp4")));
    EXPECT_EQ(publisher.itemsWithEnclosures().at(0).checked, 0);
}

TEST_F(vlxFTPLocalTest, NothingCheckedSendsNothing)
{
    // A run that sent the one file; it is unchecked then.
    addEnclosure(QStringLiteral("a.mp3"), 10);
    view.setOn(Toggle::UploadEnclosure, true);
    ASSERT_TRUE(publish());
    EXPECT_EQ(view.status(), QStringLiteral("All 1 files published successfully"));
    ASSERT_EQ(publisher.itemsWithEnclosures()[0].checked, 0);
    view.runningChanges.clear();
    publisher.upload();
    EXPECT_FALSE(publisher.isRunning());
    EXPECT_TRUE(view.runningChanges.isEmpty());
    EXPECT_TRUE(view.log.endsWith(QStringLiteral("Publish to Local Disks\n") + QString(38, u'=')
                                  + QStringLiteral("\n\n")));
    // The line claims no result for a run that sent nothing.
    EXPECT_EQ(view.status(), QString());

    // A row without a local file cannot be checked.
    publisher.itemsWithEnclosures()[0].item->setLocalEnclosureFilePath(QString());
    EXPECT_FALSE(publisher.toggleEnclosureRow(0));
    EXPECT_FALSE(view.isOn(Toggle::UploadEnclosure));
}

} // namespace
