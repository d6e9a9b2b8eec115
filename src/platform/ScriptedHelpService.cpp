#include "platform/ScriptedHelpService.h"

std::shared_ptr<ScriptedHelpService> ScriptedHelpService::install()
{
    auto service = std::make_shared<ScriptedHelpService>();
    HelpService::setInstance(service);
    return service;
}
