#include "prefs/SmartDateStepper.h"

#include <QLineEdit>

SmartDateStepper::SmartDateStepper(QWidget *parent) : QSpinBox(parent)
{
    setWrapping(false);
    setSingleStep(1);
    setRange(1, 5);
    lineEdit()->hide();
    setFixedWidth(22);
    setFocusPolicy(Qt::NoFocus);
}

void SmartDateStepper::setRangeForIndex(int dateIndex)
{
    setRange(1, dateIndex == 32 ? 31 : 5);
}
