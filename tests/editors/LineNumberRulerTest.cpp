#include "editors/LineNumberedTextView.h"
#include "editors/MNLineNumberCache.h"
#include "editors/MNLineNumberingRulerView.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

namespace {
using Ruler = MNLineNumberingRulerView;

class LineNumberRulerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_view.resize(400, 300);
        m_ruler = m_view.addVerticalRuler();
        m_view.show();
    }
    void setText(const QString &text)
    {
        m_view.setPlainText(text);
        QCoreApplication::processEvents();
    }
    QString selection() const
    {
        return m_view.textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
    }
    QTextBlock block(int number) const { return m_view.document()->findBlockByNumber(number); }
    // Lets the idle counting run until it is done (or a generous while has passed).
    void waitForCounting()
    {
        QElapsedTimer clock;
        clock.start();
        while (!m_ruler->cache()->isComplete() && clock.elapsed() < 20000)
            QCoreApplication::processEvents();
    }

    LineNumberedTextView m_view;
    Ruler *m_ruler = nullptr;
};
} // namespace

TEST_F(LineNumberRulerTest, EmptyTextShowsLineOneButHasNoLineToShow)
{
    setText(QString());
    m_ruler->setOption(Ruler::LineNumbers);
    EXPECT_EQ(m_ruler->labelAt(block(0), 0), "1");
    EXPECT_EQ(m_ruler->lineNumberAtGlyphIndex(0), 1);
    EXPECT_FALSE(m_ruler->showLine(1, Ruler::WholeLine));
    EXPECT_FALSE(m_ruler->showLine(0, Ruler::WholeLine));
    EXPECT_FALSE(m_ruler->showCharacter(0, Ruler::Character));
    EXPECT_GE(m_ruler->ruleThickness(), Ruler::kRuleThickness);
    m_ruler->setVisible(false);
    EXPECT_EQ(m_ruler->ruleThickness(), Ruler::kNoLineNumbering);
    EXPECT_EQ(m_view.viewport()->geometry().left(), m_view.contentsRect().left());
}

TEST_F(LineNumberRulerTest, ATrailingLineBreakGetsOneMoreNumberInEveryMode)
{
    setText(QStringLiteral("alpha\nbeta\n"));
    ASSERT_EQ(m_view.document()->blockCount(), 3);
    m_ruler->setOption(Ruler::LineNumbers);
    EXPECT_EQ(m_ruler->labelAt(block(2), 0), "3");
    m_ruler->setOption(Ruler::CharacterIndexes);
    EXPECT_EQ(m_ruler->labelAt(block(1), 0), "7");
    EXPECT_EQ(m_ruler->labelAt(block(2), 0), "12");
    m_ruler->setOption(Ruler::ParagraphNumbers | Ruler::ShowBookmarks);
    EXPECT_EQ(m_ruler->labelAt(block(2), 0), "3");
    m_ruler->setOption(Ruler::NoNumbers);
    EXPECT_EQ(m_ruler->labelAt(block(0), 0), "");

    EXPECT_EQ(m_ruler->lineNumberAtGlyphIndex(11), 3);
    EXPECT_TRUE(m_ruler->showLine(2, Ruler::WholeLine));
    EXPECT_EQ(selection(), "beta\n");
    EXPECT_FALSE(m_ruler->showLine(3, Ruler::WholeLine)) << "the extra line holds no character";
    EXPECT_TRUE(m_ruler->showParagraph(1));
    EXPECT_EQ(selection(), "alpha\n");
    EXPECT_TRUE(m_ruler->showCharacter(7, Ruler::Word));
    EXPECT_EQ(selection(), "beta");
    EXPECT_TRUE(m_ruler->showCharacter(7, Ruler::Character));
    EXPECT_EQ(selection(), "e");
}

TEST_F(LineNumberRulerTest, AWrappedParagraphCountsItsVisualLines)
{
    m_view.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QString paragraph;
    for (int i = 0; i < 60; ++i)
        paragraph += QStringLiteral("word%1 ").arg(i);
    setText(QStringLiteral("first\n") + paragraph + QStringLiteral("\nlast"));
    m_view.document()->documentLayout()->blockBoundingRect(block(1));
    const int wrapped = block(1).layout()->lineCount();
    ASSERT_GT(wrapped, 2);

    m_ruler->setOption(Ruler::ParagraphNumbers);
    EXPECT_EQ(m_ruler->labelAt(block(1), 0), "2");
    EXPECT_EQ(m_ruler->labelAt(block(1), 1), "-");
    EXPECT_EQ(m_ruler->labelAt(block(1), wrapped - 1), "-");
    EXPECT_EQ(m_ruler->labelAt(block(2), 0), "3");
    m_ruler->setOption(Ruler::LineNumbers);
    EXPECT_EQ(m_ruler->labelAt(block(2), 0), QString::number(2 + wrapped));
    EXPECT_EQ(m_ruler->lineNumberAtParagraphNumber(3), 2 + wrapped);

    const int secondLineStart = block(1).position() + block(1).layout()->lineAt(1).textStart();
    EXPECT_EQ(m_ruler->lineNumberAtGlyphIndex(secondLineStart), 3);
    EXPECT_TRUE(m_ruler->showLine(3, Ruler::WholeLine));
    EXPECT_EQ(m_view.textCursor().selectionStart(), secondLineStart);
    EXPECT_FALSE(selection().contains(u'\n')) << "one visual line, not the paragraph";
}

TEST_F(LineNumberRulerTest, BookmarksMoveWithEditsAndLeaveAtTheEdges)
{
    setText(QStringLiteral("0123456789012345678901234567890123456789"));
    for (int position : {5, 10, 20, 30})
        m_ruler->addBookmark(position);
    auto positions = [this] {
        QList<int> list;
        for (const Ruler::Bookmark &bookmark : m_ruler->bookmarks())
            list << bookmark.position;
        return list;
    };
    QTextCursor cursor(m_view.document());
    cursor.setPosition(7);
    cursor.insertText(QStringLiteral("abc"));
    EXPECT_EQ(positions(), (QList<int> {5, 13, 23, 33}));

    // A deletion: marks inside it land where it was, marks after it move back.
    cursor.setPosition(8);
    cursor.setPosition(15, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    EXPECT_EQ(positions(), (QList<int> {5, 8, 16, 26}));

    // Marks pushed to the start or past the end go.
    cursor.setPosition(0);
    cursor.setPosition(6, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    EXPECT_EQ(positions(), (QList<int> {2, 10, 20}));
    cursor.setPosition(15);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    EXPECT_EQ(positions(), (QList<int> {2, 10}));
}

TEST_F(LineNumberRulerTest, CountingRunsWhenIdleAndAnEditKeepsWhatLiesAbove)
{
    m_view.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QString text;
    for (int i = 0; i < 3000; ++i)
        text += QStringLiteral("line %1 with a few words that may wrap in a narrow view\n").arg(i);
    setText(text);
    m_ruler->setOption(Ruler::LineNumbers);
    MNLineNumberCache *cache = m_ruler->cache();
    EXPECT_FALSE(cache->isComplete()) << "the text is not counted up front";
    waitForCounting();
    ASSERT_TRUE(cache->isComplete());

    const int total = m_view.document()->lineCount();
    EXPECT_GT(total, 3000) << "some lines wrap";
    EXPECT_EQ(m_ruler->lineNumberAtGlyphIndex(m_view.document()->characterCount() - 1), total);

    QTextCursor cursor(m_view.document());
    cursor.setPosition(block(2000).position());
    cursor.insertText(QStringLiteral("x"));
    EXPECT_EQ(cache->countedBlocks(), 2000);
    cursor.setPosition(0);
    cursor.insertText(QStringLiteral("y"));
    EXPECT_EQ(cache->countedBlocks(), 0);
    // A jump counts what it needs at once.
    EXPECT_TRUE(m_ruler->showLine(total - 5, Ruler::WholeLine));
    EXPECT_EQ(m_ruler->lineNumberAtGlyphIndex(m_view.textCursor().selectionStart()), total - 5);
}
