#include "publish/DMTransaction.h"

#include "io/CURLHandle.h"
#include "platform/DefaultsStore.h"
#include "publish/DMMemberAccount.h"
#include "publish/FTPListingParser.h"
#include "publish/PublishPaths.h"
#include "publish/UploadSource.h"
#include "settings/VLXPreferences.h"

#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>
#include <libxml/parser.h>

const QString DMTransaction::kDMURI = QStringLiteral("kDMURI");
const QString DMTransaction::kDMIsCollection = QStringLiteral("kDMIsCollection");
const QString DMTransaction::kDMContentLength = QStringLiteral("kDMContentLength");
const QString DMTransaction::kDMLastModified = QStringLiteral("kDMLastModified");

namespace {

const char kPropfindBody[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                             "<propfind xmlns=\"DAV:\"><prop><resourcetype/><getcontentlength/>"
                             "<getlastmodified/></prop></propfind>\n";

constexpr long kConnectTimeoutSeconds = 20;
// Requests other than uploads are small: a server that takes longer has a problem.
constexpr long kRequestTimeoutSeconds = 120;
// A server may still be taking in an upload the client gave up on, and answer "423 Locked" to
// its removal until it has; the removal is asked again for a while.
constexpr long kLocked = 423;
constexpr int kRemovalRetryMs = 250;
int removalPatienceMs = DMTransaction::kDefaultRemovalPatienceMs;
constexpr long kNotFound = 404;

// Account (member and root) to the temporary files of its uploads still on the server.
const QString kLeftoversKey = QStringLiteral("DM_LeftoverParts");

QString accountKey(const DMMemberAccount &account)
{
    return account.name() + u'@' + account.baseURL();
}

} // namespace

QString DMTransaction::errorTypeText(int type)
{
    switch (type) {
    case 1:
        return QStringLiteral("");
    case DMMemberAccount::kInvalidCredentials:
        return QStringLiteral("Invalid username/password");
    case DMMemberAccount::kOutOfSpace:
        return QStringLiteral("Out of iDisk space error");
    case DMMemberAccount::kNetworkError:
        return QStringLiteral("Networking error occurred");
    default:
        return QStringLiteral("An unknown error occurred");
    }
}

DMTransaction::DMTransaction(std::shared_ptr<DMMemberAccount> account,
                             DMTransactionDelegate *delegate, QString uri)
    : m_account(std::move(account)), m_delegate(delegate), m_uri(std::move(uri))
{
}

DMTransaction::~DMTransaction()
{
    if (m_handle)
        m_handle->removeClient(this);
}

qint64 DMTransaction::contentLength() const
{
    return m_source ? m_source->size() : 0;
}

qint64 DMTransaction::bytesTransferred() const
{
    return m_source ? m_source->bytesSent() : 0;
}

QList<DMTransaction::Request> DMTransaction::makeCollections(const DMMemberAccount &account,
                                                             const QString &folder)
{
    QList<Request> requests;
    QString prefix;
    for (const QString &segment : PublishPaths::trimSlashes(folder).split(u'/', Qt::SkipEmptyParts)) {
        prefix = prefix.isEmpty() ? segment : prefix + u'/' + segment;
        if (account.knowsCollection(prefix))
            continue;
        Request request;
        request.method = "MKCOL";
        request.path = prefix + u'/';
        request.collection = true;
        requests.append(request);
    }
    return requests;
}

DMTransaction::Request DMTransaction::propfind(const QString &path, int depth)
{
    Request request;
    request.method = "PROPFIND";
    request.path = path;
    request.depth = depth;
    request.body = kPropfindBody;
    return request;
}

void DMTransaction::setRemovalPatience(int milliseconds)
{
    removalPatienceMs = milliseconds;
}

QStringList DMTransaction::leftoverParts(const DMMemberAccount &account)
{
    const QVariantMap all = VLXPreferences::sharedInstance()
                                .store()
                                .dictionary(kLeftoversKey)
                                .value_or(QVariantMap());
    return all.value(accountKey(account)).toStringList();
}

void DMTransaction::keepLeftover(const DMMemberAccount &account, const QString &path, bool kept)
{
    DefaultsStore &store = VLXPreferences::sharedInstance().store();
    QVariantMap all = store.dictionary(kLeftoversKey).value_or(QVariantMap());
    const QString key = accountKey(account);
    QStringList parts = all.value(key).toStringList();
    if (parts.contains(path) == kept)
        return;
    parts.removeAll(path);
    if (kept)
        parts.append(path);
    while (parts.size() > kMaximumLeftovers)
        parts.removeFirst();
    if (parts.isEmpty())
        all.remove(key);
    else
        all.insert(key, parts);
    if (all.isEmpty())
        store.remove(kLeftoversKey);
    else
        store.setObject(all, kLeftoversKey);
    QString error;
    if (!store.sync(&error))
        qWarning().noquote() << "The leftover files of the disk could not be saved:" << error;
}

QList<DMTransaction::Request> DMTransaction::sweepLeftovers(const DMMemberAccount &account)
{
    QList<Request> requests;
    for (const QString &path : leftoverParts(account)) {
        Request request;
        request.method = "DELETE";
        request.path = path;
        request.sweep = true;
        requests.append(request);
    }
    return requests;
}

void DMTransaction::reportCleanup(const QString &line) const
{
    qInfo().noquote() << line.trimmed();
    if (m_cleanupReport)
        m_cleanupReport(line);
}

void DMTransaction::removalEnded(const Request &request, CURLHandle &handle, bool transferOK)
{
    const long code = handle.httpCode();
    const bool gone = transferOK && ((code >= 200 && code < 300) || code == kNotFound);
    keepLeftover(*m_account, request.path, !gone);
    if (gone && code == kNotFound)
        return; // nothing was there
    const QString why = transferOK
        ? QStringLiteral("%1 %2").arg(code).arg(
            handle.propertyForKey(URLHandle::kHTTPPropertyStatusReasonKey).toString().trimmed())
        : handle.curlError();
    reportCleanup(
        gone ? QStringLiteral("Removed the temporary file %1 from the disk\n").arg(request.path)
             : QStringLiteral("The temporary file %1 could not be removed from the disk "
                              "(%2); the next upload to the disk removes it\n")
                   .arg(request.path, why));
}

std::shared_ptr<CURLHandle> DMTransaction::makeHandle(const Request &request)
{
    const QString url = PublishPaths::joinURL(m_account->baseURL(), request.path);
    auto handle = CURLHandle::create(QUrl(url, QUrl::StrictMode));
    if (!handle)
        return nullptr;
    // The status of every answer is read here; none of them is an error page to refuse.
    handle->setFailsOnError(false);
    handle->setConnectionTimeout(kConnectTimeoutSeconds);
    handle->setTransferTimeout(request.upload ? 0 : kRequestTimeoutSeconds);
    CURL *curl = handle->curl();
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, long(CURLAUTH_BASIC));
    curl_easy_setopt(curl, CURLOPT_USERNAME, m_account->name().toUtf8().constData());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, m_account->password().toUtf8().constData());
    if (!DMMemberAccount::certificateAuthorityFile().isEmpty())
        handle->setString(DMMemberAccount::certificateAuthorityFile(), CURLOPT_CAINFO);
    if (request.upload) {
        m_source->attachTo(curl);
        // From here on a partial file may lie on the server.
        m_partPath = request.path;
    } else if (!request.destination.isEmpty()) {
        handle->setString(QString::fromLatin1(request.method), CURLOPT_CUSTOMREQUEST);
        handle->setHTTPHeaders({{QStringLiteral("Destination"),
                                 PublishPaths::joinURL(m_account->baseURL(), request.destination)},
                                {QStringLiteral("Overwrite"), QStringLiteral("T")}});
    } else {
        handle->setString(QString::fromLatin1(request.method), CURLOPT_CUSTOMREQUEST);
        if (request.depth >= 0) {
            handle->setHTTPHeaders({{QStringLiteral("Depth"), QString::number(request.depth)},
                                    {QStringLiteral("Content-Type"),
                                     QStringLiteral("application/xml; charset=utf-8")}});
            handle->setPostString(QString::fromUtf8(request.body));
        }
    }
    return handle;
}

void DMTransaction::start(QList<Request> requests, std::unique_ptr<UploadSource> source,
                          bool synchronous)
{
    m_requests = std::move(requests);
    m_source = std::move(source);
    m_synchronous = synchronous;
    m_self = shared_from_this();
    if (!synchronous) {
        runNext();
        return;
    }
    while (!m_requests.isEmpty() && m_state == State::Running) {
        const Request request = m_requests.takeFirst();
        m_handle = makeHandle(request);
        if (!m_handle) {
            m_errorType = DMMemberAccount::kNetworkError;
            finish(State::Failed);
            return;
        }
        if (m_cancelled)
            m_handle->setTransferProgress([this](qint64, qint64) { return !m_cancelled(); });
        const bool ok = m_handle->loadInForeground().has_value();
        if (m_cancelled && m_cancelled())
            m_abortRequested = true;
        if (!settle(request, *m_handle, ok))
            return;
        if (request.depth > 0 && !takeListing(readListing(m_handle->availableResourceData())))
            return;
    }
    if (m_state == State::Running)
        finish(State::Succeeded);
}

void DMTransaction::runNext()
{
    if (m_requests.isEmpty()) {
        finish(State::Succeeded);
        return;
    }
    m_handle = makeHandle(m_requests.first());
    if (!m_handle && (m_requests.first().removal || m_requests.first().sweep)) {
        // Nothing can be asked of the server: a temporary file stays where it is.
        const Request request = m_requests.takeFirst();
        if (request.sweep) {
            runNext();
            return;
        }
        keepLeftover(*m_account, request.path, true);
        finish(m_endState);
        return;
    }
    if (!m_handle) {
        m_errorType = DMMemberAccount::kNetworkError;
        m_errorText = QStringLiteral("The address of the disk is not valid");
        finish(State::Failed);
        return;
    }
    m_handle->addClient(this);
    m_handle->loadInBackground();
}

bool DMTransaction::settle(const Request &request, CURLHandle &handle, bool transferOK)
{
    if (request.removal) {
        if (transferOK && handle.httpCode() == kLocked
            && m_removalClock.elapsed() < removalPatienceMs) {
            m_requests = {request};
            QTimer::singleShot(kRemovalRetryMs, [self = shared_from_this()] {
                if (self->m_removing)
                    self->runNext();
            });
            return false;
        }
        removalEnded(request, handle, transferOK);
        finish(m_endState);
        return false;
    }
    // A leftover that would not go stays remembered; the upload goes on either way.
    if (request.sweep && !m_abortRequested) {
        removalEnded(request, handle, transferOK);
        return true;
    }
    if (m_abortRequested) {
        endAfterRemoval(State::Aborted);
        return false;
    }
    const long code = handle.httpCode();
    const bool success
        = transferOK && ((code >= 200 && code < 300) || (request.collection && code == 405));
    if (!success) {
        if (!transferOK && m_source && !m_source->readError().isEmpty()) {
            m_errorType = 0;
            m_errorText = m_source->readError();
        } else if (!transferOK && (code == 0 || (code >= 200 && code < 300))) {
            // The answer broke off or ran out of time: its good status says nothing of what
            // went wrong.
            m_errorType = DMMemberAccount::kNetworkError;
            m_errorText = handle.curlError();
        } else {
            m_errorType = code == 401 || code == 403 ? DMMemberAccount::kInvalidCredentials
                : code == 507                        ? DMMemberAccount::kOutOfSpace
                                                     : int(code);
            m_errorText = QStringLiteral("%1 %2").arg(code).arg(
                handle.propertyForKey(URLHandle::kHTTPPropertyStatusReasonKey).toString());
            // Credentials and a full disk keep their own reasons; anything else the server
            // answered to the move is its refusal to put the file in place.
            if (!request.destination.isEmpty() && code != 401 && code != 507) {
                m_renameRefused = true;
                m_errorText = QStringLiteral("The server refused to rename %1 to %2: %3")
                                  .arg(PublishPaths::lastPathComponent(request.path),
                                       PublishPaths::lastPathComponent(request.destination),
                                       m_errorText.trimmed());
            }
        }
        endAfterRemoval(State::Failed);
        return false;
    }
    if (!request.destination.isEmpty())
        m_partPath.clear();
    if (request.collection)
        m_account->rememberCollection(PublishPaths::trimSlashes(request.path));
    return true;
}

void DMTransaction::endAfterRemoval(State state)
{
    if (m_partPath.isEmpty()) {
        finish(state);
        return;
    }
    Request removal;
    removal.method = "DELETE";
    removal.path = m_partPath;
    removal.removal = true;
    m_partPath.clear();
    m_endState = state;
    m_removing = true;
    m_removalClock.start();
    m_requests = {removal};
    if (!m_synchronous) {
        runNext();
        return;
    }
    for (;;) {
        const auto handle = makeHandle(removal);
        if (!handle)
            break;
        const bool ok = handle->loadInForeground().has_value();
        if (!ok || handle->httpCode() != kLocked || m_removalClock.elapsed() >= removalPatienceMs) {
            removalEnded(removal, *handle, ok);
            break;
        }
        QThread::msleep(kRemovalRetryMs);
    }
    finish(state);
}

void DMTransaction::finish(State state)
{
    // The delegate may drop its reference; this one goes when the function returns.
    const std::shared_ptr<DMTransaction> keepAlive = std::move(m_self);
    m_state = state;
    m_requests.clear();
    m_removing = false;
    if (m_handle) {
        m_handle->removeClient(this);
        m_handle.reset();
    }
    DMTransactionDelegate *delegate = m_delegate;
    if (!delegate || m_told)
        return;
    m_told = true;
    switch (state) {
    case State::Succeeded:
        delegate->transactionSuccessful(this);
        break;
    case State::Failed:
        delegate->transactionHadError(this);
        break;
    case State::Aborted:
        delegate->transactionAborted(this);
        break;
    case State::Running:
        break;
    }
}

void DMTransaction::abort()
{
    if (m_state != State::Running || m_abortRequested)
        return;
    m_abortRequested = true;
    if (m_listingRead && m_listingRead->isRunning()) {
        // The answer has come; what is left is reading it, which the result no longer needs.
        m_listingRead.reset();
        QTimer::singleShot(0, [self = shared_from_this()] {
            if (self->m_state == State::Running)
                self->finish(State::Aborted);
        });
        return;
    }
    // A removal under way runs to its end: it is what keeps the server clean.
    if (!m_removing) {
        if (m_source)
            m_source->abort();
        if (m_handle)
            m_handle->abortTransfer();
    }
    // The end of the transfer and the removal of what it left may take a while (a server
    // still taking in the upload refuses the removal until it has): the delegate does not wait.
    QTimer::singleShot(0, [self = shared_from_this()] { self->tellAborted(); });
}

void DMTransaction::tellAborted()
{
    if (m_told || m_state != State::Running)
        return;
    m_told = true;
    if (m_delegate)
        m_delegate->transactionAborted(this);
}

void DMTransaction::URLHandleResourceDidFinishLoading(URLHandle *sender)
{
    if (sender != m_handle.get() || m_requests.isEmpty())
        return;
    const Request request = m_requests.takeFirst();
    if (!settle(request, *m_handle, true))
        return;
    if (request.depth > 0)
        readListingAside(m_handle->availableResourceData());
    else
        runNext();
}

void DMTransaction::URLHandleResourceDidFailLoadingWithReason(URLHandle *sender, const QString &)
{
    if (sender != m_handle.get() || m_requests.isEmpty())
        return;
    const Request request = m_requests.takeFirst();
    if (settle(request, *m_handle, false))
        runNext();
}

void DMTransaction::URLHandleResourceDidCancelLoading(URLHandle *sender)
{
    if (sender == m_handle.get())
        finish(State::Aborted);
}

WebDAVListingReader::Listing DMTransaction::readListing(const QByteArray &body) const
{
    return WebDAVListingReader::read(body, QUrl(m_account->baseURL()).path(QUrl::FullyDecoded),
                                     PublishPaths::trimSlashes(m_uri), FTPListingParser::kListingLimit);
}

void DMTransaction::readListingAside(const QByteArray &body)
{
    // libxml2 sets itself up once, on this thread, before any worker parses.
    xmlInitParser();
    m_listingRead = std::make_unique<QFutureWatcher<WebDAVListingReader::Listing>>();
    QFutureWatcher<WebDAVListingReader::Listing> *watcher = m_listingRead.get();
    // The watcher belongs to the transaction, which stays alive until its delegate has heard:
    // nothing arrives once either is gone.
    QObject::connect(watcher, &QFutureWatcherBase::finished, watcher, [this, watcher] {
        if (m_state != State::Running || watcher->isCanceled())
            return;
        if (m_abortRequested) {
            finish(State::Aborted);
            return;
        }
        if (takeListing(watcher->result()))
            runNext();
    });
    watcher->setFuture(
        QtConcurrent::run([body, basePath = QUrl(m_account->baseURL()).path(QUrl::FullyDecoded),
                           listed = PublishPaths::trimSlashes(m_uri)] {
            return WebDAVListingReader::read(body, basePath, listed,
                                             FTPListingParser::kListingLimit);
        }));
}

bool DMTransaction::takeListing(const WebDAVListingReader::Listing &listing)
{
    if (!listing.readable) {
        m_errorType = kUnreadableAnswer;
        m_errorText = QStringLiteral("The server's answer could not be read");
        finish(State::Failed);
        return false;
    }
    m_result = listing.entries;
    m_resultTruncated = listing.truncated;
    return true;
}

int DMTransaction::validate(const DMMemberAccount &account, const std::function<bool()> &cancelled)
{
    auto probe = std::shared_ptr<DMTransaction>(new DMTransaction(
        std::make_shared<DMMemberAccount>(account), nullptr, QStringLiteral("/")));
    probe->m_cancelled = cancelled;
    probe->start({propfind(QString(), 0)}, nullptr, true);
    switch (probe->state()) {
    case State::Succeeded:
        return DMMemberAccount::kValid;
    case State::Aborted:
        return DMMemberAccount::kCancelled;
    default:
        return probe->errorType();
    }
}
