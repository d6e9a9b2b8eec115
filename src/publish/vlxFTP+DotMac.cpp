// Publishing to the online disk: one WebDAV transaction per file below "Sites".
#include "publish/DMMemberAccount.h"
#include "publish/DMiDiskSession.h"
#include "publish/ProgressMonitor.h"
#include "publish/PublishPaths.h"
#include "publish/UploadSource.h"
#include "publish/vlxFTP.h"
#include "settings/VLXSite.h"

#include <QPointer>
#include <QtDebug>

namespace {

const QString kApplicationID = QStringLiteral("XMLf");

} // namespace

void vlxFTP::makeDotMacAccount()
{
    m_dotMacAccount = m_site->dmAccount() != 0
        ? DMMemberAccount::accountWithName(
            m_site->dmUsername(), m_view->text(PublishView::Field::Password), kApplicationID)
        : DMMemberAccount::accountFromPreferencesWithApplicationID(kApplicationID);
}

bool vlxFTP::validateDMinfo()
{
    m_dotMacAccount.reset();
    if (!m_site || !m_view)
        return false;
    QString password = m_view->text(PublishView::Field::Password);
    m_dotMacAccount
        = DMMemberAccount::validatedAccountForSite(*m_site, &password, m_accountCheckIndicator);
    if (password != m_view->text(PublishView::Field::Password))
        m_view->setText(PublishView::Field::Password, password);
    return m_dotMacAccount != nullptr;
}

void vlxFTP::uploadToDisk(const QueueEntry &entry)
{
    m_view->setProgress({true, true, double(m_source->size()), 0});
    m_view->setStatus(QStringLiteral("In Progress"));
    const QString folder = entry.remoteFolder.split(u'/', Qt::SkipEmptyParts).join(u'/');
    const QString path = folder.isEmpty()
        ? QStringLiteral("Sites/%1").arg(entry.remoteName)
        : QStringLiteral("Sites/%1/%2").arg(folder, entry.remoteName);
    auto session = DMiDiskSession::iDiskSessionWithAccount(m_dotMacAccount);
    if (session) {
        session->setDelegate(this);
        m_currentTransaction = session->putSource(std::move(m_source), path);
    }
    if (m_currentTransaction) {
        // The clean-up of an aborted upload may end after the run: its lines still reach the log.
        m_currentTransaction->setCleanupReport(
            [self = QPointer<vlxFTP>(this)](const QString &line) {
                if (self)
                    self->appendLog(line);
            });
    }
    if (!m_currentTransaction) {
        // Nothing will report back for this file: it fails here and the run goes on.
        const QString reason = m_dotMacAccount
            ? QStringLiteral("The transfer to the disk could not be started")
            : QStringLiteral("No account for the disk is set up");
        appendTransferFailed(reason);
        currentUploadFailed(*m_uploadingItem, reason);
        continueAfterFile();
        return;
    }
    // A transaction may have ended already (a synchronous session); then it is not watched.
    if (m_currentTransaction && m_currentTransaction->state() == DMTransaction::State::Running)
        ProgressMonitor::sharedInstance().monitorTransaction(m_currentTransaction);
}

void vlxFTP::transactionSuccessful(DMTransaction *transaction)
{
    m_currentTransaction.reset();
    m_view->setStatus(QStringLiteral("Succeeded"));
    ProgressMonitor::sharedInstance().transactionSuccessful(transaction);
    appendLog(QStringLiteral("Transfer successful\n\n"));
    if (m_uploadingItem)
        currentUploadSucceeded(*m_uploadingItem);
    continueAfterFile();
}

void vlxFTP::transactionHadError(DMTransaction *transaction)
{
    m_currentTransaction.reset();
    ProgressMonitor::sharedInstance().transactionHadError(transaction);
    if (m_uploadingItem) {
        // A refused move names the server's answer; other failures are told by their type.
        const QString reason = transaction->renameRefused()
            ? transaction->errorText()
            : DMTransaction::errorTypeText(transaction->errorType());
        appendTransferFailed(reason);
        currentUploadFailed(*m_uploadingItem, reason);
    }
    continueAfterFile();
}

void vlxFTP::transactionAborted(DMTransaction *transaction)
{
    m_currentTransaction.reset();
    ProgressMonitor::sharedInstance().transactionAborted(transaction);
    // As on the other sites, the file in transfer fails, the files not sent yet stay unsent and
    // the run ends with its summary and result line; the disk's clean-up goes on behind.
    if (m_uploadingItem) {
        appendTransferFailed(kTransferAborted);
        currentUploadFailed(*m_uploadingItem, kTransferAborted);
    }
    resetProgress();
    endRun();
}
