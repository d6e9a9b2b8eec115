#pragma once

#include "editors/ClockControl.h"
#include "editors/TADClockCell.h"

// The picker's clock: a ClockControl whose cell is a TADClockCell.
class TADClockControl : public ClockControl
{
    Q_OBJECT
public:
    explicit TADClockControl(QWidget *parent = nullptr)
        : ClockControl(std::make_unique<TADClockCell>(), parent)
    {
    }

    TADClockCell *clockCell() const { return static_cast<TADClockCell *>(cell()); }
};
