#include "ui/ClosingKeys.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QShortcut>
#include <QWidget>
#include <QWindow>

namespace {
const QString kActionName = QStringLiteral("closeWindow");

// The top-level widget behind a window of the desktop, null for one that is no widget's.
QWidget *widgetOf(QWindow *window)
{
    if (!window)
        return nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == window)
            return widget;
    }
    return nullptr;
}

// Menus, tool tips and the like come and go without being a window the user works in.
bool isFleeting(const QWidget *widget)
{
    const Qt::WindowType type = widget->windowType();
    return type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen;
}

// Whether a widget inside the window belongs to it rather than to a window of its own within
// it (a child dialog); the window's menus are its own.
bool belongsTo(const QWidget *widget, const QWidget *window)
{
    for (const QWidget *w = widget; w && w != window; w = w->parentWidget()) {
        if (w->isWindow() && w->windowType() != Qt::Popup)
            return false;
    }
    return true;
}

// The keys of the list that nothing of the window binds already.
QList<QKeySequence> unbound(const QWidget *window, QList<QKeySequence> keys)
{
    const auto drop = [&keys](const QList<QKeySequence> &bound) {
        for (const QKeySequence &key : bound)
            keys.removeAll(key);
    };
    QList<const QWidget *> widgets {window};
    for (const QWidget *child : window->findChildren<QWidget *>()) {
        if (belongsTo(child, window))
            widgets << child;
    }
    for (const QWidget *widget : std::as_const(widgets)) {
        for (const QAction *action : widget->actions())
            drop(action->shortcuts());
        for (const QObject *child : widget->children()) {
            if (const auto *action = qobject_cast<const QAction *>(child))
                drop(action->shortcuts());
            else if (const auto *shortcut = qobject_cast<const QShortcut *>(child))
                drop(shortcut->keys());
        }
    }
    return keys;
}

QAction *addClosingAction(QWidget *window, const QList<QKeySequence> &keys,
                          std::function<void()> close)
{
    auto *action = new QAction(window);
    action->setObjectName(kActionName);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, window, std::move(close));
    window->addAction(action);
    return action;
}
} // namespace

QList<QKeySequence> ClosingKeys::closeKeys()
{
    // The desktop's Close keys, and Ctrl+W on every desktop: the feed window closes with it.
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Close);
    const QKeySequence controlW(Qt::CTRL | Qt::Key_W);
    if (!keys.contains(controlW))
        keys.prepend(controlW);
    return keys;
}

QList<QKeySequence> ClosingKeys::keys()
{
    return QList<QKeySequence> {QKeySequence(Qt::Key_Escape)} + closeKeys();
}

ClosingKeys *ClosingKeys::of(const QWidget *window)
{
    return window ? window->findChild<ClosingKeys *>(QString(), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

ClosingKeys *ClosingKeys::install(QWidget *window, std::function<void()> close)
{
    if (!window)
        return nullptr;
    if (ClosingKeys *existing = of(window))
        return existing;
    if (!close)
        close = [window] { window->close(); };
    return new ClosingKeys(window, std::move(close), keys());
}

void ClosingKeys::cover(QWidget *window)
{
    if (!window || !window->isWindow() || isFleeting(window) || of(window)
        || window->findChild<QAction *>(kActionName, Qt::FindDirectChildrenOnly))
        return;
    // A dialog's Escape rejects it already.
    const bool dialog = qobject_cast<QDialog *>(window);
    const QList<QKeySequence> keys = unbound(window, dialog ? closeKeys() : ClosingKeys::keys());
    if (keys.isEmpty())
        return;
    if (dialog)
        addClosingAction(window, keys, [window] { window->close(); });
    else
        new ClosingKeys(
            window, [window] { window->close(); }, keys);
}

ClosingKeys::ClosingKeys(QWidget *window, std::function<void()> close,
                         const QList<QKeySequence> &keys)
    : QObject(window), m_window(window), m_close(std::move(close))
{
    setObjectName(QStringLiteral("closingKeys"));
    m_action = addClosingAction(window, keys, [this] { m_close(); });
    window->installEventFilter(this);
    // The window is made while the one that opens it has the keyboard.
    if (QWidget *focused = widgetOf(QGuiApplication::focusWindow());
        focused && !isFleeting(focused) && !isOwn(focused))
        m_lastFocused = focused;
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &ClosingKeys::focusWindowChanged);
}

void ClosingKeys::focusWindowChanged(QWindow *now)
{
    QWidget *widget = widgetOf(now);
    // While a tool window of this one has the keyboard, the toolkit keeps this window's shortcuts
    // working too: this window's keys step aside, or they and the tool window's own would cancel
    // each other out.
    const bool ownTool = widget && widget != m_window && widget->windowType() == Qt::Tool
        && widget->parentWidget() && widget->parentWidget()->window() == m_window;
    m_action->setEnabled(!ownTool);
    // A moment without a focused window, or a menu opened, leaves the last window as it was.
    if (!widget || isFleeting(widget))
        return;
    if (isOwn(widget) && m_lastFocused && !isOwn(m_lastFocused) && m_lastFocused->isVisible())
        m_opener = m_lastFocused;
    m_lastFocused = widget;
}

bool ClosingKeys::isOwn(const QWidget *widget) const
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (w == m_window)
            return true;
    }
    const QWindow *own = m_window->windowHandle();
    for (const QWindow *w = widget ? widget->windowHandle() : nullptr; w && own;
         w = w->transientParent()) {
        if (w == own)
            return true;
    }
    return false;
}

QWidget *ClosingKeys::opener() const
{
    QWidget *candidate = m_opener;
    if (!candidate || !candidate->isVisible() || isOwn(candidate)) {
        // Never another window in between: the window it belongs to.
        candidate = m_window->parentWidget() ? m_window->parentWidget()->window() : nullptr;
        if (!candidate && m_window->windowHandle())
            candidate = widgetOf(m_window->windowHandle()->transientParent());
    }
    return candidate && candidate->isVisible() && !isOwn(candidate) ? candidate : nullptr;
}

bool ClosingKeys::eventFilter(QObject *watched, QEvent *event)
{
    // Minimised is not closed: only a hide by the program (a Close) hands the keyboard back.
    if (watched == m_window && event->type() == QEvent::Hide && !event->spontaneous())
        handBack();
    return QObject::eventFilter(watched, event);
}

void ClosingKeys::handBack()
{
    QWidget *target = opener();
    if (!target)
        return;
    // Closed while another window has the keyboard: that window keeps it.
    QWidget *active = QApplication::activeWindow();
    if (active && !isOwn(active))
        return;
    target->raise();
    target->activateWindow();
}
