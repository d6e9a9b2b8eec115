// The wizard as a user meets it: through the window's commands, on the real sheet, with
// scripted alerts and file choosers.
#include "ActionsFixture.h"
#include "ModalScript.h"
#include "WizardDriver.h"

#include "app/ItemActions.h"
#include "app/ItemsPane.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "extensions/itunes/iTunesChannel.h"
#include "extensions/itunes/iTunesItem.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXBrowser.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXImageView.h"
#include "ui/VLXTableView.h"
#include "wizard/FeedWizard.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMimeData>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QUrl>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::shared_ptr<iTunesItem> episode(const VLXItems &item)
{
    return std::dynamic_pointer_cast<iTunesItem>(item.XMLExtensions()->iTunesExtension());
}

// Chooses Leisure, Aviation in the category sheet the Add button opens.
void addCategory(const WizardDriver &wizard)
{
    ModalScript::whenShown("iTunesCategoryEdit", [] {
        QWidget *sheet = QApplication::activeModalWidget();
        auto *browser = sheet->findChild<VLXBrowser *>("catBrowser");
        const QModelIndex leisure
            = browser->model()
                  ->match(browser->model()->index(0, 0), Qt::DisplayRole, "Leisure")
                  .value(0);
        browser->setCurrentIndex(browser->model()->index(3, 0, leisure));
        sheet->findChild<QPushButton *>("accept")->click();
    });
    wizard.get<QPushButton>("feediTunesCategory_Add")->click();
}

// The feed pages of a podcast up to its first item, with a subtitle typed with markup and the
// summary copied from the description.
void podcastFeedPages(const WizardDriver &wizard)
{
    wizard.nextTo("Feed_type");
    wizard.chooseKind(2);
    wizard.nextTo("Feed_title");
    wizard.type("feedTitle", "Harbour Tales");
    wizard.nextTo("Feed_description");
    wizard.type("feedDescription", "Stories from the <i>harbour</i>");
    wizard.nextTo("Feed_link");
    wizard.type("feedLink", "https://example.org/tales/");
    wizard.nextTo("Feed_copyright");
    wizard.type("feedCopyright", "2026 Harbour Tales");
    wizard.nextTo("Feed_language");
    wizard.chooseLanguage("English");
    wizard.nextTo("Feed_iTunes_subtitle");
    wizard.type("feediTunesSubtitle", "Tales of the <b>harbour</b>");
    wizard.nextTo("Feed_iTunes_summary");
    EXPECT_EQ(wizard.text("feediTunesSubtitle"), "Tales of the harbour");
    wizard.copy();
    EXPECT_EQ(wizard.text("feediTunesSummary"), "Stories from the harbour");
    wizard.nextTo("Feed_iTunes_category");
    addCategory(wizard);
    wizard.nextTo("Feed_iTunes_keywords");
    wizard.type("feediTunesKeywords", "harbour,boats,sea");
    wizard.nextTo("Feed_iTunes_author");
    wizard.type("feediTunesAuthor", "Ann Harbour");
    wizard.nextTo("Feed_iTunes_owner");
    wizard.type("feediTunesOwnerName", "Ann Harbour");
    wizard.type("feediTunesOwnerEmail", "ann@example.org");
    wizard.nextTo("Feed_iTunes_image");
    wizard.type("feediTunesImage", "https://example.org/tales/art.jpg");
    wizard.nextTo("Item_intro");
}

// An episode's pages from its enclosure page to the finish page.
void episodePages(const WizardDriver &wizard, const QString &duration, const char *finish)
{
    wizard.nextTo("Item_iTunes_subtitle");
    wizard.copy();
    wizard.nextTo("Item_iTunes_summary");
    wizard.copy();
    wizard.nextTo("Item_iTunes_duration");
    wizard.type("itemiTunesDuration", duration);
    wizard.nextTo("Item_iTunes_keywords");
    wizard.type("itemiTunesKeywords", "harbour");
    wizard.nextTo("Item_iTunes_author");
    wizard.type("itemiTunesAuthor", "Ann Harbour");
    wizard.nextTo(finish);
}
} // namespace

class WizardFlowTest : public ActionsFixture
{
protected:
    void TearDown() override
    {
        ModalScript::cancelPending();
        ActionsFixture::TearDown();
    }
    // Runs the script on the wizard's sheet once it is up.
    static void onWizard(std::function<void(const WizardDriver &)> script)
    {
        ModalScript::whenShown("FeedWizard", [script = std::move(script)] {
            script(WizardDriver(QApplication::activeModalWidget()));
        });
    }
};

TEST_F(WizardFlowTest, ABasicFeedWithTwoItems)
{
    Vellumcast &w = openFeed();
    onWizard([this](const WizardDriver &wizard) {
        EXPECT_EQ(wizard.page(), "Intro_1");
        EXPECT_EQ(wizard.get<QStackedWidget>("wizardTypeImage")->currentWidget()->objectName(),
                  "Feed");
        wizard.nextTo("Feed_type");
        wizard.nextTo("Feed_title");
        wizard.type("feedTitle", "Harbour Notes");
        wizard.nextTo("Feed_description");
        wizard.type("feedDescription", "Notes from the harbour");
        wizard.nextTo("Feed_link");
        wizard.type("feedLink", "https://example.org/notes/");
        wizard.nextTo("Feed_copyright");
        wizard.nextTo("Feed_language");
        wizard.chooseLanguage("English");
        wizard.nextTo("Item_intro");
        wizard.nextTo("Item_title");
        EXPECT_EQ(wizard.get<QLabel>("countOn6")->text(), "1 of 1");
        wizard.fillItem("First", "https://example.org/notes/1");
        EXPECT_FALSE(wizard.get<VLXCheckBox>("itemIncludeEnclosure")->isChecked());
        EXPECT_FALSE(wizard.get("itemEnclosureURL")->isVisible());
        // The enclosure is checked with its box off too: a length that is no number stays out.
        wizard.type("itemEnclosureLength", "long");
        wizard.nextTo("Item_enclosure");
        wizard.type("itemEnclosureLength", "");
        wizard.nextTo("Feed_finalize");
        wizard.nextTo("Item_title");
        EXPECT_EQ(wizard.get<QLabel>("countOn7")->text(), "2 of 2");
        EXPECT_TRUE(wizard.text("itemTitle").isEmpty());
        wizard.fillItem("Second", "https://example.org/notes/2");
        wizard.nextTo("Feed_finalize");
        alerts->clear();
        alerts->queueAnswer(AlertService::kAlternate); // not saved now
        wizard.finish();
    });
    w.command("feedWizard")->trigger();

    EXPECT_EQ(alertTitles(), QStringList {"Feed Created"});
    EXPECT_EQ(fileNames().first(), "(FeedWizard)");
    const VLXFeed &feed = *w.currentFeed();
    EXPECT_EQ(feed.title(), "Harbour Notes");
    EXPECT_EQ(feed.link(), "https://example.org/notes/");
    EXPECT_EQ(feed.language(), "en");
    EXPECT_FALSE(feed.XMLExtensions()->iTunesExtensionUsed());
    EXPECT_EQ(itemTitles(), (QStringList {"First", "Second"}));
    EXPECT_EQ(feed.itemAtIndex(1)->descriptionElement(), "About Second");
    EXPECT_TRUE(feed.itemAtIndex(0)->GUID().endsWith("-VLX"));
    EXPECT_NE(feed.itemAtIndex(0)->GUID(), feed.itemAtIndex(1)->GUID());
    EXPECT_TRUE(w.isDocumentEdited());
}

TEST_F(WizardFlowTest, APodcastOfThreeEpisodesOneWithALocalFileSavesAndValidates)
{
    Vellumcast &w = openFeed();
    const QString sound = path("ep1.mp3");
    writeFile(sound, QByteArray(4321, 'x'));
    chooser->enqueue({sound});
    chooser->enqueue({path("tales.xml")});
    onWizard([this, sound](const WizardDriver &wizard) {
        podcastFeedPages(wizard);
        wizard.nextTo("Item_title");
        wizard.fillItem("Episode 1", "https://example.org/tales/1");
        EXPECT_TRUE(wizard.get<VLXCheckBox>("itemIncludeEnclosure")->isChecked());
        wizard.type("itemEnclosureURL", "https://example.org/tales/ep1.mp3");
        wizard.get<QPushButton>("itemEnclosureSelectLocalFile")->click();
        EXPECT_EQ(wizard.text("itemEnclosureLength"), "4321");
        EXPECT_EQ(wizard.text("itemEnclosureType"), "audio/mpeg");
        EXPECT_EQ(wizard.text("itemEnclosureLocalFilename"), sound);
        episodePages(wizard, "1:5:0", "Feed_iTunes_finalize");
        EXPECT_EQ(wizard.text("itemiTunesDuration"), "1:5:0") << "the field keeps what was typed";
        for (int n : {2, 3}) {
            wizard.nextTo("Item_title");
            wizard.fillItem(QStringLiteral("Episode %1").arg(n),
                            QStringLiteral("https://example.org/tales/%1").arg(n));
            wizard.nextTo("Item_enclosure"); // a podcast's episode needs its address
            wizard.type("itemEnclosureURL",
                        QStringLiteral("https://example.org/tales/ep%1.mp3").arg(n));
            wizard.type("itemEnclosureLength", "1000");
            wizard.type("itemEnclosureType", "audio/mpeg");
            episodePages(wizard, "30:00", "Feed_iTunes_finalize");
        }
        alerts->clear();
        alerts->queueAnswer(AlertService::kDefault); // saved now
        wizard.finish();
    });
    w.command("feedWizard")->trigger();

    // No "Feed Doesn't Validate" after the save: the new podcast validates.
    EXPECT_EQ(alertTitles(), QStringList {"Feed Created"});
    EXPECT_EQ(fileNames().first(), "tales.xml");
    EXPECT_FALSE(w.isDocumentEdited());
    const VLXFeed &feed = *w.currentFeed();
    const auto channel
        = std::dynamic_pointer_cast<iTunesChannel>(feed.XMLExtensions()->iTunesExtension());
    ASSERT_TRUE(channel);
    EXPECT_EQ(channel->subtitle(), "Tales of the harbour");
    EXPECT_EQ(channel->summary(), "Stories from the harbour");
    EXPECT_EQ(channel->ownerEmail(), "ann@example.org");
    ASSERT_EQ(channel->category().size(), 1);
    EXPECT_EQ(channel->category().first().subCategory(), "Aviation");
    ASSERT_EQ(feed.countOfItems(), 3);
    QSet<QString> guids;
    for (const auto &item : feed.arrayOfItems()) {
        guids.insert(item->GUID());
        ASSERT_TRUE(episode(*item));
        EXPECT_EQ(episode(*item)->subtitle(), item->title());
    }
    EXPECT_EQ(guids.size(), 3);
    const VLXItems &first = *feed.itemAtIndex(0);
    EXPECT_EQ(first.localEnclosureFilePath(), sound);
    EXPECT_EQ(first.enclosureAttrLength(), "4321");
    EXPECT_EQ(episode(first)->duration(), "1:05:00");
    const QByteArray saved = readFile(path("tales.xml"));
    EXPECT_TRUE(saved.contains("<itunes:duration>1:05:00</itunes:duration>"));
    EXPECT_TRUE(saved.contains("<itunes:subtitle>Tales of the harbour</itunes:subtitle>"));
}

TEST_F(WizardFlowTest, ARefusedPageKeepsItsTextAndStoresNothing)
{
    openFeed();
    QWidget owner;
    FeedWizard tool;
    std::shared_ptr<VLXFeed> made = std::make_shared<VLXFeed>();
    onWizard([this, &tool](const WizardDriver &wizard) {
        WizardEngine &engine = tool.engine();
        wizard.nextTo("Feed_type");
        wizard.nextTo("Feed_title");
        alerts->clear();
        wizard.nextTo("Feed_title"); // an empty title
        EXPECT_EQ(alertTitles().size(), 1);
        wizard.type("feedTitle", "Refusals");
        wizard.nextTo("Feed_description");
        wizard.type("feedDescription", "d");
        wizard.nextTo("Feed_link");
        wizard.type("feedLink", "harbour");
        wizard.nextTo("Feed_link");
        EXPECT_EQ(wizard.text("feedLink"), "harbour");
        EXPECT_TRUE(engine.feed()->link().isEmpty());
        wizard.type("feedLink", "https://example.org/");
        wizard.nextTo("Feed_copyright");
        wizard.type("feedCopyright", "2026 Refusals");
        wizard.nextTo("Feed_language");
        // A blank language does for a feed, not for a podcast.
        wizard.get<VLXPopUpButton>("feedLanguage")->setCurrentIndex(0);
        wizard.nextTo("Item_intro");
        for (const char *page : {"Feed_language", "Feed_copyright", "Feed_link", "Feed_description",
                                 "Feed_title", "Feed_type"}) {
            wizard.back();
            EXPECT_EQ(wizard.page(), QLatin1String(page));
        }
        wizard.chooseKind(2);
        wizard.nextTo("Feed_title");
        EXPECT_EQ(wizard.text("feedTitle"), "Refusals") << "a page visited again shows its text";
        for (const char *page :
             {"Feed_description", "Feed_link", "Feed_copyright", "Feed_language"})
            wizard.nextTo(page);
        const int before = int(alerts->alerts().size());
        wizard.nextTo("Feed_language");
        EXPECT_EQ(alerts->alerts().size(), before + 1);
        wizard.chooseLanguage("English");
        wizard.nextTo("Feed_iTunes_subtitle");
        // Copy shows the title without storing it.
        wizard.copy();
        EXPECT_EQ(wizard.text("feediTunesSubtitle"), "Refusals");
        const auto channel = std::dynamic_pointer_cast<iTunesChannel>(
            engine.feed()->XMLExtensions()->iTunesExtension());
        ASSERT_TRUE(channel);
        EXPECT_NE(channel->subtitle(), "Refusals");
        wizard.nextTo("Feed_iTunes_summary");
        wizard.type("feediTunesSummary", "s");
        wizard.nextTo("Feed_iTunes_category");
        wizard.nextTo("Feed_iTunes_category"); // no category yet
        EXPECT_FALSE(wizard.get("feediTunesCategory_Delete")->isEnabled());
        addCategory(wizard);
        EXPECT_TRUE(wizard.get("feediTunesCategory_Delete")->isEnabled());
        wizard.nextTo("Feed_iTunes_keywords");
        wizard.nextTo("Feed_iTunes_author");
        wizard.nextTo("Feed_iTunes_owner");
        // A good name and a bad address: the address's alert only, and neither is stored.
        wizard.type("feediTunesOwnerName", "Ann");
        wizard.type("feediTunesOwnerEmail", "not an address");
        alerts->clear();
        wizard.nextTo("Feed_iTunes_owner");
        EXPECT_EQ(alerts->alerts().size(), 1);
        EXPECT_NE(channel->ownerName(), "Ann");
        // Cancel asks here; "No" stays, "Yes" ends the run.
        alerts->clear();
        alerts->queueAnswer(AlertService::kDefault);
        wizard.cancel();
        EXPECT_EQ(wizard.page(), "Feed_iTunes_owner");
        alerts->queueAnswer(AlertService::kAlternate);
        wizard.cancel();
        EXPECT_EQ(alertTitles(), (QStringList {"Warning", "Warning"}));
    });
    made = tool.feedWizard(window().window(), "REFUSED");
    EXPECT_EQ(made, nullptr);
}

TEST_F(WizardFlowTest, EscapeAndTheCloseButtonAskAsCancelDoes)
{
    openFeed();
    const struct
    {
        const char *how;
        std::function<void(const WizardDriver &)> leave;
    } ways[] = {
        {"Cancel", [](const WizardDriver &wizard) { wizard.cancel(); }},
        {"Escape",
         [](const WizardDriver &wizard) { QTest::keyClick(wizard.sheet(), Qt::Key_Escape); }},
        {"close button", [](const WizardDriver &wizard) { wizard.sheet()->close(); }},
    };
    for (const auto &[how, leave] : ways) {
        SCOPED_TRACE(how);
        FeedWizard tool;
        onWizard([this, leave = leave](const WizardDriver &wizard) {
            wizard.nextTo("Feed_type");
            wizard.nextTo("Feed_title");
            wizard.type("feedTitle", "Unfinished");
            alerts->clear();
            alerts->queueAnswer(AlertService::kDefault); // "No": the work stays
            leave(wizard);
            EXPECT_TRUE(wizard.isShown());
            EXPECT_EQ(wizard.text("feedTitle"), "Unfinished");
            alerts->queueAnswer(AlertService::kAlternate); // "Yes"
            leave(wizard);
            EXPECT_FALSE(wizard.isShown());
            EXPECT_EQ(alertTitles(), (QStringList {"Warning", "Warning"}));
        });
        EXPECT_EQ(tool.feedWizard(window().window(), "UNFINISHED"), nullptr);
    }
}

TEST_F(WizardFlowTest, TheItemWizardPutsItsItemsOnTopAsOneStep)
{
    Vellumcast &w = openFeed();
    VLXPreferences::setObjectForKey("https://example.org/default", "FD_AF_IF_Link");
    onWizard([](const WizardDriver &wizard) {
        EXPECT_EQ(wizard.page(), "Item_only_intro");
        EXPECT_EQ(wizard.get<QStackedWidget>("wizardTypeImage")->currentWidget()->objectName(),
                  "Item");
        wizard.nextTo("Item_title");
        EXPECT_EQ(wizard.text("itemLink"), "https://example.org/default");
        wizard.fillItem("X", "https://example.org/x");
        wizard.nextTo("Item_finalize");
        wizard.nextTo("Item_title");
        // Back from a new item whose link came from the defaults keeps it and shows the first.
        wizard.back();
        EXPECT_EQ(wizard.page(), "Item_title");
        EXPECT_EQ(wizard.text("itemTitle"), "X");
        EXPECT_EQ(wizard.get<QLabel>("countOn6")->text(), "1 of 2");
        wizard.nextTo("Item_description");
        wizard.nextTo("Item_link");
        wizard.nextTo("Item_enclosure");
        wizard.nextTo("Item_title"); // the second item
        wizard.fillItem("Y", "https://example.org/y");
        wizard.nextTo("Item_finalize");
        wizard.finish();
    });
    w.command("itemWizard")->trigger();
    endAction();
    EXPECT_EQ(itemTitles(), (QStringList {"X", "Y", "A", "B", "C"}));
    EXPECT_EQ(undo().undoActionName(), "Item Wizard");
    w.undo();
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));
}

TEST_F(WizardFlowTest, ThePodcastItemWizardMakesThreeEpisodesAndBackShowsEveryField)
{
    Vellumcast &w = openFeed();
    w.document()->addNamespace("itunes", QString());
    endAction();
    // Cancel before any item ends the run without a question and adds nothing.
    bool shown = false;
    onWizard([&shown](const WizardDriver &wizard) {
        shown = true;
        wizard.cancel();
    });
    w.command("itemWizard")->trigger();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(alerts->alerts().isEmpty());
    EXPECT_EQ(itemTitles(), (QStringList {"A", "B", "C"}));

    onWizard([](const WizardDriver &wizard) {
        wizard.nextTo("Item_title");
        wizard.fillItem("E1", "https://example.org/e1");
        // A blank enclosure address does in the item wizard.
        episodePages(wizard, "45", "Item_iTunes_finalize");
        wizard.nextTo("Item_title");
        wizard.fillItem("E2", "https://example.org/e2");
        episodePages(wizard, "1:00:00", "Item_iTunes_finalize");
        // A third item dropped from its title page, its title left typed in the field...
        wizard.nextTo("Item_title");
        wizard.type("itemTitle", "Dropped");
        wizard.back();
        EXPECT_EQ(wizard.page(), "Item_iTunes_finalize");
        // ...is not what Back shows for the item before it.
        wizard.back();
        EXPECT_EQ(wizard.page(), "Item_iTunes_author");
        EXPECT_EQ(wizard.text("itemTitle"), "E2");
        EXPECT_EQ(wizard.text("itemLink"), "https://example.org/e2");
        EXPECT_EQ(wizard.text("itemiTunesDuration"), "1:00:00");
        EXPECT_EQ(wizard.get<QLabel>("countOn26")->text(), "2 of 2");
        wizard.nextTo("Item_iTunes_finalize");
        wizard.nextTo("Item_title");
        wizard.fillItem("E3", "https://example.org/e3");
        episodePages(wizard, "10", "Item_iTunes_finalize");
        wizard.finish();
    });
    w.command("itemWizard")->trigger();
    endAction();
    EXPECT_EQ(itemTitles(), (QStringList {"E1", "E2", "E3", "A", "B", "C"}));
    QSet<QString> guids;
    for (int i = 0; i < 3; ++i) {
        const VLXItems &item = *w.currentFeed()->itemAtIndex(i);
        EXPECT_TRUE(item.GUID().endsWith("-VLX"));
        EXPECT_EQ(item.GUIDAttr(), 0);
        guids.insert(item.GUID());
        ASSERT_TRUE(episode(item));
    }
    EXPECT_EQ(guids.size(), 3);
    EXPECT_EQ(episode(*w.currentFeed()->itemAtIndex(0))->duration(), "0:45");
    EXPECT_EQ(undo().undoActionName(), "Item Wizard");
}

TEST_F(WizardFlowTest, TheFirstStartOffersTheWizardAndItsCancelLeavesTheSample)
{
    bool shown = false;
    onWizard([&shown](const WizardDriver &wizard) {
        shown = true;
        EXPECT_EQ(wizard.page(), "Intro_1");
        wizard.cancel(); // nothing typed yet: no question
    });
    alerts->queueAnswer(AlertService::kDefault); // Yes, the wizard
    startApplication();
    ASSERT_TRUE(QTest::qWaitFor([&shown] { return shown; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(alertTitles(), QStringList {"Feed Creation Wizard"});
    EXPECT_EQ(window().currentFeed()->title(), "Harbour Lights Radio");
    EXPECT_EQ(fileNames(), QStringList {"sample.xml"});
}

TEST_F(WizardFlowTest, TheLocalFileComesFromADropOrATypedPathUnderTheOneRule)
{
    Vellumcast &w = openFeed();
    const QString clip = path("clip.m4a");
    const QString sound = path("sound.mp3");
    writeFile(clip, QByteArray(10, 'c'));
    writeFile(sound, QByteArray(2048, 's'));
    onWizard([this, clip, sound](const WizardDriver &wizard) {
        wizard.nextTo("Item_title");
        wizard.fillItem("Local", "https://example.org/local");
        wizard.get<VLXCheckBox>("itemIncludeEnclosure")->click();
        EXPECT_TRUE(wizard.get("itemEnclosureLocalFilename")->isVisible());
        wizard.type("itemEnclosureURL", "https://example.org/sound.mp3");
        alerts->clear();
        // A typed name of no file: told, and the field shows what it showed before.
        wizard.type("itemEnclosureLocalFilename", path("missing.mp3"));
        EXPECT_EQ(alertTitles(), QStringList {"File not found"});
        EXPECT_TRUE(wizard.text("itemEnclosureLocalFilename").isEmpty());
        // A file of another type than the address: "Cancel" keeps the field as it was.
        alerts->queueAnswer(AlertService::kDefault);
        wizard.type("itemEnclosureLocalFilename", clip);
        EXPECT_EQ(alertTitles(), (QStringList {"File not found", "MIME Mismatch", "Canceled"}));
        EXPECT_TRUE(wizard.text("itemEnclosureLocalFilename").isEmpty());
        EXPECT_TRUE(wizard.text("itemEnclosureLength").isEmpty());
        // Dropped: an address that is no file is refused; a file gives its size and type.
        auto *target = wizard.get<VLXImageView>("itemEnclosureLocalFileDropTarget");
        auto drop = [target](const QUrl &url) {
            QMimeData data;
            data.setUrls({url});
            QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(target, &enter);
            QDropEvent event(QPointF(4, 4), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(target, &event);
            return event.isAccepted();
        };
        EXPECT_FALSE(drop(QUrl("https://example.org/sound.mp3")));
        EXPECT_FALSE(target->hasImage());
        EXPECT_TRUE(drop(QUrl::fromLocalFile(sound)));
        EXPECT_EQ(wizard.text("itemEnclosureLocalFilename"), sound);
        EXPECT_EQ(wizard.text("itemEnclosureLength"), "2048");
        EXPECT_EQ(wizard.text("itemEnclosureType"), "audio/mpeg");
        EXPECT_TRUE(target->hasImage());
        wizard.nextTo("Item_finalize");
        wizard.finish();
    });
    w.command("itemWizard")->trigger();
    const VLXItems &made = *w.currentFeed()->itemAtIndex(0);
    EXPECT_EQ(made.title(), "Local");
    EXPECT_EQ(made.localEnclosureFilePath(), sound);
    EXPECT_EQ(made.enclosureAttrLength(), "2048");
    EXPECT_EQ(made.includeEnclosure(), 1);
}

TEST_F(WizardFlowTest, OnlyAnOrdinaryFileWithAReadableNameBecomesTheLocalFile)
{
    Vellumcast &w = openFeed();
    const QString folder = path("episodes");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString pipe = path("live.mp3");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString zero = path("zero.mp3");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    // A Latin-1 name: its byte 0xE9 is no UTF-8.
    const QByteArray latin1 = QFile::encodeName(path("caf")) + "\xe9.mp3";
    const int made = ::open(latin1.constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(made, 0);
    ::close(made);
    const struct
    {
        QString chosen;
        QString title;
        QString says;
    } cases[] = {
        {folder, "Not a file", "is a folder"},
        {pipe, "Not a file", "is not an ordinary file"},
        {zero, "Not a file", "It links to \"/dev/zero\"."},
        {QFile::decodeName(latin1), "Unusable file name", "holds bytes that are not UTF-8"},
    };
    // The window's chooser for the selected item.
    w.itemsPane()->itemTable()->selectRow(0);
    for (const auto &c : cases) {
        alerts->clear();
        chooser->enqueue({c.chosen});
        w.itemActions().selectEnclosureFile();
        ASSERT_EQ(alertTitles(), QStringList {c.title}) << c.chosen.toStdString();
        EXPECT_TRUE(alerts->alerts().first().message.contains(c.says))
            << alerts->alerts().first().message.toStdString();
        EXPECT_TRUE(w.currentFeed()->itemAtIndex(0)->localEnclosureFilePath().isEmpty());
        EXPECT_TRUE(w.currentFeed()->itemAtIndex(0)->enclosureAttrLength().isEmpty());
    }
    // The wizard's chooser, and a drop on its target.
    for (const auto &c : cases)
        chooser->enqueue({c.chosen});
    onWizard([&](const WizardDriver &wizard) {
        wizard.nextTo("Item_title");
        wizard.fillItem("Local", "https://example.org/local");
        wizard.get<VLXCheckBox>("itemIncludeEnclosure")->click();
        auto *target = wizard.get<VLXImageView>("itemEnclosureLocalFileDropTarget");
        for (const auto &c : cases) {
            for (bool dropped : {false, true}) {
                alerts->clear();
                if (dropped) {
                    QMimeData data;
                    data.setUrls({QUrl::fromLocalFile(c.chosen)});
                    QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &data, Qt::LeftButton, {});
                    QApplication::sendEvent(target, &enter);
                    QDropEvent event(QPointF(4, 4), Qt::CopyAction, &data, Qt::LeftButton, {});
                    QApplication::sendEvent(target, &event);
                } else {
                    wizard.get<QPushButton>("itemEnclosureSelectLocalFile")->click();
                }
                EXPECT_EQ(alertTitles(), QStringList {c.title}) << c.chosen.toStdString();
                EXPECT_TRUE(wizard.text("itemEnclosureLocalFilename").isEmpty());
                EXPECT_TRUE(wizard.text("itemEnclosureLength").isEmpty());
            }
        }
        wizard.nextTo("Item_finalize");
        wizard.finish();
    });
    w.command("itemWizard")->trigger();
    EXPECT_TRUE(w.currentFeed()->itemAtIndex(0)->localEnclosureFilePath().isEmpty());
    ::unlink(latin1.constData()); // a name the home folder's removal cannot spell
}
