#pragma once

#include <QPointer>
#include <QWidget>

class QToolButton;
class TimeAndDate;

// The picker's one stepper: two arrow buttons over a value that wraps at the ends of its
// range. After each step the picker brings the clock and the date up to the fields.
class TADStepper : public QWidget
{
    Q_OBJECT
public:
    explicit TADStepper(QWidget *parent = nullptr);

    void setActionDelegate(TimeAndDate *delegate) { m_actionDelegate = delegate; }

    int value() const { return m_value; }
    // Clamped into the range; emits nothing.
    void setValue(int value);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    void setRange(int minimum, int maximum);

    // One click of an arrow: moves the value (wrapping), emits valueChanged, then tells the
    // picker.
    void stepBy(int steps);

signals:
    void valueChanged(int value);

private:
    QToolButton *m_up;
    QToolButton *m_down;
    QPointer<TimeAndDate> m_actionDelegate;
    int m_value = 0;
    int m_minimum = 0;
    int m_maximum = 59;
};
