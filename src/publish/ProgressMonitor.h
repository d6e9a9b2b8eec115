#pragma once

#include <QList>
#include <memory>

class DMTransaction;

// The one registry of the online disk's uploads in flight: sums their sizes and the bytes sent
// so far for the publish window's progress bar. Used on the main thread only.
class ProgressMonitor
{
public:
    static ProgressMonitor &sharedInstance();

    void monitorTransaction(const std::shared_ptr<DMTransaction> &transaction);
    // Each of the three stops watching the transaction.
    void transactionSuccessful(const DMTransaction *transaction) { forget(transaction); }
    void transactionHadError(const DMTransaction *transaction) { forget(transaction); }
    void transactionAborted(const DMTransaction *transaction) { forget(transaction); }

    int transactionsInProgress() const { return int(m_inFlightTransactions.size()); }
    double totalBytesToMove() const;
    double bytesMovedSoFar() const;

private:
    void forget(const DMTransaction *transaction);

    QList<std::shared_ptr<DMTransaction>> m_inFlightTransactions;
};
