#include "document/VLXUndoManager.h"
#include "panes/EditTracker.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
// A value with an undo record in the house style: the record puts back the old value and answers
// the record that puts back the value it replaced.
UndoRecord setValueRecord(QString *value, const QString &toRestore, int *applyCount)
{
    return UndoRecord {[=]() {
        ++*applyCount;
        const QString current = *value;
        *value = toRestore;
        return setValueRecord(value, current, applyCount);
    }};
}
} // namespace

TEST(UndoManager, ARecordRegisteredBeforeTheChangeIsNotAppliedWhenPushed)
{
    VLXUndoManager undo;
    QString value = "a";
    int applied = 0;
    undo.registerUndo(setValueRecord(&value, value, &applied));
    undo.setActionName("Feed Title");
    value = "b";
    undo.closeGroup();
    EXPECT_EQ(applied, 0);
    EXPECT_EQ(value, "b");
    EXPECT_EQ(undo.undoActionName(), "Feed Title");

    undo.undo();
    EXPECT_EQ(value, "a");
    EXPECT_EQ(undo.redoActionName(), "Feed Title");
    undo.redo();
    EXPECT_EQ(value, "b");
    undo.undo();
    EXPECT_EQ(value, "a");
    EXPECT_EQ(applied, 3);
}

TEST(UndoManager, RecordsOfOneActionFormOneStepNamedByTheLastName)
{
    VLXUndoManager undo;
    QString title = "t0", date = "d0";
    int applied = 0;
    undo.registerUndo(setValueRecord(&title, title, &applied));
    undo.setActionName("first");
    title = "t1";
    undo.registerUndo(setValueRecord(&date, date, &applied));
    undo.setActionName("Item Drag");
    date = "d1";
    // The step closes by itself when control returns to the event loop.
    QCoreApplication::processEvents();
    EXPECT_FALSE(undo.isGroupOpen());
    EXPECT_EQ(undo.count(), 1);
    EXPECT_EQ(undo.undoActionName(), "Item Drag");
    undo.undo();
    EXPECT_EQ(title, "t0");
    EXPECT_EQ(date, "d0");
    undo.redo();
    EXPECT_EQ(title, "t1");
    EXPECT_EQ(date, "d1");
}

TEST(UndoManager, RegistrationsWhileApplyingAreIgnored)
{
    VLXUndoManager undo;
    QString value = "a";
    int applied = 0;
    undo.registerUndo(UndoRecord {[&]() {
        // An apply operation that commits through the same path as an edit registers again.
        undo.registerUndo(setValueRecord(&value, "x", &applied));
        value = "a";
        return setValueRecord(&value, "b", &applied);
    }});
    value = "b";
    undo.closeGroup();
    undo.undo();
    EXPECT_EQ(value, "a");
    EXPECT_EQ(undo.count(), 1);
    EXPECT_FALSE(undo.isGroupOpen());
}

TEST(UndoManager, EditedMarkFollowsTheCleanStateAndTheForcedFlag)
{
    VLXUndoManager undo;
    QSignalSpy spy(&undo, &VLXUndoManager::documentEditedChanged);
    QString value = "a";
    int applied = 0;
    EXPECT_FALSE(undo.isDocumentEdited());
    undo.registerUndo(setValueRecord(&value, value, &applied));
    EXPECT_TRUE(undo.isDocumentEdited()); // a step being gathered already counts
    value = "b";
    undo.closeGroup();
    undo.setDocumentEdited(false); // saved
    EXPECT_FALSE(undo.isDocumentEdited());
    undo.undo();
    EXPECT_TRUE(undo.isDocumentEdited()) << "undoing past a save edits the feed again";
    undo.redo();
    EXPECT_FALSE(undo.isDocumentEdited());

    undo.setDocumentEdited(true); // a fetched or repaired feed
    EXPECT_TRUE(undo.isDocumentEdited());
    undo.undo();
    undo.redo();
    EXPECT_TRUE(undo.isDocumentEdited());
    // Marking edited keeps the steps; marking unedited with a flush drops them.
    undo.setDocumentEdited(true, true);
    EXPECT_EQ(undo.count(), 1);
    QSignalSpy flushed(&undo, &VLXUndoManager::flushed);
    undo.setDocumentEdited(false, true);
    EXPECT_EQ(undo.count(), 0);
    EXPECT_FALSE(undo.canUndo());
    EXPECT_EQ(flushed.count(), 1);
    EXPECT_GE(spy.count(), 4);
}

class EditTrackerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(300, 200);
        auto *layout = new QVBoxLayout(&window);
        title = new VLXTextField(&window);
        link = new VLXTextField(&window);
        view = new VLXTextView(&window);
        layout->addWidget(title);
        layout->addWidget(link);
        layout->addWidget(view);
        tracker.track(title);
        tracker.track(link);
        tracker.track(view);
        tracker.setCommit([this](QWidget *c, const QString &start, const QString &text) {
            commits.append({c, start, text});
        });
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    struct CommitCall
    {
        QWidget *control;
        QString start, text;
    };

    QWidget window;
    VLXTextField *title = nullptr, *link = nullptr;
    VLXTextView *view = nullptr;
    EditTracker tracker;
    QList<CommitCall> commits;
};

TEST_F(EditTrackerTest, TypingThenLeavingCommitsOnceWithTheStartText)
{
    title->setText("Old");
    title->setFocus();
    QTest::keyClick(title, Qt::Key_End);
    QTest::keyClicks(title, " News");
    EXPECT_TRUE(commits.isEmpty());
    link->setFocus(); // focus out ends the edit
    ASSERT_EQ(commits.size(), 1);
    EXPECT_EQ(commits[0].control, title);
    EXPECT_EQ(commits[0].start, "Old");
    EXPECT_EQ(commits[0].text, "Old News");
    // Entering and leaving without a change commits nothing.
    title->setFocus();
    link->setFocus();
    EXPECT_EQ(commits.size(), 1);
}

TEST_F(EditTrackerTest, ReturnCommitsAndTheNextChangeStartsFromTheCommittedText)
{
    title->setFocus();
    QTest::keyClicks(title, "ab");
    QTest::keyClick(title, Qt::Key_Return);
    QTest::keyClicks(title, "c");
    tracker.finalizeChanges();
    ASSERT_EQ(commits.size(), 2);
    EXPECT_EQ(commits[1].start, "ab");
    EXPECT_EQ(commits[1].text, "abc");
    EXPECT_TRUE(title->hasFocus());
}

TEST_F(EditTrackerTest, CheckTrimsAndItsAlertDoesNotEndTheEditTwice)
{
    int checks = 0;
    tracker.setCheck([&](QWidget *, const QString &text) {
        ++checks;
        // An alert taking the focus while the edit ends, as a field check's alert does.
        QWidget popup;
        popup.show();
        QApplication::setActiveWindow(&popup);
        popup.setFocus();
        QApplication::processEvents();
        window.activateWindow();
        return text.trimmed();
    });
    title->setFocus();
    QTest::keyClicks(title, "  Title \t");
    QTest::keyClick(title, Qt::Key_Return);
    QApplication::processEvents();
    link->setFocus();
    EXPECT_EQ(checks, 1);
    ASSERT_EQ(commits.size(), 1);
    EXPECT_EQ(commits[0].text, "Title");
    EXPECT_EQ(title->text(), "Title");
}

TEST_F(EditTrackerTest, ProgramPathsCommitLikeTypingAndDisplayedTextsDoNot)
{
    link->setText("http://a");
    title->setTextAsEdit("Copied"); // Copy From, generated values, replacements
    ASSERT_EQ(commits.size(), 1);
    EXPECT_EQ(commits[0].start, "");
    EXPECT_EQ(commits[0].text, "Copied");
    tracker.setTextAsEdit(link, "http://b");
    ASSERT_EQ(commits.size(), 2);
    EXPECT_EQ(commits[1].start, "http://a");

    // Undo putting a value back into the field being edited: not an edit of its own.
    view->setFocus();
    tracker.setDisplayedText(view, "restored");
    title->setFocus();
    EXPECT_EQ(commits.size(), 2);
    view->setFocus();
    QTest::keyClicks(view, "!");
    title->setFocus();
    ASSERT_EQ(commits.size(), 3);
    EXPECT_EQ(commits[2].control, view);
    EXPECT_EQ(commits[2].start, "restored");
}

TEST_F(EditTrackerTest, ALongTextInParagraphsIsShownWholeAndALongLineInPart)
{
    const QString paragraph = QString(79, u'a') + u'\n';
    const QString line = QString(EditTracker::kLongestShownLine, u'b');
    QString atMost = paragraph.repeated(EditTracker::kLongestShownText / paragraph.size());
    atMost += QString(EditTracker::kLongestShownText - atMost.size(), u'c');
    const struct
    {
        QString text;
        bool whole;
    } cases[] = {
        {paragraph.repeated(4000), true}, // a 320,000-character transcript
        {line, true},
        {line + u'b', false},
        {paragraph.repeated(100) + line + u'\n' + paragraph, true},
        {paragraph.repeated(100) + line + u'b' + paragraph, false},
        {atMost, true},
        {atMost + u'c', false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.size());
        tracker.setDisplayedText(view, c.text);
        EXPECT_EQ(view->toPlainText() == c.text, c.whole);
        EXPECT_EQ(view->isReadOnly(), !c.whole);
    }
}
