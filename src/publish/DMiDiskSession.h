#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>
#include <memory>

class DMMemberAccount;
class DMTransaction;
class DMTransactionDelegate;
class UploadSource;

// A session on a member's online disk: starts transactions (uploads, listings, new folders) and
// hands their outcome to its delegate. Paths are below the member's root ("Sites/feed.xml").
//
// A transaction that cannot start (no account, an address that is not valid) comes back null;
// the caller reports that itself, since no delegate call will follow.
class DMiDiskSession
{
public:
    static std::shared_ptr<DMiDiskSession>
    iDiskSessionWithAccount(std::shared_ptr<DMMemberAccount> account);

    void setDelegate(DMTransactionDelegate *delegate) { m_delegate = delegate; }
    // Synchronous sessions finish each transaction (delegate call included) before returning it.
    void setIsSynchronous(bool synchronous) { m_synchronous = synchronous; }

    // Uploads the bytes to the path, making the missing folders of the path first.
    std::shared_ptr<DMTransaction> putData(const QByteArray &bytes, const QString &path);
    // The same with bytes streamed from their source while they are sent.
    std::shared_ptr<DMTransaction> putSource(std::unique_ptr<UploadSource> source,
                                             const QString &path);
    // Lists a folder; the transaction's result holds the entries.
    std::shared_ptr<DMTransaction> listCollectionAtPath(const QString &path);
    // Makes the folder and the missing folders above it; attributes are not used.
    std::shared_ptr<DMTransaction> createDirectoryAtPath(const QString &path,
                                                         const QVariantMap &attributes = {});

    const std::shared_ptr<DMMemberAccount> &account() const { return m_account; }

    explicit DMiDiskSession(std::shared_ptr<DMMemberAccount> account);

private:
    std::shared_ptr<DMTransaction> newTransaction(const QString &path) const;

    std::shared_ptr<DMMemberAccount> m_account;
    DMTransactionDelegate *m_delegate = nullptr;
    bool m_synchronous = false;
};
