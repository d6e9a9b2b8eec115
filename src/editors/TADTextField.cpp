#include "editors/TADTextField.h"

#include "editors/TimeAndDate.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

TADTextField::TADTextField(QWidget *parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight);
    setMaxLength(2);
}

void TADTextField::mousePressEvent(QMouseEvent *event)
{
    if (m_actionDelegate)
        m_actionDelegate->mouseDown(this);
    QLineEdit::mousePressEvent(event);
}

void TADTextField::focusInEvent(QFocusEvent *event)
{
    // Reaching the field from the keyboard moves the stepper too; a click already did.
    const Qt::FocusReason reason = event->reason();
    if (m_actionDelegate && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason))
        m_actionDelegate->mouseDown(this);
    QLineEdit::focusInEvent(event);
}

void TADTextField::keyPressEvent(QKeyEvent *event)
{
    if (m_actionDelegate && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        m_actionDelegate->stepField(this, event->key() == Qt::Key_Up ? 1 : -1);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
