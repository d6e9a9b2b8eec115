#include "AppFixture.h"

#include "app/Controller.h"
#include "app/FeedSaving.h"
#include "app/Vellumcast.h"
#include "common/LocalServer.h"
#include "document/VLXUndoManager.h"
#include "editors/CroppingImageView.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerItem.h"
#include "model/extensionNSRaw.h"
#include "panes/EditTracker.h"
#include "panes/RawXMLPane.h"
#include "panes/SearchReveal.h"
#include "platform/Clock.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXListBox.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTableDataSource.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QMimeData>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

namespace {
QByteArray threeItems()
{
    QByteArray items;
    for (const char *title : {"A", "B", "C"})
        items += QStringLiteral("<item><title>%1</title><link>https://example.org/%1</link>"
                                "<description>%1</description><guid>https://example.org/%1</guid>"
                                "<pubDate>Mon, 07 Dec 2026 09:00:00 +0000</pubDate></item>")
                     .arg(QLatin1String(title))
                     .toUtf8();
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>T</title>"
           "<link>https://example.org/</link><description>d</description>"
           "<pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate>"
        + items + "</channel></rss>\n";
}
} // namespace

class EditingTest : public AppFixture
{
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        clock = std::make_shared<FixedClock>(QDateTime(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC));
        Clock::setInstance(clock);
    }
    void TearDown() override
    {
        Clock::setInstance(nullptr);
        AppFixture::TearDown();
    }

    Vellumcast &openFeed(const QByteArray &text) { return openInWindow(text); }
    template<typename T = QWidget> T *field(const char *name)
    {
        return controller->feedController()->outlet<T>(QLatin1String(name));
    }
    VLXUndoManager &undo() { return *controller->feedController()->undoManager(); }
    // Gives the field the focus (its tab shown first), as a click would.
    void focus(QWidget *widget)
    {
        QWidget *page = widget;
        while (page && page->parentWidget()) {
            if (auto *stack = qobject_cast<QStackedWidget *>(page->parentWidget()))
                stack->setCurrentWidget(page);
            page = page->parentWidget();
        }
        widget->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
    }

    std::shared_ptr<FixedClock> clock;
};

TEST_F(EditingTest, TypingAFeedTitleIsOneUndoStepThatPutsBackTheDateAndTheBox)
{
    Vellumcast &window = openFeed(smallFeed("Old"));
    auto *autoDate = field<VLXCheckBox>("Feeds_Required_AutoPubDate");
    autoDate->click();
    ASSERT_TRUE(autoDate->isChecked());
    const QString oldDate = window.currentFeed()->pubDate();
    auto *title = field<VLXTextField>("Feeds_Required_Title");
    focus(title);
    QTest::keyClick(title, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(title, "  Brand New ");
    focus(field("Feeds_Required_Link")); // leaving the field ends the edit
    QApplication::processEvents();

    EXPECT_EQ(window.currentFeed()->title(), "Brand New") << "trimmed before commit";
    EXPECT_EQ(title->text(), "Brand New");
    const QString refreshed = window.currentFeed()->pubDate();
    EXPECT_NE(refreshed, oldDate);
    EXPECT_TRUE(refreshed.contains("08 Dec 2026")) << refreshed.toStdString();
    EXPECT_EQ(field<QLineEdit>("Feeds_Required_PubDate")->text(), refreshed);
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(undo().undoActionName(), "Feed Title");
    EXPECT_EQ(window.command("undo")->text(), "&Undo Feed Title");
    EXPECT_TRUE(window.isDocumentEdited());
    EXPECT_TRUE(alerts->alerts().isEmpty());

    autoDate->click(); // the box is switched off after the edit
    window.undo();
    EXPECT_EQ(window.currentFeed()->title(), "Old");
    EXPECT_EQ(title->text(), "Old");
    EXPECT_EQ(window.currentFeed()->pubDate(), oldDate);
    EXPECT_EQ(field<QLineEdit>("Feeds_Required_PubDate")->text(), oldDate);
    EXPECT_TRUE(autoDate->isChecked()) << "the box is put back as it was before the edit";
    EXPECT_FALSE(window.isDocumentEdited());

    window.redo();
    EXPECT_EQ(window.currentFeed()->title(), "Brand New");
    EXPECT_EQ(window.currentFeed()->pubDate(), refreshed);
    EXPECT_FALSE(autoDate->isChecked());
    EXPECT_TRUE(window.isDocumentEdited());
}

TEST_F(EditingTest, UndoAndRedoAreOfferedOnlyWithAStepToTakeBackOrDoAgain)
{
    Vellumcast &window = openFeed(smallFeed("Old"));
    QAction *undoCommand = window.command("undo");
    QAction *redoCommand = window.command("redo");
    const auto offered = [&] {
        return std::pair(undoCommand->isEnabled(), redoCommand->isEnabled());
    };
    EXPECT_EQ(offered(), std::pair(false, false)) << "a feed just opened has nothing to undo";

    // A field being typed in is one step to take back, and what it commits ends any redo.
    auto *title = field<VLXTextField>("Feeds_Required_Title");
    focus(title);
    QTest::keyClicks(title, " and new");
    EXPECT_EQ(offered(), std::pair(true, false));
    focus(field("Feeds_Required_Link"));
    EXPECT_EQ(offered(), std::pair(true, false));

    window.undo();
    EXPECT_EQ(window.currentFeed()->title(), "Old");
    EXPECT_EQ(offered(), std::pair(false, true));
    // The shortcut of a command not offered does nothing.
    QTest::keySequence(window.window(), QKeySequence::Undo);
    EXPECT_EQ(window.currentFeed()->title(), "Old");
    focus(title);
    QTest::keyClicks(title, "er");
    EXPECT_EQ(offered(), std::pair(true, false));
    focus(field("Feeds_Required_Link"));
    EXPECT_EQ(window.currentFeed()->title(), "Older");

    window.undo();
    window.redo();
    EXPECT_EQ(offered(), std::pair(true, false));
    // Saved and flushed, as another feed is opened: nothing to take back.
    window.setDocumentEdited(false, true);
    EXPECT_EQ(offered(), std::pair(false, false));
}

TEST_F(EditingTest, UnchangedFieldsRegisterNothingAndTypedDatesEndAutomaticDating)
{
    Vellumcast &window = openFeed(smallFeed("Same"));
    auto *title = field<VLXTextField>("Feeds_Required_Title");
    focus(title);
    focus(field("Feeds_Required_Link"));
    EXPECT_EQ(undo().count(), 0);
    EXPECT_FALSE(window.isDocumentEdited());

    auto *autoDate = field<VLXCheckBox>("Feeds_Required_AutoPubDate");
    autoDate->click();
    auto *date = field<VLXTextField>("Feeds_Required_PubDate");
    focus(date);
    date->selectAll();
    QTest::keyClicks(date, "Tue, 01 Dec 2026 08:00:00 +0000");
    window.finalizeChanges();
    EXPECT_EQ(window.currentFeed()->pubDate(), "Tue, 01 Dec 2026 08:00:00 +0000");
    EXPECT_FALSE(autoDate->isChecked());
    EXPECT_EQ(undo().undoActionName(), "Feed Pub Date");

    // An empty date is refused with its alert, and kept all the same.
    focus(date);
    date->selectAll();
    QTest::keyClick(date, Qt::Key_Delete);
    window.finalizeChanges();
    ASSERT_FALSE(alerts->alerts().isEmpty());
    EXPECT_EQ(alerts->alerts().first().title, "REQUIRED FIELD");
    EXPECT_EQ(window.currentFeed()->pubDate(), "");
}

TEST_F(EditingTest, ValuesSetForTheUserCommitAndUndoLikeTypedOnes)
{
    Vellumcast &window = openFeed(smallFeed("T"));
    auto *link = field<VLXTextField>("Feeds_Required_Link");
    link->setTextAsEdit("https://example.org/copied");
    EXPECT_EQ(window.currentFeed()->link(), "https://example.org/copied");
    EXPECT_EQ(undo().undoActionName(), "Feed Link");
    auto *description = field<VLXTextView>("Feeds_Required_Description");
    description->setTextAsEdit("generated");
    EXPECT_EQ(window.currentFeed()->descriptionElement(), "generated");
    QApplication::processEvents();
    EXPECT_EQ(undo().count(), 1) << "both changes of this one action form one step";
    EXPECT_EQ(undo().undoActionName(), "Feed Description");
    window.undo();
    EXPECT_EQ(window.currentFeed()->link(), "https://example.org/");
    EXPECT_EQ(window.currentFeed()->descriptionElement(), "d");
}

TEST_F(EditingTest, AnItemTitleEditUndoneWhileAnotherItemIsShownChangesOnlyTheModel)
{
    Vellumcast &window = openFeed(threeItems());
    auto *items = field<VLXTableView>("Items_Required_Items");
    field<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    items->selectRow(1);
    auto *title = field<VLXTextField>("Items_Required_Title");
    window.editTracker()->setTextAsEdit(title, "B2");
    EXPECT_EQ(window.currentFeed()->itemAtIndex(1)->title(), "B2");
    EXPECT_EQ(undo().undoActionName(), "Item Title");
    items->selectRow(2);
    window.editTracker()->setDisplayedText(title, "C");
    window.undo();
    EXPECT_EQ(window.currentFeed()->itemAtIndex(1)->title(), "B");
    EXPECT_EQ(title->text(), "C");
    EXPECT_EQ(items->selectedRow(), 2);
}

TEST_F(EditingTest, DraggingAnItemMovesItWithOneUndoStep)
{
    Vellumcast &window = openFeed(threeItems());
    auto *items = field<VLXTableView>("Items_Required_Items");
    auto titles = [&] {
        QStringList all;
        for (const auto &item : window.currentFeed()->arrayOfItems())
            all << item->title();
        return all;
    };
    ASSERT_EQ(titles(), (QStringList {"A", "B", "C"}));
    // The table drags its rows and takes drops between them (on the table, not on a row).
    EXPECT_TRUE(items->viewport()->acceptDrops());
    EXPECT_TRUE(items->model()->flags(items->model()->index(0, 0)) & Qt::ItemIsDragEnabled);
    EXPECT_FALSE(items->model()->flags(items->model()->index(0, 0)) & Qt::ItemIsDropEnabled);
    EXPECT_TRUE(items->model()->flags(QModelIndex()) & Qt::ItemIsDropEnabled);
    auto drag = [&](int row) {
        auto *data = new QMimeData;
        EXPECT_TRUE(items->dataSource()->tableViewWriteRows(items, {row}, data));
        return std::unique_ptr<QMimeData>(data);
    };

    // C dropped above row 0.
    auto data = drag(2);
    EXPECT_EQ(items->dataSource()->tableViewValidateDrop(items, data.get(), 0), Qt::MoveAction);
    EXPECT_TRUE(items->dataSource()->tableViewAcceptDrop(items, data.get(), 0));
    EXPECT_EQ(titles(), (QStringList {"C", "A", "B"}));
    EXPECT_EQ(items->selectedRow(), 0);
    QApplication::processEvents();
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(undo().undoActionName(), "Item Drag");
    window.undo();
    EXPECT_EQ(titles(), (QStringList {"A", "B", "C"}));

    // A dropped below C (drop row 3).
    data = drag(0);
    EXPECT_TRUE(items->dataSource()->tableViewAcceptDrop(items, data.get(), 3));
    EXPECT_EQ(titles(), (QStringList {"B", "C", "A"}));
    EXPECT_EQ(items->selectedRow(), 2);
    window.undo();

    // Dropped onto itself (just above or just below its own row): nothing moves, no undo.
    const int steps = undo().count();
    data = drag(1);
    items->dataSource()->tableViewAcceptDrop(items, data.get(), 1);
    items->dataSource()->tableViewAcceptDrop(items, data.get(), 2);
    QApplication::processEvents();
    EXPECT_EQ(titles(), (QStringList {"A", "B", "C"}));
    EXPECT_EQ(undo().count(), steps);
    EXPECT_FALSE(undo().canRedo() && undo().redoActionName() != "Item Drag");

    // Rows of another table or of no drag at all are refused.
    QMimeData foreign;
    foreign.setData("application/x-vellumcast-item-row", "1:0");
    EXPECT_EQ(items->dataSource()->tableViewValidateDrop(items, &foreign, 0), Qt::IgnoreAction);
    EXPECT_FALSE(items->dataSource()->tableViewAcceptDrop(items, &foreign, 0));
}

TEST_F(EditingTest, UndoingPastASaveMarksTheFeedEditedAgain)
{
    Vellumcast &window = openFeed(smallFeed("Saved"));
    window.editTracker()->setTextAsEdit(field("Feeds_Optional_Editor"), "ed@example.org (Ed)");
    QApplication::processEvents();
    ASSERT_TRUE(window.saving().actualSaveDocument(0));
    EXPECT_FALSE(window.isDocumentEdited());
    EXPECT_FALSE(window.window()->isWindowModified());
    window.undo();
    EXPECT_TRUE(window.isDocumentEdited());
    EXPECT_TRUE(window.window()->isWindowModified());
    window.redo();
    EXPECT_FALSE(window.isDocumentEdited());
}

TEST_F(EditingTest, RawXMLIsEditedInItsPaneWithOneUndoStep)
{
    Vellumcast &window = openFeed(R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:abc="http://example.org/abc/"><channel><title>T</title>
<link>https://example.org/</link><description>d</description>
<pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate><abc:thing>one</abc:thing>
<item><title>i</title><link>https://example.org/i</link><description>x</description>
<guid>https://example.org/i</guid><pubDate>Mon, 07 Dec 2026 09:00:00 +0000</pubDate></item>
</channel></rss>
)");
    auto *tabs = field<QTabWidget>("tabsFeeds_FeedsExtensions");
    RawXMLPane *pane = nullptr;
    for (int i = 0; i < tabs->count(); ++i) {
        if (auto *candidate = qobject_cast<RawXMLPane *>(tabs->widget(i));
            candidate && candidate->extension()->extensionName() == "abc")
            pane = candidate;
    }
    ASSERT_NE(pane, nullptr);
    // Its controls are made when the user first shows its tab.
    SearchReveal::selectTabsOf(pane);
    auto *view = pane->findChild<VLXTextView *>("Extension_RawXML_View");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isReadOnly());
    EXPECT_TRUE(view->toPlainText().contains("<abc:thing>one</abc:thing>"));

    field<VLXCheckBox>("Feeds_Required_AutoPubDate")->click();
    const QString oldDate = window.currentFeed()->pubDate();
    // Closed without saving, or saved unchanged: nothing happens.
    Vellumcast::setXMLSourceEditor([](const XMLSourceRequest &request) {
        // A fragment of the pane's namespace, with nothing to compare it with.
        EXPECT_TRUE(request.fragment);
        EXPECT_FALSE(request.original.has_value());
        EXPECT_EQ(request.usedExtensions, QStringList {"abc"});
        return std::optional<QString>();
    });
    pane->findChild<QPushButton *>("Extension_RawXML_Edit")->click();
    Vellumcast::setXMLSourceEditor(
        [](const XMLSourceRequest &request) { return std::optional<QString>(request.current); });
    pane->findChild<QPushButton *>("Extension_RawXML_Edit")->click();
    QApplication::processEvents();
    EXPECT_EQ(undo().count(), 0);

    Vellumcast::setXMLSourceEditor([](const XMLSourceRequest &) {
        return std::optional<QString>("<abc:thing>two</abc:thing>");
    });
    pane->findChild<QPushButton *>("Extension_RawXML_Edit")->click();
    Vellumcast::setXMLSourceEditor(nullptr);
    EXPECT_EQ(pane->extension()->rawXML(), "<abc:thing>two</abc:thing>");
    EXPECT_EQ(view->toPlainText(), "<abc:thing>two</abc:thing>");
    EXPECT_NE(window.currentFeed()->pubDate(), oldDate);
    EXPECT_EQ(undo().undoActionName(), "Edit Raw XML");

    window.undo();
    EXPECT_TRUE(pane->extension()->rawXML().contains("one"));
    EXPECT_EQ(window.currentFeed()->pubDate(), oldDate);
    window.redo();
    EXPECT_EQ(pane->extension()->rawXML(), "<abc:thing>two</abc:thing>");
    // The edit is written with the feed.
    EXPECT_TRUE(window.currentFeed()->buildXML().contains("<abc:thing>two</abc:thing>"));
}

TEST_F(EditingTest, ShowingAnotherFeedDropsTheStepsOfTheOneBefore)
{
    Vellumcast &window = openFeed(smallFeed("First"));
    const QString other = QDir(home()).filePath("other.xml");
    writeFile(other, smallFeed("Other"));
    window.openFeedAtPath(other);
    window.editTracker()->setTextAsEdit(field("Feeds_Required_Title"), "Other Changed");
    QApplication::processEvents();
    ASSERT_TRUE(undo().canUndo());
    alerts->queueAnswer(AlertService::kDefault); // "Save..."
    window.outlet<VLXListBox>("Feeds_Required_Files")->fieldSelected(1);
    EXPECT_EQ(window.currentFeed()->title(), "First");
    EXPECT_FALSE(undo().canUndo());
    EXPECT_FALSE(window.isDocumentEdited());
    window.undo(); // nothing of the other feed reaches this one
    EXPECT_EQ(window.currentFeed()->title(), "First");
}

TEST_F(EditingTest, SkipHoursGUIDAndLanguageRecordTheirOwnSteps)
{
    Vellumcast &window = openFeed(threeItems());
    auto *hours = field<VLXMatrix>("Feeds_Optional_SkipHours_Matrix");
    hours->cellWithTag(5)->click();
    EXPECT_EQ(window.currentFeed()->skipHours(5), 1);
    EXPECT_EQ(undo().undoActionName(), "Skip Hours");
    window.undo();
    EXPECT_EQ(window.currentFeed()->skipHours(5), 0);
    EXPECT_EQ(hours->stateOfTag(5), 0);
    window.redo();
    EXPECT_EQ(window.currentFeed()->skipHours(5), 1);

    // Choosing the language the feed already has records nothing.
    const int steps = undo().count();
    auto *language = field<VLXPopUpButton>("Feeds_Optional_Language");
    emit language->activated(language->currentIndex());
    EXPECT_EQ(undo().count(), steps);

    field<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    field<VLXTableView>("Items_Required_Items")->selectRow(0);
    window.editTracker()->setTextAsEdit(field("Items_Optional_GUID_GUID"), "https://example.org/B");
    EXPECT_EQ(window.currentFeed()->itemAtIndex(0)->GUID(), "https://example.org/B");
    ASSERT_FALSE(alerts->alerts().isEmpty());
    EXPECT_EQ(alerts->alerts().last().title, "GUID Not Unique") << "stored after the alert";
    EXPECT_EQ(undo().undoActionName(), "Item GUID");
    window.undo();
    EXPECT_EQ(window.currentFeed()->itemAtIndex(0)->GUID(), "https://example.org/A");
    EXPECT_EQ(field<QLineEdit>("Items_Optional_GUID_GUID")->text(), "https://example.org/A");
}

TEST_F(EditingTest, ALocalEnclosureFileIsCheckedTakenAndUndone)
{
    Vellumcast &window = openFeed(threeItems());
    window.currentFeed()->itemAtIndex(0)->setEnclosureAttrURL("https://example.org/a.mp3");
    field<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    field<VLXTableView>("Items_Required_Items")->selectRow(0);
    auto *name = field<QLineEdit>("Items_Optional_Enclosure_Advanced_Filename");

    // A missing file is refused: alert, the field shows the previous text, nothing recorded.
    window.editTracker()->setTextAsEdit(name, QDir(home()).filePath("missing.mp3"));
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().first().title, "File not found");
    EXPECT_EQ(name->text(), "");
    EXPECT_EQ(undo().count(), 0);

    // Another MIME type than the URL's asks first; "Cancel" keeps everything.
    const QString video = QDir(home()).filePath("clip.mov");
    writeFile(video, "12345");
    alerts->clear();
    alerts->queueAnswer(AlertService::kDefault); // "Cancel"
    window.editTracker()->setTextAsEdit(name, video);
    ASSERT_EQ(alerts->alerts().size(), 2);
    EXPECT_EQ(alerts->alerts()[0].title, "MIME Mismatch");
    EXPECT_EQ(alerts->alerts()[1].title, "Canceled");
    EXPECT_EQ(window.currentFeed()->itemAtIndex(0)->localEnclosureFilePath(), "");

    const QString audio = QDir(home()).filePath("a.mp3");
    writeFile(audio, "1234567");
    alerts->clear();
    window.editTracker()->setTextAsEdit(name, audio);
    EXPECT_TRUE(alerts->alerts().isEmpty());
    const VLXItems &item = *window.currentFeed()->itemAtIndex(0);
    EXPECT_EQ(item.localEnclosureFilePath(), audio);
    EXPECT_EQ(item.enclosureAttrLength(), "7");
    EXPECT_EQ(item.enclosureAttrType(), "audio/mpeg");
    EXPECT_EQ(field<QLineEdit>("Items_Optional_Enclosure_Length")->text(), "7");
    EXPECT_EQ(undo().undoActionName(), "Select Enclosure File");
    window.undo();
    EXPECT_EQ(item.localEnclosureFilePath(), "");
    EXPECT_EQ(item.enclosureAttrLength(), "");
    EXPECT_EQ(name->text(), "");
}

TEST_F(EditingTest, AnItemsRawXMLPaneFollowsTheShownItemAndItsUndoPutsBackTheItemsDate)
{
    QByteArray items;
    for (const char *name : {"p", "q"})
        items += QStringLiteral("<item><title>%1</title><link>https://example.org/%1</link>"
                                "<description>x</description><guid>https://example.org/%1</guid>"
                                "<pubDate>Mon, 07 Dec 2026 09:00:00 +0000</pubDate>"
                                "<abc:note>%1</abc:note></item>")
                     .arg(QLatin1String(name))
                     .toUtf8();
    Vellumcast &window = openFeed("<?xml version=\"1.0\"?>\n<rss version=\"2.0\" "
                                  "xmlns:abc=\"http://example.org/abc/\"><channel><title>T</title>"
                                  "<link>https://example.org/</link><description>d</description>"
                                  "<pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate>"
                                  + items + "</channel></rss>\n");
    field<VLXCheckBox>("Feeds_Required_AutoPubDate")->click();
    field<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    field<VLXTableView>("Items_Required_Items")->selectRow(1);
    QApplication::processEvents();
    auto *pane = field<QTabWidget>("tabsFeeds_ItemsExtensions")->findChild<RawXMLPane *>("abc");
    ASSERT_NE(pane, nullptr);
    SearchReveal::selectTabsOf(pane);
    EXPECT_EQ(pane->extension(),
              window.currentFeed()->itemAtIndex(1)->XMLExtensions()->extensionAtIndex(0).get());
    EXPECT_TRUE(pane->findChild<VLXTextView *>()->toPlainText().contains("q"));

    Vellumcast::setXMLSourceEditor([](const XMLSourceRequest &) {
        return std::optional<QString>("<abc:note>changed</abc:note>");
    });
    pane->findChild<QPushButton *>("Extension_RawXML_Edit")->click();
    Vellumcast::setXMLSourceEditor(nullptr);
    const VLXItems &item = *window.currentFeed()->itemAtIndex(1);
    EXPECT_EQ(item.XMLExtensions()->extensionAtIndex(0)->rawXML(), "<abc:note>changed</abc:note>");
    EXPECT_NE(item.pubDate(), "Mon, 07 Dec 2026 09:00:00 +0000");
    EXPECT_EQ(window.currentFeed()->itemAtIndex(0)->XMLExtensions()->extensionAtIndex(0)->rawXML(),
              "<abc:note>p</abc:note>");
    window.undo();
    EXPECT_EQ(item.XMLExtensions()->extensionAtIndex(0)->rawXML(), "<abc:note>q</abc:note>");
    EXPECT_EQ(item.pubDate(), "Mon, 07 Dec 2026 09:00:00 +0000");
}

TEST_F(EditingTest, ANewImageAddressFetchesThePictureAsOneUndoStep)
{
    LocalServer server;
    const QString served = QDir(home()).filePath("served");
    QDir().mkpath(served);
    QImage small(20, 10, QImage::Format_RGB32);
    small.fill(Qt::red);
    ASSERT_TRUE(small.save(QDir(served).filePath("a.png")));
    QImage large(40, 30, QImage::Format_RGB32);
    large.fill(Qt::blue);
    ASSERT_TRUE(large.save(QDir(served).filePath("b.png")));
    ASSERT_TRUE(server.startScript("http_server.py", {"--files", served}));
    const QString a = server.url("http", "/d/a.png");
    const QString b = server.url("http", "/d/b.png");
    Vellumcast &window = openFeed(
        QStringLiteral(
            "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>T</title>"
            "<link>https://example.org/</link><description>d</description>"
            "<pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate>"
            "<image><url>%1</url><title>T</title><link>https://example.org/</link></image>"
            "<item><title>i</title><link>https://example.org/i</link><description>x</description>"
            "<guid>https://example.org/i</guid><pubDate>Mon, 07 Dec 2026 09:00:00 +0000</pubDate>"
            "</item></channel></rss>\n")
            .arg(a)
            .toUtf8());
    auto *picture = field<CroppingImageView>("Image_Required_Image");
    // Pictures arrive in the background; the window never waits for them.
    ASSERT_TRUE(QTest::qWaitFor([&] { return picture->hasImage(); }, 10000));
    ASSERT_EQ(picture->image().size(), QSize(20, 10));

    alerts->queueAnswer(AlertService::kDefault); // "Yes"
    window.editTracker()->setTextAsEdit(field("Image_Required_URL"), b);
    ASSERT_FALSE(alerts->alerts().isEmpty());
    EXPECT_EQ(alerts->alerts().first().title, "Image URL Changed");
    EXPECT_TRUE(QTest::qWaitFor([&] { return picture->image().size() == QSize(40, 30); }, 10000));
    EXPECT_EQ(window.currentFeed()->image()->URL(), b);
    QApplication::processEvents();
    // The address is one step; the picture another, taken only once it arrived.
    EXPECT_EQ(undo().count(), 2);
    EXPECT_EQ(undo().undoActionName(), "New Image");
    window.undo();
    EXPECT_EQ(picture->image().size(), QSize(20, 10));
    EXPECT_EQ(window.currentFeed()->image()->URL(), b);
    window.undo();
    EXPECT_EQ(window.currentFeed()->image()->URL(), a);
    EXPECT_EQ(field<QLineEdit>("Image_Required_URL")->text(), a);

    // An address with no picture behind it is told, and only the address is a step.
    alerts->clear();
    alerts->queueAnswer(AlertService::kDefault);
    const QString missing = server.url("http", "/d/missing.png");
    window.editTracker()->setTextAsEdit(field("Image_Required_URL"), missing);
    ASSERT_TRUE(QTest::qWaitFor([&] { return alerts->alerts().size() == 2; }, 10000));
    EXPECT_EQ(alerts->alerts().last().title, "Connection Failure");
    QApplication::processEvents();
    EXPECT_EQ(undo().count(), 1);
    EXPECT_EQ(window.currentFeed()->image()->URL(), missing);
    EXPECT_EQ(picture->image().size(), QSize(20, 10));
    window.undo();

    // "No" keeps the picture: only the address changes.
    alerts->clear();
    alerts->queueAnswer(AlertService::kAlternate);
    window.editTracker()->setTextAsEdit(field("Image_Required_URL"), b);
    QTest::qWait(200);
    EXPECT_EQ(picture->image().size(), QSize(20, 10));
    EXPECT_EQ(window.currentFeed()->image()->URL(), b);
}
