#pragma once

#include <QLineEdit>
#include <QPointer>

class TimeAndDate;

// A time field of the picker. A click or a Tab into it first tells the picker, which puts the
// stepper on this field; Up and Down step it.
class TADTextField : public QLineEdit
{
    Q_OBJECT
public:
    explicit TADTextField(QWidget *parent = nullptr);

    void setActionDelegate(TimeAndDate *delegate) { m_actionDelegate = delegate; }
    // The field's integer as it stands (a text that is no number counts as 0).
    int intValue() const { return text().toInt(); }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPointer<TimeAndDate> m_actionDelegate;
};
