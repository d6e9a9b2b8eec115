#include "AppFixture.h"

#include "app/Controller.h"
#include "app/FeedOpening.h"
#include "app/FeedSaving.h"
#include "app/ItemsPane.h"
#include "app/Vellumcast.h"
#include "common/LocalServer.h"
#include "common/StallWatch.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "panes/EditTracker.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/PropertyList.h"
#include "platform/QtAlertService.h"
#include "platform/ScriptedFileChooser.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXListBox.h"
#include "ui/VLXTableView.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QTest>

#include <unistd.h>

namespace {
QByteArray feedWithoutPubDate(const QString &title)
{
    // Validates with one warning (no channel pubDate) and nothing else.
    return QStringLiteral("<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>%1</title>"
                          "<link>https://example.org/</link><description>d</description>"
                          "<item><title>i</title><link>https://example.org/i</link>"
                          "<description>x</description><guid>https://example.org/i</guid>"
                          "<pubDate>Mon, 07 Dec 2026 09:00:00 +0000</pubDate></item>"
                          "</channel></rss>\n")
        .arg(title)
        .toUtf8();
}

QString titleInFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    VLXParseFeed reader;
    const QString text = VLXParseFeed::stringFromXMLData(file.readAll());
    if (reader.isItAFeed(text) != VLXParseFeed::Success
        || reader.parseFeed(text, {}, nullptr) != VLXParseFeed::Success || !reader.feed())
        return {};
    return reader.feed()->title();
}
} // namespace

class OpenSaveTest : public AppFixture
{
protected:
    Vellumcast &start() { return startWindow(); }
    VLXListBox *list() const
    {
        return controller->feedController()->outlet<VLXListBox>("Feeds_Required_Files");
    }
    QStringList alertTitles() const
    {
        QStringList titles;
        for (const Alert &alert : alerts->alerts())
            titles << alert.title;
        return titles;
    }
};

TEST_F(OpenSaveTest, ThreeSavesKeepTheFeedItsCompanionAndTwoBackupGenerations)
{
    const QString folder = QDir(home()).filePath("feeds");
    const QString news = QDir(folder).filePath("news.rss");
    writeFile(news, smallFeed("News"));
    Vellumcast &window = start();
    window.openFeedAtPath(news);
    ASSERT_EQ(window.currentListOfFeeds().first().value("feedFileName"), "news.rss");
    EXPECT_FALSE(window.isDocumentEdited());
    for (const QString title : {"One", "Two", "Three"}) {
        window.currentFeed()->setTitle(title);
        window.setDocumentEdited(true);
        ASSERT_TRUE(window.saving().actualSaveDocument(0));
        EXPECT_FALSE(window.isDocumentEdited());
    }
    EXPECT_TRUE(alerts->alerts().isEmpty()) << alertTitles().join(", ").toStdString();
    EXPECT_EQ(titleInFile(news), "Three");
    EXPECT_EQ(titleInFile(QDir(folder).filePath("news.xml-bak")), "Two");
    const QString temporary = QDir(userFolder()).filePath("Temporary");
    EXPECT_EQ(titleInFile(QDir(temporary).filePath("news.xml-bak")), "One");
    EXPECT_TRUE(QFileInfo::exists(QDir(temporary).filePath("news.xml.plist-bak")));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
              (QStringList {"news.rss", "news.rss.plist", "news.xml-bak", "news.xml.plist-bak"}));
    // The companion is the feed's list entry.
    const QVariantMap companion = PropertyList::parse(readFile(news + ".plist")).toMap();
    EXPECT_EQ(companion.value("feedFileName"), "news.rss");
    EXPECT_EQ(companion.value("UniqueIdentifier"),
              window.currentListOfFeeds().first().value("UniqueIdentifier"));
    // Written as UTF-8 without a byte-order mark.
    EXPECT_TRUE(readFile(news).startsWith("<?xml"));
}

TEST_F(OpenSaveTest, AFeedSavedWithoutAPubDateReadsBackAsSavedWithoutARepair)
{
    const QString news = QDir(home()).filePath("news.xml");
    writeFile(news, feedWithoutPubDate("News"));
    Vellumcast &window = start();
    window.openFeedAtPath(news);
    window.setDocumentEdited(true);
    ASSERT_TRUE(window.saving().actualSaveDocument(0));
    const QString saved = window.currentFeed()->pubDate();
    EXPECT_FALSE(saved.isEmpty());
    // Opened again at once: the file says what the window showed, nothing to repair or save.
    alerts->clear();
    window.openFeedAtPath(news);
    EXPECT_EQ(window.currentFeed()->parseXMLRepairCount(), 0);
    EXPECT_EQ(window.currentFeed()->pubDate(), saved);
    EXPECT_FALSE(window.isDocumentEdited());
}

TEST_F(OpenSaveTest, AFailedSaveKeepsTheOldFileAndTheFeedEdited)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs the right to mount a read-only file system";
    const QString folder = QDir(home()).filePath("ro");
    QDir().mkpath(folder);
    ASSERT_EQ(QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", folder}), 0);
    const QString feed = QDir(folder).filePath("f.xml");
    writeFile(feed, smallFeed("Before"));
    Vellumcast &window = start();
    window.openFeedAtPath(feed);
    ASSERT_EQ(QProcess::execute("mount", {"-o", "remount,ro", folder}), 0);
    window.currentFeed()->setTitle("After");
    window.setDocumentEdited(true);
    EXPECT_FALSE(window.saving().actualSaveDocument(0));
    QProcess::execute("umount", {folder});
    ASSERT_EQ(alertTitles(), QStringList {"Save Failed"});
    EXPECT_TRUE(window.isDocumentEdited());
    EXPECT_EQ(window.currentFeed()->title(), "After");
}

TEST_F(OpenSaveTest, FeedAddressOpensFromTheLocalServerAsATransientEditedEntry)
{
    LocalServer server;
    const QString served = QDir(home()).filePath("served");
    writeFile(QDir(served).filePath("f.xml"), smallFeed("Served"));
    ASSERT_TRUE(server.startScript("http_server.py", {"--files", served}))
        << server.log().toStdString();
    Vellumcast &window = start();
    const QString address = QStringLiteral("feed://127.0.0.1:%1/d/f.xml").arg(server.port());
    window.openFeedAtPath(address);
    ASSERT_TRUE(alerts->alerts().isEmpty()) << alertTitles().join(", ").toStdString();
    const QVariantMap entry = window.currentListOfFeeds().first();
    EXPECT_EQ(entry.value("isTransient").toInt(), 1);
    EXPECT_EQ(entry.value("feedFileName"), "f.xml");
    EXPECT_EQ(entry.value("feedURL"),
              QStringLiteral("http://127.0.0.1:%1/d/f.xml").arg(server.port()));
    EXPECT_EQ(list()->selectedRow(), 0);
    EXPECT_TRUE(window.isDocumentEdited());
    EXPECT_TRUE(window.window()->isWindowModified());
    EXPECT_EQ(window.currentFeed()->title(), "Served");
    EXPECT_EQ(window.statusText(),
              QStringLiteral("(untitled) http://127.0.0.1:%1/d/f.xml").arg(server.port()));

    // The same address failing later leaves its entry in the list.
    const QString id = entry.value("UniqueIdentifier").toString();
    QFile::remove(QDir(served).filePath("f.xml"));
    window.setDocumentEdited(false, true);
    window.openFeedAtPath(address);
    ASSERT_EQ(alertTitles(), QStringList {"Connection Failure"});
    EXPECT_TRUE(alerts->alerts().first().message.contains("/d/f.xml"));
    EXPECT_EQ(window.currentListOfFeeds().first().value("UniqueIdentifier"), id);
    EXPECT_EQ(window.currentFeed()->title(), "Served");

    // Saving the fetched feed asks for a file and turns the entry into an ordinary one.
    auto chooser = std::make_shared<ScriptedFileChooser>();
    const QString target = QDir(home()).filePath("saved.xml");
    chooser->enqueue({target});
    FileChooser::setInstance(chooser);
    window.setDocumentEdited(true);
    EXPECT_TRUE(window.saving().actualSaveDocument(0));
    FileChooser::setInstance(nullptr);
    const QVariantMap saved = window.currentListOfFeeds().first();
    EXPECT_EQ(saved.value("isTransient").toInt(), 0);
    EXPECT_EQ(saved.value("feedURL"), QUrl::fromLocalFile(target).toString());
    EXPECT_EQ(saved.value("UniqueIdentifier"), id);
    EXPECT_EQ(titleInFile(target), "Served");
    EXPECT_FALSE(window.isDocumentEdited());
}

TEST_F(OpenSaveTest, ReopeningAListedFileKeepsItsIdentifierAndWhatIsStoredWithIt)
{
    const QString a = QDir(home()).filePath("a.xml");
    const QString b = QDir(home()).filePath("b.xml");
    writeFile(a, smallFeed("A"));
    writeFile(b, smallFeed("B"));
    Vellumcast &window = start();
    window.openFeedAtPath(a);
    const QString id = window.currentFeedObjectForKey("UniqueIdentifier").toString();
    const QDateTime published(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC);
    window.currentFeedSetObject(published, "LastPublished");
    VLXPreferences::setObjectForKey("custom", "FD_CF_FF_Title", id);
    window.openFeedAtPath(b);
    window.openFeedAtPath(a);
    const QList<QVariantMap> &feeds = window.currentListOfFeeds();
    EXPECT_EQ(feeds.first().value("UniqueIdentifier"), id);
    EXPECT_EQ(feeds.first().value("LastPublished").toDateTime(), published);
    int listed = 0;
    for (const QVariantMap &entry : feeds)
        listed += entry.value("feedURL") == QUrl::fromLocalFile(a).toString() ? 1 : 0;
    EXPECT_EQ(listed, 1);
    EXPECT_EQ(VLXPreferences::objectForKey("FD_CF_FF_Title", id).toString(), "custom");
}

TEST_F(OpenSaveTest, AnUnreadableFileIsReportedAndNothingChanges)
{
    const QString a = QDir(home()).filePath("a.xml");
    writeFile(a, smallFeed("A"));
    Vellumcast &window = start();
    window.openFeedAtPath(a);
    const auto before = window.currentListOfFeeds();
    const auto feed = window.currentFeed();
    window.openFeedAtPath(QDir(home()).filePath("no such feed.xml"));
    ASSERT_EQ(alertTitles(), QStringList {"Open Feed"});
    EXPECT_TRUE(alerts->alerts().first().message.contains("no such feed.xml"));
    EXPECT_EQ(window.currentListOfFeeds(), before);
    EXPECT_EQ(window.currentFeed(), feed);
}

namespace {
// Scripted answers, with each alert's message box built and laid out as the window would show it.
class LaidOutAlerts : public ScriptedAlertService
{
public:
    int runAlert(const Alert &alert) override
    {
        std::unique_ptr<QMessageBox> box(QtAlertService::buildBox(alert));
        box->adjustSize();
        return ScriptedAlertService::runAlert(alert);
    }
};
} // namespace

TEST_F(OpenSaveTest, ALongNameIsShownCutInItsAlertWithoutHoldingTheWindowUp)
{
    LocalServer server;
    ASSERT_TRUE(server.startScript("http_server.py", {"--files", home()}))
        << server.log().toStdString();
    Vellumcast &window = start();
    auto laidOut = std::make_shared<LaidOutAlerts>();
    AlertService::setInstance(laidOut);
    // A file that is not there and an address the server refuses, each named by a megabyte.
    const QString name = QString(1 << 20, 'n') + "-end.xml";
    const struct
    {
        QString path, title, start;
    } cases[] = {
        {QDir(home()).filePath(name), "Open Feed", "The file \"" + home()},
        {server.url("http", "/" + name), "Connection Failure",
         "When trying to fetch the feed " + server.url("http", "/n")},
    };
    laidOut->runAlert({}); // the first box loads what every box shares
    // Well above the 50 ms the window allows itself, so that a loaded machine does not fail the
    // test; far below the seconds a megabyte laid out in a message box took.
    constexpr qint64 kStallMs = 250;
    for (const auto &[path, title, start] : cases) {
        laidOut->clear();
        StallWatch stalls;
        window.openFeedAtPath(path);
        ASSERT_EQ(laidOut->alerts().size(), 1) << title.toStdString();
        const Alert &shown = laidOut->alerts().first();
        EXPECT_TRUE(shown.title == title && shown.message.size() <= 1000
                    && shown.message.startsWith(start) && shown.message.contains("n-end.xml"))
            << shown.message.left(80).toStdString() << shown.message.right(80).toStdString();
        EXPECT_LT(stalls.longestMs(), kStallMs) << title.toStdString();
    }
}

TEST_F(OpenSaveTest, TextThatIsNotAFeedIsFixedOrAbandoned)
{
    const QString notes = QDir(home()).filePath("notes.txt");
    writeFile(notes, "just some words");
    Vellumcast &window = start();
    const auto before = window.currentListOfFeeds();
    alerts->queueAnswer(AlertService::kAlternate); // "Abandon it"
    window.openFeedAtPath(notes);
    ASSERT_EQ(alertTitles(), QStringList {"Not XML/RSS"});
    EXPECT_EQ(alerts->alerts().first().defaultButton, "Manually fix it");
    EXPECT_EQ(window.currentListOfFeeds(), before);

    // Fixed in the source editor: opened and marked edited, since the text changed.
    alerts->clear();
    Vellumcast::setXMLSourceEditor([](const XMLSourceRequest &) {
        return std::optional<QString>(QString::fromUtf8(AppFixture::smallFeed("Mended")));
    });
    window.openFeedAtPath(notes);
    Vellumcast::setXMLSourceEditor(nullptr);
    EXPECT_EQ(window.currentFeed()->title(), "Mended");
    EXPECT_EQ(window.currentListOfFeeds().first().value("feedFileName"), "notes.txt");
    EXPECT_TRUE(window.isDocumentEdited());
}

TEST_F(OpenSaveTest, ParseResultsFollowTheSetting)
{
    const QString warned = QDir(home()).filePath("warned.xml");
    writeFile(warned, feedWithoutPubDate("W"));
    Vellumcast &window = start();
    const struct
    {
        int mode;
        bool shown;
    } cases[] = {{0, true}, {1, true}, {2, false}, {3, false}};
    for (const auto &c : cases) {
        VLXPreferences::setObjectForKey(c.mode, "M_ShowParseResults");
        alerts->clear();
        alerts->queueAnswer(AlertService::kAlternate); // "Close"
        window.setDocumentEdited(false, true);
        window.openFeedAtPath(warned);
        EXPECT_EQ(alertTitles().contains("Feed Parsing Results:"), c.shown) << "mode " << c.mode;
        if (c.shown) {
            EXPECT_EQ(alerts->alerts().first().message, "   0 Repairs\n   0 Errors\n   1 Warnings");
        }
    }
    // Errors hidden by request show nothing in any mode.
    VLXPreferences::setObjectForKey(0, "M_ShowParseResults");
    alerts->clear();
    window.opening().populateFeedFromString(QString::fromUtf8(feedWithoutPubDate("W")), false, true,
                                            true);
    EXPECT_TRUE(alerts->alerts().isEmpty());
}

TEST_F(OpenSaveTest, ReadingTheLoadedFeedAgainKeepsLocalEnclosuresAndUploadTimes)
{
    const QString cast = QDir(home()).filePath("cast.xml");
    writeFile(cast, QByteArray(R"(<?xml version="1.0"?>
<rss version="2.0"><channel><title>C</title><link>https://example.org/</link><description>d</description>
<pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate>
<item><title>E</title><link>https://example.org/e</link><description>x</description>
<guid>https://example.org/e</guid><pubDate>Mon, 07 Dec 2026 09:00:00 +0000</pubDate>
<enclosure url="https://example.org/e.mp3" length="3" type="audio/mpeg"/></item></channel></rss>
)"));
    const QString audio = QDir(home()).filePath("e.mp3");
    writeFile(audio, "abc");
    Vellumcast &window = start();
    window.openFeedAtPath(cast);
    VLXItems &item = *window.currentFeed()->itemAtIndex(0);
    const QDateTime uploaded(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC);
    item.setLocalEnclosureFilePath(audio);
    item.setLastUploaded(uploaded);
    window.currentFeed()->setLastUploaded(uploaded);
    window.opening().reparseLoadedFeed(
        QString::fromUtf8(readFile(cast)).replace("<title>E</title>", "<title>F</title>"));
    const VLXItems &again = *window.currentFeed()->itemAtIndex(0);
    EXPECT_EQ(again.title(), "F");
    EXPECT_EQ(again.localEnclosureFilePath(), audio);
    EXPECT_EQ(again.lastUploaded(), uploaded);
    EXPECT_EQ(window.currentFeed()->lastUploaded(), uploaded);
}

TEST_F(OpenSaveTest, ReadingAgainWithFewerItemsShowsAnItemOfTheList)
{
    const auto feedOf = [](int items) {
        QString text = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>C</title>"
                       "<link>https://example.org/</link><description>d</description>";
        for (int i = 0; i < items; ++i)
            text += QStringLiteral("<item><title>E%1</title><guid>https://example.org/%1</guid>"
                                   "</item>")
                        .arg(i);
        return text + "</channel></rss>\n";
    };
    for (const int fewer : {2, 1}) {
        SCOPED_TRACE(fewer);
        const QString cast = QDir(home()).filePath("cast.xml");
        writeFile(cast, feedOf(3).toUtf8());
        Vellumcast &window = start();
        VLXPreferences::setObjectForKey(3, "M_ShowParseResults"); // no results to answer
        window.openFeedAtPath(cast);
        window.itemsPane()->itemTable()->selectRow(2);
        ASSERT_EQ(window.document()->shownItem(), 2);
        window.opening().reparseLoadedFeed(feedOf(fewer));
        ASSERT_EQ(window.currentFeed()->countOfItems(), fewer);
        const int shown = window.document()->shownItem();
        EXPECT_TRUE(shown >= 0 && shown < fewer) << shown;
        EXPECT_EQ(window.itemsPane()->shownItem(), shown);
        EXPECT_EQ(window.itemsPane()->itemTable()->selectedRow(), shown);
        window.setDocumentEdited(false, true);
        stopApplication();
    }
}

TEST_F(OpenSaveTest, UnsavedChangesAreAskedAboutBeforeQuittingAndLeaving)
{
    const QString a = QDir(home()).filePath("a.xml");
    const QString b = QDir(home()).filePath("b.xml");
    writeFile(a, smallFeed("A"));
    writeFile(b, smallFeed("B"));
    Vellumcast &window = start();
    window.openFeedAtPath(a);
    window.currentFeed()->setTitle("Changed");
    window.setDocumentEdited(true);

    alerts->queueAnswer(AlertService::kOther); // "Cancel"
    EXPECT_FALSE(window.shouldTerminate());
    ASSERT_EQ(alertTitles(), QStringList {"Warning"});
    EXPECT_EQ(alerts->alerts().first().message,
              "Changes have been made to this feed.  Do you want to save before you exit?");
    EXPECT_FALSE(window.isTerminating());

    alerts->clear();
    alerts->queueAnswer(AlertService::kOther);
    window.openFeedAtPath(b);
    EXPECT_EQ(alerts->alerts().first().message,
              "Changes have been made to this feed.  Do you want to save them before opening "
              "another feed?");
    EXPECT_EQ(window.currentFeed()->title(), "Changed");

    // "Save..." writes the feed and goes on.
    alerts->clear();
    alerts->queueAnswer(AlertService::kDefault);
    window.openFeedAtPath(b);
    EXPECT_EQ(titleInFile(a), "Changed");
    EXPECT_EQ(window.currentFeed()->title(), "B");
    EXPECT_FALSE(window.isDocumentEdited());
}

TEST_F(OpenSaveTest, RevertReadsTheSavedTextAgainAndForgetsTheChanges)
{
    const QString a = QDir(home()).filePath("a.xml");
    writeFile(a, smallFeed("Saved Title"));
    Vellumcast &window = start();
    window.openFeedAtPath(a);
    window.editTracker()->setTextAsEdit(window.outlet("Feeds_Required_Title"), "Changed");
    ASSERT_TRUE(window.isDocumentEdited());
    window.command("revertDocumentToSaved")->trigger();
    EXPECT_EQ(window.currentFeed()->title(), "Saved Title");
    EXPECT_EQ(window.outlet<QLineEdit>("Feeds_Required_Title")->text(), "Saved Title");
    EXPECT_FALSE(window.isDocumentEdited());
    EXPECT_FALSE(window.undoManager()->canUndo());
}

TEST_F(OpenSaveTest, ALoadAbandonedAfterOpeningRemovesOnlyTheNewEntry)
{
    const QString a = QDir(home()).filePath("a.xml");
    const QString broken = QDir(home()).filePath("nochannel.xml");
    writeFile(a, smallFeed("A"));
    writeFile(broken, "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"></rss>\n");
    Vellumcast &window = start();
    window.openFeedAtPath(a);
    // Another entry than the top one is shown when the broken feed is opened.
    list()->fieldSelected(1);
    ASSERT_EQ(list()->selectedRow(), 1);
    const QString id = window.currentFeedObjectForKey("UniqueIdentifier").toString();
    const int before = int(window.currentListOfFeeds().size());
    alerts->clear();
    alerts->queueAnswer(AlertService::kAlternate); // "Abandon it"
    window.openFeedAtPath(broken);
    ASSERT_FALSE(alerts->alerts().isEmpty());
    QTest::qWait(300);
    EXPECT_EQ(int(window.currentListOfFeeds().size()), before);
    bool kept = false;
    for (const QVariantMap &entry : window.currentListOfFeeds()) {
        EXPECT_NE(entry.value("feedFileName"), "nochannel.xml");
        kept = kept || entry.value("UniqueIdentifier") == id;
    }
    EXPECT_TRUE(kept);
}

TEST_F(OpenSaveTest, AFeedKeptInTheTemporaryFolderKeepsItsPreviousVersionAtEverySave)
{
    Vellumcast &window = start();
    // The folder of the second backup generation holds the feed itself: one generation is kept
    // there, at every save, instead of being lost at every second one.
    const QString temporary = QDir(userFolder()).filePath("Temporary");
    const QString news = QDir(temporary).filePath("news.xml");
    writeFile(news, feedWithoutPubDate("Zero"));
    window.openFeedAtPath(news);
    alerts->clear();
    QString previous = "Zero";
    for (const QString title : {"One", "Two", "Three", "Four"}) {
        window.currentFeed()->setTitle(title);
        window.setDocumentEdited(true);
        ASSERT_TRUE(window.saving().actualSaveDocument(0));
        EXPECT_EQ(titleInFile(news), title);
        EXPECT_EQ(titleInFile(QDir(temporary).filePath("news.xml-bak")), previous);
        EXPECT_FALSE(window.statusText().contains("backup")) << window.statusText().toStdString();
        previous = title;
    }
}

TEST_F(OpenSaveTest, ABackupThatCannotBeMadeIsToldInTheStatusLineAndKeepsThePreviousVersion)
{
    const QString folder = QDir(home()).filePath("feeds");
    const QString news = QDir(folder).filePath("news.xml");
    writeFile(news, feedWithoutPubDate("Before"));
    // A folder where the first backup should go.
    ASSERT_TRUE(QDir().mkpath(QDir(folder).filePath("news.xml-bak")));
    Vellumcast &window = start();
    window.openFeedAtPath(news);
    window.currentFeed()->setTitle("After");
    window.setDocumentEdited(true);
    ASSERT_TRUE(window.saving().actualSaveDocument(0));
    EXPECT_FALSE(window.isDocumentEdited());
    EXPECT_EQ(titleInFile(news), "After");
    const QString aside = QDir(folder).filePath("news.xml-bak.1");
    EXPECT_EQ(titleInFile(aside), "Before");
    EXPECT_EQ(window.statusText(),
              QStringLiteral("The backup \"%1\" could not be made: Is a directory. The previous "
                             "version is kept as \"%2\".")
                  .arg(QDir(folder).filePath("news.xml-bak"), aside));
}

TEST_F(OpenSaveTest, AFeedOfMoreItemsThanTheLimitIsRefusedAndNothingChanges)
{
    const QString a = QDir(home()).filePath("a.xml");
    writeFile(a, smallFeed("A"));
    QByteArray many = "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>Many</title>";
    for (int i = 0; i <= VLXParseFeed::kMaximumItems; ++i)
        many += "<item></item>";
    many += "</channel></rss>\n";
    const QString manyPath = QDir(home()).filePath("many.xml");
    writeFile(manyPath, many);
    Vellumcast &window = start();
    window.openFeedAtPath(a);
    const auto before = window.currentListOfFeeds();
    const auto feed = window.currentFeed();
    const QString status = window.statusText();
    alerts->clear();
    window.openFeedAtPath(manyPath);
    ASSERT_EQ(alertTitles(), QStringList {"Feed Too Large"});
    EXPECT_EQ(alerts->alerts().first().message,
              "This feed has 250,001 items. Vellumcast opens feeds of up to 250,000 items, so it "
              "was not read.");
    EXPECT_EQ(window.currentListOfFeeds(), before);
    EXPECT_EQ(window.currentFeed(), feed);
    EXPECT_EQ(window.statusText(), status);
}
