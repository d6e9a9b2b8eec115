#include "editors/TextFinder.h"
#include "editors/XMLSourceTextView.h"
#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QUndoStack>
#include <gtest/gtest.h>

namespace {
class TextFinderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VLXPreferences::useStore(std::make_unique<MemoryDefaultsStore>());
        m_view.resize(300, 200);
        m_view.setUndoStack(&m_undo);
        m_view.show();
        finder().setTextObjectToSearchIn(&m_view);
        finder().findPanel();
        field("findTextField")->clear();
        field("replaceTextField")->clear();
        ignoreCase()->setChecked(false);
        scope()->button(TextFinder::kWholeTextScope)->setChecked(true);
    }
    void TearDown() override { finder().setTextObjectToSearchIn(nullptr); }

    static TextFinder &finder() { return TextFinder::sharedInstance(); }
    static QLineEdit *field(const char *name)
    {
        return finder().findPanel()->findChild<QLineEdit *>(QLatin1String(name));
    }
    static QCheckBox *ignoreCase()
    {
        return finder().findPanel()->findChild<QCheckBox *>(QStringLiteral("ignoreCaseButton"));
    }
    static QButtonGroup *scope()
    {
        return finder().findPanel()->findChild<QButtonGroup *>(
            QStringLiteral("replaceAllScopeMatrix"));
    }
    void load(const QString &text)
    {
        m_view.loadText(text);
        m_undo.clear();
    }
    void select(int from, int to)
    {
        QTextCursor cursor(m_view.document());
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        m_view.setTextCursor(cursor);
    }
    TextRange selected() const
    {
        const QTextCursor cursor = m_view.textCursor();
        return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
    }
    void search(const QString &what, const QString &replacement = QString())
    {
        field("findTextField")->setText(what);
        field("replaceTextField")->setText(replacement);
    }

    QUndoStack m_undo;
    XMLSourceTextView m_view;
};
} // namespace

TEST(TextFinderSearch, WrapsRoundAndTakesInTheSelectionItself)
{
    const QString text = QStringLiteral("one two one three");
    // Forwards from the end of the selection, wrapping to a match before it.
    EXPECT_EQ(TextFinder::findString(text, u"one", {10, 3}, 0, true), (TextRange {0, 3}));
    EXPECT_TRUE(TextFinder::findString(text, u"one", {10, 3}, 0, false).isNotFound());
    // Backwards from its start, wrapping to a match after it.
    EXPECT_EQ(TextFinder::findString(text, u"three", {0, 0}, TextFinder::Backwards, true),
              (TextRange {12, 5}));
    EXPECT_EQ(TextFinder::findString(text, u"one", {12, 0}, TextFinder::Backwards, true),
              (TextRange {8, 3}));
    // A lone match that is selected already is found again, not "Not found".
    EXPECT_EQ(TextFinder::findString(text, u"two", {4, 3}, 0, true), (TextRange {4, 3}));
    EXPECT_EQ(TextFinder::findString(text, u"two", {4, 3}, TextFinder::Backwards, true),
              (TextRange {4, 3}));
    EXPECT_EQ(TextFinder::findString(text, u"TWO", {0, 0}, TextFinder::CaseInsensitive, true),
              (TextRange {4, 3}));
    EXPECT_TRUE(TextFinder::findString(text, u"TWO", {0, 0}, 0, true).isNotFound());
    EXPECT_TRUE(TextFinder::findString(text, u"", {0, 0}, 0, true).isNotFound());
}

TEST_F(TextFinderTest, FindSelectsTheNextMatchAndSaysWhenThereIsNone)
{
    load(QString());
    search(QStringLiteral("x"));
    EXPECT_FALSE(finder().find(true));
    EXPECT_EQ(finder().statusText(), "Not found");

    load(QStringLiteral("Alpha beta alpha"));
    search(QStringLiteral("alpha"));
    select(0, 0);
    finder().findNext();
    EXPECT_EQ(selected(), (TextRange {11, 5}));
    EXPECT_TRUE(finder().lastFindWasSuccessful());
    EXPECT_EQ(finder().statusText(), "");
    finder().findNext();
    EXPECT_EQ(selected(), (TextRange {11, 5})) << "the lone match, found again";
    ignoreCase()->setChecked(true);
    finder().findNext();
    EXPECT_EQ(selected(), (TextRange {0, 5}));
    finder().findPrevious();
    EXPECT_EQ(selected(), (TextRange {11, 5}));
    EXPECT_EQ(TextFinder::findPasteboardString(), "alpha");
}

TEST_F(TextFinderTest, ReplaceTakesASelectedMatchWithoutSearchingFirst)
{
    load(QStringLiteral("Foo foo"));
    search(QStringLiteral("foo"), QStringLiteral("bar"));
    ignoreCase()->setChecked(true);
    select(0, 3);
    finder().replace();
    EXPECT_EQ(m_view.text(), "bar foo");
    EXPECT_EQ(m_undo.undoText(), "Replace");

    // Without the box the selection differs from the find text: the next match is replaced.
    ignoreCase()->setChecked(false);
    load(QStringLiteral("Foo foo"));
    select(0, 3);
    finder().replace();
    EXPECT_EQ(m_view.text(), "Foo bar");
    EXPECT_EQ(VLXPreferences::sharedInstance().store().string("FindPanelLastReplaceString"),
              std::optional<QString>("bar"));

    finder().replaceAndFind();
    EXPECT_EQ(finder().statusText(), "Not found");
}

TEST_F(TextFinderTest, ReplaceAllIsOneUndoStepAndKeepsToItsScope)
{
    load(QStringLiteral("xAyAz"));
    search(QStringLiteral("A"), QStringLiteral("BC"));
    finder().replaceAll();
    EXPECT_EQ(m_view.text(), "xBCyBCz");
    EXPECT_EQ(finder().statusText(), "2 replaced");
    EXPECT_EQ(m_undo.count(), 1);
    EXPECT_EQ(m_undo.undoText(), "Replace All");
    m_undo.undo();
    EXPECT_EQ(m_view.text(), "xAyAz");

    load(QStringLiteral("a a a a a"));
    search(QStringLiteral("a"), QStringLiteral("b"));
    scope()->button(0)->setChecked(true);
    select(2, 7);
    finder().replaceAll();
    EXPECT_EQ(m_view.text(), "a b b b a");
    EXPECT_EQ(finder().statusText(), "3 replaced");

    search(QStringLiteral("q"), QStringLiteral("b"));
    finder().replaceAll();
    EXPECT_EQ(finder().statusText(), "Not found");

    m_view.setReadOnly(true);
    search(QStringLiteral("a"), QStringLiteral("b"));
    scope()->button(TextFinder::kWholeTextScope)->setChecked(true);
    finder().replaceAll();
    EXPECT_EQ(m_view.text(), "a b b b a");
    EXPECT_EQ(finder().statusText(), "Not found");
    EXPECT_FALSE(finder().validateCommand(TextFinder::Command::ReplaceAll));
    EXPECT_TRUE(finder().validateCommand(TextFinder::Command::FindNext));
    m_view.setReadOnly(false);
}

TEST_F(TextFinderTest, TheFindStringGoesThroughTheProcessFindPasteboard)
{
    load(QStringLiteral("pick this word"));
    select(5, 9);
    finder().takeFindStringFromSelection();
    EXPECT_EQ(finder().findString(), "this");
    EXPECT_EQ(field("findTextField")->text(), "this");
    EXPECT_EQ(TextFinder::findPasteboardString(), "this");

    TextFinder::setFindPasteboardString(QStringLiteral("elsewhere"));
    finder().loadFindStringFromPasteboard();
    EXPECT_EQ(finder().findString(), "elsewhere");
    TextFinder::setFindPasteboardString(QString());
    finder().loadFindStringFromPasteboard();
    EXPECT_EQ(finder().findString(), "elsewhere") << "an empty pasteboard changes nothing";
}
