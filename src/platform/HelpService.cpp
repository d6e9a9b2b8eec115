#include "platform/HelpService.h"

#include "platform/InstalledService.h"

#include <QDebug>

namespace {
class HeadlessHelpService : public HelpService
{
public:
    void openAnchor(const QString &anchor) override
    {
        qInfo().noquote() << "Help requested for" << anchor;
    }
};

using Installed = InstalledService<HelpService, HeadlessHelpService>;
} // namespace

void HelpService::open(const QString &anchor)
{
    if (!anchor.isEmpty())
        instance().openAnchor(anchor);
}

HelpService &HelpService::instance()
{
    return Installed::get();
}

void HelpService::setInstance(std::shared_ptr<HelpService> service)
{
    Installed::install(std::move(service));
}
