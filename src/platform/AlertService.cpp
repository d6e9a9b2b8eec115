#include "platform/AlertService.h"

#include "platform/HelpService.h"

#include <QDebug>

namespace {
class HeadlessAlertService : public AlertService
{
public:
    int runAlert(const Alert &alert) override
    {
        qWarning().noquote() << "Alert:" << alert.title << "-" << alert.message;
        return kDefault;
    }
};

std::shared_ptr<AlertService> &installed()
{
    static std::shared_ptr<AlertService> service;
    return service;
}
} // namespace

int AlertService::show(const Alert &alert)
{
    return instance().runAlert(alert);
}

int AlertService::showWithHelp(Alert alert, const QString &helpAnchor)
{
    if (!helpAnchor.isEmpty())
        alert.otherButton = QStringLiteral("More Information");
    const int answer = show(alert);
    if (answer == kOther && !helpAnchor.isEmpty())
        HelpService::open(helpAnchor);
    return answer;
}

AlertService &AlertService::instance()
{
    static HeadlessAlertService headless;
    const auto &service = installed();
    return service ? *service : static_cast<AlertService &>(headless);
}

void AlertService::setInstance(std::shared_ptr<AlertService> service)
{
    installed() = std::move(service);
}
