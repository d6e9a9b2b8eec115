#include "publish/PublishHost.h"

namespace {
PublishHost::CurrentHost installedCurrent = nullptr;
} // namespace

PublishHost *PublishHost::current()
{
    return installedCurrent ? installedCurrent() : nullptr;
}

void PublishHost::install(CurrentHost current)
{
    installedCurrent = current;
}
