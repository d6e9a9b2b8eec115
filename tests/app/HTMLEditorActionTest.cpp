// The window's HTML editor actions: a round trip through the editor as one undo step, into the
// item the editor was opened for.
#include "AppFixture.h"

#include "app/Controller.h"
#include "app/HTMLEditing.h"
#include "app/ItemsPane.h"
#include "app/Vellumcast.h"
#include "common/HTMLEditorDriver.h"
#include "document/VLXUndoManager.h"
#include "editors/WYSIWYG.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextViewHTML.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QMainWindow>
#include <QTabWidget>
#include <QUndoStack>
#include <QWindow>

using namespace HTMLEditorDriver;

namespace {
QByteArray threeItems()
{
    QByteArray items;
    for (const char *title : {"A", "B", "C"})
        items += QStringLiteral("<item><title>%1</title><description>About %1</description>"
                                "<guid>https://example.org/%1</guid></item>")
                     .arg(QLatin1String(title))
                     .toUtf8();
    return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>T</title>"
           "<link>https://example.org/</link><description>The &lt;b&gt;feed&lt;/b&gt;"
           "</description>"
        + items + "</channel></rss>\n";
}

class HTMLEditorActionTest : public AppFixture
{
protected:
    Vellumcast &window() { return *controller->feedController(); }
    template<typename T = QWidget> T *outlet(const char *name)
    {
        return window().outlet<T>(QLatin1String(name));
    }
    QString itemDescription(const char *title)
    {
        for (const auto &item : window().currentFeed()->arrayOfItems()) {
            if (item->title() == QLatin1String(title))
                return item->descriptionElement();
        }
        return "(missing)";
    }
    // Clicks the button, waits for the editor's page and bolds the word in it.
    WYSIWYG &editWith(const char *button, const QString &word)
    {
        outlet<QAbstractButton>(button)->click();
        WYSIWYG *editor = window().htmlEditing().htmlEditor();
        EXPECT_NE(editor, nullptr);
        EXPECT_TRUE(waitReady(*editor));
        EXPECT_TRUE(changeBy(*editor, [&] {
            selectWord(*editor, word);
            editor->buttonBoldText();
        }));
        return *editor;
    }
    void saveAndWait(WYSIWYG &editor)
    {
        QPointer<WYSIWYG> watched(&editor);
        EXPECT_EQ(closeBy(editor, [&] { editor.save(); }), 1);
        EXPECT_EQ(window().htmlEditing().htmlEditor(), nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return watched.isNull(); }, kWaitMs));
    }
};
} // namespace

TEST_F(HTMLEditorActionTest, EditedDescriptionsComeBackAsOneUndoStepIntoTheirOwnItem)
{
    openInWindow(threeItems());
    VLXUndoManager &undo = *window().undoManager();

    // The channel: the editor opens over the window as its sheet, which leaves the window in
    // sight but out of reach; one editor at a time.
    WYSIWYG &channel = editWith("Feeds_Required_EditHTML", "feed");
    EXPECT_EQ(channel.window()->windowTitle(), "Feed Description HTML Editor[*]");
    EXPECT_EQ(channel.initial(), "The <b>feed</b>");
    EXPECT_TRUE(window().window()->isVisible());
    EXPECT_TRUE(channel.window()->isVisible());
    EXPECT_TRUE(channel.window()->isWindow());
    // None of the window's widgets: a web view among them would switch how the whole window
    // paints. Kept above its window by the desktop.
    EXPECT_EQ(channel.window()->parentWidget(), nullptr);
    EXPECT_EQ(channel.window()->windowType(), Qt::Dialog);
    ASSERT_TRUE(channel.window()->windowHandle());
    EXPECT_EQ(channel.window()->windowHandle()->transientParent(),
              window().window()->windowHandle());
    EXPECT_EQ(channel.window()->windowModality(), Qt::WindowModal);
    EXPECT_EQ(QApplication::activeModalWidget(), channel.window());
    EXPECT_TRUE(channel.window()->frameGeometry().intersects(window().window()->frameGeometry()));
    outlet<QAbstractButton>("Items_Required_EditHTML")->click();
    EXPECT_EQ(window().htmlEditing().htmlEditor(), &channel);
    saveAndWait(channel);
    EXPECT_TRUE(window().window()->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(window().currentFeed()->descriptionElement(), "The feed");
    EXPECT_EQ(outlet<VLXTextViewHTML>("Feeds_Required_Description")->toPlainText(), "The feed");
    EXPECT_EQ(undo.undoActionName(), "Feed Description");
    EXPECT_TRUE(window().isDocumentEdited());
    window().undo();
    EXPECT_EQ(window().currentFeed()->descriptionElement(), "The <b>feed</b>");
    EXPECT_FALSE(window().isDocumentEdited());

    // An item: while the editor is open the item moves and another one is selected; the
    // edit still goes to the item it was opened for, as one step.
    outlet<QTabWidget>("tabsFeeds")->setCurrentIndex(Vellumcast::ItemsTab);
    auto *items = outlet<VLXTableView>("Items_Required_Items");
    items->selectRow(0);
    WYSIWYG &item = editWith("Items_Required_EditHTML", "About");
    EXPECT_EQ(item.window()->windowTitle(), "Item Description HTML Editor[*]");
    EXPECT_EQ(item.index(), 0);
    ASSERT_TRUE(window().itemsPane()->moveItem(0, 3));
    items->selectRow(0);
    const int steps = undo.stack()->count();
    saveAndWait(item);
    EXPECT_EQ(itemDescription("A"), "<b>About</b> A");
    EXPECT_EQ(itemDescription("B"), "About B");
    EXPECT_EQ(window().currentFeed()->itemAtIndex(2)->title(), "A");
    EXPECT_EQ(undo.stack()->count(), steps + 1);
    EXPECT_EQ(undo.undoActionName(), "Item Description");
    window().undo();
    EXPECT_EQ(itemDescription("A"), "About A");
    EXPECT_EQ(window().currentFeed()->itemAtIndex(2)->title(), "A");

    // An item that is gone by then: said so, and the text is kept on the clipboard.
    items->selectRow(1);
    WYSIWYG &lost = editWith("Items_Required_EditHTML", "C");
    window().currentFeed()->removeItemAtIndex(1);
    window().document()->itemsChanged(0);
    const int before = undo.stack()->count();
    saveAndWait(lost);
    ASSERT_FALSE(alerts->alerts().isEmpty());
    EXPECT_EQ(alerts->alerts().last().title, "Description Not Stored");
    EXPECT_EQ(QApplication::clipboard()->text(), "About <b>C</b>");
    EXPECT_EQ(undo.stack()->count(), before);

    // Closed without edits: nothing is stored, no step.
    outlet<QAbstractButton>("Items_Required_EditHTML")->click();
    WYSIWYG *unedited = window().htmlEditing().htmlEditor();
    ASSERT_NE(unedited, nullptr);
    ASSERT_TRUE(waitReady(*unedited));
    EXPECT_EQ(closeBy(*unedited, [&] { unedited->close(); }), 1);
    EXPECT_EQ(undo.stack()->count(), before);
}
