// An OPML list published as an additional file: the application's builder makes the document of
// the window's feed list, with the head the user gave, without showing the window.
#include "AppFixture.h"
#include "PublishTestSupport.h"
#include "ScriptedPublishView.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "document/FeedListEntry.h"
#include "model/VLXFeed.h"
#include "platform/MemoryDefaultsStore.h"
#include "publish/additionalFiles.h"
#include "publish/vlxFTP.h"
#include "settings/VLXPreferences.h"
#include "settings/VLXSite.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace {

class OPMLPublishTest : public AppFixture
{
};

TEST_F(OPMLPublishTest, APublishedListCarriesTheHeadAndTheIncludedFeeds)
{
    QList<QVariant> entries;
    for (const QString &name : {QStringLiteral("one"), QStringLiteral("two")}) {
        const QString path = QDir(home()).filePath(name + ".xml");
        writeFile(path, smallFeed(name));
        FeedListEntry entry
            = FeedListEntry::make(name + ".xml", QUrl::fromLocalFile(path).toString(), false);
        entry.uniqueIdentifier = name.toUpper();
        entries << entry.toMap();
    }
    store().setObject(entries, QStringLiteral("feedListKey"));
    startApplication();
    QTest::qWait(100);
    alerts->clear();
    ASSERT_NE(controller->feedController(), nullptr);
    ASSERT_EQ(controller->feedController()->currentListOfFeeds().size(), 2);

    VLXPreferences::setObjectForKey(1, "OPML_CF_Included", "ONE");
    VLXPreferences::setObjectForKey("Show One", "OPML_CF_Title", "ONE");
    VLXPreferences::setObjectForKey("http://h/one.xml", "OPML_CF_XMLURL", "ONE");
    VLXPreferences::setObjectForKey(0, "OPML_CF_Included", "TWO");
    VLXPreferences::setObjectForKey("Show Two", "OPML_CF_Title", "TWO");
    VLXPreferences::setObjectForKey("http://h/two.xml", "OPML_CF_XMLURL", "TWO");
    VLXPreferences::setObjectForKey("Our Shows", "OPML_Title");
    VLXPreferences::setObjectForKey("Pat", "OPML_OwnerName");
    VLXPreferences::setObjectForKey("pat@example.org", "OPML_OwnerEMail");

    // A publish run to a local folder, the list among its additional files.
    QTemporaryDir remote;
    ASSERT_TRUE(remote.isValid());
    VLXFeed feed;
    feed.setTitle("Mine");
    ScriptedPublishView view;
    vlxFTP publisher;
    auto site = std::make_shared<VLXSite>();
    site->setType(3);
    site->setLclDefaultXMLDir(remote.path());
    publisher.setSite(site);
    publisher.setView(&view);
    publisher.setFeed(&feed, QStringLiteral("ONE"));
    auto record = std::make_shared<additionalFiles>();
    record->setFileType(additionalFiles::OPMLList);
    record->setFileDestination(additionalFiles::XMLFolder);
    record->setFilename(QStringLiteral("shows.opml"));
    publisher.otherFiles().append({record, 1, {}});
    view.setText(PublishView::Field::RemotePath, remote.path());
    view.setOn(PublishView::Toggle::UploadOtherFiles, true);
    publisher.upload();
    ASSERT_TRUE(PublishTestSupport::waitUntil([&] { return !publisher.isRunning(); }));

    const QByteArray published
        = PublishTestSupport::readFile(QDir(remote.path()).filePath("shows.opml"));
    EXPECT_EQ(published,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<opml version=\"1.0\">\n"
              "    <head>\n"
              "    <title>Our Shows</title>\n"
              "    <ownerName>Pat</ownerName>\n"
              "    <ownerEmail>pat@example.org</ownerEmail>\n"
              "</head>\n"
              "<body>\n"
              "    <outline text=\"Show One\" xmlUrl=\"http://h/one.xml\" "
              "type=\"rss\" />\n"
              "</body>\n"
              "</opml>\n")
        << view.log.toStdString();
    stopApplication();
}

} // namespace
