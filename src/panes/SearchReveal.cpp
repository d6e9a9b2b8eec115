#include "panes/SearchReveal.h"

#include "ui/TextHighlighting.h"
#include "ui/vlxDisclosureButton.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextCursor>

bool SearchReveal::selectTabsOf(QWidget *control)
{
    bool changed = false;
    for (QWidget *page = control; page && page->parentWidget(); page = page->parentWidget()) {
        auto *stack = qobject_cast<QStackedWidget *>(page->parentWidget());
        auto *tabs = stack ? qobject_cast<QTabWidget *>(stack->parentWidget()) : nullptr;
        if (tabs && tabs->currentWidget() != page) {
            tabs->setCurrentWidget(page);
            changed = true;
        }
    }
    return changed;
}

bool SearchReveal::openDisclosureOf(QWidget *control)
{
    if (!control)
        return false;
    bool opened = false;
    const QList<vlxDisclosureButton *> buttons
        = control->window()->findChildren<vlxDisclosureButton *>();
    for (QWidget *box = control->parentWidget(); box; box = box->parentWidget()) {
        if (!qobject_cast<QGroupBox *>(box))
            continue;
        for (vlxDisclosureButton *button : buttons) {
            if (button->boxField() == box && !button->isChecked()) {
                button->click();
                opened = true;
            }
        }
    }
    if (opened)
        letLayoutSettle();
    return opened;
}

void SearchReveal::scrollToView(QWidget *control)
{
    if (!control)
        return;
    for (QWidget *up = control->parentWidget(); up; up = up->parentWidget()) {
        auto *area = qobject_cast<QScrollArea *>(up);
        if (!area || !area->widget())
            continue;
        // A box just opened grows the page only once the layouts have run.
        for (int pass = 0; pass < 3; ++pass)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        // The whole control, not only its text cursor, comes into view.
        const int top = control->mapTo(area->widget(), QPoint()).y();
        const int bottom = top + control->height();
        QScrollBar *bar = area->verticalScrollBar();
        const int visible = area->viewport()->height();
        if (top < bar->value())
            bar->setValue(top - 5);
        else if (bottom + 5 > bar->value() + visible)
            bar->setValue(bottom + 5 - visible);
        return;
    }
}

void SearchReveal::showMatch(QWidget *control, TextRange range)
{
    if (!control)
        return;
    if (selectTabsOf(control))
        letLayoutSettle();
    openDisclosureOf(control);
    // The highlight shown before would stay behind the new one.
    QWidget *before = control->window()->focusWidget();
    if (auto *view = qobject_cast<QPlainTextEdit *>(before); view && view != control) {
        QTextCursor cursor = view->textCursor();
        cursor.setPosition(0);
        view->setTextCursor(cursor);
    } else if (auto *line = qobject_cast<QLineEdit *>(before); line && line != control) {
        line->deselect();
    }
    scrollToView(control);
    TextHighlighting::setHighlightRange(control, range);
}

void SearchReveal::showSearchResult(QObject *onTab, QObject *underTab, int atIndex,
                                    const QString &extensionName, QWidget *control, TextRange range)
{
    if (auto *sub = qobject_cast<QTabWidget *>(underTab); sub && sub->currentIndex() != atIndex) {
        sub->setCurrentIndex(atIndex);
        letLayoutSettle();
    }
    if (auto *tabs = qobject_cast<QTabWidget *>(onTab)) {
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->widget(i)->objectName() == extensionName)
                tabs->setCurrentIndex(i);
        }
    }
    showMatch(control, range);
}

void SearchReveal::letLayoutSettle()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
