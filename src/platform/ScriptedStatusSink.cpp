#include "platform/ScriptedStatusSink.h"

std::shared_ptr<ScriptedStatusSink> ScriptedStatusSink::install()
{
    auto sink = std::make_shared<ScriptedStatusSink>();
    StatusSink::setInstance(sink);
    return sink;
}
