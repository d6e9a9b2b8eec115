#include "platform/Clock.h"

namespace {
std::shared_ptr<Clock> &installed()
{
    static std::shared_ptr<Clock> clock;
    return clock;
}
const Clock &systemClock()
{
    static const Clock clock;
    return clock;
}
} // namespace

QDateTime Clock::currentDateTime() const
{
    return QDateTime::currentDateTime();
}

QDateTime Clock::now()
{
    return instance().currentDateTime();
}

const Clock &Clock::instance()
{
    const auto &clock = installed();
    return clock ? *clock : systemClock();
}

void Clock::setInstance(std::shared_ptr<Clock> clock)
{
    installed() = std::move(clock);
}
