#include "SheetTestSupport.h"

#include "editors/editXMLComment.h"
#include "ui/VLXTextView.h"

#include <QAction>
#include <QDialog>

namespace {
using Comment = SheetTest;

TEST(CommentText, NoTwoHyphensTouchAndNoneEndsTheComment)
{
    const struct
    {
        const char *typed;
        const char *written;
    } cases[] = {
        {"a--b", "a- -b"}, {"x---y", "x- - -y"}, {"---", "- - - "},  {"a-", "a- "},
        {"a--", "a- - "},  {"-a", "-a"},         {"plain", "plain"}, {"", ""},
    };
    for (const auto &c : cases) {
        editXMLComment sheet;
        sheet.setComment(QString::fromUtf8(c.typed));
        EXPECT_EQ(sheet.comment(), QString::fromUtf8(c.written)) << c.typed;
    }
}

TEST_F(Comment, AcceptTakesTheTextAndCancelKeepsTheComment)
{
    editXMLComment sheet;
    sheet.setComment(QStringLiteral("old--one"));
    sheet.setTitle(QStringLiteral("Channel Comment"));
    whileModal([&] {
        EXPECT_EQ(sheet.window()->windowTitle(), QStringLiteral("Channel Comment"));
        // The text shown is already legal.
        EXPECT_EQ(sheet.string(), QStringLiteral("old- -one"));
        sheet.textView()->setPlainText(QStringLiteral("new-"));
        sheet.accept();
    });
    EXPECT_EQ(sheet.edit(), 1);
    EXPECT_EQ(sheet.comment(), QStringLiteral("new- "));

    whileModal([&] {
        sheet.textView()->setPlainText(QStringLiteral("dropped"));
        sheet.cancel();
    });
    EXPECT_EQ(sheet.edit(), 0);
    EXPECT_EQ(sheet.comment(), QStringLiteral("new- "));

    // An empty comment is accepted as such; dropping it is the caller's business.
    whileModal([&] {
        sheet.textView()->clear();
        sheet.accept();
    });
    EXPECT_EQ(sheet.edit(), 1);
    EXPECT_EQ(sheet.comment(), QString());
}

TEST_F(Comment, AStepWithoutAMatchOrARequestEndsAtOnceUnchanged)
{
    editXMLComment sheet;
    sheet.setComment(QStringLiteral("nothing here"));
    bool shown = false;
    whileModal([&] { shown = true; });
    EXPECT_EQ(sheet.replace(QStringLiteral("cat"), std::nullopt, false, 0), 0);
    EXPECT_FALSE(shown);
    EXPECT_FALSE(sheet.searchFound());
    EXPECT_FALSE(sheet.replaceDone());

    editXMLComment searching;
    searching.setComment(QStringLiteral("nothing here"));
    EXPECT_EQ(searching.replace(QStringLiteral("cat"), std::nullopt, true, 0), 0);
    EXPECT_FALSE(searching.searchFound());
}

TEST_F(Comment, AFreshStepGivenAReplacementOnlySearchesAndStopsOnTheFirstMatch)
{
    editXMLComment sheet;
    sheet.setComment(QStringLiteral("a cat and a cat"));
    TextRange shown;
    whileModal([&] {
        shown = sheet.textView()->hightlightRange();
        sheet.cancel();
    });
    EXPECT_EQ(sheet.replace(QStringLiteral("cat"), QStringLiteral("dog"), true, 0), 0);
    EXPECT_EQ(shown, (TextRange {2, 3}));
    EXPECT_TRUE(sheet.replaceDone());
    EXPECT_TRUE(sheet.searchFound());
    EXPECT_EQ(sheet.comment(), QStringLiteral("a cat and a cat"));
}

TEST_F(Comment, ReplaceAndFindThroughTheLastMatchAcceptsTheChangedComment)
{
    editXMLComment sheet;
    sheet.setComment(QStringLiteral("a cat and a cat"));
    findPanel->find = findPanel->previous = QStringLiteral("cat");
    findPanel->replacement = QStringLiteral("dog");
    QList<TextRange> highlights;
    whileModal([&] {
        sheet.findPanelReplaceFindAction(); // first cat replaced, the second shown
        highlights << sheet.textView()->hightlightRange();
        EXPECT_TRUE(sheet.searchFound());
        sheet.findPanelReplaceFindAction(); // the last one: nothing more to find
    });
    EXPECT_EQ(sheet.replace(QStringLiteral("cat"), std::nullopt, true, 0), 1);
    EXPECT_EQ(highlights, QList<TextRange>({{12, 3}}));
    EXPECT_EQ(sheet.comment(), QStringLiteral("a dog and a dog"));
    EXPECT_FALSE(sheet.searchFound());
    EXPECT_TRUE(sheet.replaceDone());
}

TEST_F(Comment, ReplaceWithoutSearchingStaysOnTheReplacedText)
{
    editXMLComment sheet;
    sheet.setComment(QStringLiteral("one cat"));
    findPanel->find = findPanel->previous = QStringLiteral("cat");
    findPanel->replacement = QStringLiteral("lion");
    whileModal([&] {
        sheet.findPanelReplaceAction();
        EXPECT_TRUE(sheet.searchFound());
        EXPECT_TRUE(sheet.replaceDone());
        EXPECT_EQ(sheet.textView()->highlightedString(), QStringLiteral("lion"));
        EXPECT_TRUE(sheet.window()->isVisible());
        sheet.accept();
    });
    EXPECT_EQ(sheet.replace(QStringLiteral("cat"), std::nullopt, true, 0), 1);
    EXPECT_EQ(sheet.comment(), QStringLiteral("one lion"));
}

TEST_F(Comment, FindNextWalksTheMatchesAndEndsUnchangedAfterTheLast)
{
    editXMLComment sheet;
    sheet.setComment(QStringLiteral("Cat, cat."));
    findPanel->find = findPanel->previous = QStringLiteral("cat");
    QList<TextRange> highlights;
    whileModal([&] {
        highlights << sheet.textView()->hightlightRange();
        sheet.findNext();
        highlights << sheet.textView()->hightlightRange();
        sheet.findPanelNextAction();
    });
    EXPECT_EQ(
        sheet.replace(QStringLiteral("cat"), std::nullopt, true, SearchStepSheet::CaseInsensitive),
        0);
    EXPECT_EQ(highlights, QList<TextRange>({{0, 3}, {5, 3}}));
    EXPECT_FALSE(sheet.searchFound());
    EXPECT_TRUE(findPanel->calls.isEmpty());
}

TEST_F(Comment, AReplacementDifferingInCaseFromTheMatchIsNotAppliedButSearchesOn)
{
    editXMLComment sheet;
    sheet.setComment(QStringLiteral("Cat cat"));
    findPanel->find = findPanel->previous = QStringLiteral("cat");
    findPanel->replacement = QStringLiteral("dog");
    TextRange shown;
    whileModal([&] {
        // "Cat" is highlighted; the find text is "cat": nothing is replaced.
        sheet.findPanelReplaceAction();
        EXPECT_TRUE(sheet.replaceDone());
        shown = sheet.textView()->hightlightRange();
        sheet.cancel();
    });
    sheet.replace(QStringLiteral("cat"), std::nullopt, true, SearchStepSheet::CaseInsensitive);
    EXPECT_EQ(shown, (TextRange {4, 3}));
    EXPECT_EQ(sheet.comment(), QStringLiteral("Cat cat"));
}

TEST_F(Comment, AChangedFindTextOrReplaceAllHandsOverToTheWindow)
{
    editXMLComment sheet;
    sheet.setComment(QStringLiteral("one cat"));
    findPanel->previous = QStringLiteral("cat");
    findPanel->find = QStringLiteral("dog");
    whileModal([&] { sheet.findNext(); });
    EXPECT_EQ(sheet.replace(QStringLiteral("cat"), std::nullopt, true, 0), 1);
    EXPECT_TRUE(sheet.searchFound()); // the walk stops at this comment
    EXPECT_TRUE(findPanel->calls.isEmpty()); // not before the sheet has returned
    settle();
    EXPECT_EQ(findPanel->calls, QStringList {QStringLiteral("findNext")});

    editXMLComment other;
    other.setComment(QStringLiteral("one cat"));
    findPanel->calls.clear();
    whileModal([&] { other.findPanelReplaceAllAction(); });
    EXPECT_EQ(other.replace(QStringLiteral("cat"), std::nullopt, true, 0), 1);
    settle();
    EXPECT_EQ(findPanel->calls, QStringList {QStringLiteral("replaceAll")});
}

TEST_F(Comment, FindCommandsFollowTheFindTextAndThePreferences)
{
    editXMLComment sheet;
    sheet.setComment(QStringLiteral("one cat"));
    findPanel->find.clear();
    EXPECT_FALSE(sheet.validateCommand(QStringLiteral("findNext")));
    EXPECT_TRUE(sheet.validateCommand(QStringLiteral("orderFrontFindPanel")));
    EXPECT_TRUE(sheet.validateCommand(QStringLiteral("copy")));
    findPanel->find = QStringLiteral("cat");
    EXPECT_TRUE(sheet.validateCommand(QStringLiteral("findNext")));
    sheet.setInPreferences(true);
    EXPECT_FALSE(sheet.validateCommand(QStringLiteral("orderFrontFindPanel")));

    whileModal([&] {
        auto *find = sheet.window()->findChild<QAction *>(QStringLiteral("orderFrontFindPanel"));
        auto *next = sheet.window()->findChild<QAction *>(QStringLiteral("findNext"));
        ASSERT_TRUE(find && next);
        EXPECT_FALSE(find->isEnabled());
        EXPECT_TRUE(next->isEnabled());
        sheet.cancel();
    });
    sheet.edit();
}
} // namespace
