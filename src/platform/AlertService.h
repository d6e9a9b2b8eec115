#pragma once

#include <QList>
#include <QString>
#include <memory>

// One alert as the model asks for it. The window shows it application-modal; core code only
// describes it and reads back which button was chosen.
struct Alert
{
    enum class Style { Critical, Warning, Informational };

    Style style = Style::Critical;
    QString title;
    QString message;
    QString defaultButton = QStringLiteral("OK"); // answers AlertService::kDefault
    QString alternateButton; // empty: no such button; answers kAlternate
    QString otherButton; // empty: no such button; answers kOther
    // An optional check box under the message ("Don't show this message again"): its title
    // (empty: none), and its state, unchecked at the start, which the service writes back when
    // the alert ends. The state is shared so that it outlives the copies an alert is handed on
    // in (to the window's thread); the caller makes it and reads it afterwards.
    QString checkBoxTitle;
    std::shared_ptr<bool> checkBoxState;
};

// Alerts raised by core code (field checks, date repairs, URL tests). The window installs an
// implementation over QMessageBox; tests install ScriptedAlertService. Without an installed
// service alerts are logged and answered with the default button, so headless runs never block.
class AlertService
{
public:
    static constexpr int kDefault = 1;
    static constexpr int kAlternate = 0;
    static constexpr int kOther = -1;

    virtual ~AlertService() = default;
    // Shows the alert and waits for the user; answers kDefault, kAlternate or kOther.
    virtual int runAlert(const Alert &alert) = 0;

    // Shows an alert through the installed service, always on the application's thread: a
    // worker thread waits there for the answer.
    static int show(const Alert &alert);
    // Shows an alert whose other button is "More Information" when helpAnchor is not empty;
    // choosing it opens the help at that anchor. Answers the chosen button.
    static int showWithHelp(Alert alert, const QString &helpAnchor);

    // While a Deferral lives, alerts raised on the thread that made it are kept instead of
    // shown, each answered with its default button, and take() hands them over in their order
    // (work on a worker thread gives them to the window's thread to show). Deferrals nest; the
    // innermost one keeps the alerts.
    class Deferral
    {
    public:
        Deferral();
        ~Deferral();
        Deferral(const Deferral &) = delete;
        Deferral &operator=(const Deferral &) = delete;
        QList<Alert> take();

    private:
        friend class AlertService;
        QList<Alert> m_alerts;
        Deferral *m_outer;
    };

    static AlertService &instance();
    // Replaces the process service; nullptr returns to the headless default.
    static void setInstance(std::shared_ptr<AlertService> service);
};
