#include "platform/AlertService.h"

#include "platform/InstalledService.h"

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

using Installed = InstalledService<AlertService, HeadlessAlertService>;
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
    return Installed::get();
}

void AlertService::setInstance(std::shared_ptr<AlertService> service)
{
    Installed::install(std::move(service));
}
