#include "platform/HelpService.h"

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

std::shared_ptr<HelpService> &installed()
{
    static std::shared_ptr<HelpService> service;
    return service;
}
} // namespace

void HelpService::open(const QString &anchor)
{
    if (!anchor.isEmpty())
        instance().openAnchor(anchor);
}

HelpService &HelpService::instance()
{
    static HeadlessHelpService headless;
    const auto &service = installed();
    return service ? *service : static_cast<HelpService &>(headless);
}

void HelpService::setInstance(std::shared_ptr<HelpService> service)
{
    installed() = std::move(service);
}
