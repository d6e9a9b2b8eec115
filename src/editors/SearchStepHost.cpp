#include "editors/SearchStepHost.h"

#include "platform/InstalledService.h"

namespace {
class SilentSearchStepHost : public SearchStepHost
{
public:
    QString findField() const override { return QString(); }
    QString replaceField() const override { return QString(); }
    QString previousSearchString() const override { return QString(); }
    void findNext() override { }
    void findPanelReplaceAllAction() override { }
    void orderFrontFindPanel() override { }
};

using Installed = InstalledService<SearchStepHost, SilentSearchStepHost>;
} // namespace

SearchStepHost &SearchStepHost::instance()
{
    return Installed::get();
}

void SearchStepHost::setInstance(std::shared_ptr<SearchStepHost> host)
{
    Installed::install(std::move(host));
}
