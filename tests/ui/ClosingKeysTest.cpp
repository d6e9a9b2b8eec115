// Escape and Ctrl+W close a window as its own Close does, and the window the user came from gets
// the keyboard back where it was; a window closed in the background takes nothing away, and a
// window that binds a key itself keeps it.
#include "ui/ClosingKeys.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>

namespace {
// A window with two fields; the keyboard goes to the second one.
struct Opener
{
    QWidget window;
    QLineEdit *first = new QLineEdit(&window);
    QLineEdit *second = new QLineEdit(&window);

    explicit Opener(const QString &title)
    {
        window.setWindowTitle(title);
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(first);
        layout->addWidget(second);
    }
};

// Shows the window, makes it active and waits until it is, for the desktop and the widgets.
bool activate(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
    return QTest::qWaitFor([window] {
        return QGuiApplication::focusWindow() == window->windowHandle()
            && QApplication::activeWindow() == window;
    });
}

void press(QWidget *window, const QKeySequence &key)
{
    QTest::keyClick(window->windowHandle(), key[0].key(), key[0].keyboardModifiers());
}

bool handedBackTo(QWidget *window, QWidget *focus)
{
    return QTest::qWaitFor([&] {
        return QApplication::activeWindow() == window && QApplication::focusWidget() == focus;
    });
}
} // namespace

TEST(ClosingKeysTest, EachKeyClosesAsTheWindowsCloseDoesAndHandsTheKeyboardBack)
{
    Opener opener(QStringLiteral("opener"));
    ASSERT_TRUE(activate(&opener.window));
    opener.second->setFocus();
    for (const QKeySequence &key : ClosingKeys::keys()) {
        SCOPED_TRACE(key.toString().toStdString());
        // A panel whose Close asks first: the first press is refused, the second closes.
        QWidget panel(nullptr, Qt::Tool);
        QLineEdit typed(&panel);
        int asked = 0;
        ClosingKeys::install(&panel, [&] {
            if (++asked > 1)
                panel.close();
        });
        ASSERT_TRUE(activate(&panel));
        typed.setFocus();
        press(&panel, key);
        EXPECT_EQ(asked, 1);
        EXPECT_TRUE(panel.isVisible()) << "a refused Close keeps the window";
        press(&panel, key);
        EXPECT_EQ(asked, 2);
        EXPECT_FALSE(panel.isVisible());
        EXPECT_TRUE(handedBackTo(&opener.window, opener.second));
    }
    // A tool window of the panel's own: its key closes it alone, though the toolkit keeps the
    // panel's shortcuts working while a tool window of its has the keyboard.
    QWidget panel(nullptr, Qt::Window);
    QLineEdit typed(&panel);
    ClosingKeys::install(&panel);
    QWidget tool(&panel, Qt::Tool);
    QLineEdit symbol(&tool);
    ClosingKeys::install(&tool);
    ASSERT_TRUE(activate(&panel));
    typed.setFocus();
    ASSERT_TRUE(activate(&tool));
    symbol.setFocus();
    press(&tool, QKeySequence(Qt::Key_Escape));
    EXPECT_FALSE(tool.isVisible());
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(handedBackTo(&panel, &typed));

    // Escape, then Ctrl+W and whatever else the desktop closes with.
    ASSERT_GE(ClosingKeys::keys().size(), 2);
    EXPECT_EQ(ClosingKeys::keys().at(0), QKeySequence(Qt::Key_Escape));
    EXPECT_TRUE(ClosingKeys::closeKeys().contains(QKeySequence(Qt::CTRL | Qt::Key_W)));
}

TEST(ClosingKeysTest, TheKeyboardGoesBackToTheWindowTheUserCameFrom)
{
    Opener a(QStringLiteral("a")), b(QStringLiteral("b"));
    ASSERT_TRUE(activate(&a.window));
    a.first->setFocus();
    ASSERT_TRUE(activate(&b.window));
    b.second->setFocus();
    QWidget panel(nullptr, Qt::Window);
    ClosingKeys *keys = ClosingKeys::install(&panel);
    EXPECT_EQ(ClosingKeys::install(&panel), keys) << "installed once";

    // Opened from a; its own alert comes and goes without counting as a window come from.
    ASSERT_TRUE(activate(&a.window));
    ASSERT_TRUE(activate(&panel));
    {
        QDialog alert(&panel);
        ASSERT_TRUE(activate(&alert));
        alert.close();
        ASSERT_TRUE(activate(&panel));
    }
    EXPECT_EQ(keys->opener(), &a.window);
    panel.close();
    EXPECT_TRUE(handedBackTo(&a.window, a.first));

    // Opened again from b: closing goes back to b.
    ASSERT_TRUE(activate(&b.window));
    ASSERT_TRUE(activate(&panel));
    press(&panel, QKeySequence(Qt::Key_Escape));
    EXPECT_TRUE(handedBackTo(&b.window, b.second));

    // Closed while another window has the keyboard: that window keeps it.
    ASSERT_TRUE(activate(&panel));
    ASSERT_TRUE(activate(&a.window));
    panel.close();
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeWindow(), &a.window);

    // The window come from gone, the keyboard goes to the window it belongs to.
    QWidget child(&b.window, Qt::Window);
    ClosingKeys::install(&child);
    ASSERT_TRUE(activate(&child));
    a.window.hide();
    press(&child, QKeySequence(Qt::CTRL | Qt::Key_W));
    EXPECT_TRUE(handedBackTo(&b.window, b.second));
}

TEST(ClosingKeysTest, CoveringGivesWhatAWindowLacksAndLeavesTheKeysItBinds)
{
    const QKeySequence controlW(Qt::CTRL | Qt::Key_W);
    // A dialog gets the Close keys; Escape stays its own reject.
    QDialog plain;
    ClosingKeys::cover(&plain);
    ClosingKeys::cover(&plain);
    EXPECT_EQ(plain.findChildren<QAction *>().size(), 1) << "covered once";
    EXPECT_EQ(ClosingKeys::of(&plain), nullptr);
    int rejected = 0;
    QObject::connect(&plain, &QDialog::rejected, [&] { ++rejected; });
    ASSERT_TRUE(activate(&plain));
    press(&plain, controlW);
    EXPECT_FALSE(plain.isVisible());
    EXPECT_EQ(rejected, 1);

    // A dialog whose menu binds the Close keys keeps its own command.
    QDialog own;
    auto *bar = new QMenuBar(&own);
    int ownClose = 0;
    QAction *close = bar->addMenu(QStringLiteral("File"))->addAction(QStringLiteral("Close"));
    close->setShortcuts(QKeySequence::Close);
    QObject::connect(close, &QAction::triggered, [&] { ++ownClose; });
    ClosingKeys::cover(&own);
    EXPECT_EQ(own.findChild<QAction *>(QStringLiteral("closeWindow")), nullptr);
    ASSERT_TRUE(activate(&own));
    press(&own, controlW);
    EXPECT_EQ(ownClose, 1);
    EXPECT_TRUE(own.isVisible());
    // A window that binds Escape keeps it and gets the rest.
    QMainWindow escaping;
    auto *stop = new QAction(&escaping);
    stop->setShortcut(Qt::Key_Escape);
    escaping.addAction(stop);
    ClosingKeys::cover(&escaping);
    ASSERT_NE(ClosingKeys::of(&escaping), nullptr);
    EXPECT_EQ(ClosingKeys::of(&escaping)->action()->shortcuts(), ClosingKeys::closeKeys());

    // Any other window gets Escape, the Close keys and the hand-back.
    QWidget panel(nullptr, Qt::Tool);
    ClosingKeys::cover(&panel);
    ASSERT_NE(ClosingKeys::of(&panel), nullptr);
    EXPECT_EQ(ClosingKeys::of(&panel)->action()->shortcuts(), ClosingKeys::keys());
    // Menus and tool tips come and go by themselves.
    QMenu menu;
    ClosingKeys::cover(&menu);
    EXPECT_EQ(ClosingKeys::of(&menu), nullptr);
}
