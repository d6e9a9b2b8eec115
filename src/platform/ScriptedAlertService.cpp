#include "platform/ScriptedAlertService.h"

int ScriptedAlertService::runAlert(const Alert &alert)
{
    m_alerts.append(alert);
    if (!alert.checkBoxTitle.isEmpty()) {
        const bool checked = !m_checkBoxes.isEmpty() && m_checkBoxes.takeFirst();
        if (alert.checkBoxState)
            *alert.checkBoxState = checked;
    }
    return m_answers.isEmpty() ? kDefault : m_answers.takeFirst();
}

std::shared_ptr<ScriptedAlertService> ScriptedAlertService::install()
{
    auto service = std::make_shared<ScriptedAlertService>();
    AlertService::setInstance(service);
    return service;
}
