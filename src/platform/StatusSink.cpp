#include "platform/StatusSink.h"

#include "platform/InstalledService.h"

namespace {
class SilentStatusSink : public StatusSink
{
public:
    void setStatus(const QString &) override { }
};

using Installed = InstalledService<StatusSink, SilentStatusSink>;
} // namespace

void StatusSink::show(const QString &text)
{
    instance().setStatus(text);
}

StatusSink &StatusSink::instance()
{
    return Installed::get();
}

void StatusSink::setInstance(std::shared_ptr<StatusSink> sink)
{
    Installed::install(std::move(sink));
}
