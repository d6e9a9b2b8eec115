// The site editor's online-disk page: the disk's server address and default account (settings
// shared by every disk site), the choice between that account and another member's, and the
// checks made before browsing and on Done.
#include "platform/AlertService.h"
#include "publish/AccountCheckProgress.h"
#include "publish/DMMemberAccount.h"
#include "publish/editSite.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXMatrix.h"
#include "ui/VLXSecureTextField.h"
#include "ui/VLXTextField.h"

#include <QAbstractButton>
#include <QtDebug>

namespace {

const QString kApplicationID = QStringLiteral("XMLf");

} // namespace

void editSite::fillDiskServer()
{
    m_dmServer->setText(DMMemberAccount::serverURL());
    const QString name = DMMemberAccount::systemAccountName();
    m_dmSystemUsername->setText(name);
    m_dmSystemPassword->setText(DMMemberAccount::systemAccountPassword(name));
}

std::shared_ptr<DMMemberAccount> editSite::typedSystemAccount() const
{
    const QString name = m_dmSystemUsername->text().trimmed();
    if (name.isEmpty())
        return nullptr;
    return std::make_shared<DMMemberAccount>(name, m_dmSystemPassword->text(), kApplicationID,
                                             m_dmServer->text().trimmed());
}

void editSite::showDefaultAccountRow()
{
    m_dotMacMemberAccount = typedSystemAccount();
    titleDefaultAccountRow();
}

void editSite::titleDefaultAccountRow()
{
    QAbstractButton *row = m_dmDefaultAccount->cellWithTag(0);
    const QString name = m_dmSystemUsername->text().trimmed();
    if (!name.isEmpty()) {
        const bool offered = row->isEnabled();
        row->setText(tr("Use the default .Mac Account (%1)").arg(name));
        row->setEnabled(true);
        // A default account just typed is what a new site most likely publishes with.
        if (!offered && m_dmDefaultAccount->selectedTag() != 0 && m_dmUsername->text().isEmpty()) {
            m_dmDefaultAccount->setStateOfTag(0, 1);
            dmChangeAccountAction();
        }
        return;
    }
    row->setText(tr("No default .Mac account configured"));
    if (m_dmDefaultAccount->selectedTag() == 0) {
        // Nothing to publish with: the other account is the only choice.
        m_dmDefaultAccount->setStateOfTag(1, 1);
        dmChangeAccountAction();
    }
    row->setEnabled(false);
}

void editSite::systemAccountTyped()
{
    // The password kept for the name typed, as for the other account's member name.
    const QString stored
        = DMMemberAccount::systemAccountPassword(m_dmSystemUsername->text().trimmed());
    if (!stored.isEmpty())
        m_dmSystemPassword->setText(stored);
    titleDefaultAccountRow();
}

void editSite::dmChangeAccountAction()
{
    const bool other = m_dmDefaultAccount->selectedTag() != 0;
    m_dmUsername->setEnabled(other);
    m_dmPassword->setEnabled(other);
    m_dmSaveToKeychain->setEnabled(other);
    if (!other) {
        showDefaultAccountRow();
        return;
    }
    if (m_dmSaveToKeychain->isChecked() && !m_dmUsername->text().isEmpty()) {
        const QString stored = storedDotMacPassword(m_dmUsername->text());
        if (!stored.isEmpty())
            m_dmPassword->setText(stored);
    }
}

int editSite::checkDMAccount()
{
    m_dotMacMemberAccount.reset();
    if (m_dmDefaultAccount->selectedTag() != 0) {
        if (m_dmSaveToKeychain->isChecked() && !m_dmUsername->text().isEmpty()) {
            const QString stored = storedDotMacPassword(m_dmUsername->text());
            if (!stored.isEmpty())
                m_dmPassword->setText(stored);
        }
        if (!m_dmServer->text().trimmed().isEmpty())
            m_dotMacMemberAccount
                = std::make_shared<DMMemberAccount>(m_dmUsername->text(), m_dmPassword->text(),
                                                    kApplicationID, m_dmServer->text().trimmed());
    } else {
        m_dotMacMemberAccount = typedSystemAccount();
        if (m_dotMacMemberAccount && m_dmServer->text().trimmed().isEmpty())
            m_dotMacMemberAccount.reset();
        titleDefaultAccountRow();
    }
    // Asked on a worker: a slow server keeps the editor waiting under its Cancel, not frozen.
    AccountCheckProgress progress(m_editWindow);
    return AccountCheck::validate(m_dotMacMemberAccount, &progress);
}

bool editSite::validateDMinfo()
{
    const int answer = checkDMAccount();
    if (answer == DMMemberAccount::kValid)
        return true;
    if (answer == DMMemberAccount::kCancelled)
        return false;
    qWarning("Account not good, error was %d", answer);
    return false;
}

bool editSite::serverAddressUsable()
{
    const QString problem = DMMemberAccount::serverURLProblem(m_dmServer->text());
    if (problem.isEmpty())
        return true;
    missingInformation(
        problem, m_dmServer->text().trimmed().isEmpty() ? QString() : tr("Invalid Server Address"));
    m_dmServer->setFocus();
    m_dmServer->selectAll();
    return false;
}

void editSite::storeDiskServer()
{
    DMMemberAccount::setServerURL(m_dmServer->text());
    QString error;
    if (DMMemberAccount::setSystemAccount(m_dmSystemUsername->text(), m_dmSystemPassword->text(),
                                          &error))
        return;
    // Unlike a site's own password, the default account's cannot be typed when publishing.
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.title = tr("Password Not Stored");
    alert.message
        = error.isEmpty() ? tr("The password could not be stored in the secret service.") : error;
    if (!alert.message.endsWith(u'.'))
        alert.message += u'.';
    alert.message += tr(" The default account cannot publish without it: choose another account, "
                        "whose password can be typed when publishing.");
    AlertService::show(alert);
}
