#pragma once

#include "platform/AlertService.h"

#include <QList>
#include <memory>

// An alert service for tests: records every alert and answers from a script of button codes
// (kDefault once the script runs out), so code that asks the user runs without blocking.
class ScriptedAlertService : public AlertService
{
public:
    int runAlert(const Alert &alert) override;

    // Queues the answer to give to the next alert not yet answered.
    void queueAnswer(int answer) { m_answers.append(answer); }
    // Queues the state the user leaves the check box of the next alert that has one in
    // (unchecked once the script runs out).
    void queueCheckBox(bool checked) { m_checkBoxes.append(checked); }
    const QList<Alert> &alerts() const { return m_alerts; }
    void clear()
    {
        m_alerts.clear();
        m_answers.clear();
        m_checkBoxes.clear();
    }

    // Makes a new scripted service and installs it as the process alert service.
    static std::shared_ptr<ScriptedAlertService> install();

private:
    QList<Alert> m_alerts;
    QList<int> m_answers;
    QList<bool> m_checkBoxes;
};
