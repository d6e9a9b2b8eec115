#include "platform/Clock.h"

#include "platform/InstalledService.h"

namespace {
// Without an installed clock the system clock answers.
using Installed = InstalledService<Clock>;
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
    return Installed::get();
}

void Clock::setInstance(std::shared_ptr<Clock> clock)
{
    Installed::install(std::move(clock));
}
