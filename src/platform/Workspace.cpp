#include "platform/Workspace.h"

#include "platform/InstalledService.h"

#include <QDesktopServices>

namespace {
class DesktopWorkspace : public Workspace
{
public:
    bool openURL(const QUrl &url) override { return QDesktopServices::openUrl(url); }
};

using Installed = InstalledService<Workspace, DesktopWorkspace>;
} // namespace

bool Workspace::open(const QUrl &url)
{
    return instance().openURL(url);
}

Workspace &Workspace::instance()
{
    return Installed::get();
}

void Workspace::setInstance(std::shared_ptr<Workspace> workspace)
{
    Installed::install(std::move(workspace));
}
