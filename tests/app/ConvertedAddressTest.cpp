// An Atom feed fetched from the web may give its addresses relative to where it is: the window
// hands the reader the address it fetched from, so the feed it shows (and writes as RSS 2.0)
// holds absolute ones, also after Revert reads the fetched text again. A feed opened from a file
// keeps its addresses as written.
#include "AppFixture.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "common/LocalServer.h"
#include "common/StrictXML.h"
#include "common/TestSupport.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "settings/VLXPreferences.h"

#include <QAction>
#include <QDir>
#include <QUrl>

class ConvertedAddressTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        served = QDir(home()).filePath("served");
        writeFile(QDir(served).filePath("relative.xml"),
                  TestSupport::readData("feeds/atom10-relative.xml"));
    }
    Vellumcast &start()
    {
        Vellumcast &window = startWindow();
        VLXPreferences::setObjectForKey(3, "M_ShowParseResults");
        return window;
    }
    QString served;
};

TEST_F(ConvertedAddressTest, AFetchedAtomFeedResolvesItsAddressesWhereItCameFrom)
{
    LocalServer server;
    ASSERT_TRUE(
        server.startScript("http_server.py", {"--files", served, "--auth", "reader:s3cret"}))
        << server.log().toStdString();
    Vellumcast &window = start();
    QUrl address(server.url("http", "/d/relative.xml"));
    address.setUserInfo("reader:s3cret");
    window.openFeedAtPath(address.toString());
    ASSERT_EQ(window.currentFeed()->title(), "Relative Shows");

    const auto expectResolved = [&] {
        const VLXFeed &feed = *window.currentFeed();
        EXPECT_EQ(feed.link(), server.url("http", "/shows/42"));
        EXPECT_EQ(feed.image()->URL(), server.url("http", "/d/logo.png"));
        ASSERT_EQ(feed.countOfItems(), 1);
        EXPECT_EQ(feed.itemAtIndex(0)->link(), server.url("http", "/d/episode-3.html"));
        EXPECT_EQ(feed.itemAtIndex(0)->enclosureAttrURL(),
                  server.url("http", "/d/media/episode-3.mp3"));
        // The password the download needed stays out of the feed.
        const QString written = feed.buildXML();
        EXPECT_FALSE(written.contains("s3cret"));
        EXPECT_EQ(StrictXML::problem(written.toUtf8()).toStdString(), "");
    };
    expectResolved();

    // Revert reads the fetched text again, from the same address.
    window.currentFeed()->setTitle("Changed");
    window.setDocumentEdited(true);
    window.command("revertDocumentToSaved")->trigger();
    EXPECT_EQ(window.currentFeed()->title(), "Relative Shows");
    expectResolved();
}

TEST_F(ConvertedAddressTest, AnAtomFeedOpenedFromAFileKeepsItsAddressesAsWritten)
{
    Vellumcast &window = start();
    window.openFeedAtPath(QDir(served).filePath("relative.xml"));
    ASSERT_EQ(window.currentFeed()->title(), "Relative Shows");
    EXPECT_EQ(window.currentFeed()->link(), "/shows/42");
    ASSERT_EQ(window.currentFeed()->countOfItems(), 1);
    EXPECT_EQ(window.currentFeed()->itemAtIndex(0)->enclosureAttrURL(), "media/episode-3.mp3");
}
