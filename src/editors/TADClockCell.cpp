#include "editors/TADClockCell.h"

#include "editors/TimeAndDate.h"

void TADClockCell::stopTracking()
{
    ClockCell::stopTracking();
    if (m_actionDelegate)
        m_actionDelegate->updateTimeElements(time());
}
