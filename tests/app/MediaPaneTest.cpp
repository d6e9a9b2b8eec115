// The Media RSS tabs in the feed window: each table edit is one undo step that puts back the
// item's date, the element dialogs are run from the tables, twins register nothing; and the local
// files of media:content elements survive saving, a restart, a raw edit and Replace All.
#include "FindFixture.h"

#include "app/FeedOpening.h"
#include "app/FeedSaving.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "extensions/mrss/mrssItem.h"
#include "extensions/mrss/mrssItemPrefs.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerItem.h"
#include "panes/ExtensionFieldPane.h"
#include "panes/mrss/mrssListEditors.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

namespace {

const char *const kOldDate = "Mon, 07 Dec 2026 09:00:00 +0000";

QByteArray mediaFeed()
{
    QByteArray items;
    for (int n = 1; n <= 5; ++n)
        items += QStringLiteral("<item><title>E%1</title><link>https://example.org/%1</link>"
                                "<description>d</description><guid>https://example.org/%1</guid>"
                                "<pubDate>%2</pubDate><media:group>"
                                "<media:content url=\"https://example.org/%1a.mp3\"/>"
                                "<media:content url=\"https://example.org/%1b.mp3\"/>"
                                "</media:group></item>")
                     .arg(n)
                     .arg(QLatin1String(kOldDate))
                     .toUtf8();
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" "
           "xmlns:media=\"http://search.yahoo.com/mrss/\"><channel><title>T</title>"
           "<link>https://example.org/</link><description>d</description><pubDate>"
        + QByteArray(kOldDate) + "</pubDate>" + items + "</channel></rss>\n";
}

// Answers the next modal dialog (an element dialog) with the script, then presses its OK.
void answerDialog(std::function<void(QWidget *)> script)
{
    QTimer::singleShot(0, [script = std::move(script)] {
        QWidget *dialog = QApplication::activeModalWidget();
        ASSERT_TRUE(dialog);
        script(dialog);
        if (dialog->isVisible())
            dialog->findChild<QPushButton *>(QStringLiteral("accept"))->click();
    });
}

class MediaPaneTest : public FindFixture
{
protected:
    Vellumcast &open()
    {
        openForFind();
        writeFile(path(QStringLiteral("media.xml")), mediaFeed());
        window().openFeedAtPath(path(QStringLiteral("media.xml")));
        endAction();
        field<VLXCheckBox>("Feeds_Required_AutoPubDate")->click();
        endAction();
        return window();
    }
    mrssItem *media(int row) const
    {
        return mrssItem::inUseOf(*window().currentFeed()->itemAtIndex(row));
    }
    QString pubDate(int row) const { return window().currentFeed()->itemAtIndex(row)->pubDate(); }
    FeedDocument &doc() const { return *window().document(); }
};

} // namespace

TEST_F(MediaPaneTest, EachTableEditIsOneStepThatPutsBackTheItemsDate)
{
    Vellumcast &window = open();
    field<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    auto *items = field<VLXTableView>("Items_Required_Items");
    items->selectRow(2);
    QApplication::processEvents();
    ASSERT_TRUE(field<VLXTableView>("optionalElementsTable"));
    EXPECT_EQ(field<VLXTableView>("contentElementsTable")->model()->rowCount(), 2);

    answerDialog([](QWidget *dialog) {
        dialog->findChild<QComboBox *>("elementType")
            ->setCurrentIndex(mrssOptionalElements::kKeywords);
        dialog->findChild<QLineEdit *>("keywordsKeywords")->setText(QStringLiteral("rain, wind"));
    });
    field<QPushButton>("optionalElements_Add")->click();
    endAction();
    EXPECT_EQ(media(2)->mediaGroupOptionalElements().elementsUsed(), QStringLiteral("Keywords"));
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Add MRSS Optional Element"));
    const QString later = pubDate(2);
    EXPECT_NE(later, QLatin1String(kOldDate));
    auto *optional = field<VLXTableView>("optionalElementsTable");
    EXPECT_EQ(optional->dataSource()->tableViewObjectValue(optional, "type", 0, Qt::DisplayRole),
              QStringLiteral("Keywords"));
    EXPECT_EQ(optional->dataSource()->tableViewObjectValue(optional, "value", 0, Qt::DisplayRole),
              QStringLiteral("rain, wind"));

    items->selectRow(4);
    QApplication::processEvents();
    window.undo();
    EXPECT_TRUE(media(2)->mediaGroupOptionalElements().isEmpty());
    EXPECT_EQ(pubDate(2), QLatin1String(kOldDate));
    EXPECT_EQ(items->selectedRow(), 4);
    window.redo();
    EXPECT_EQ(media(2)->mediaGroupOptionalElements().elementsUsed(), QStringLiteral("Keywords"));
    EXPECT_EQ(pubDate(2), later);

    // The content table: a dialog per element, the same undo shape.
    answerDialog([](QWidget *dialog) {
        dialog->findChild<QLineEdit *>("editURL")->setText(
            QStringLiteral("https://example.org/c.mp4"));
    });
    field<QPushButton>("contentElements_Add")->click();
    endAction();
    ASSERT_EQ(media(4)->mediaContentsValue().size(), 3);
    EXPECT_EQ(media(4)->mediaContentsValueAtIndex(2).attribute("attributeURL"),
              QStringLiteral("https://example.org/c.mp4"));
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Add MRSS Content Element"));
    field<VLXTableView>("contentElementsTable")->selectRow(0);
    field<QPushButton>("contentElements_Delete")->click();
    endAction();
    EXPECT_EQ(undo().undoActionName(), QStringLiteral("Delete MRSS Content Element"));
    EXPECT_EQ(media(4)->mediaContentsValue().size(), 2);
    window.undo();
    EXPECT_EQ(media(4)->mediaContentsValue().size(), 3);

    // A cancelled dialog changes nothing and registers nothing.
    const int steps = undo().count();
    QTimer::singleShot(
        0, [] { QApplication::activeModalWidget()->findChild<QPushButton *>("cancel")->click(); });
    field<QPushButton>("contentElements_Add")->click();
    endAction();
    EXPECT_EQ(undo().count(), steps);
}

TEST_F(MediaPaneTest, ATwinEditRegistersNothing)
{
    Vellumcast &window = open();
    auto twin = std::make_shared<mrssItemPrefs>();
    ExtensionFieldPane pane(
        twin, {window.document(), window.editTracker(), FieldScope::Item, [] { return 0; }});
    pane.setListEditor(mrssItem::kContents, std::make_shared<mrssContentListEditor>(true));
    const int steps = undo().count();
    answerDialog([](QWidget *dialog) {
        // The defaults' dialog has no local file.
        EXPECT_FALSE(dialog->findChild<QWidget *>("editLocalFileBox"));
        dialog->findChild<QLineEdit *>("editURL")->setText(QStringLiteral("https://example.org/d"));
    });
    pane.addListEntry(mrssItem::kContents);
    EXPECT_EQ(twin->mediaContentsValue().size(), 1);
    EXPECT_EQ(undo().count(), steps);
    EXPECT_EQ(pubDate(0), QLatin1String(kOldDate));
}

TEST_F(MediaPaneTest, LocalFilesSurviveSavingARawEditAndReplaceAll)
{
    open();
    const QString first = path(QStringLiteral("files/1a.mp3"));
    const QString second = path(QStringLiteral("files/1b.mp3"));
    writeFile(first, "aaaa");
    writeFile(second, "bbbb");
    const QDateTime uploaded = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    media(0)->mediaContentsValueAtIndex(0).setLocalEnclosureFilePath(first);
    media(0)->mediaContentsValueAtIndex(1).setLocalEnclosureFilePath(second);
    media(0)->mediaContentsValueAtIndex(1).setLastUploaded(uploaded);
    const auto kept = [&](const char *when) {
        SCOPED_TRACE(when);
        ASSERT_TRUE(media(0));
        ASSERT_EQ(media(0)->mediaContentsValue().size(), 2);
        EXPECT_EQ(media(0)->mediaContentsValueAtIndex(0).localEnclosureFilePath(), first);
        EXPECT_EQ(media(0)->mediaContentsValueAtIndex(1).localEnclosureFilePath(), second);
        EXPECT_EQ(media(0)->mediaContentsValueAtIndex(1).lastUploaded(), uploaded);
    };
    ASSERT_TRUE(window().saving().actualSaveDocument(0));
    stopApplication();
    startApplication();
    QTest::qWait(200);
    endAction();
    kept("reopened");

    ASSERT_EQ(window().opening().reparseLoadedFeed(window().currentFeed()->buildXML()), 1);
    kept("read again from a raw edit");

    // Replace All reads the feed again from a copy's text.
    setScope({"items"});
    find().setFindField(QStringLiteral("example.org"));
    find().setReplaceField(QStringLiteral("example.net"));
    press("ReplaceAll");
    endAction();
    EXPECT_EQ(window().currentFeed()->itemAtIndex(0)->link(),
              QStringLiteral("https://example.net/1"));
    kept("after Replace All");
}
