#include "platform/StatusSink.h"

namespace {
class SilentStatusSink : public StatusSink
{
public:
    void setStatus(const QString &) override { }
};

std::shared_ptr<StatusSink> &installed()
{
    static std::shared_ptr<StatusSink> sink;
    return sink;
}
} // namespace

void StatusSink::show(const QString &text)
{
    instance().setStatus(text);
}

StatusSink &StatusSink::instance()
{
    static SilentStatusSink silent;
    const auto &sink = installed();
    return sink ? *sink : static_cast<StatusSink &>(silent);
}

void StatusSink::setInstance(std::shared_ptr<StatusSink> sink)
{
    installed() = std::move(sink);
}
