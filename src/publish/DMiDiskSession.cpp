#include "publish/DMiDiskSession.h"

#include "publish/DMMemberAccount.h"
#include "publish/DMTransaction.h"
#include "publish/PublishPaths.h"
#include "publish/UploadSource.h"

#include <QUrl>

namespace {

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash);
}

} // namespace

std::shared_ptr<DMiDiskSession>
DMiDiskSession::iDiskSessionWithAccount(std::shared_ptr<DMMemberAccount> account)
{
    if (!account)
        return nullptr;
    return std::make_shared<DMiDiskSession>(std::move(account));
}

DMiDiskSession::DMiDiskSession(std::shared_ptr<DMMemberAccount> account)
    : m_account(std::move(account))
{
}

std::shared_ptr<DMTransaction> DMiDiskSession::newTransaction(const QString &path) const
{
    if (!m_account || !QUrl(m_account->baseURL(), QUrl::StrictMode).isValid()
        || QUrl(m_account->baseURL()).scheme().isEmpty())
        return nullptr;
    QString uri = path;
    if (!uri.startsWith(u'/'))
        uri.prepend(u'/');
    return std::shared_ptr<DMTransaction>(new DMTransaction(m_account, m_delegate, uri));
}

std::shared_ptr<DMTransaction> DMiDiskSession::putData(const QByteArray &bytes, const QString &path)
{
    return putSource(UploadSource::fromData(bytes), path);
}

std::shared_ptr<DMTransaction> DMiDiskSession::putSource(std::unique_ptr<UploadSource> source,
                                                         const QString &path)
{
    auto transaction = newTransaction(path);
    if (!transaction || !source)
        return nullptr;
    const QString folder = folderOf(path);
    // Temporary files earlier uploads had to leave go first.
    QList<DMTransaction::Request> requests = DMTransaction::sweepLeftovers(*m_account);
    requests += DMTransaction::makeCollections(*m_account, folder);
    // Sent under a temporary name beside the target, then moved onto it whole.
    const QString part = PublishPaths::partFileName(path);
    DMTransaction::Request put;
    put.method = "PUT";
    put.path = folder.isEmpty() ? part : folder + u'/' + part;
    put.upload = true;
    requests.append(put);
    DMTransaction::Request move;
    move.method = "MOVE";
    move.path = put.path;
    move.destination = path;
    requests.append(move);
    transaction->start(requests, std::move(source), m_synchronous);
    return transaction;
}

std::shared_ptr<DMTransaction> DMiDiskSession::listCollectionAtPath(const QString &path)
{
    auto transaction = newTransaction(path);
    if (!transaction)
        return nullptr;
    const QString folder = path.endsWith(u'/') || path.isEmpty() ? path : path + u'/';
    transaction->start({DMTransaction::propfind(folder, 1)}, nullptr, m_synchronous);
    return transaction;
}

std::shared_ptr<DMTransaction> DMiDiskSession::createDirectoryAtPath(const QString &path,
                                                                     const QVariantMap &)
{
    auto transaction = newTransaction(path);
    if (!transaction)
        return nullptr;
    transaction->start(DMTransaction::makeCollections(*m_account, path), nullptr, m_synchronous);
    return transaction;
}
