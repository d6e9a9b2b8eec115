#include "editors/ClockControl.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

ClockControl::ClockControl(QWidget *parent)
    : ClockControl(std::make_unique<ClockCell>(), parent) { }

ClockControl::ClockControl(std::unique_ptr<ClockCell> cell, QWidget *parent)
    : QWidget(parent), m_cell(std::move(cell))
{
    m_cell->setControlView(this);
    connect(m_cell.get(), &ClockCell::action, this, &ClockControl::activated);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(64, 64);
}

ClockControl::~ClockControl() = default;

void ClockControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The ring shows while the clock has the focus of the active window.
    m_cell->drawWithFrame(painter, rect(), hasFocus() && isActiveWindow());
}

void ClockControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_tracking = m_cell->startTracking(event->position(), rect());
    update();
    if (!m_tracking)
        m_cell->stopTracking();
}

void ClockControl::mouseMoveEvent(QMouseEvent *event)
{
    if (m_tracking && (event->buttons() & Qt::LeftButton))
        m_cell->continueTracking(event->position(), rect());
}

void ClockControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_tracking || event->button() != Qt::LeftButton)
        return;
    m_tracking = false;
    update();
    m_cell->stopTracking();
}

void ClockControl::keyPressEvent(QKeyEvent *event)
{
    const bool bigStep = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Left:
        moveLeft(bigStep);
        break;
    case Qt::Key_Right:
        moveRight(bigStep);
        break;
    case Qt::Key_Space:
        performClick();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ClockControl::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = m_cell->menuForEvent(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void ClockControl::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void ClockControl::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void ClockControl::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && hasFocus())
        update();
}
