// The window's keyboard shortcuts never reach into the text being typed: a shortcut pressed in a
// filled field or description leaves its text as it was.
#include "AppFixture.h"

#include "app/Controller.h"
#include "app/Vellumcast.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextViewHTML.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QTest>
#include <QTextCursor>

using MenuShortcutTest = AppFixture;

namespace {
// The standard commands of the Edit menu: their keys are meant for the text under the cursor.
const QSet<QString> kTextCommands {"undo", "redo", "cut", "copy", "paste", "selectAll"};

// Every action of the window's menus with its keys.
QList<QAction *> menuActions(QMainWindow *window)
{
    QList<QAction *> found;
    for (QMenu *menu : window->menuBar()->findChildren<QMenu *>()) {
        for (QAction *action : menu->actions()) {
            if (!action->isSeparator() && !found.contains(action))
                found << action;
        }
    }
    for (QAction *action : window->findChildren<QAction *>()) {
        if (!action->shortcuts().isEmpty() && !found.contains(action))
            found << action;
    }
    return found;
}

// The keys the text fields and text views take for themselves on the Linux desktops (the X11,
// KDE and GNOME key schemes of the toolkit), whatever scheme the test runs under: Ctrl+U deletes
// the whole line, Ctrl+K to its end, Ctrl+D the next character, Ctrl+H (in some schemes) the one
// before, Ctrl+E goes to the end of the line, Ctrl+Shift+A deselects; then the word and line
// keys, the clipboard, undo and the Sun keyboards' edit keys.
const QString kLinuxTextKeys = QStringLiteral(
    "Ctrl+U; Ctrl+K; Ctrl+D; Ctrl+H; Ctrl+E; Ctrl+A; Ctrl+Shift+A; Ctrl+Backspace; Ctrl+Del; "
    "Ctrl+Z; Ctrl+Shift+Z; Ctrl+Y; Ctrl+X; Ctrl+C; Ctrl+V; Ctrl+Ins; Shift+Ins; Ctrl+Shift+Ins; "
    "Shift+Del; Alt+Backspace; Ctrl+Left; Ctrl+Right; Ctrl+Home; Ctrl+End; Ctrl+Shift+Left; "
    "Ctrl+Shift+Right; Ctrl+Shift+Home; Ctrl+Shift+End; Home; End; Del; Backspace; Return; "
    "Enter; Shift+Return; Shift+Enter; Tab; F14; F16; F18; F20");
} // namespace

TEST_F(MenuShortcutTest, NoCommandTakesAKeyOfTheLinuxTextControls)
{
    Vellumcast &window = startWindow();
    const QList<QKeySequence> keys = QKeySequence::listFromString(kLinuxTextKeys);
    ASSERT_EQ(keys.size(), kLinuxTextKeys.count(u';') + 1);
    for (const QKeySequence &key : keys)
        ASSERT_EQ(key.count(), 1) << key.toString().toStdString();
    const QSet<QKeySequence> textKeys(keys.begin(), keys.end());
    int checked = 0;
    for (QAction *action : menuActions(window.window())) {
        if (kTextCommands.contains(action->objectName()))
            continue;
        for (const QKeySequence &key : action->shortcuts()) {
            ++checked;
            EXPECT_FALSE(textKeys.contains(key))
                << action->text().toStdString() << " uses " << key.toString().toStdString()
                << ", a key of the text fields";
        }
    }
    EXPECT_GE(checked, 10);
    // The commands that used such keys have keys of their own now.
    EXPECT_EQ(window.command("viewXML")->shortcut(), QKeySequence("Ctrl+Shift+X"));
    EXPECT_EQ(window.command("cloneItem")->shortcut(), QKeySequence("Ctrl+Shift+D"));
    EXPECT_EQ(window.command("exportFeed")->shortcut(), QKeySequence("Ctrl+Shift+E"));
}

TEST_F(MenuShortcutTest, EveryShortcutPressedInAFilledFieldOrTextLeavesItsText)
{
    Vellumcast &window = openInWindow(smallFeed("Channel title"));
    QMainWindow *main = window.window();
    // Commands that run would open panels and change the feed; here each one only counts.
    QMap<QString, int> ran;
    const QList<QAction *> actions = menuActions(main);
    for (QAction *action : actions) {
        const QString name = action->objectName();
        if (window.command(name) == action)
            window.setCommandHandler(name, [&ran, name] { ++ran[name]; });
    }
    auto *title = window.outlet<VLXTextField>("Feeds_Required_Title");
    auto *description = window.outlet<VLXTextViewHTML>("Feeds_Required_Description");
    ASSERT_TRUE(title && description);
    const QString titleText = title->text();
    const QString descriptionText = description->toPlainText();
    ASSERT_EQ(titleText, "Channel title");
    ASSERT_FALSE(descriptionText.isEmpty());

    int pressed = 0;
    for (QAction *action : actions) {
        for (const QKeySequence &key : action->shortcuts()) {
            const QKeyCombination combination = key[0];
            for (QWidget *control :
                 {static_cast<QWidget *>(title), static_cast<QWidget *>(description)}) {
                // The cursor inside the text with nothing selected and nothing to paste, so that
                // the edit keys themselves have nothing to change either.
                QApplication::clipboard()->clear();
                title->deselect();
                title->setCursorPosition(4);
                QTextCursor cursor = description->textCursor();
                cursor.setPosition(1);
                description->setTextCursor(cursor);
                QApplication::setActiveWindow(main);
                control->setFocus();
                ASSERT_TRUE(QTest::qWaitFor([control] { return control->hasFocus(); }, 2000));
                QTest::keyClick(main->windowHandle(), combination.key(),
                                combination.keyboardModifiers());
                ++pressed;
                const std::string where = key.toString().toStdString() + " ("
                    + action->text().toStdString() + ") in " + control->objectName().toStdString();
                EXPECT_EQ(title->text(), titleText) << where;
                EXPECT_EQ(description->toPlainText(), descriptionText) << where;
            }
        }
    }
    EXPECT_GE(pressed, 20);
    // The keys did reach the window's commands (those not meant for the text).
    EXPECT_GE(ran.value("viewXML"), 1);
    EXPECT_GE(ran.value("openURL"), 1);
}

// Alt and a letter opens one menu, and within a menu picks one command: two titles that
// underline the same letter leave the second out of reach from the keyboard.
TEST_F(MenuShortcutTest, EveryUnderlinedLetterIsUsedOnceInItsMenu)
{
    Vellumcast &window = startWindow();
    const auto mnemonic = [](const QString &text) {
        const qsizetype at = text.indexOf(u'&');
        return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toLower() : QChar();
    };
    const auto expectDistinct = [&](const QString &where, const QList<QAction *> &actions) {
        QHash<QChar, QString> taken;
        for (QAction *action : actions) {
            const QChar letter = mnemonic(action->text());
            if (letter.isNull() || !action->isVisible())
                continue;
            EXPECT_FALSE(taken.contains(letter))
                << where.toStdString() << ": \"" << action->text().toStdString() << "\" and \""
                << taken.value(letter).toStdString() << "\" share Alt+"
                << QString(letter).toStdString();
            taken.insert(letter, action->text());
        }
    };
    QMenuBar *bar = window.window()->menuBar();
    expectDistinct(QStringLiteral("menu bar"), bar->actions());
    for (QAction *title : bar->actions()) {
        if (QMenu *menu = title->menu())
            expectDistinct(title->text(), menu->actions());
    }
}
