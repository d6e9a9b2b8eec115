#pragma once

#include "publish/AccountCheck.h"

#include <QPointer>
#include <QProgressDialog>
#include <QTimer>

class QWidget;

// The progress indication of a window that checks a disk account: a busy bar with a Cancel
// button, modal to that window, shown once the check has taken a moment (a quick answer shows
// nothing). Cancel stops the check at once.
class AccountCheckProgress : public AccountCheck::Indicator
{
public:
    static constexpr int kShowDelayMs = 300;

    explicit AccountCheckProgress(QWidget *window);
    ~AccountCheckProgress() override;
    AccountCheckProgress(const AccountCheckProgress &) = delete;
    AccountCheckProgress &operator=(const AccountCheckProgress &) = delete;

    void checkStarted(std::function<void()> cancel) override;
    void checkEnded() override;

    // The dialog while a check runs (it may not be shown yet), else null.
    QProgressDialog *dialog() const { return m_dialog; }

private:
    QPointer<QWidget> m_window;
    QPointer<QProgressDialog> m_dialog;
    QTimer m_showTimer;
};
