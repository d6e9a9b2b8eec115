#include "platform/AlertService.h"

#include "platform/InstalledService.h"

#include "platform/HelpService.h"
#include "platform/MainThreadCall.h"
#include "platform/QuestionNotice.h"
#include "platform/ShownText.h"

#include <QDebug>

#include <utility>

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

AlertService::Deferral *&threadDeferral()
{
    thread_local AlertService::Deferral *deferral = nullptr;
    return deferral;
}
} // namespace

AlertService::Deferral::Deferral() : m_outer(threadDeferral())
{
    threadDeferral() = this;
}

AlertService::Deferral::~Deferral()
{
    threadDeferral() = m_outer;
}

QList<Alert> AlertService::Deferral::take()
{
    return std::exchange(m_alerts, {});
}

int AlertService::show(const Alert &given)
{
    // Titles and messages often carry a name or an address the user handed over, which can be
    // of any length: a message box laying out a megabyte held the window up for seconds.
    Alert alert = given;
    alert.title = ShownText::fitted(given.title);
    alert.message = ShownText::fitted(given.message);
    if (Deferral *deferral = threadDeferral()) {
        deferral->m_alerts.append(alert);
        return kDefault;
    }
    // Other work on a worker thread asks through the window's thread; a worker told to stop
    // before its question was shown takes the default answer and is thrown away anyway.
    return MainThreadCall::ask<int>(
        [&alert] {
            QuestionNotice::announce();
            return instance().runAlert(alert);
        },
        kDefault);
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
