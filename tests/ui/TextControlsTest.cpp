#include "ui/VLXButton.h"
#include "ui/VLXCopyFromMenu.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"

#include "platform/ContextHelp.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>

namespace {
QAction *findItem(QMenu *menu, const QString &name)
{
    for (QAction *action : menu->actions()) {
        if (action->objectName() == name)
            return action;
    }
    return nullptr;
}
} // namespace

TEST(HelpAnchor, HelpItemIsEnabledOnlyWithAnAnchorAndOpensTheTopic)
{
    QString opened;
    VLXHelpAnchored::setHelpHandler([&opened](const QString &anchor) {
        opened = anchor;
        return true;
    });
    VLXButton button;
    QMenu menu;
    button.addHelpItem(&menu);
    EXPECT_FALSE(findItem(&menu, "contextHelp")->isEnabled());
    button.showContextHelp();
    EXPECT_TRUE(opened.isEmpty());

    button.setHelpAnchor("FeedTitle");
    QMenu anchored;
    button.addHelpItem(&anchored);
    ASSERT_TRUE(findItem(&anchored, "contextHelp")->isEnabled());
    findItem(&anchored, "contextHelp")->trigger();
    EXPECT_EQ(opened, "FeedTitle");
    // The field alerts find context help through the meta-object.
    opened.clear();
    EXPECT_TRUE(ContextHelp::answers(&button));
    ContextHelp::show(&button);
    EXPECT_EQ(opened, "FeedTitle");
    VLXHelpAnchored::setHelpHandler({});
}

TEST(TextField, CopyFromItemFollowsCopyAndASecondSourceReplacesTheFirst)
{
    VLXTextField field;
    field.setText("abc");
    QString link = "https://example.org/1";
    field.setCopySource([] { return QString("Title text"); }, "Title");
    field.setCopySource([&link] { return link; }, "Link");
    std::unique_ptr<QMenu> menu(field.buildContextMenu());
    qsizetype copy = -1;
    for (qsizetype i = 0; i < menu->actions().size() && copy < 0; ++i)
        copy = VLXCopyFromMenu::isCopyItem(menu->actions()[i]) ? i : -1;
    ASSERT_GE(copy, 0);
    QAction *item = menu->actions().value(copy + 1);
    EXPECT_EQ(item->objectName(), "copyFromCopySource");
    EXPECT_EQ(item->text(), "Copy From Link");
    int copyFromItems = 0;
    for (QAction *action : menu->actions())
        copyFromItems += action->text().startsWith("Copy From") ? 1 : 0;
    EXPECT_EQ(copyFromItems, 1);
    EXPECT_TRUE(item->isEnabled());

    link.clear();
    menu.reset(field.buildContextMenu());
    EXPECT_FALSE(findItem(menu.get(), "copyFromCopySource")->isEnabled());
}

TEST(TextField, CopyFromIsOneFramedEdit)
{
    VLXTextField field;
    field.setCopySource([] { return QString("https://example.org/item"); }, "Link");
    QSignalSpy began(&field, &VLXTextField::textDidBeginEditing);
    QSignalSpy ended(&field, &VLXTextField::textDidEndEditing);
    QString textAtBegin = "unset";
    QObject::connect(&field, &VLXTextField::textDidBeginEditing,
                     [&] { textAtBegin = field.text(); });
    field.copyFromCopySource();
    EXPECT_EQ(field.text(), "https://example.org/item");
    EXPECT_EQ(textAtBegin, "");
    EXPECT_EQ(began.count(), 1);
    EXPECT_EQ(ended.count(), 1);
}

TEST(TextField, HighlightAndReplaceSelectsTheReplacement)
{
    VLXTextField field;
    field.show();
    field.setText("find the cat here");
    field.setHighlightRange({9, 3});
    ASSERT_TRUE(field.isFirstResponder());
    EXPECT_EQ(field.highlightedString(), "cat");
    QSignalSpy ended(&field, &VLXTextField::textDidEndEditing);
    field.replaceHighlightedWithString("lion");
    EXPECT_EQ(field.text(), "find the lion here");
    EXPECT_EQ(field.hightlightRange(), (TextRange {9, 4}));
    EXPECT_EQ(ended.count(), 1);
    field.setHighlightRange({0, 0});
    EXPECT_EQ(field.highlightedString(), "");
}

TEST(TextView, CopyFromStaysEnabledForAnEmptySourceAndReplacesTheWholeText)
{
    VLXTextView view;
    view.setStringValue("old");
    view.setCopySource([] { return QString(); }, "Description");
    std::unique_ptr<QMenu> menu(view.buildContextMenu({1, 1}));
    QAction *item = findItem(menu.get(), "copyFromCopySource");
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled());
    EXPECT_EQ(item->text(), "Copy From Description");
    QSignalSpy began(&view, &VLXTextView::textDidBeginEditing);
    item->trigger();
    EXPECT_EQ(view.toPlainText(), "");
    EXPECT_EQ(began.count(), 1);
}

TEST(TextView, ShowingAModelValueIsNotAnEdit)
{
    VLXTextView view;
    QSignalSpy began(&view, &VLXTextView::textDidBeginEditing);
    view.setStringValue("from the model");
    EXPECT_EQ(began.count(), 0);
    view.show();
    view.setHighlightRange({5, 3});
    EXPECT_EQ(view.highlightedString(), "the");
    view.replaceHighlightedWithString("a");
    EXPECT_EQ(view.toPlainText(), "from a model");
    EXPECT_EQ(view.hightlightRange(), (TextRange {5, 1}));
}
