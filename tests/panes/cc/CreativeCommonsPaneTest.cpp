// The licence tables of the feed window and the window's licence paste.
#include "CreativeCommonsTestSupport.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "document/VLXUndoManager.h"
#include "extensions/cc/CreativeCommonsLibrary.h"
#include "extensions/cc/creativeCommonsChannel.h"
#include "extensions/cc/creativeCommonsChannelPrefs.h"
#include "extensions/cc/creativeCommonsItem.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "panes/ExtensionFieldPane.h"
#include "panes/cc/CreativeCommonsListEditor.h"
#include "platform/Clock.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>

namespace {

const char *const kOldDate = "Mon, 07 Dec 2026 09:00:00 +0000";
const QString kBy = QStringLiteral("https://licenses.example.org/by/");
const QString kSa = QStringLiteral("https://licenses.example.org/sa/");

QByteArray licensedFeed()
{
    QByteArray items;
    for (int n = 1; n <= 3; ++n)
        items += QStringLiteral("<item><title>E%1</title><description>d</description>"
                                "<guid isPermaLink=\"false\">g%1</guid><pubDate>%2</pubDate>"
                                "<cc:license>https://l.example/item%1</cc:license></item>")
                     .arg(n)
                     .arg(QLatin1String(kOldDate))
                     .toUtf8();
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" "
           "xmlns:cc=\"http://backend.userland.com/creativeCommonsRssModule\"><channel>"
           "<title>T</title><link>https://example.org/</link><description>d</description>"
           "<pubDate>"
        + QByteArray(kOldDate)
        + "</pubDate><cc:license>https://l.example/one</cc:license>"
          "<cc:license>https://l.example/two</cc:license>"
          "<cc:license>https://l.example/three</cc:license>"
        + items + "</channel></rss>\n";
}

} // namespace

class CreativeCommonsPaneTest : public CreativeCommonsFixture
{
protected:
    void SetUp() override
    {
        CreativeCommonsFixture::SetUp();
        Clock::setInstance(
            std::make_shared<FixedClock>(QDateTime(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC)));
        CreativeCommonsLibrary::saveLicense(kBy, QStringLiteral("Attribution"),
                                            QStringLiteral("<a href=\"by\">By</a>"));
        CreativeCommonsLibrary::saveLicense(kSa, QStringLiteral("Share Alike"), QString());
    }
    void TearDown() override
    {
        Clock::setInstance(nullptr);
        CreativeCommonsFixture::TearDown();
    }

    Vellumcast &open()
    {
        Vellumcast &window = openInWindow(licensedFeed());
        window.outlet<VLXCheckBox>(QStringLiteral("Feeds_Required_AutoPubDate"))->click();
        return window;
    }
    Vellumcast &window() { return *controller->feedController(); }
    VLXUndoManager &undo() { return *window().undoManager(); }
    std::shared_ptr<creativeCommonsChannel> channel()
    {
        return std::dynamic_pointer_cast<creativeCommonsChannel>(
            window().currentFeed()->XMLExtensions()->creativeCommonsExtension());
    }
    std::shared_ptr<creativeCommonsItem> item(int row)
    {
        return std::dynamic_pointer_cast<creativeCommonsItem>(
            window().currentFeed()->itemAtIndex(row)->XMLExtensions()->creativeCommonsExtension());
    }
    // The pane showing the object.
    ExtensionFieldPane *paneOf(const std::shared_ptr<extensionNSRaw> &object)
    {
        for (auto *pane : window().window()->findChildren<ExtensionFieldPane *>()) {
            if (pane->fields() == FieldExtensionBase::from(object.get()))
                return pane;
        }
        return nullptr;
    }
    // "+" in the pane, choosing the licence of that row in the picker.
    void addFromPicker(ExtensionFieldPane *pane, int row)
    {
        whenShown(QStringLiteral("creativeCommonsSelect"), [row](QDialog *picker) {
            picker->findChild<VLXTableView *>(QStringLiteral("licenseTable"))->selectRow(row);
            picker->findChild<QPushButton *>(QStringLiteral("accept"))->click();
        });
        pane->findChild<QPushButton *>(QStringLiteral("licenseURL_Add"))->click();
    }
    QString feedDate() { return window().currentFeed()->pubDate(); }
};

TEST_F(CreativeCommonsPaneTest, AddDeleteAndDragAreOneStepEachThatPutBackTheDate)
{
    open();
    ExtensionFieldPane *pane = paneOf(channel());
    ASSERT_TRUE(pane);
    auto *table = pane->findChild<VLXTableView *>(QStringLiteral("licenseURLTable"));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->model()->rowCount(), 3);
    EXPECT_EQ(pane->findChild<QWidget *>(QStringLiteral("licenseURL_Edit")), nullptr)
        << "licences are not edited in place";
    const QStringList three = channel()->licenseString();

    addFromPicker(pane, 0);
    EXPECT_EQ(channel()->licenseString(), three + QStringList {kBy});
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Add License"));
    const QString refreshed = feedDate();
    EXPECT_NE(refreshed, QLatin1String(kOldDate));
    window().undo();
    EXPECT_EQ(channel()->licenseString(), three);
    EXPECT_EQ(feedDate(), QLatin1String(kOldDate));
    EXPECT_EQ(table->model()->rowCount(), 3);
    window().redo();
    EXPECT_EQ(channel()->licenseString(), three + QStringList {kBy});
    EXPECT_EQ(feedDate(), refreshed);
    window().undo();

    // Cancelled picker, or "-" without a selection: nothing at all.
    whenShown(QStringLiteral("creativeCommonsSelect"), [](QDialog *picker) { picker->reject(); });
    pane->findChild<QPushButton *>(QStringLiteral("licenseURL_Add"))->click();
    table->clearSelection();
    pane->deleteListEntry(creativeCommonsChannel::kLicense);
    EXPECT_EQ(channel()->licenseString(), three);
    EXPECT_FALSE(undo().canUndo()) << "nothing new to undo";
    EXPECT_EQ(undo().redoActionName(), QStringLiteral("Add License"));

    table->selectRow(1);
    pane->findChild<QPushButton *>(QStringLiteral("licenseURL_Delete"))->click();
    EXPECT_EQ(channel()->licenseString(), (QStringList {three.at(0), three.at(2)}));
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Delete License"));
    window().undo();
    EXPECT_EQ(feedDate(), QLatin1String(kOldDate));

    // The first of three dropped below the last, then the last above the first.
    ASSERT_TRUE(pane->moveListEntry(creativeCommonsChannel::kLicense, 0, 3));
    EXPECT_EQ(channel()->licenseString(), (QStringList {three.at(1), three.at(2), three.at(0)}));
    EXPECT_EQ(table->selectedRow(), 2);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("License Reorder"));
    window().undo();
    EXPECT_EQ(channel()->licenseString(), three);
    EXPECT_EQ(feedDate(), QLatin1String(kOldDate));
    ASSERT_TRUE(pane->moveListEntry(creativeCommonsChannel::kLicense, 2, 0));
    EXPECT_EQ(channel()->licenseString(), (QStringList {three.at(2), three.at(0), three.at(1)}));
    EXPECT_EQ(table->selectedRow(), 0);
    EXPECT_FALSE(pane->moveListEntry(creativeCommonsChannel::kLicense, 1, 2)) << "its own place";
}

TEST_F(CreativeCommonsPaneTest, AnItemsChangeIsUndoneOnThatItemWhileAnotherIsShown)
{
    open();
    window().outlet<QTabWidget>(QStringLiteral("tabsFeeds"))->setCurrentIndex(Vellumcast::ItemsTab);
    auto *items = window().outlet<VLXTableView>(QStringLiteral("Items_Required_Items"));
    items->selectRow(0);
    QApplication::processEvents();
    ExtensionFieldPane *pane = paneOf(item(0));
    ASSERT_TRUE(pane);
    addFromPicker(pane, 1);
    EXPECT_EQ(item(0)->licenseString(), (QStringList {"https://l.example/item1", kSa}));
    const QString later = window().currentFeed()->itemAtIndex(0)->pubDate();
    EXPECT_NE(later, QLatin1String(kOldDate));

    items->selectRow(2);
    QApplication::processEvents();
    window().undo();
    EXPECT_EQ(item(0)->licenseString(), QStringList {"https://l.example/item1"});
    EXPECT_EQ(window().currentFeed()->itemAtIndex(0)->pubDate(), QLatin1String(kOldDate));
    EXPECT_EQ(item(2)->licenseString(), QStringList {"https://l.example/item3"});
    window().redo();
    EXPECT_EQ(item(0)->licenseString(), (QStringList {"https://l.example/item1", kSa}));
    EXPECT_EQ(window().currentFeed()->itemAtIndex(0)->pubDate(), later);
    EXPECT_EQ(items->selectedRow(), 2);
}

TEST_F(CreativeCommonsPaneTest, TheDefaultsPaneRecordsNothing)
{
    open();
    auto twin = std::make_shared<creativeCommonsChannelPrefs>();
    ExtensionFieldPane pane(twin);
    pane.setListEditor(creativeCommonsChannel::kLicense,
                       std::make_shared<CreativeCommonsListEditor>());
    addFromPicker(&pane, 1);
    EXPECT_EQ(twin->licenseString(), QStringList {kSa});
    pane.findChild<VLXTableView *>(QStringLiteral("licenseURLTable"))->selectRow(0);
    pane.findChild<QPushButton *>(QStringLiteral("licenseURL_Delete"))->click();
    EXPECT_TRUE(twin->licenseString().isEmpty());
    EXPECT_EQ(undo().count(), 0);
    EXPECT_EQ(feedDate(), QLatin1String(kOldDate));
}

TEST_F(CreativeCommonsPaneTest, TheWindowsPasteCommandPutsTheLicenceIntoTheFocusedField)
{
    // The channel's first licence is one of the library's.
    std::string feed = licensedFeed().toStdString();
    feed.replace(feed.find("https://l.example/one"), 21, kBy.toStdString());
    Vellumcast &w = openInWindow(QByteArray::fromStdString(feed));
    QApplication::setActiveWindow(w.window());
    QAction *paste = w.command(QStringLiteral("pasteCreativeCommons"));
    auto *copyright = w.outlet<VLXTextField>(QStringLiteral("Feeds_Optional_Copyright"));
    w.outlet<QTabWidget>(QStringLiteral("tabsFeeds_FeedsSub"))->setCurrentIndex(1);
    copyright->setFocus();
    QApplication::processEvents();
    w.validateCommands();
    ASSERT_TRUE(paste->isEnabled()) << "the controller installs the paste";
    int preselected = -1;
    whenShown(QStringLiteral("creativeCommonsPaste"), [&](QDialog *dialog) {
        preselected
            = dialog->findChild<VLXTableView *>(QStringLiteral("licenseTable"))->selectedRow();
        dialog->findChild<QPushButton *>(QStringLiteral("pasteHTML"))->click();
    });
    paste->trigger();
    EXPECT_EQ(preselected, 0);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("<a href=\"by\">By</a>"));
    EXPECT_EQ(copyright->text(), QStringLiteral("<a href=\"by\">By</a>"));
    EXPECT_TRUE(CreativeCommonsLibrary::lastPaste().isEmpty()) << "a feed licence was preselected";
}

TEST_F(CreativeCommonsPaneTest, FindReachesALicenceAndAnAcceptedChangeIsOneStep)
{
    open();
    ExtensionFieldPane *pane = paneOf(channel());
    ASSERT_TRUE(pane);
    auto *tabs = window().outlet<QTabWidget>(QStringLiteral("tabsFeeds"));
    QString title;
    QString shown;
    whenShown(QStringLiteral("openURLPanel"), [&](QDialog *panel) {
        title = panel->windowTitle();
        auto *url = panel->findChild<QComboBox *>(QStringLiteral("fileComboBox"));
        shown = url->currentText();
        url->setEditText(QStringLiteral("https://l.example/deux"));
        panel->findChild<QPushButton *>(QStringLiteral("acceptButton"))->click();
    });
    channel()->resetSearch();
    channel()->replace(QStringLiteral("two"), std::nullopt, true, 0, pane, tabs, 0);
    EXPECT_EQ(title, QStringLiteral("Search & Replace URL"));
    EXPECT_EQ(shown, QStringLiteral("https://l.example/two"));
    EXPECT_EQ(channel()->licenseString(),
              (QStringList {"https://l.example/one", "https://l.example/deux",
                            "https://l.example/three"}));
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Edit License URL"));
    EXPECT_NE(feedDate(), QLatin1String(kOldDate));
    window().undo();
    EXPECT_EQ(channel()->licenseString().value(1), QStringLiteral("https://l.example/two"));
    EXPECT_EQ(feedDate(), QLatin1String(kOldDate));

    // Replace All covers the items' lists too.
    EXPECT_EQ(item(0)->replaceAll(QStringLiteral("https://"), QStringLiteral("http://"), 0), 1);
    EXPECT_EQ(item(0)->licenseString(), QStringList {"http://l.example/item1"});
}
