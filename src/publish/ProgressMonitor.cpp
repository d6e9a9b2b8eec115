#include "publish/ProgressMonitor.h"

#include "publish/DMTransaction.h"

#include <QtDebug>

ProgressMonitor &ProgressMonitor::sharedInstance()
{
    static ProgressMonitor monitor;
    return monitor;
}

void ProgressMonitor::monitorTransaction(const std::shared_ptr<DMTransaction> &transaction)
{
    if (!transaction) {
        qWarning("Transaction monitor asked to monitor a <nil> transaction");
        return;
    }
    m_inFlightTransactions.append(transaction);
}

void ProgressMonitor::forget(const DMTransaction *transaction)
{
    m_inFlightTransactions.removeIf(
        [transaction](const std::shared_ptr<DMTransaction> &t) { return t.get() == transaction; });
}

double ProgressMonitor::totalBytesToMove() const
{
    double total = 0;
    for (const auto &transaction : m_inFlightTransactions)
        total += double(transaction->contentLength());
    return total;
}

double ProgressMonitor::bytesMovedSoFar() const
{
    double total = 0;
    for (const auto &transaction : m_inFlightTransactions)
        total += double(transaction->bytesTransferred());
    return total;
}
