#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QAction;
class QWidget;
class QWindow;

// Escape and the desktop's Close keys (Ctrl+W) close a window as its own Close does, and when the
// window goes, however it was closed, the window the user came to it from is active again with
// the keyboard where it was, so that its shortcuts work at once.
//
// The keys act through one action of the window: the window's Close (its close() unless another
// is given) decides what happens, so a window that holds edits asks first as it always does. The
// window handed back to is the last other window that had the keyboard before this one took it
// (its own alerts and sheets aside), else the window it belongs to; it gets the keyboard back
// only when the closing window had it, so a window closed in the background takes nothing away.
class ClosingKeys : public QObject
{
    Q_OBJECT
public:
    // Gives the window its keys and the hand-back; a window that has them keeps its own.
    static ClosingKeys *install(QWidget *window, std::function<void()> close = {});
    // The window's keys, null when it has none.
    static ClosingKeys *of(const QWidget *window);
    // For a window shown without keys of its own: a dialog, whose Escape rejects it already, gets
    // the Close keys, which close it as its close box does; any other window (menus, tool tips
    // aside) gets Escape, the Close keys and the hand-back. A key the window binds itself stays
    // the window's: two bindings of one key would leave both dead.
    static void cover(QWidget *window);

    // Escape, then the Close keys.
    static QList<QKeySequence> keys();
    static QList<QKeySequence> closeKeys();

    QAction *action() const { return m_action; }
    // The window that gets the keyboard back, null when there is none in sight.
    QWidget *opener() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ClosingKeys(QWidget *window, std::function<void()> close, const QList<QKeySequence> &keys);
    void focusWindowChanged(QWindow *now);
    void handBack();
    // The window itself, or one of its own: a child window, an alert or sheet over it.
    bool isOwn(const QWidget *widget) const;

    QWidget *m_window;
    std::function<void()> m_close;
    QAction *m_action;
    QPointer<QWidget> m_opener;
    QPointer<QWidget> m_lastFocused; // the last window that had the keyboard
};
