#include "AppFixture.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "app/WindowCommands.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "platform/HelpWindow.h"
#include "platform/MemoryDefaultsStore.h"
#include "platform/QtHelpService.h"
#include "ui/VLXHelpAnchored.h"
#include "ui/VLXListBox.h"

#include "VLXVersion.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QUrl>
#include <cstdlib>

using WindowTest = AppFixture;

namespace {
QStringList shownToolbarItems(QToolBar *bar)
{
    QStringList shown;
    for (QAction *action : bar->actions()) {
        if (!action->objectName().isEmpty())
            shown << action->objectName();
    }
    return shown;
}
} // namespace

TEST_F(WindowTest, EveryOutletExists)
{
    startApplication();
    Vellumcast *window = controller->feedController();
    const char *outlets[] = {"statusText",
                             "Feeds_Required_Files",
                             "Items_Required_Items",
                             "tabsFeeds",
                             "tabsFeeds_FeedsSub",
                             "tabsFeeds_ItemsSub",
                             "tabsFeeds_ImagesSub",
                             "tabsFeeds_FeedsExtensions",
                             "Feeds_SplitView",
                             "Items_SplitView",
                             "Image_SplitView",
                             "Feeds_Required_Title",
                             "Feeds_Required_Description",
                             "Feeds_Required_Link",
                             "Feeds_Required_PubDate",
                             "Feeds_Required_AutoPubDate",
                             "Feeds_Required_DatePickerButton",
                             "Feeds_Required_SmartDateButton",
                             "Feeds_Required_EditHTML",
                             "Feeds_Optional_SkipDays_Matrix",
                             "Feeds_Optional_SkipDays",
                             "Feeds_Optional_SkipDays_Box",
                             "Feeds_Optional_SkipHours_Matrix",
                             "Feeds_Optional_SkipHours",
                             "Feeds_Optional_SkipHours_Box",
                             "Feeds_Optional_Language",
                             "Feeds_Optional_Category",
                             "Feeds_Optional_DelCategory",
                             "Feeds_Optional_EditCategory",
                             "Feeds_Optional_Cloud_Domain",
                             "Feeds_Optional_Cloud_Port",
                             "Feeds_Optional_Cloud_Path",
                             "Feeds_Optional_Cloud_RegProc",
                             "Feeds_Optional_Cloud_Protocol",
                             "Feeds_Optional_Cloud",
                             "Feeds_Optional_Cloud_Box",
                             "Feeds_Optional_Cloud_Disclosure",
                             "Feeds_Optional_TextInput_Title",
                             "Feeds_Optional_TextInput_Description",
                             "Feeds_Optional_TextInput_Name",
                             "Feeds_Optional_TextInput_Link",
                             "Feeds_Optional_TextInput",
                             "Feeds_Optional_TextInput_Box",
                             "Feeds_Optional_TextInput_Disclosure",
                             "Feeds_Optional_Webmaster",
                             "Feeds_Optional_Editor",
                             "Feeds_Optional_Copyright",
                             "Feeds_Optional_Rating",
                             "Feeds_Optional_Docs",
                             "Feeds_Optional_TTL",
                             "Feeds_Advanced_StyleSheet",
                             "Feeds_Advanced_StyleSheetCSS",
                             "Feeds_Advanced_Comments",
                             "Feeds_Advanced_DelComments",
                             "Feeds_Advanced_EditComments",
                             "Feeds_Extensions_List",
                             "Image_Required_Title",
                             "Image_Required_Description",
                             "Image_Required_Link",
                             "Image_Required_URL",
                             "Image_Required_Image",
                             "Image_Required_Width",
                             "Image_Required_Height",
                             "Image_Advanced_Comments",
                             "Image_Advanced_DelComments",
                             "Image_Advanced_EditComments",
                             "Image_Edit_CropBox",
                             "Image_Edit_ScaleBox",
                             "Image_Edit_ScaleMatrix",
                             "Image_Edit_NewTop",
                             "Image_Edit_NewTopTF",
                             "Image_Edit_NewRight",
                             "Image_Edit_NewRightTF",
                             "Image_Edit_NewBottom",
                             "Image_Edit_NewBottomTF",
                             "Image_Edit_NewLeft",
                             "Image_Edit_NewLeftTF",
                             "Image_Edit_NewWidth",
                             "Image_Edit_NewHeight",
                             "Items_Required_Title",
                             "Items_Required_Link",
                             "Items_Required_PubDate",
                             "Items_Required_Description",
                             "Items_Required_DatePickerButton",
                             "Items_Required_SmartDateButton",
                             "Items_Required_EditHTML",
                             "Items_Optional_Category",
                             "Items_Optional_DelCategory",
                             "Items_Optional_EditCategory",
                             "Items_Optional_GUID_GUID",
                             "Items_Optional_GUID_Perma",
                             "Items_Optional_GUID",
                             "Items_Optional_GUID_Box",
                             "Items_Optional_GUID_Disclosure",
                             "Items_Optional_Source_Source",
                             "Items_Optional_Source_URL",
                             "Items_Optional_Source",
                             "Items_Optional_Source_Box",
                             "Items_Optional_Source_Disclosure",
                             "Items_Optional_Enclosure_URL",
                             "Items_Optional_Enclosure_Length",
                             "Items_Optional_Enclosure_Type",
                             "Items_Optional_Enclosure",
                             "Items_Optional_Enclosure_Box",
                             "Items_Optional_Enclosure_Disclosure",
                             "Items_Optional_Enclosure_Advanced_Filename",
                             "Items_Optional_Enclosure_Advanced_DropTarget",
                             "Items_Optional_Enclosure_sugestMIMEType",
                             "Items_Optional_Author",
                             "Items_Optional_Comments",
                             "Items_Advanced_Comments",
                             "Items_Advanced_DelComments",
                             "Items_Advanced_EditComments"};
    for (const char *name : outlets)
        EXPECT_NE(window->outlet(name), nullptr) << name;
    // The item and image extension tabs exist even while they are taken out.
    EXPECT_NE(window->outlet("tabsFeeds_ItemsExtensions"), nullptr);
}

TEST_F(WindowTest, EveryHelpAnchorOfTheWindowIsInTheHelpBook)
{
    startApplication();
    QtHelpService book;
    int anchored = 0;
    for (QWidget *widget : controller->mainWindow()->findChildren<QWidget *>()) {
        const auto *control = dynamic_cast<VLXHelpAnchored *>(widget);
        if (!control || control->helpAnchor().isEmpty())
            continue;
        ++anchored;
        EXPECT_TRUE(book.hasAnchor(control->helpAnchor()))
            << control->helpAnchor().toStdString() << " on " << widget->objectName().toStdString();
    }
    EXPECT_GE(anchored, 50);
    EXPECT_FALSE(controller->helpForField("NoSuchTopic"));

    // Help on the focused field opens its topic.
    Vellumcast *window = controller->feedController();
    QApplication::setActiveWindow(window->window());
    window->outlet("Feeds_Required_Link")->setFocus();
    window->command("helpBook")->trigger();
    HelpWindow *help = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets())
        help = help ? help : qobject_cast<HelpWindow *>(top);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->currentUrl().fragment(), "FeedLink");
}

TEST_F(WindowTest, EachTabHasItsToolbarAndACustomisedLayoutIsStored)
{
    startApplication();
    Vellumcast *window = controller->feedController();
    QToolBar *bar = window->commands().currentToolbar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(shownToolbarItems(bar).first(), "New Feed Item Identifier");
    EXPECT_TRUE(shownToolbarItems(bar).contains("Validate XML Item Identifier"));

    auto *tabs = window->outlet<QTabWidget>("tabsFeeds");
    tabs->setCurrentIndex(Vellumcast::ItemsTab);
    EXPECT_EQ(window->tabsFeedsIndex(), Vellumcast::ItemsTab);
    EXPECT_EQ(shownToolbarItems(bar).first(), "New Sheet Item Item Identifier");

    // A layout that differs from the default is stored when its tab is left ...
    const QStringList custom {"Delete Sheet Item Item Identifier", "View XML Item Identifier"};
    window->commands().setToolbarConfiguration(Vellumcast::ItemsTab, custom);
    EXPECT_EQ(shownToolbarItems(bar), custom);
    tabs->setCurrentIndex(Vellumcast::ImageTab);
    EXPECT_EQ(shownToolbarItems(bar).first(), "Open Image Image Item Identifier");
    const auto stored = store().array("Items Toolbar Dictionary Identifier");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->size(), 2);

    // ... restored at the next start ...
    stopApplication();
    startApplication();
    window = controller->feedController();
    EXPECT_EQ(window->commands().toolbarConfiguration(Vellumcast::ItemsTab), custom);

    // ... and forgotten once it is the default again.
    window->commands().setToolbarConfiguration(
        Vellumcast::ItemsTab, WindowCommands::defaultToolbarItems(Vellumcast::ItemsTab));
    window->commands().storeToolbarConfiguration(Vellumcast::ItemsTab);
    EXPECT_FALSE(store().contains("Items Toolbar Dictionary Identifier"));
}

TEST_F(WindowTest, CommandsFollowTheirRulesAndNeedBehaviour)
{
    startApplication();
    Vellumcast *window = controller->feedController();
    EXPECT_TRUE(window->command("aboutActionShow")->isEnabled());
    EXPECT_TRUE(window->command("helpKeyboardShortcuts")->isEnabled());
    // Move Feed Down needs a row that is not the last; the sample is the only row.
    window->validateCommands();
    EXPECT_FALSE(window->command("moveDownFeed")->isEnabled());

    int ran = 0;
    window->setCommandHandler("moveDownFeed", [&ran] { ++ran; });
    window->setCommandHandler("moveUpItem", [&ran] { ++ran; });
    EXPECT_FALSE(window->command("moveDownFeed")->isEnabled());
    // Item commands only on the items tab.
    EXPECT_FALSE(window->command("moveUpItem")->isEnabled());
    window->command("aboutActionShow")->trigger();
    EXPECT_EQ(ran, 0);

    // The parse log needs something to show.
    window->setCommandHandler("viewParseLog", [&ran] { ++ran; });
    auto feed = std::make_shared<VLXFeed>();
    window->setCurrentFeed(feed);
    EXPECT_FALSE(window->command("viewParseLog")->isEnabled());
    feed->addObjectToListOfErrors("Validate Error::The title is empty.");
    window->validateCommands();
    EXPECT_TRUE(window->command("viewParseLog")->isEnabled());
}

TEST_F(WindowTest, ExtensionTabsComeAndGoWithTheExtensions)
{
    startApplication();
    Vellumcast *window = controller->feedController();
    auto *items = window->outlet<QTabWidget>("tabsFeeds_ItemsSub");
    auto *image = window->outlet<QTabWidget>("tabsFeeds_ImagesSub");
    auto *channelTabs = window->outlet<QTabWidget>("tabsFeeds_FeedsExtensions");
    auto hasExtensionsTab = [](QTabWidget *sub) {
        for (int i = 0; i < sub->count(); ++i) {
            if (sub->widget(i)->objectName() == "Extensions")
                return i;
        }
        return -1;
    };

    auto plain = std::make_shared<VLXFeed>();
    plain->addItem(std::make_shared<VLXItems>());
    window->setCurrentFeed(plain);
    EXPECT_EQ(hasExtensionsTab(items), -1);
    EXPECT_EQ(hasExtensionsTab(image), -1);
    EXPECT_EQ(channelTabs->count(), 1);
    EXPECT_EQ(window->outlet<QTabWidget>("tabsFeeds_FeedsSub")->widget(2)->objectName(),
              "Extensions");

    // A feed whose first item uses a namespace brings the items' tab back at index 2.
    const QString itunes = "http://www.itunes.com/dtds/podcast-1.0.dtd";
    auto podcast = std::make_shared<VLXFeed>();
    podcast->XMLExtensions()->createExtensionWithNamespace("itunes", itunes);
    auto episode = std::make_shared<VLXItems>();
    episode->XMLExtensions()->createExtensionWithNamespace("itunes", itunes);
    podcast->addItem(episode);
    window->setCurrentFeed(podcast);
    EXPECT_EQ(hasExtensionsTab(items), 2);
    EXPECT_EQ(hasExtensionsTab(image), -1);
    EXPECT_EQ(window->outlet<QTabWidget>("tabsFeeds_ItemsExtensions")->count(), 1);
    ASSERT_EQ(channelTabs->count(), 2);
    EXPECT_EQ(channelTabs->widget(1)->objectName(), "itunes");

    window->setCurrentFeed(plain);
    EXPECT_EQ(hasExtensionsTab(items), -1);
    EXPECT_EQ(channelTabs->count(), 1);
    // The panes that went are out of the window at once: nothing finds them by name.
    EXPECT_EQ(window->window()->findChild<QWidget *>("itunes"), nullptr);
}

TEST_F(WindowTest, TheAboutWindowShowsTheVersionCentredOverTheWindow)
{
    startApplication();
    controller->feedController()->command("aboutActionShow")->trigger();
    QWidget *about = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets())
        about = top->objectName() == "aboutWindow" && top->isVisible() ? top : about;
    ASSERT_NE(about, nullptr);
    auto *version = about->findChild<QLabel *>("aboutVersion");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), QString("v") + VLXVersion::kVersionString);
    EXPECT_FALSE(about->findChild<QLabel *>("aboutMessage")->isVisible());
    const QRect frame = controller->mainWindow()->frameGeometry();
    EXPECT_LE(std::abs(about->geometry().center().x() - frame.center().x()), 2);
    about->findChild<QPushButton *>("aboutOK")->click();
    EXPECT_FALSE(about->isVisible());
}

TEST_F(WindowTest, AccessoriesShareTheStatusLine)
{
    startApplication();
    Vellumcast *window = controller->feedController();
    auto *button = new QPushButton("Licence");
    window->addButtonToStatusLine(button);
    EXPECT_EQ(button->parentWidget(), window->window()->statusBar());
    EXPECT_TRUE(button->isVisible());
    window->setStatusText("Reading");
    EXPECT_EQ(window->statusText(), "Reading");
    window->removeButtonToStatusLine(button);
    EXPECT_FALSE(button->isVisible());
    delete button;
}

TEST_F(WindowTest, AFeedDroppedOnTheListIsOpenedWhenTheUserSaysSo)
{
    startApplication();
    Vellumcast *window = controller->feedController();
    auto *list = window->outlet<VLXListBox>("Feeds_Required_Files");
    const QString dropped = QDir(home()).filePath("dropped.xml");
    writeFile(dropped, smallFeed("Dropped"));
    QMimeData text;
    text.setText("not a link");
    EXPECT_EQ(window->listBoxValidateDrop(list, &text), Qt::DropActions());
    QMimeData link;
    link.setUrls({QUrl::fromLocalFile(dropped)});
    EXPECT_NE(window->listBoxValidateDrop(list, &link), Qt::DropActions());

    alerts->clear();
    alerts->queueAnswer(AlertService::kAlternate);
    EXPECT_FALSE(window->listBoxAcceptDrop(list, &link));
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts()[0].title, "Feed Drag");
    EXPECT_EQ(alerts->alerts()[0].defaultButton, "Open feed");

    alerts->queueAnswer(AlertService::kDefault);
    EXPECT_TRUE(window->listBoxAcceptDrop(list, &link));
    QTest::qWait(100);
    EXPECT_EQ(window->currentListOfFeeds().first().value("feedFileName"), "dropped.xml");
    EXPECT_EQ(list->selectedRow(), 0);
}

TEST_F(WindowTest, ClosingTheWindowAsksFirstAndCancelKeepsItOpen)
{
    startApplication();
    Vellumcast *window = controller->feedController();
    bool answer = false;
    int asked = 0;
    window->setQuitQuestion([&] {
        ++asked;
        return answer;
    });
    window->window()->close();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(window->window()->isVisible());
    EXPECT_FALSE(window->isTerminating());

    answer = true;
    window->command("performClose")->trigger();
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(window->window()->isVisible());
    EXPECT_TRUE(window->isTerminating());
}

TEST_F(WindowTest, TheWindowReopensWhereItWasAndComesBackOntoTheScreen)
{
    auto startShown = [this] {
        startApplication();
        QMainWindow *main = controller->mainWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(main));
        return main;
    };
    QMainWindow *main = startShown();
    main->move(60, 70);
    main->resize(700, 500);
    QTest::qWait(50);
    const QRect frame = main->frameGeometry();
    ASSERT_EQ(frame.topLeft(), QPoint(60, 70));
    // Start after start, the frame stays put: it does not creep down by its title bar.
    for (int run = 0; run < 3; ++run) {
        stopApplication();
        main = startShown();
        EXPECT_EQ(main->frameGeometry(), frame) << "run " << run;
        EXPECT_EQ(main->size(), QSize(700, 500));
    }

    // The place kept by an earlier version (the same text under the same key) is taken as it is.
    stopApplication();
    store().setObject(QStringLiteral("100 90 720 480"), "NSWindow Frame Vellumcast");
    main = startShown();
    EXPECT_EQ(main->frameGeometry().topLeft(), QPoint(100, 90));
    EXPECT_EQ(main->size(), QSize(720, 480));

    // A place off every screen comes back onto the nearest one, whole.
    stopApplication();
    store().setObject(QStringLiteral("3000 -2000 700 500"), "NSWindow Frame Vellumcast");
    main = startShown();
    const QRect screen = main->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(main->geometry()))
        << main->geometry().x() << "," << main->geometry().y();
    EXPECT_EQ(main->size(), QSize(700, 500));
}
