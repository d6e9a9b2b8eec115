#include "publish/AccountCheckProgress.h"

#include <QProgressDialog>

AccountCheckProgress::AccountCheckProgress(QWidget *window) : m_window(window)
{
    m_showTimer.setSingleShot(true);
    m_showTimer.setInterval(kShowDelayMs);
}

AccountCheckProgress::~AccountCheckProgress()
{
    checkEnded();
}

void AccountCheckProgress::checkStarted(std::function<void()> cancel)
{
    checkEnded();
    m_dialog = new QProgressDialog(QObject::tr("Checking the account with the server…"),
                                   QObject::tr("Cancel"), 0, 0, m_window);
    m_dialog->setWindowTitle(QObject::tr("Checking the Account"));
    m_dialog->setWindowModality(m_window ? Qt::WindowModal : Qt::ApplicationModal);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    // Shown by the timer, not by QProgressDialog's own estimate, which needs value changes.
    m_dialog->setMinimumDuration(24 * 60 * 60 * 1000);
    m_dialog->reset();
    QObject::connect(m_dialog, &QProgressDialog::canceled, m_dialog, std::move(cancel));
    QObject::disconnect(&m_showTimer, nullptr, nullptr, nullptr);
    QObject::connect(&m_showTimer, &QTimer::timeout, m_dialog, [dialog = m_dialog] {
        if (dialog)
            dialog->show();
    });
    m_showTimer.start();
}

void AccountCheckProgress::checkEnded()
{
    m_showTimer.stop();
    if (m_dialog) {
        QProgressDialog *dialog = m_dialog;
        m_dialog = nullptr;
        QObject::disconnect(dialog, &QProgressDialog::canceled, nullptr, nullptr);
        dialog->hide();
        dialog->deleteLater();
    }
}
