#pragma once

#include "editors/WYSIWYG.h"

#include <QSignalSpy>
#include <QTest>
#include <QVariant>
#include <gtest/gtest.h>

// Drives the HTML editor's page from a test: every step waits on the page's answer or on the
// editor's signal, never on the clock.
namespace HTMLEditorDriver {
constexpr int kWaitMs = 20000;

// Waits until the editor's body is in place (opening or Reload).
inline bool waitReady(WYSIWYG &editor)
{
    return QTest::qWaitFor([&] { return editor.isReady(); }, kWaitMs);
}

// The value of an expression of the editor's script world.
inline QVariant eval(WYSIWYG &editor, const QString &script)
{
    QVariant result;
    bool done = false;
    editor.evaluate(script, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, kWaitMs)) << script.toStdString();
    return result;
}

inline QString body(WYSIWYG &editor)
{
    return eval(editor, QStringLiteral("vlx.bodyHTML()")).toString();
}

// Runs an action that changes the document and waits until the editor heard of the change.
template<typename Action> bool changeBy(WYSIWYG &editor, Action action)
{
    QSignalSpy changed(&editor, &WYSIWYG::documentChanged);
    action();
    return changed.count() > 0 || changed.wait(kWaitMs);
}

// Selects characters [start, end) of the text node the script expression names (the caret when
// they are equal).
inline void selectText(WYSIWYG &editor, const QString &node, int start, int end)
{
    eval(editor,
         QStringLiteral("(function(){var t=%1; var r=document.createRange();"
                        "r.setStart(t,%2); r.setEnd(t,%3); var s=getSelection();"
                        "s.removeAllRanges(); s.addRange(r); return true;})()")
             .arg(node)
             .arg(start)
             .arg(end));
}

inline void selectWord(WYSIWYG &editor, const QString &word)
{
    // The first text node holding the word.
    eval(editor,
         QStringLiteral("(function(){var w=document.createTreeWalker(document.body,4);"
                        "var n; while((n=w.nextNode())){var i=n.nodeValue.indexOf(%1);"
                        "if(i>=0){var r=document.createRange(); r.setStart(n,i);"
                        "r.setEnd(n,i+%1.length); var s=getSelection();"
                        "s.removeAllRanges(); s.addRange(r); return true;}}"
                        "return false;})()")
             .arg(WYSIWYG::scriptString(word)));
}

// Closes the editor through an action and waits for its end; answers the result reported.
template<typename Action> int closeBy(WYSIWYG &editor, Action action)
{
    QSignalSpy closed(&editor, &WYSIWYG::closed);
    action();
    if (closed.isEmpty() && !closed.wait(kWaitMs))
        return -2;
    return closed.first().first().toInt();
}
} // namespace HTMLEditorDriver
