// Every window the feed window opens closes from the keyboard as its own Close does, with Escape
// and with Ctrl+W, and the feed window is active again with the keyboard where it was; and each
// of the feed window's shortcuts acts exactly when its menu item is enabled.
#include "AppFixture.h"
#include "ModalScript.h"

#include "app/Controller.h"
#include "app/FeedFindPanel.h"
#include "app/HTMLEditing.h"
#include "app/ItemsPane.h"
#include "app/Vellumcast.h"
#include "common/HTMLEditorDriver.h"
#include "document/FeedDocument.h"
#include "document/VLXUndoManager.h"
#include "editors/WYSIWYG.h"
#include "model/VLXFeed.h"
#include "platform/AlertService.h"
#include "publish/PublishWindow.h"
#include "ui/ClosingKeys.h"
#include "ui/VLXTextField.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <functional>

using namespace HTMLEditorDriver;

namespace {
const QKeySequence kEscape(Qt::Key_Escape);
const QKeySequence kControlW(Qt::CTRL | Qt::Key_W);

class KeyboardClosingTest : public AppFixture
{
protected:
    void TearDown() override
    {
        ModalScript::cancelPending();
        AppFixture::TearDown();
    }
    Vellumcast &window() { return *controller->feedController(); }
    QMainWindow *main() { return window().window(); }
    VLXTextField *title() { return window().outlet<VLXTextField>("Feeds_Required_Title"); }

    static void press(QWidget *target, const QKeySequence &key)
    {
        QTest::keyClick(target->window()->windowHandle(), key[0].key(), key[0].keyboardModifiers());
    }
    // Whether the window has the keyboard by now, as the desktop sees it and as the widgets do.
    static bool isActive(QWidget *window)
    {
        return window && QTest::qWaitFor([window] {
                   return QGuiApplication::focusWindow() == window->windowHandle()
                       && QApplication::activeWindow() == window;
               });
    }
    // The feed window active with the keyboard in the given control.
    void focusIn(QWidget *control)
    {
        main()->activateWindow();
        ASSERT_TRUE(isActive(main()));
        control->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([control] { return control->hasFocus(); }));
    }
    static QWidget *shownWindow(const char *name)
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String(name) && widget->isVisible())
                return widget;
        }
        return nullptr;
    }
    // The publish sheet opened and cancelled once, so that there is a transfer log to look at.
    void publishOnce()
    {
        ModalScript::whenShown(QStringLiteral("uploadWindow"), [] {
            ModalScript::active(QStringLiteral("uploadWindow"))
                ->findChild<QPushButton *>(QStringLiteral("cancelButton"))
                ->click();
        });
        window().command("uploadFile")->trigger();
        ASSERT_TRUE(PublishWindow::logExists());
    }
    WYSIWYG *openHTMLEditor()
    {
        window().outlet<QAbstractButton>("Feeds_Required_EditHTML")->click();
        WYSIWYG *editor = window().htmlEditing().htmlEditor();
        return editor && waitReady(*editor) ? editor : nullptr;
    }
    // The window that was opened is gone (closed, or deleted as it closed), and the feed window
    // has the keyboard in the control.
    bool handedBack(const QPointer<QWidget> &closed, QWidget *control)
    {
        return QTest::qWaitFor([&] {
            return (!closed || !closed->isVisible())
                && QGuiApplication::focusWindow() == main()->windowHandle()
                && QApplication::activeWindow() == main() && QApplication::focusWidget() == control;
        });
    }
};
} // namespace

TEST_F(KeyboardClosingTest, EveryWindowClosesByKeyAndTheFeedWindowHasTheKeyboardAgain)
{
    openInWindow(smallFeed("Keys"));
    publishOnce();
    const struct
    {
        const char *name;
        std::function<QWidget *()> open;
    } windows[] = {
        {"Help (F1)",
         [&] {
             press(title(), QKeySequence::HelpContents);
             return shownWindow("helpWindow");
         }},
        {"Help > Keyboard Shortcuts",
         [&] {
             window().command("helpKeyboardShortcuts")->trigger();
             return shownWindow("helpWindow");
         }},
        {"Help > What's New",
         [&] {
             window().command("helpWhatsNew")->trigger();
             return shownWindow("helpWindow");
         }},
        {"Find and Replace (Ctrl+F)",
         [&] {
             press(title(), QKeySequence::Find);
             return shownWindow("finderPanel");
         }},
        {"Import Items",
         [&] {
             window().command("importFeedItems")->trigger();
             return shownWindow("importWindow");
         }},
        {"Publishing Log",
         [&] {
             window().command("viewFTPLog")->trigger();
             return PublishWindow::sharedInstance().logWindow();
         }},
        {"HTML editor",
         [&]() -> QWidget * {
             WYSIWYG *editor = openHTMLEditor();
             return editor ? editor->window() : nullptr;
         }},
    };
    for (const auto &shown : windows) {
        for (const QKeySequence &key : {kEscape, kControlW}) {
            SCOPED_TRACE(std::string(shown.name) + ", " + key.toString().toStdString());
            focusIn(title());
            const QPointer<QWidget> opened = shown.open();
            ASSERT_NE(opened, nullptr);
            ASSERT_TRUE(isActive(opened));
            press(opened, key);
            EXPECT_TRUE(handedBack(opened, title()))
                << "active: "
                << (QApplication::activeWindow()
                        ? QApplication::activeWindow()->objectName().toStdString()
                        : "none");
        }
    }
    // The feed window's shortcuts work at once: the find panel comes back with its key.
    press(title(), QKeySequence::Find);
    EXPECT_NE(shownWindow("finderPanel"), nullptr);
}

TEST_F(KeyboardClosingTest, TheTransferLogClosesWithItsButtonBackToTheWindowThatOpenedIt)
{
    openInWindow(smallFeed("Log"));
    publishOnce();
    PublishWindow &sheet = PublishWindow::sharedInstance();
    // From the sheet (its View Log, which needs a site): the log goes back to the sheet, whose
    // button is titled anew.
    bool backToSheet = false;
    ModalScript::whenShown(QStringLiteral("uploadWindow"), [&] {
        QDialog *upload = ModalScript::active(QStringLiteral("uploadWindow"));
        auto *sites = sheet.outlet<QWidget>(QStringLiteral("publishSites"));
        ASSERT_TRUE(isActive(upload));
        sites->setFocus();
        ASSERT_TRUE(sites->hasFocus());
        sheet.toggleLogWindow();
        QWidget *log = sheet.logWindow();
        ASSERT_TRUE(isActive(log));
        auto *viewLog = sheet.outlet<QPushButton>(QStringLiteral("viewLogButton"));
        EXPECT_EQ(viewLog->text(), "Hide Log");
        auto *close = log->findChild<QPushButton *>(QStringLiteral("closeLogButton"));
        ASSERT_NE(close, nullptr);
        EXPECT_EQ(close->text(), "Close");
        close->click();
        backToSheet = QTest::qWaitFor([&] {
            return !log->isVisible() && QGuiApplication::focusWindow() == upload->windowHandle()
                && QApplication::activeWindow() == upload && QApplication::focusWidget() == sites;
        });
        EXPECT_EQ(viewLog->text(), "View Log");
        sheet.outlet<QPushButton>(QStringLiteral("cancelButton"))->click();
    });
    window().command("uploadFile")->trigger();
    EXPECT_TRUE(backToSheet);
    // From the feed window: its button closes it too.
    focusIn(title());
    window().command("viewFTPLog")->trigger();
    const QPointer<QWidget> log = sheet.logWindow();
    ASSERT_TRUE(isActive(log));
    log->findChild<QPushButton *>(QStringLiteral("closeLogButton"))->click();
    EXPECT_TRUE(handedBack(log, title()));
}

TEST_F(KeyboardClosingTest, TheHTMLEditorAsksAboutItsChangesBeforeAKeyClosesIt)
{
    openInWindow(smallFeed("Edited"));
    focusIn(title());
    WYSIWYG *editor = openHTMLEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(isActive(editor->window()));
    ASSERT_TRUE(changeBy(*editor, [&] { eval(*editor, "vlx.exec('insertText', 'z')"); }));

    // Its symbols panel closes by itself and leaves the keyboard to the editor.
    editor->showSymbols();
    const QPointer<QWidget> symbols = editor->specialCharactersPanel();
    ASSERT_TRUE(isActive(symbols));
    press(symbols, kEscape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !symbols->isVisible(); }));
    EXPECT_TRUE(isActive(editor->window()));
    EXPECT_TRUE(alerts->alerts().isEmpty());

    // "Cancel" keeps it open with its changes.
    alerts->queueAnswer(AlertService::kOther);
    press(editor->window(), kEscape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return alerts->alerts().size() == 1; }, kWaitMs));
    EXPECT_EQ(alerts->alerts().first().title, "Warning");
    EXPECT_EQ(alerts->alerts().first().message,
              "Changes have been made to this HTML, do you wish to save them?");
    QTest::qWait(100);
    EXPECT_TRUE(editor->window()->isVisible());

    // "Save..." keeps the changes in the feed.
    alerts->queueAnswer(AlertService::kDefault);
    const QPointer<QWidget> editorWindow = editor->window();
    EXPECT_EQ(closeBy(*editor, [&] { press(editorWindow, kControlW); }), 1);
    EXPECT_EQ(alerts->alerts().size(), 2);
    EXPECT_TRUE(window().currentFeed()->descriptionElement().contains("z"))
        << window().currentFeed()->descriptionElement().toStdString();
    EXPECT_TRUE(handedBack(editorWindow, title()));
}

TEST_F(KeyboardClosingTest, EveryOtherWindowClosesWithControlW)
{
    openInWindow(smallFeed("Dialogs"));
    const struct
    {
        const char *command;
        const char *window;
    } dialogs[] = {{"aboutActionShow", "aboutWindow"}, {"exportFeed", "exportWindow"}};
    for (const auto &dialog : dialogs) {
        SCOPED_TRACE(dialog.window);
        focusIn(title());
        window().command(dialog.command)->trigger();
        QWidget *shown = shownWindow(dialog.window);
        if (!shown)
            shown = main()->findChild<QWidget *>(dialog.window);
        ASSERT_NE(shown, nullptr);
        ASSERT_TRUE(isActive(shown));
        press(shown, kControlW);
        EXPECT_TRUE(QTest::qWaitFor([shown] { return !shown->isVisible(); }));
    }
    // The feed window keeps its own Ctrl+W: its Close command.
    EXPECT_EQ(ClosingKeys::of(main()), nullptr);
}

TEST_F(KeyboardClosingTest, AShortcutActsExactlyWhenItsMenuItemIsEnabled)
{
    Vellumcast &w = openInWindow(smallFeed("Shortcuts"));
    QMap<QString, int> ran;
    QList<QAction *> shortcuts;
    for (QMenu *menu : main()->menuBar()->findChildren<QMenu *>()) {
        for (QAction *action : menu->actions()) {
            const QString name = action->objectName();
            if (action->shortcuts().isEmpty() || w.command(name) != action)
                continue;
            shortcuts << action;
            w.setCommandHandler(name, [&ran, name] { ++ran[name]; });
        }
    }
    auto *button = w.outlet<QWidget>("Feeds_Required_EditHTML");
    auto *tabs = w.outlet<QTabWidget>("tabsFeeds");
    FeedFindPanel &find = *FeedFindPanel::sharedInstance();
    int edits = 0;
    const auto edit = [&] {
        w.document()->editField("Feeds_Required_Title", -1, QStringLiteral("Edit %1").arg(++edits));
    };
    // The items that can be greyed while the window can do them: how each is greyed, and how it
    // comes back. Keys go to a button, which takes none of them for itself.
    const struct
    {
        const char *command;
        std::function<void()> grey;
        std::function<QWidget *()> offer;
    } greyed[] = {
        {"saveDocument", [&] { w.setDocumentEdited(false, true); },
         [&]() -> QWidget * {
             // A field being changed is something to save before it is committed.
             focusIn(title());
             QTest::keyClicks(title(), "!");
             return title();
         }},
        {"findNext", [&] { find.setFindField(QString()); },
         [&]() -> QWidget * {
             find.setFindField("Shortcuts");
             return button;
         }},
        {"undo", [&] { w.setDocumentEdited(false, true); },
         [&]() -> QWidget * {
             edit();
             return button;
         }},
        {"redo", [&] { w.setDocumentEdited(false, true); },
         [&]() -> QWidget * {
             edit();
             w.document()->undoManager()->undo();
             return button;
         }},
        {"cloneItem", [&] { tabs->setCurrentIndex(Vellumcast::FeedsTab); },
         [&]() -> QWidget * {
             tabs->setCurrentIndex(Vellumcast::ItemsTab);
             return w.outlet<QWidget>(ItemsPane::kItemTable);
         }},
    };
    QStringList greyable;
    for (const auto &item : greyed) {
        SCOPED_TRACE(item.command);
        greyable << item.command;
        QAction *action = w.command(item.command);
        ASSERT_TRUE(shortcuts.contains(action));
        const QKeySequence key = action->shortcuts().first();
        item.grey();
        focusIn(button);
        w.validateCommands(); // as the menu shows it
        EXPECT_FALSE(action->isEnabled());
        // Even where the item's state is behind the window's, the key follows the rules.
        action->setEnabled(true);
        press(button, key);
        EXPECT_EQ(ran.value(item.command), 0) << "the key acted while the item was greyed";

        QWidget *target = item.offer();
        // Offered as soon as it applies, before any menu is opened.
        EXPECT_TRUE(action->isEnabled());
        if (target != title())
            focusIn(target);
        press(target, key);
        EXPECT_EQ(ran.value(item.command), 1);
        tabs->setCurrentIndex(Vellumcast::FeedsTab);
    }
    // Every other item with a shortcut is always offered, and its key does what it does.
    int others = 0;
    for (QAction *action : std::as_const(shortcuts)) {
        const QString name = action->objectName();
        if (greyable.contains(name))
            continue;
        SCOPED_TRACE(name.toStdString());
        ++others;
        focusIn(button);
        w.validateCommands();
        EXPECT_TRUE(action->isEnabled());
        press(button, action->shortcuts().first());
        EXPECT_EQ(ran.value(name), 1);
    }
    EXPECT_GE(others, 15);
    find.setFindField(QString());
}
