#pragma once

#include <QSpinBox>

// The small up and down arrows beside a smart-date "X" field: a stepper without a text of its
// own (the field beside it shows the number). It does not wrap and steps by one.
class SmartDateStepper : public QSpinBox
{
    Q_OBJECT
public:
    explicit SmartDateStepper(QWidget *parent = nullptr);
    // Minimum 1; maximum 31 for "X Day of the month" (index 32), 5 for the other "X" rules.
    void setRangeForIndex(int dateIndex);
};
