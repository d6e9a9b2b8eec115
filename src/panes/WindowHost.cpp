#include "panes/WindowHost.h"

#include "editors/XMLSourceController.h"

namespace {
WindowHost::CurrentHost installedCurrent = nullptr;
WindowHost::XMLEditor installedEditor = nullptr;
} // namespace

WindowHost *WindowHost::current()
{
    return installedCurrent ? installedCurrent() : nullptr;
}

std::optional<QString> WindowHost::editXMLText(const XMLSourceRequest &request)
{
    if (installedEditor)
        return installedEditor(request);
    return XMLSourceController::edit(request, nullptr);
}

void WindowHost::install(CurrentHost current, XMLEditor editor)
{
    installedCurrent = current;
    installedEditor = editor;
}
