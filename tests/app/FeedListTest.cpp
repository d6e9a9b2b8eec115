#include "AppFixture.h"

#include "app/Controller.h"
#include "app/ToolHandOffs.h"
#include "app/Vellumcast.h"
#include "panes/FeedWizardTool.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXListBox.h"
#include "ui/VLXTableView.h"

#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>
#include <QUrl>

namespace {
QVariantMap entry(const QString &path, const QString &id, int transient = 0)
{
    return {{"feedFileName", QFileInfo(path).fileName()},
            {"feedURL", path.isEmpty() ? QString() : QUrl::fromLocalFile(path).toString()},
            {"isTransient", transient},
            {"UniqueIdentifier", id}};
}

QStringList entryIds(const QList<QVariantMap> &list)
{
    QStringList ids;
    for (const QVariantMap &e : list)
        ids << e.value("UniqueIdentifier").toString();
    return ids;
}

QStringList perFeedIds()
{
    QStringList ids;
    for (const QVariant &e : VLXPreferences::objectForKey("FD_CF_Array").toList())
        ids << e.toMap().value("FD_CF_ArrayUniqueKey").toString();
    return ids;
}
} // namespace

class FeedListTest : public AppFixture
{
protected:
    VLXListBox *list() const
    {
        return controller->feedController()->outlet<VLXListBox>("Feeds_Required_Files");
    }
    void storeList(const QList<QVariantMap> &entries)
    {
        QVariantList stored;
        for (const QVariantMap &e : entries)
            stored << e;
        store().setObject(stored, "feedListKey");
    }
};

TEST_F(FeedListTest, AStoredListSelectsTheFirstEntryThatIsAFeed)
{
    const QString missing = QDir(home()).filePath("gone.xml");
    const QString notAFeed = QDir(home()).filePath("notes.xml");
    const QString feed = QDir(home()).filePath("real.xml");
    writeFile(notAFeed, "<?xml version=\"1.0\"?><notes><note>hello</note></notes>");
    writeFile(feed, smallFeed("Real"));
    storeList({entry(missing, "A"), entry(notAFeed, "B"), entry(feed, "C")});

    startApplication();
    Vellumcast *window = controller->feedController();
    EXPECT_EQ(entryIds(window->currentListOfFeeds()), (QStringList {"A", "B", "C"}));
    EXPECT_EQ(list()->rowCount(), 3);
    EXPECT_EQ(list()->selectedRow(), 2);
    EXPECT_EQ(list()->highlightedRow(), 2);
    EXPECT_EQ(window->lastFeedViewed(), 2);
    EXPECT_TRUE(window->window()->windowTitle().startsWith("real.xml"));
    EXPECT_EQ(window->outlet<QLineEdit>("Feeds_Required_Title")->text(), "Real");
    // A usable feed was found: no sample, no wizard.
    QTest::qWait(300);
    EXPECT_TRUE(alerts->alerts().isEmpty());
}

TEST_F(FeedListTest, TransientEntriesAndTheirSettingsAreGoneAfterARestart)
{
    const QString feed = QDir(home()).filePath("kept.xml");
    writeFile(feed, smallFeed("Kept"));
    storeList({entry(QString(), "NEW", 1), entry(feed, "KEPT"),
               entry("https://example.org/feed.xml", "WEB", 1)});
    for (const char *id : {"NEW", "KEPT", "WEB"})
        VLXPreferences::setObjectForKey(true, "FD_CF_SD_Enabled", id);
    ASSERT_TRUE(perFeedIds().contains("WEB"));

    startApplication();
    EXPECT_EQ(entryIds(controller->feedController()->currentListOfFeeds()), QStringList {"KEPT"});
    const QStringList remaining = perFeedIds();
    EXPECT_TRUE(remaining.contains("KEPT"));
    EXPECT_FALSE(remaining.contains("NEW"));
    EXPECT_FALSE(remaining.contains("WEB"));
    QVariantList stored = store().array("feedListKey").value_or(QVariantList());
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0].toMap().value("UniqueIdentifier"), "KEPT");
}

TEST_F(FeedListTest, AnEmptyListOpensTheSampleAndOffersTheWizard)
{
    VLXPreferences::setObjectForKey(true, "FD_CF_SD_Enabled", "OLD");
    storeList({});
    alerts->queueAnswer(AlertService::kDefault);
    startApplication();
    Vellumcast *window = controller->feedController();
    ASSERT_EQ(window->currentListOfFeeds().size(), 1);
    const QVariantMap sample = window->currentListOfFeeds().first();
    EXPECT_EQ(sample.value("feedFileName"), "sample.xml");
    EXPECT_EQ(sample.value("feedURL"),
              QUrl::fromLocalFile(QDir(userFolder()).filePath("Feeds/sample.xml")).toString());
    EXPECT_EQ(sample.value("isTransient").toInt(), 0);
    EXPECT_FALSE(sample.value("UniqueIdentifier").toString().isEmpty());
    EXPECT_EQ(list()->highlightedRow(), 0);
    EXPECT_FALSE(perFeedIds().contains("OLD"));
    // The sample is read into the editor.
    EXPECT_EQ(window->outlet<QLineEdit>("Feeds_Required_Title")->text(), "Harbour Lights Radio");
    EXPECT_EQ(window->outlet<VLXTableView>("Items_Required_Items")->model()->rowCount(), 3);
    EXPECT_FALSE(window->window()->isWindowModified());

    EXPECT_TRUE(alerts->alerts().isEmpty());
    // The wizard is offered once one is installed (the offer comes a moment after the start).
    struct Wizard : FeedWizardTool
    {
        std::shared_ptr<VLXFeed> feedWizard(QWidget *, const QString &) override
        {
            ++runs;
            return nullptr;
        }
        bool feedItemWizard(QWidget *, const QStringList &, bool, bool) override { return false; }
        VLXFeed::ItemList newItems() const override { return {}; }
        int runs = 0;
    };
    auto wizard = std::make_shared<Wizard>();
    window->tools().setFeedWizard(wizard);
    QTest::qWait(400);
    ASSERT_GE(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts()[0].title, "Feed Creation Wizard");
    EXPECT_EQ(alerts->alerts()[0].defaultButton, "Yes");
    EXPECT_EQ(alerts->alerts()[0].alternateButton, "No");
    // Yes runs it.
    EXPECT_EQ(wizard->runs, 1);
}

TEST_F(FeedListTest, RemovingTheLoadedLastRowSelectsTheNewLastRow)
{
    QList<QVariantMap> entries;
    for (const char *name : {"one.xml", "two.xml", "three.xml"}) {
        const QString path = QDir(home()).filePath(name);
        writeFile(path, smallFeed(name));
        entries << entry(path, name);
    }
    storeList(entries);
    startApplication();
    Vellumcast *window = controller->feedController();
    ASSERT_EQ(list()->selectedRow(), 0);
    list()->fieldSelected(2);
    ASSERT_EQ(window->lastFeedViewed(), 2);

    window->removeFeedFromList(2);
    EXPECT_EQ(window->currentListOfFeeds().size(), 2);
    EXPECT_EQ(list()->selectedRow(), 1);
    EXPECT_EQ(window->lastFeedViewed(), 1);
    EXPECT_TRUE(window->window()->windowTitle().startsWith("two.xml"));

    // Removing a row above the loaded one keeps the same feed loaded.
    window->removeFeedFromList(0);
    EXPECT_EQ(list()->selectedRow(), 0);
    EXPECT_EQ(window->currentListOfFeeds().first().value("feedFileName"), "two.xml");

    // The last one going leaves a new feed in its place: the window never shows none.
    window->removeFeedFromList(0);
    ASSERT_EQ(window->currentListOfFeeds().size(), 1);
    EXPECT_EQ(window->currentListOfFeeds().first().value("feedFileName"), "(untitled)");
    EXPECT_EQ(list()->selectedRow(), 0);
    EXPECT_EQ(window->lastFeedViewed(), 0);
}

TEST_F(FeedListTest, AFeedWhoseFileWentAwayIsOfferedForRemoval)
{
    const QString kept = QDir(home()).filePath("kept.xml");
    const QString gone = QDir(home()).filePath("gone.xml");
    writeFile(kept, smallFeed("Kept"));
    writeFile(gone, smallFeed("Gone"));
    storeList({entry(kept, "K"), entry(gone, "G")});
    startApplication();
    QFile::remove(gone);
    alerts->clear();
    alerts->queueAnswer(AlertService::kDefault);
    list()->fieldSelected(1);
    EXPECT_EQ(list()->selectedRow(), 0);
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts()[0].title, "Warning");
    QTest::qWait(200);
    EXPECT_EQ(entryIds(controller->feedController()->currentListOfFeeds()), QStringList {"K"});
}

TEST_F(FeedListTest, RowsShowFileNamesOrPathsByTheSetting)
{
    const QString feed = QDir(home()).filePath("feeds/show.xml");
    writeFile(feed, smallFeed("Show"));
    storeList({entry(feed, "S")});
    VLXPreferences::setObjectForKey(0, "M_HidePath");
    startApplication();
    EXPECT_EQ(list()->rowText(0), "~/feeds/show.xml");
    VLXPreferences::setObjectForKey(1, "M_HidePath");
    list()->reloadData();
    EXPECT_EQ(list()->rowText(0), "show.xml");
}
