#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QString>
#include <QWidget>
#include <ostream>

// Texts in failure messages as text, not as arrays of UTF-16 units.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// Mouse events sent straight to a widget, so drags carry their button state whatever the
// platform plug-in does with synthesized input.
namespace MouseDriver {
inline void send(QWidget *widget, QEvent::Type type, const QPointF &at, Qt::MouseButton button,
                 Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = {})
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, modifiers);
    QApplication::sendEvent(widget, &event);
}

inline void press(QWidget *widget, const QPointF &at)
{
    send(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}

inline void move(QWidget *widget, const QPointF &at)
{
    send(widget, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}

inline void release(QWidget *widget, const QPointF &at)
{
    send(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

inline void click(QWidget *widget, const QPointF &at)
{
    press(widget, at);
    release(widget, at);
}

inline void drag(QWidget *widget, const QPointF &from, const QPointF &to)
{
    press(widget, from);
    move(widget, (from + to) / 2);
    move(widget, to);
    release(widget, to);
}
} // namespace MouseDriver
