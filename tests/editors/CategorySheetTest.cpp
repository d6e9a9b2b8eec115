#include "SheetTestSupport.h"

#include "editors/categoryElementEdit.h"
#include "ui/VLXTextField.h"

#include <QDialog>

namespace {
using Category = SheetTest;

const QString kMissingTitle = QStringLiteral("Missing Required Field");
const QString kMissingMessage
    = QStringLiteral("The \"Category\" is required to have a value if \"Domain\" is used.");

TEST_F(Category, AcceptNeedsACategoryWheneverADomainIsGiven)
{
    categoryElementEdit sheet;
    sheet.setCategory(categoryElement(QStringLiteral("Rock"), QStringLiteral("http://d/")));
    whileModal([&] {
        EXPECT_EQ(sheet.categoryField()->text(), QStringLiteral("Rock"));
        EXPECT_EQ(sheet.categoryDomainField()->text(), QStringLiteral("http://d/"));
        sheet.categoryField()->clear();
        sheet.accept();
        // Refused: the alert, and the sheet still waits.
        ASSERT_EQ(alerts->alerts().size(), 1);
        EXPECT_EQ(alerts->alerts().first().title, kMissingTitle);
        EXPECT_EQ(alerts->alerts().first().message, kMissingMessage);
        EXPECT_EQ(alerts->alerts().first().style, Alert::Style::Informational);
        EXPECT_TRUE(sheet.window()->isVisible());
        sheet.categoryField()->setText(QStringLiteral("Jazz"));
        sheet.accept();
    });
    EXPECT_EQ(sheet.edit(), 1);
    EXPECT_EQ(sheet.category().categoryString(), QStringLiteral("Jazz"));
    EXPECT_EQ(sheet.category().categoryDomainString(), QStringLiteral("http://d/"));

    // Both fields empty: nothing to store.
    whileModal([&] {
        sheet.categoryField()->clear();
        sheet.categoryDomainField()->clear();
        sheet.accept();
    });
    EXPECT_EQ(sheet.edit(), 0);
    EXPECT_EQ(sheet.category().categoryString(), QStringLiteral("Jazz"));
}

TEST_F(Category, ASearchMatchingOnlyTheDomainHighlightsItThere)
{
    categoryElementEdit sheet;
    sheet.setCategory(categoryElement(QStringLiteral("Music"), QStringLiteral("http://rock.x/")));
    TextRange shown;
    bool domainHasFocus = false;
    whileModal([&] {
        shown = sheet.categoryDomainField()->hightlightRange();
        domainHasFocus = sheet.categoryDomainField()->isFirstResponder();
        sheet.cancel();
    });
    EXPECT_EQ(sheet.replace(QStringLiteral("rock"), std::nullopt, true, 0), 0);
    EXPECT_TRUE(domainHasFocus);
    EXPECT_EQ(shown, (TextRange {7, 4}));
    EXPECT_EQ(sheet.searchFieldIndex(), 1);
    EXPECT_TRUE(sheet.searchFound());
}

TEST_F(Category, ReplaceAndFindGoesFromTheCategoryOnToTheDomain)
{
    categoryElementEdit sheet;
    sheet.setCategory(categoryElement(QStringLiteral("rock"), QStringLiteral("http://rock.x/")));
    findPanel->find = findPanel->previous = QStringLiteral("rock");
    findPanel->replacement = QStringLiteral("jazz");
    TextRange domainMatch;
    whileModal([&] {
        EXPECT_TRUE(sheet.replaceDone()); // handed a replacement, nothing highlighted yet
        EXPECT_EQ(sheet.categoryField()->hightlightRange(), (TextRange {0, 4}));
        sheet.findPanelReplaceFindAction();
        domainMatch = sheet.categoryDomainField()->hightlightRange();
        EXPECT_EQ(sheet.category().categoryString(), QStringLiteral("jazz"));
        sheet.findPanelReplaceFindAction();
    });
    EXPECT_EQ(sheet.replace(QStringLiteral("rock"), QStringLiteral("jazz"), true, 0), 1);
    EXPECT_EQ(domainMatch, (TextRange {7, 4}));
    EXPECT_EQ(sheet.category().categoryString(), QStringLiteral("jazz"));
    EXPECT_EQ(sheet.category().categoryDomainString(), QStringLiteral("http://jazz.x/"));
    EXPECT_FALSE(sheet.searchFound());
}

TEST_F(Category, AStepThatChangedNothingEndsWithZero)
{
    categoryElementEdit sheet;
    sheet.setCategory(categoryElement(QStringLiteral("rock"), QString()));
    findPanel->find = findPanel->previous = QStringLiteral("rock");
    whileModal([&] { sheet.findNext(); });
    EXPECT_EQ(sheet.replace(QStringLiteral("rock"), std::nullopt, true, 0), 0);
    EXPECT_FALSE(sheet.searchFound());
}

TEST_F(Category, ACategoryEmptiedByAReplacementWhileADomainIsSetIsRefused)
{
    categoryElementEdit sheet;
    sheet.setCategory(categoryElement(QStringLiteral("rock"), QStringLiteral("http://d/")));
    findPanel->find = findPanel->previous = QStringLiteral("rock");
    findPanel->replacement = QString();
    whileModal([&] {
        sheet.findPanelReplaceFindAction(); // "" replaces the match; the search runs out
        EXPECT_EQ(alerts->alerts().size(), 1);
        EXPECT_TRUE(sheet.window()->isVisible());
        sheet.cancel();
    });
    EXPECT_EQ(sheet.replace(QStringLiteral("rock"), std::nullopt, true, 0), 0);
}

TEST_F(Category, TheFindCommandKeepsTheEditThenShowsTheFindPanel)
{
    categoryElementEdit sheet;
    sheet.setCategory(categoryElement(QStringLiteral("rock"), QString()));
    whileModal([&] {
        sheet.categoryField()->setText(QStringLiteral("pop"));
        sheet.orderFrontFindPanel();
    });
    EXPECT_EQ(sheet.edit(), 1);
    EXPECT_EQ(sheet.category().categoryString(), QStringLiteral("pop"));
    EXPECT_EQ(findPanel->calls, QStringList {QStringLiteral("orderFrontFindPanel")});
}
} // namespace
