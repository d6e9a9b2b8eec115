#include "ui/VLXTextViewHTML.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {
QStringList titles(const QMenu *menu)
{
    QStringList result;
    for (const QAction *action : menu->actions())
        result << (action->objectName().isEmpty() ? action->text() : action->objectName());
    return result;
}
} // namespace

TEST(HTMLTextView, LineBreakConversionOnPaste)
{
    const auto convert = &VLXTextViewHTML::pasteWithBRConversions;
    EXPECT_EQ(convert("a\nb"), "a<br />\nb");
    EXPECT_EQ(convert("x<BR>y"), "x<br />\n\ny");
    EXPECT_EQ(convert("x<br/>y"), "x<br />\n\ny");
    EXPECT_EQ(convert("x<Br>\ny"), "x<br />\n\ny");
    EXPECT_EQ(convert("x<br />y"), "x<br />\ny");
    EXPECT_EQ(convert("a\r\nb"), "a<br />\n<br />\nb");
    EXPECT_EQ(convert("a\n\rb"), "a<br />\nb");
    EXPECT_EQ(convert("a\rb"), "a<br />\nb");
    EXPECT_EQ(convert("plain"), "plain");
    EXPECT_EQ(convert(""), "");
}

class HTMLTextViewFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view = std::make_unique<VLXTextViewHTML>();
        view->show();
        view->setFocus();
        view->setStringValue("one two");
    }
    void selectRange(int start, int end)
    {
        QTextCursor cursor(view->document());
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        view->setTextCursor(cursor);
    }
    std::unique_ptr<VLXTextViewHTML> view;
};

TEST_F(HTMLTextViewFixture, PasteConvertsReplacesSelectionAndSelectsTheInsertion)
{
    QSignalSpy began(view.get(), &VLXTextView::textDidBeginEditing);
    QSignalSpy ended(view.get(), &VLXTextView::textDidEndEditing);
    QApplication::clipboard()->setText("a\nb");
    selectRange(4, 7);
    view->pasteConverted();
    EXPECT_EQ(view->toPlainText(), "one a<br />\nb");
    EXPECT_EQ(view->textCursor().selectedText().size(), QString("a<br />\nb").size());
    EXPECT_EQ(began.count(), 1);
    EXPECT_EQ(ended.count(), 1);
}

TEST_F(HTMLTextViewFixture, PasteHTMLAndReturnIsNewlineKeepTheTextAsItIs)
{
    QApplication::clipboard()->setText("a\nb");
    selectRange(0, 0);
    view->pasteHTML();
    EXPECT_EQ(view->toPlainText(), "a\nbone two");
    view->setStringValue("");
    view->setReturnIsNL(true);
    view->pasteConverted();
    EXPECT_EQ(view->toPlainText(), "a\nb");
}

TEST_F(HTMLTextViewFixture, PastingNothingChangesNothing)
{
    QSignalSpy began(view.get(), &VLXTextView::textDidBeginEditing);
    selectRange(0, 3);
    QApplication::clipboard()->setText(QString());
    view->pasteConverted();
    view->pasteHTML();
    view->insertPasted(QString());
    EXPECT_EQ(view->toPlainText(), "one two");
    EXPECT_EQ(view->textCursor().selectedText(), "one");
    EXPECT_EQ(began.count(), 0);
    // Text that is nothing but trailing zero characters is nothing as well.
    view->insertPasted(QString(2, QChar(0)));
    EXPECT_EQ(view->toPlainText(), "one two");
}

TEST_F(HTMLTextViewFixture, TrailingZeroCharactersAreDropped)
{
    selectRange(7, 7);
    view->insertPasted(QString("!") + QChar(0) + QChar(0));
    EXPECT_EQ(view->toPlainText(), "one two!");
}

TEST_F(HTMLTextViewFixture, ReturnTypesABreakTagAndAltReturnALineFeed)
{
    selectRange(3, 3);
    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_EQ(view->toPlainText(), "one<br />\n two");
    view->setStringValue("ab");
    selectRange(1, 1);
    QTest::keyClick(view.get(), Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(view->toPlainText(), "a\nb");

    view->setReturnIsNL(true);
    view->setStringValue("ab");
    selectRange(1, 1);
    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_EQ(view->toPlainText(), "a\nb");
    view->setStringValue("ab");
    selectRange(1, 1);
    QTest::keyClick(view.get(), Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(view->toPlainText(), "a<br />\nb");
}

TEST_F(HTMLTextViewFixture, ContextMenuOffersPasteHTMLAndEditHTMLAfterPaste)
{
    QApplication::clipboard()->setText("x");
    std::unique_ptr<QMenu> menu(view->buildContextMenu({1, 1}));
    QStringList items = titles(menu.get());
    qsizetype paste = items.indexOf("edit-paste");
    ASSERT_GE(paste, 0);
    EXPECT_EQ(items.value(paste + 1), "pasteHTML");
    EXPECT_FALSE(items.contains("editHTML"));
    EXPECT_TRUE(items.contains("contextHelp"));

    VLXTextViewHTML *edited = nullptr;
    view->setEditHTMLSource([&edited](VLXTextViewHTML *v) { edited = v; });
    menu.reset(view->buildContextMenu({1, 1}));
    items = titles(menu.get());
    paste = items.indexOf("edit-paste");
    EXPECT_EQ(items.value(paste + 2), "editHTML");
    menu->actions().at(paste + 2)->trigger();
    EXPECT_EQ(edited, view.get());
}
