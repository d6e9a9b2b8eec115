// The hand-offs to the tools of other parts (wizard, preferences, item import, OPML, licence
// paste), each through a scripted tool: what the window gives it and what it does with the result.
#include "ActionsFixture.h"

#include "app/FeedDocument.h"
#include "app/FeedWizardTool.h"
#include "app/ItemImportTool.h"
#include "app/ItemsPane.h"
#include "app/LicencePasteTool.h"
#include "app/OPMLTool.h"
#include "app/PreferencesTool.h"
#include "app/VLXUndoManager.h"
#include "model/SmartDate.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
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
    item->setDescriptionElement(title);
    return item;
}

// A wizard that makes what it was told to, and remembers what it was asked.
class ScriptedWizard : public FeedWizardTool
{
public:
    std::shared_ptr<VLXFeed> feedWizard(QWidget *, const QString &uniqueKey) override
    {
        keys << uniqueKey;
        if (duringRun)
            duringRun(uniqueKey);
        if (!feedTitle)
            return nullptr;
        auto feed = std::make_shared<VLXFeed>();
        feed->setTitle(*feedTitle);
        feed->setLink("https://example.org/made");
        feed->setDescriptionElement("made by the wizard");
        return feed;
    }
    bool feedItemWizard(QWidget *, const QStringList &extensions, bool useEnclosure,
                        bool useiTunes) override
    {
        asked = {extensions.join('|'), useEnclosure ? "enclosure" : "", useiTunes ? "itunes" : ""};
        return finish;
    }
    VLXFeed::ItemList newItems() const override
    {
        VLXFeed::ItemList items;
        for (const QString &title : itemTitles)
            items << itemTitled(title);
        return items;
    }

    std::optional<QString> feedTitle;
    QStringList itemTitles;
    bool finish = true;
    std::function<void(const QString &)> duringRun;
    QStringList keys;
    QStringList asked;
};

class ScriptedPreferences : public PreferencesTool
{
public:
    void showPanel(QWidget *, const QString &uniqueKey, const QStringList &extensions) override
    {
        shownFor = uniqueKey;
        namespaces = extensions;
        if (change)
            change();
    }
    QString shownFor;
    QStringList namespaces;
    std::function<void()> change;
};

class ScriptedImport : public ItemImportTool
{
public:
    bool showImportWindow(QWidget *, const QString &destination, const QString &starting,
                          std::function<void()> endedCall) override
    {
        calls << destination + " <- " + starting;
        ended = std::move(endedCall);
        return opens;
    }
    QStringList calls;
    std::function<void()> ended;
    bool opens = true;
};

class ScriptedOPML : public OPMLTool
{
public:
    int showOPMLList(QWidget *, const QList<QVariantMap> &feeds) override
    {
        listed = feeds;
        return 1;
    }
    QList<QVariantMap> listed;
};

class ScriptedLicences : public LicencePasteTool
{
public:
    QString firstLicenceURL(const extensionNSRaw &extension) const override
    {
        asked = &extension;
        return "https://creativecommons.org/licenses/by/4.0/";
    }
    bool selectLicense(QWidget *, const QString &preselected) override
    {
        preselections << preselected;
        if (!paste)
            return false;
        QGuiApplication::clipboard()->setText(*paste);
        return true;
    }
    mutable const extensionNSRaw *asked = nullptr;
    QStringList preselections;
    std::optional<QString> paste;
};
} // namespace

class HandOffTest : public ActionsFixture
{
protected:
    QStringList fileNames() const
    {
        QStringList names;
        for (const QVariantMap &entry : window().currentListOfFeeds())
            names << entry.value("feedFileName").toString();
        return names;
    }
};

TEST_F(HandOffTest, ToolCommandsAreOfferedOnlyWhileAToolIsInstalled)
{
    Vellumcast &w = openFeed();
    const QStringList commands {"feedWizard", "itemWizard", "preferences", "importFeedItems",
                                "createOPML"};
    w.validateCommands();
    for (const QString &command : commands)
        EXPECT_FALSE(w.command(command)->isEnabled()) << command.toStdString();
    w.setFeedWizard(std::make_shared<ScriptedWizard>());
    w.setPreferencesTool(std::make_shared<ScriptedPreferences>());
    w.setItemImportTool(std::make_shared<ScriptedImport>());
    w.setOPMLTool(std::make_shared<ScriptedOPML>());
    for (const QString &command : commands)
        EXPECT_TRUE(w.command(command)->isEnabled()) << command.toStdString();
    w.setFeedWizard(nullptr);
    EXPECT_FALSE(w.command("feedWizard")->isEnabled());
    EXPECT_FALSE(w.command("itemWizard")->isEnabled());
}

TEST_F(HandOffTest, AFeedFromTheWizardIsListedDatedByItsRulesAndSavedOnYes)
{
    Vellumcast &w = openFeed();
    w.document()->editField("Feeds_Required_Title", -1, "Changed");
    endAction();
    auto wizard = std::make_shared<ScriptedWizard>();
    wizard->feedTitle = "Made";
    wizard->itemTitles = {"First", "Second"};
    // The wizard keeps the new feed's own smart-date rule under the identifier it was given.
    wizard->duringRun = [](const QString &key) {
        VLXPreferences::setObjectForKey(true, "FD_CF_SD_Enabled", key);
        VLXPreferences::setObjectForKey(2, "FD_CF_SD_F_DataTo", key);
        VLXPreferences::setObjectForKey(10, "FD_CF_SD_F_TimeTo", key);
    };
    w.setFeedWizard(wizard);
    alerts->queueAnswer(AlertService::kAlternate); // Don't Save the changed feed
    alerts->queueAnswer(AlertService::kDefault); // Yes, save the new one
    alerts->queueAnswer(AlertService::kDefault); // even though its items lack links
    chooser->enqueue({path("made.xml")});
    w.command("feedWizard")->trigger();

    ASSERT_EQ(alertTitles(), (QStringList {"Warning", "Feed Created", "Feed Doesn't Validate"}));
    EXPECT_EQ(alerts->alerts()[0].message,
              "Changes have been made to this feed.  Do you want to save them before creating a "
              "new feed?");
    EXPECT_EQ(alerts->alerts()[1].message,
              "Your new feed has been created.  Do you wish to save it now?");
    ASSERT_EQ(wizard->keys.size(), 1);
    EXPECT_EQ(fileNames(), (QStringList {"made.xml", "feed.xml"}));
    EXPECT_EQ(w.currentFeedObjectForKey("UniqueIdentifier").toString(), wizard->keys.first());
    EXPECT_EQ(w.currentFeed()->title(), "Made");
    EXPECT_EQ(itemTitles(), (QStringList {"First", "Second"}));
    EXPECT_EQ(w.currentFeed()->pubDate(), SmartDate::feedSmartDate(true, 0, 0, 0, 2, 0, 10));
    EXPECT_FALSE(w.document()->autoPubDate());
    EXPECT_FALSE(w.isDocumentEdited());
    EXPECT_TRUE(readFile(path("made.xml")).contains("<title>Made</title>"));
    EXPECT_FALSE(readFile(path("feed.xml")).contains("Changed"));

    // "No": the new feed stays listed, unsaved; a wizard without items gives one blank item.
    alerts->clear();
    wizard->feedTitle = "Second made";
    wizard->itemTitles = {};
    alerts->queueAnswer(AlertService::kAlternate);
    w.feedWizard();
    EXPECT_EQ(fileNames(), (QStringList {"(FeedWizard)", "made.xml", "feed.xml"}));
    EXPECT_EQ(itemTitles(), QStringList {"(untitled)"});
    EXPECT_TRUE(w.isDocumentEdited());
    EXPECT_EQ(w.window()->windowTitle(), "Second made[*]");
}

TEST_F(HandOffTest, ACancelledWizardDropsTheSettingsOfTheFeedItDidNotMake)
{
    Vellumcast &w = openFeed();
    auto wizard = std::make_shared<ScriptedWizard>();
    wizard->duringRun = [](const QString &key) {
        VLXPreferences::setObjectForKey("kept", "FD_CF_FF_Title", key);
    };
    w.setFeedWizard(wizard);
    w.feedWizard();
    ASSERT_EQ(wizard->keys.size(), 1);
    EXPECT_NE(VLXPreferences::objectForKey("FD_CF_FF_Title", wizard->keys.first()).toString(),
              "kept");
    EXPECT_EQ(fileNames(), QStringList {"feed.xml"});
    EXPECT_EQ(w.currentFeed()->title(), "Feed");
    EXPECT_TRUE(alerts->alerts().isEmpty());

    // "Cancel" in the image question: no wizard runs.
    w.setImageEdited(true);
    alerts->queueAnswer(AlertService::kOther);
    w.feedWizard();
    EXPECT_EQ(alerts->alerts().last().message,
              "Changes have been made to this feed's image.  Do you want to save them before "
              "creating a new feed?");
    EXPECT_EQ(wizard->keys.size(), 1);
}

TEST_F(HandOffTest, TheWizardIsOfferedOnTheFirstStartOnlyWhenThereIsOne)
{
    auto wizard = std::make_shared<ScriptedWizard>();
    wizard->feedTitle = "From the offer";
    startApplication();
    window().setFeedWizard(wizard);
    alerts->queueAnswer(AlertService::kDefault); // Yes
    alerts->queueAnswer(AlertService::kAlternate); // not saved now
    QTest::qWait(400);
    ASSERT_GE(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().first().title, "Feed Creation Wizard");
    EXPECT_EQ(wizard->keys.size(), 1);
    EXPECT_EQ(window().currentFeed()->title(), "From the offer");
    window().setDocumentEdited(false, true);
    stopApplication();

    alerts->clear();
    startApplication();
    QTest::qWait(400);
    EXPECT_TRUE(alerts->alerts().isEmpty()) << "without a wizard nothing is offered";
}

TEST_F(HandOffTest, ItemWizardItemsGoOnTopInOrderAsOneStep)
{
    Vellumcast &w = openFeed();
    auto wizard = std::make_shared<ScriptedWizard>();
    wizard->itemTitles = {"X", "Y"};
    w.setFeedWizard(wizard);
    w.document()->editField("Items_Optional_Enclosure_URL", 2, "https://example.org/c.mp3");
    endAction();
    const int steps = undo().count();
    w.command("itemWizard")->trigger();
    endAction();
    EXPECT_EQ(wizard->asked,
              (QStringList {w.document()->namespaceDescriptions().join('|'), "enclosure", ""}));
    EXPECT_EQ(itemTitles(), (QStringList {"X", "Y", "A", "B", "C"}));
    EXPECT_EQ(w.itemsPane()->itemTable()->selectedRow(), 0);
    EXPECT_EQ(w.outlet<QTabWidget>("tabsFeeds")->currentIndex(), int(Vellumcast::ItemsTab));
    EXPECT_EQ(undo().count(), steps + 1);
    EXPECT_EQ(undo().undoActionName(), "Item Wizard");
    w.undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));

    wizard->finish = false;
    w.itemWizard();
    endAction();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
}

TEST_F(HandOffTest, PreferencesAreShownForTheLoadedFeedAndTakenBackAfterwards)
{
    Vellumcast &w = openFeed();
    auto preferences = std::make_shared<ScriptedPreferences>();
    preferences->change = [] {
        VLXPreferences::setObjectForKey(1, "M_ReturnIsNL");
        VLXPreferences::setObjectForKey(0, "M_HidePath");
    };
    w.setPreferencesTool(preferences);
    ASSERT_EQ(list()->rowText(0), "feed.xml");
    w.command("preferences")->trigger();
    EXPECT_EQ(preferences->shownFor, w.currentFeedObjectForKey("UniqueIdentifier").toString());
    EXPECT_EQ(preferences->namespaces, w.document()->namespaceDescriptions());
    EXPECT_TRUE(field<VLXTextViewHTML>("Items_Required_Description")->returnIsNL());
    EXPECT_EQ(list()->rowText(0), "~/feed.xml") << "the list shows paths now";
    EXPECT_EQ(list()->selectedRow(), 0);
}

TEST_F(HandOffTest, ImportOpensOneWindowAtATimeAndItsItemsAreOneStep)
{
    Vellumcast &w = openFeed();
    auto import = std::make_shared<ScriptedImport>();
    w.setItemImportTool(import);
    w.command("importFeedItems")->trigger();
    w.importFeedItems(); // open already: a beep
    w.importFeedItemsFromDrop("https://example.org/other.xml");
    EXPECT_EQ(import->calls, QStringList {"feed.xml <- "});
    ASSERT_TRUE(w.isImporting());
    // What the import window brings in is one step.
    w.insertItems({itemTitled("In 1"), itemTitled("In 2")}, 1, "Import Items");
    endAction();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "In 1", "In 2", "B", "C"}));
    EXPECT_EQ(undo().undoActionName(), "Import Items");
    w.itemsPane()->itemTable()->selectRow(3);
    import->ended();
    EXPECT_FALSE(w.isImporting());
    EXPECT_EQ(w.document()->shownItem(), 0);

    w.importFeedItemsFromDrop("https://example.org/other.xml");
    EXPECT_EQ(import->calls.last(), "feed.xml <- https://example.org/other.xml");
    EXPECT_EQ(w.outlet<QTabWidget>("tabsFeeds")->currentIndex(), int(Vellumcast::ItemsTab));
    import->ended();
    // A window that could not be shown leaves no import running.
    import->opens = false;
    w.importFeedItems();
    EXPECT_FALSE(w.isImporting());
}

TEST_F(HandOffTest, OPMLGetsTheFeedList)
{
    Vellumcast &w = openFeed();
    auto opml = std::make_shared<ScriptedOPML>();
    w.setOPMLTool(opml);
    w.command("createOPML")->trigger();
    EXPECT_EQ(opml->listed, w.currentListOfFeeds());
}

TEST_F(HandOffTest, ALicenceIsPastedWhereTheUserTypesWithTheScopesLicencePreselected)
{
    Vellumcast &w = openFeed();
    w.window()->show();
    QApplication::setActiveWindow(w.window());
    auto licences = std::make_shared<ScriptedLicences>();
    w.setLicencePasteTool(licences);

    // No Creative Commons extension: nothing to preselect; cancelled: nothing pasted.
    auto *copyright = field<VLXTextField>("Feeds_Optional_Copyright");
    w.outlet<QTabWidget>("tabsFeeds_FeedsSub")->setCurrentIndex(1);
    copyright->setFocus();
    QApplication::processEvents();
    w.pasteCreativeCommons();
    EXPECT_EQ(licences->preselections, QStringList {""});
    EXPECT_EQ(licences->asked, nullptr);
    EXPECT_TRUE(copyright->text().isEmpty());

    w.document()->addNamespace("creativeCommons",
                               "http://backend.userland.com/creativeCommonsRssModule");
    licences->paste = "https://creativecommons.org/licenses/by/4.0/";
    w.pasteCreativeCommons();
    EXPECT_EQ(licences->asked, w.currentFeed()->XMLExtensions()->creativeCommonsExtension().get());
    EXPECT_EQ(licences->preselections.last(), "https://creativecommons.org/licenses/by/4.0/");
    EXPECT_EQ(copyright->text(), "https://creativecommons.org/licenses/by/4.0/");
    w.finalizeChanges();
    endAction();
    EXPECT_EQ(w.currentFeed()->copyright(), "https://creativecommons.org/licenses/by/4.0/");
    EXPECT_EQ(undo().undoActionName(), "Feed Copyright");

    // On the items page without a selected item nothing is preselected.
    w.outlet<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    w.itemsPane()->itemTable()->clearSelection();
    licences->asked = nullptr;
    licences->paste.reset();
    w.pasteCreativeCommons();
    EXPECT_EQ(licences->asked, nullptr);
    EXPECT_EQ(licences->preselections.last(), "");
    w.itemsPane()->itemTable()->selectRow(1);
    w.pasteCreativeCommons();
    EXPECT_EQ(licences->asked,
              w.currentFeed()->itemAtIndex(1)->XMLExtensions()->creativeCommonsExtension().get());
}
