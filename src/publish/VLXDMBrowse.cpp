#include "publish/VLXDMBrowse.h"

#include "publish/DMMemberAccount.h"
#include "publish/DMiDiskSession.h"
#include "publish/FTPListingParser.h"
#include "publish/PublishPaths.h"

#include <QDateTime>
#include <QLocale>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

namespace {

using P = FTPListingParser;

const QString kApplicationID = QStringLiteral("XMLf");
const QString kSites = QStringLiteral("Sites");
// The status of an answer for a folder that does not exist.
constexpr int kNotFound = 404;

} // namespace

VLXDMBrowse::VLXDMBrowse() = default;

VLXDMBrowse::~VLXDMBrowse()
{
    stopListing();
}

void VLXDMBrowse::startBrowsing()
{
    setStatus(QString());
    setHomeDirectory(kSites);
    if (m_givenAccount)
        m_account = m_givenAccount;
    else if (m_useAlternateAccount == 0)
        m_account = DMMemberAccount::accountFromPreferencesWithApplicationID(kApplicationID);
    else
        m_account = DMMemberAccount::accountWithName(username(), password(), kApplicationID);
    setWindowTitle(tr("Browse %1's iDisk").arg(m_account ? m_account->name() : QString()));
    const QString folder = directory();
    const QString first = folder.isEmpty() ? kSites : QStringLiteral("Sites/%1").arg(folder);
    QTimer::singleShot(10, this, [this, first] { getFileListing(first); });
}

void VLXDMBrowse::stopBrowsing()
{
    stopListing();
    stopProgress();
}

void VLXDMBrowse::stopListing()
{
    // Nothing of a listing still under way may reach the browser once its dialog is gone.
    m_rowsMade.reset();
    if (!m_listing)
        return;
    std::shared_ptr<DMTransaction> listing = std::move(m_listing);
    listing->setDelegate(nullptr);
    listing->abort();
}

void VLXDMBrowse::getFileListing(const QString &path)
{
    m_notFound.clear();
    listFolder(path);
}

void VLXDMBrowse::listFolder(const QString &path)
{
    stopListing();
    setStatus(tr("Fetch Directory Listing"));
    startProgress();
    std::shared_ptr<DMiDiskSession> session = DMiDiskSession::iDiskSessionWithAccount(m_account);
    if (session) {
        session->setDelegate(this);
        m_listing = session->listCollectionAtPath(path);
    }
    if (!m_listing) {
        stopProgress();
        setStatus(m_account ? DMTransaction::errorTypeText(0)
                            : tr("No account of the online disk is set up"));
    }
}

QList<QVariantMap> VLXDMBrowse::parseFileResult(const QVariantList &result)
{
    QList<QVariantMap> files;
    for (const QVariant &item : result) {
        const QVariantMap found = item.toMap();
        const QString name = found.value(DMTransaction::kDMURI)
                                 .toString()
                                 .section(u'/', -1, -1, QString::SectionSkipEmpty);
        if (name.startsWith(u'.'))
            continue;
        QVariantMap entry {{P::kFilenameKey, name}};
        if (found.value(DMTransaction::kDMIsCollection).toBool()) {
            entry.insert(P::kFileType, P::kTypeDirectory);
        } else {
            entry.insert(P::kFileType, P::kTypeRegular);
            entry.insert(P::kSize, found.value(DMTransaction::kDMContentLength).toDouble());
        }
        const QDateTime modified = found.value(DMTransaction::kDMLastModified).toDateTime();
        if (modified.isValid())
            entry.insert(
                P::kModificationDate,
                QLocale::c().toString(modified.toLocalTime(), QStringLiteral("dd MMM yyyy HH:mm")));
        files.append(entry);
    }
    return files;
}

void VLXDMBrowse::transactionSuccessful(DMTransaction *transaction)
{
    if (!m_listing || transaction != m_listing.get())
        return;
    m_listing.reset();
    if (transaction->result().isValid()) {
        showResultAside(transaction->result().toList(), transaction->uri().mid(1),
                        transaction->isResultTruncated());
        return;
    }
    stopProgress();
    setStatus(m_notFound);
}

void VLXDMBrowse::showResultAside(const QVariantList &result, const QString &listedPath,
                                  bool truncated)
{
    m_rowsMade = std::make_unique<QFutureWatcher<QList<QVariantMap>>>();
    QFutureWatcher<QList<QVariantMap>> *watcher = m_rowsMade.get();
    connect(watcher, &QFutureWatcherBase::finished, watcher, [=, this] {
        if (watcher != m_rowsMade.get() || watcher->isCanceled())
            return;
        const QList<QVariantMap> files = watcher->result();
        m_rowsMade.release()->deleteLater();
        showListing(files, listedPath);
        stopProgress();
        setStatus(!m_notFound.isEmpty() ? m_notFound : truncated ? listingLimitText() : QString());
    });
    watcher->setFuture(QtConcurrent::run([result] {
        QList<QVariantMap> files = parseFileResult(result);
        std::sort(files.begin(), files.end(), FTPListingParser::filenameSort);
        return files;
    }));
}

void VLXDMBrowse::transactionHadError(DMTransaction *transaction)
{
    if (!m_listing || transaction != m_listing.get())
        return;
    m_listing.reset();
    // A folder that is not there (a fresh disk without "Sites", a folder removed since): the
    // user is told which, and the folder that holds it is shown instead, up to the root.
    const QString path = PublishPaths::trimSlashes(transaction->uri());
    if (transaction->errorType() == kNotFound && !path.isEmpty()) {
        if (m_notFound.isEmpty())
            m_notFound = tr("The folder \"%1\" was not found on the server").arg(path);
        const qsizetype cut = path.lastIndexOf(u'/');
        listFolder(cut < 0 ? QString() : path.left(cut));
        return;
    }
    stopProgress();
    setStatus(DMTransaction::errorTypeText(transaction->errorType()));
}

void VLXDMBrowse::transactionAborted(DMTransaction *transaction)
{
    if (m_listing && transaction == m_listing.get())
        m_listing.reset();
}

void VLXDMBrowse::browseCreateNewFolder()
{
    const QString name = newFolderName();
    if (name.isEmpty())
        return;
    startProgress();
    const QString shown = historyTitles().value(historyTitles().size() - 1);
    if (std::shared_ptr<DMiDiskSession> session
        = DMiDiskSession::iDiskSessionWithAccount(m_account)) {
        session->setIsSynchronous(true);
        m_browseFiles.clear();
        reloadTable();
        session->createDirectoryAtPath(QStringLiteral("%1/%2").arg(shown, name));
    }
    stopProgress();
    QTimer::singleShot(10, this, [this, shown] { getFileListing(shown); });
}
