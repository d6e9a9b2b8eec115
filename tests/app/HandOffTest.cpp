// The hand-offs to the tools of other parts (wizard, preferences, item import, OPML, licence
// paste), through one scripted tool: what the window gives it and what it does with the result.
#include "ActionsFixture.h"

#include "app/ItemsPane.h"
#include "app/ToolHandOffs.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "model/SmartDate.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "panes/FeedWizardTool.h"
#include "panes/ItemImportTool.h"
#include "panes/LicencePasteTool.h"
#include "panes/OPMLTool.h"
#include "panes/PreferencesTool.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXListBox.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextViewHTML.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMainWindow>
#include <QTabWidget>
#include <QTest>

namespace {
std::shared_ptr<VLXItems> itemTitled(const QString &title)
{
    auto item = std::make_shared<VLXItems>();
    item->setTitle(title);
    return item;
}

// Every tool at once: it does what the test sets and logs what it was given.
class ScriptedTools : public FeedWizardTool,
                      public PreferencesTool,
                      public ItemImportTool,
                      public OPMLTool,
                      public LicencePasteTool
{
public:
    std::shared_ptr<VLXFeed> feedWizard(QWidget *, const QString &uniqueKey) override
    {
        log << "feed wizard " + uniqueKey;
        if (duringRun)
            duringRun(uniqueKey);
        if (!madeTitle)
            return nullptr;
        auto feed = std::make_shared<VLXFeed>();
        feed->setTitle(*madeTitle);
        return feed;
    }
    bool feedItemWizard(QWidget *, const QStringList &, bool useEnclosure, bool useiTunes) override
    {
        log << QStringLiteral("item wizard %1 %2").arg(useEnclosure).arg(useiTunes);
        return finish;
    }
    VLXFeed::ItemList newItems() const override
    {
        VLXFeed::ItemList items;
        for (const QString &title : itemTitles)
            items << itemTitled(title);
        return items;
    }
    void showPanel(QWidget *, const QString &uniqueKey, const QStringList &) override
    {
        log << "preferences " + uniqueKey;
        if (duringRun)
            duringRun(uniqueKey);
    }
    bool showImportWindow(QWidget *, const QString &destination, const QString &starting,
                          std::function<void()> endedCall) override
    {
        log << "import " + destination + " <- " + starting;
        ended = std::move(endedCall);
        return true;
    }
    int showOPMLList(QWidget *, const QList<QVariantMap> &feeds) override
    {
        log << QStringLiteral("OPML %1").arg(feeds.size());
        return 1;
    }
    QString firstLicenceURL(const extensionNSRaw &extension) const override
    {
        licences = &extension;
        return "https://creativecommons.org/licenses/by/4.0/";
    }
    bool selectLicense(QWidget *, const QString &preselected) override
    {
        log << "licence " + preselected;
        if (paste)
            QGuiApplication::clipboard()->setText(*paste);
        return paste.has_value();
    }

    QStringList log;
    std::optional<QString> madeTitle;
    QStringList itemTitles;
    bool finish = true;
    std::function<void(const QString &)> duringRun;
    std::function<void()> ended;
    std::optional<QString> paste;
    mutable const extensionNSRaw *licences = nullptr;
};
} // namespace

class HandOffTest : public ActionsFixture
{
protected:
    void install(Vellumcast &w)
    {
        w.tools().setFeedWizard(tools);
        w.tools().setPreferencesTool(tools);
        w.tools().setItemImportTool(tools);
        w.tools().setOPMLTool(tools);
        w.tools().setLicencePasteTool(tools);
    }
    std::shared_ptr<ScriptedTools> tools = std::make_shared<ScriptedTools>();
};

TEST_F(HandOffTest, ToolsAreOfferedOnceInstalledAndGetTheLoadedFeed)
{
    Vellumcast &w = openFeed();
    const QStringList commands {"feedWizard", "itemWizard", "preferences", "importFeedItems",
                                "createOPML"};
    // The application installs its wizard, preferences window, import and OPML export; without
    // them the commands go.
    for (const char *command : {"feedWizard", "preferences", "importFeedItems", "createOPML"})
        EXPECT_TRUE(w.command(command)->isEnabled()) << command;
    w.tools().setFeedWizard(nullptr);
    w.tools().setPreferencesTool(nullptr);
    w.tools().setItemImportTool(nullptr);
    w.tools().setOPMLTool(nullptr);
    w.validateCommands();
    for (const QString &command : commands)
        EXPECT_FALSE(w.command(command)->isEnabled()) << command.toStdString();
    install(w);
    for (const QString &command : commands)
        EXPECT_TRUE(w.command(command)->isEnabled()) << command.toStdString();

    // Preferences: shown for the loaded feed, and what changed is taken back afterwards.
    const QString key = w.currentFeedObjectForKey("UniqueIdentifier").toString();
    tools->duringRun = [](const QString &) {
        VLXPreferences::setObjectForKey(1, "M_ReturnIsNL");
        VLXPreferences::setObjectForKey(0, "M_HidePath");
    };
    w.command("preferences")->trigger();
    EXPECT_TRUE(field<VLXTextViewHTML>("Items_Required_Description")->returnIsNL());
    EXPECT_EQ(list()->rowText(0), "~/feed.xml");

    // Import: one window at a time; what it brings in is one step; its end shows item 0.
    w.command("importFeedItems")->trigger();
    w.tools().importFeedItemsFromDrop("https://example.org/other.xml"); // open already: a beep
    w.insertItems({itemTitled("In 1"), itemTitled("In 2")}, 1, "Import Items");
    endAction();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "In 1", "In 2", "B", "C"}));
    EXPECT_EQ(undo().undoActionName(), "Import Items");
    w.itemsPane()->itemTable()->selectRow(3);
    tools->ended();
    EXPECT_EQ(w.document()->shownItem(), 0);
    w.tools().importFeedItemsFromDrop("https://example.org/other.xml");
    w.command("createOPML")->trigger();
    EXPECT_EQ(tools->log,
              (QStringList {"preferences " + key, "import feed.xml <- ",
                            "import feed.xml <- https://example.org/other.xml", "OPML 1"}));

    w.tools().setFeedWizard(nullptr);
    EXPECT_FALSE(w.command("itemWizard")->isEnabled());
}

TEST_F(HandOffTest, AFeedFromTheWizardIsListedDatedByItsRulesAndSavedOnYes)
{
    Vellumcast &w = openFeed();
    w.document()->editField("Feeds_Required_Title", -1, "Changed");
    endAction();
    install(w);
    tools->madeTitle = "Made";
    tools->itemTitles = {"First", "Second"};
    // The wizard keeps the new feed's own smart-date rule under the identifier it was given.
    QString key;
    tools->duringRun = [&key](const QString &given) {
        key = given;
        VLXPreferences::setObjectForKey(true, "FD_CF_SD_Enabled", key);
        VLXPreferences::setObjectForKey(2, "FD_CF_SD_F_DataTo", key);
        VLXPreferences::setObjectForKey(10, "FD_CF_SD_F_TimeTo", key);
    };
    alerts->queueAnswer(AlertService::kAlternate); // Don't Save the changed feed
    alerts->queueAnswer(AlertService::kDefault); // Yes, save the new one
    alerts->queueAnswer(AlertService::kDefault); // even though its items lack links
    chooser->enqueue({path("made.xml")});
    w.command("feedWizard")->trigger();

    ASSERT_EQ(alertTitles(), (QStringList {"Warning", "Feed Created", "Feed Doesn't Validate"}));
    EXPECT_EQ(alerts->alerts()[1].message,
              "Your new feed has been created.  Do you wish to save it now?");
    EXPECT_EQ(fileNames(), (QStringList {"made.xml", "feed.xml"}));
    EXPECT_EQ(w.currentFeedObjectForKey("UniqueIdentifier").toString(), key);
    EXPECT_EQ(itemTitles(), (QStringList {"First", "Second"}));
    EXPECT_EQ(w.currentFeed()->pubDate(), SmartDate::feedSmartDate(true, 0, 0, 0, 2, 0, 10));
    EXPECT_FALSE(w.isDocumentEdited());
    EXPECT_TRUE(readFile(path("made.xml")).contains("<title>Made</title>"));

    // "No": listed unsaved; a wizard without items gives one blank item.
    tools->itemTitles.clear();
    alerts->queueAnswer(AlertService::kAlternate);
    w.tools().feedWizard();
    EXPECT_EQ(fileNames(), (QStringList {"(FeedWizard)", "made.xml", "feed.xml"}));
    EXPECT_EQ(itemTitles(), QStringList {"(untitled)"});
    EXPECT_TRUE(w.isDocumentEdited());

    // Cancelled: the settings kept for the feed it did not make go; "Cancel" in the image
    // question runs no wizard at all.
    alerts->clear();
    w.setDocumentEdited(false, true);
    tools->madeTitle.reset();
    tools->duringRun = [&key](const QString &given) {
        key = given;
        VLXPreferences::setObjectForKey("kept", "FD_CF_FF_Title", key);
    };
    w.tools().feedWizard();
    EXPECT_NE(VLXPreferences::objectForKey("FD_CF_FF_Title", key).toString(), "kept");
    EXPECT_EQ(fileNames().size(), 3);
    EXPECT_TRUE(alerts->alerts().isEmpty());
    const int runs = int(tools->log.size());
    w.setImageEdited(true);
    alerts->queueAnswer(AlertService::kOther);
    w.tools().feedWizard();
    EXPECT_EQ(alerts->alerts().last().message,
              "Changes have been made to this feed's image.  Do you want to save them before "
              "creating a new feed?");
    EXPECT_EQ(tools->log.size(), runs);
}

TEST_F(HandOffTest, TheWizardIsOfferedOnTheFirstStartOnlyWhenThereIsOne)
{
    tools->madeTitle = "From the offer";
    startApplication();
    window().tools().setFeedWizard(tools);
    alerts->queueAnswer(AlertService::kDefault); // Yes
    alerts->queueAnswer(AlertService::kAlternate); // not saved now
    QTest::qWait(400);
    ASSERT_FALSE(alerts->alerts().isEmpty());
    EXPECT_EQ(alerts->alerts().first().title, "Feed Creation Wizard");
    EXPECT_EQ(window().currentFeed()->title(), "From the offer");
    window().setDocumentEdited(false, true);
    stopApplication();

    alerts->clear();
    startApplication();
    window().tools().setFeedWizard(nullptr);
    QTest::qWait(400);
    EXPECT_TRUE(alerts->alerts().isEmpty()) << "without a wizard nothing is offered";
}

TEST_F(HandOffTest, ItemWizardItemsGoOnTopInOrderAsOneStep)
{
    Vellumcast &w = openFeed();
    install(w);
    tools->itemTitles = {"X", "Y"};
    w.document()->editField("Items_Optional_Enclosure_URL", 2, "https://example.org/c.mp3");
    endAction();
    w.command("itemWizard")->trigger();
    endAction();
    EXPECT_EQ(tools->log, QStringList {"item wizard 1 0"});
    EXPECT_EQ(itemTitles(), (QStringList {"X", "Y", "A", "B", "C"}));
    EXPECT_EQ(w.itemsPane()->itemTable()->selectedRow(), 0);
    EXPECT_EQ(undo().undoActionName(), "Item Wizard");
    w.undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
    tools->finish = false;
    w.tools().itemWizard();
    endAction();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
}

TEST_F(HandOffTest, ALicenceIsPastedWhereTheUserTypesWithTheScopesLicencePreselected)
{
    Vellumcast &w = openFeed();
    w.window()->show();
    QApplication::setActiveWindow(w.window());
    install(w);
    auto *copyright = field<VLXTextField>("Feeds_Optional_Copyright");
    w.outlet<QTabWidget>("tabsFeeds_FeedsSub")->setCurrentIndex(1);
    copyright->setFocus();
    QApplication::processEvents();
    // No licence extension: nothing preselected; cancelled: nothing pasted.
    w.tools().pasteCreativeCommons();
    EXPECT_EQ(tools->log, QStringList {"licence "});
    EXPECT_TRUE(copyright->text().isEmpty());

    w.document()->addNamespace("creativeCommons", QString());
    tools->paste = "https://creativecommons.org/licenses/by/4.0/";
    w.tools().pasteCreativeCommons();
    EXPECT_EQ(tools->licences, w.currentFeed()->XMLExtensions()->creativeCommonsExtension().get());
    EXPECT_EQ(tools->log.last(), "licence https://creativecommons.org/licenses/by/4.0/");
    w.finalizeChanges();
    endAction();
    EXPECT_EQ(w.currentFeed()->copyright(), "https://creativecommons.org/licenses/by/4.0/");
    EXPECT_EQ(undo().undoActionName(), "Feed Copyright");

    // On the items page the selected item's licences; without a selected item none.
    w.outlet<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    w.itemsPane()->itemTable()->clearSelection();
    tools->paste.reset();
    tools->licences = nullptr;
    w.tools().pasteCreativeCommons();
    EXPECT_EQ(tools->licences, nullptr);
    w.itemsPane()->itemTable()->selectRow(1);
    w.tools().pasteCreativeCommons();
    EXPECT_EQ(tools->licences,
              w.currentFeed()->itemAtIndex(1)->XMLExtensions()->creativeCommonsExtension().get());
}
