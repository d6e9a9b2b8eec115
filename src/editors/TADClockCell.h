#pragma once

#include "editors/ClockCell.h"

#include <QPointer>

class TimeAndDate;

// The picker's clock cell: when a mouse tracking has ended it hands the time to the picker.
class TADClockCell : public ClockCell
{
    Q_OBJECT
public:
    using ClockCell::ClockCell;

    void setActionDelegate(TimeAndDate *delegate) { m_actionDelegate = delegate; }
    void stopTracking() override;

private:
    QPointer<TimeAndDate> m_actionDelegate;
};
