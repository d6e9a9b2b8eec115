#include "io/CURLHandle.h"

#include "VLXVersion.h"
#include "io/CURLHandleNotifier.h"
#include "io/CurlHeaderExtensions.h"
#include "io/EasyHandleCloser.h"
#include "io/URLProgressIndicator.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QtDebug>
#include <chrono>
#include <curl/options.h>
#include <set>

const QString CURLHandle::kHeaderKey = QStringLiteral("HEADER");
const QString CURLHandle::kCookiesKey = QStringLiteral("COOKIES");

namespace {

const QString kHandleClassName = QStringLiteral("CURLHandle");
// Every handle speaks these and nothing else, redirects included.
const char *const kAllowedProtocols = "http,https,ftp,ftps";

struct ClassState
{
    QMutex mutex;
    bool acceptAll = false;
    bool globalInitDone = false;
    bool quitHooked = false;
    QString signature;
    QSet<QString> acceptedURLs;
    QHash<QString, std::shared_ptr<CURLHandle>> cache;
    QString proxyUserPassword;
    std::set<CURLHandle *> liveHandles;
    std::atomic<bool> allowsProxy {true};
    std::atomic<qint64> maxQueuedBytes {qint64(64) * 1024 * 1024};
    std::atomic<int> deliveryWaitMilliseconds {60000};
    std::atomic<long> connectTimeout {CURLHandle::kDefaultConnectTimeout};
    std::atomic<long> transferTimeout {CURLHandle::kDefaultTransferTimeout};
    std::atomic<qint64> maximumSize {CURLHandle::kDefaultMaximumSize};
};

ClassState &state()
{
    static ClassState instance;
    return instance;
}

QString urlKey(const QUrl &url)
{
    return url.toString(QUrl::FullyEncoded);
}

bool isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool isText(const QVariant &value)
{
    return value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray;
}

QByteArray textBytes(const QVariant &value)
{
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray()
                                                   : value.toString().toUtf8();
}

} // namespace

// --- Class level ------------------------------------------------------------------------------

void CURLHandle::curlHelloSignature(const QString &signature, bool acceptAll)
{
    ClassState &s = state();
    // Handles of an earlier set-up are released outside the lock: their destructors take it.
    QHash<QString, std::shared_ptr<CURLHandle>> dropped;
    {
        QMutexLocker lock(&s.mutex);
        s.acceptAll = acceptAll;
        s.signature = signature;
        dropped.swap(s.cache);
        s.acceptedURLs.clear();
        if (!s.globalInitDone) {
            const CURLcode code = curl_global_init(CURL_GLOBAL_ALL);
            if (code != CURLE_OK)
                qWarning("Didn't curl_global_init, result = %d", int(code));
            else
                s.globalInitDone = true;
        }
        // Whatever else happens at quit, no transfer thread may run on into the teardown.
        if (!s.quitHooked && QCoreApplication::instance()) {
            s.quitHooked = true;
            QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                             QCoreApplication::instance(), [] { stopAllTransfers(); });
        }
    }
    dropped.clear();
    emit CURLHandleNotifier::instance()->cacheCreated();
    emit CURLHandleNotifier::instance()->notificationPosted(
        CURLHandleNotifier::kCacheCreateNotification);
    URLHandle::registerURLHandleClass(
        {kHandleClassName, &CURLHandle::canInitWithURL, [](const QUrl &url) {
             return std::static_pointer_cast<URLHandle>(cachedHandleForURL(url));
         }});
}

void CURLHandle::curlGoodbye()
{
    stopAllTransfers();
    URLHandle::unregisterURLHandleClass(kHandleClassName);
    ClassState &s = state();
    QHash<QString, std::shared_ptr<CURLHandle>> dropped;
    {
        QMutexLocker lock(&s.mutex);
        dropped.swap(s.cache);
        s.acceptedURLs.clear();
    }
    emit CURLHandleNotifier::instance()->cacheDeleted();
    emit CURLHandleNotifier::instance()->notificationPosted(
        CURLHandleNotifier::kCacheDeleteNotification);
    // The cached handles, and every connection still saying goodbye, go before libcurl does.
    dropped.clear();
    EasyHandleCloser::closeAll();
    QMutexLocker lock(&s.mutex);
    if (s.globalInitDone) {
        curl_global_cleanup();
        s.globalInitDone = false;
    }
}

QString CURLHandle::defaultSignature()
{
    return QStringLiteral("Vellumcast Mac v%1 (%2)")
        .arg(QString::fromUtf8(VLXVersion::kVersionString),
             QString::fromUtf8(VLXVersion::kBuildString));
}

QString CURLHandle::signature()
{
    ClassState &s = state();
    QMutexLocker lock(&s.mutex);
    return s.signature.isEmpty() ? defaultSignature() : s.signature;
}

void CURLHandle::curlAcceptURL(const QUrl &url)
{
    ClassState &s = state();
    QMutexLocker lock(&s.mutex);
    s.acceptedURLs.insert(urlKey(url));
}

bool CURLHandle::canInitWithURL(const QUrl &url)
{
    ClassState &s = state();
    QMutexLocker lock(&s.mutex);
    const QString scheme = url.scheme().toLower();
    if (s.acceptAll
        && (scheme == u"http" || scheme == u"https" || scheme == u"ftp" || scheme == u"ftps"))
        return true;
    return s.acceptedURLs.contains(urlKey(url));
}

std::shared_ptr<CURLHandle> CURLHandle::cachedHandleForURL(const QUrl &url)
{
    {
        ClassState &s = state();
        QMutexLocker lock(&s.mutex);
        const auto it = s.cache.constFind(urlKey(url));
        if (it != s.cache.constEnd())
            return it.value();
    }
    return create(url, true);
}

void CURLHandle::curlFlushEntireCache()
{
    ClassState &s = state();
    QHash<QString, std::shared_ptr<CURLHandle>> dropped;
    {
        QMutexLocker lock(&s.mutex);
        dropped.swap(s.cache);
    }
    dropped.clear();
    emit CURLHandleNotifier::instance()->cacheChanged();
    emit CURLHandleNotifier::instance()->notificationPosted(
        CURLHandleNotifier::kCacheChangeNotification);
}

int CURLHandle::cachedHandleCount()
{
    ClassState &s = state();
    QMutexLocker lock(&s.mutex);
    return int(s.cache.size());
}

void CURLHandle::setProxyUserIDAndPassword(const QString &userAndPassword)
{
    ClassState &s = state();
    QMutexLocker lock(&s.mutex);
    s.proxyUserPassword = userAndPassword;
}

void CURLHandle::setAllowsProxy(bool allowsProxy)
{
    state().allowsProxy = allowsProxy;
}

bool CURLHandle::allowsProxy()
{
    return state().allowsProxy;
}

QString CURLHandle::curlVersion()
{
    return QString::fromUtf8(curl_version());
}

void CURLHandle::stopAllTransfers()
{
    ClassState &s = state();
    std::set<CURLHandle *> handles;
    {
        QMutexLocker lock(&s.mutex);
        handles = s.liveHandles;
    }
    for (CURLHandle *handle : handles)
        handle->abortAndJoin();
}

void CURLHandle::setDeliveryLimits(qint64 maxQueuedBytes, int waitMilliseconds)
{
    state().maxQueuedBytes = maxQueuedBytes;
    state().deliveryWaitMilliseconds = waitMilliseconds;
}

void CURLHandle::setDefaultTimeouts(long connectSeconds, long transferSeconds)
{
    state().connectTimeout = std::max(0L, connectSeconds);
    state().transferTimeout = std::max(0L, transferSeconds);
}

void CURLHandle::setDefaultMaximumSize(qint64 bytes)
{
    state().maximumSize = std::max<qint64>(0, bytes);
}

// --- Creation and destruction -----------------------------------------------------------------

CURLHandle::CURLHandle(const QUrl &url, bool cached)
    : URLHandle(url, cached), m_mainThread(QThread::currentThread())
{
    m_errorBuffer[0] = '\0';
    ClassState &s = state();
    QMutexLocker lock(&s.mutex);
    s.liveHandles.insert(this);
}

CURLHandle::~CURLHandle()
{
    abortAndJoin();
    {
        ClassState &s = state();
        QMutexLocker lock(&s.mutex);
        s.liveHandles.erase(this);
    }
    if (m_putFile)
        std::fclose(m_putFile);
    // Ending the easy handle may wait for a server's goodbye: that happens on a thread of the
    // closer's, never on this one (often the window's).
    EasyHandleCloser::close(m_curl);
    curl_mime_free(m_mime);
    curl_slist_free_all(m_headerList);
    curl_slist_free_all(m_postQuoteList);
}

std::shared_ptr<CURLHandle> CURLHandle::create(const QUrl &url, bool cached)
{
    std::shared_ptr<CURLHandle> handle(new CURLHandle(url, cached));
    if (!handle->initCurl())
        return nullptr;
    if (cached) {
        ClassState &s = state();
        {
            QMutexLocker lock(&s.mutex);
            s.cache.insert(urlKey(url), handle);
        }
        emit CURLHandleNotifier::instance()->cacheChanged();
        emit CURLHandleNotifier::instance()->notificationPosted(
            CURLHandleNotifier::kCacheChangeNotification);
    }
    emit CURLHandleNotifier::instance()->handleCreated(handle.get());
    emit CURLHandleNotifier::instance()->notificationPosted(
        CURLHandleNotifier::kCreatedNotification);
    return handle;
}

bool CURLHandle::initCurl()
{
    m_curl = curl_easy_init();
    if (!m_curl)
        return false;
    CURLcode code = CURLE_OK;
    auto set = [&](CURLoption option, auto value) {
        if (code == CURLE_OK)
            code = curl_easy_setopt(m_curl, option, value);
        return code == CURLE_OK;
    };
    set(CURLOPT_ERRORBUFFER, m_errorBuffer);
    set(CURLOPT_FOLLOWLOCATION, 1L);
    // A redirect loop ends in an error instead of running forever.
    set(CURLOPT_MAXREDIRS, 20L);
    set(CURLOPT_FAILONERROR, 1L);
    set(CURLOPT_WRITEFUNCTION, &CURLHandle::curlBodyFunction);
    set(CURLOPT_HEADERFUNCTION, &CURLHandle::curlHeaderFunction);
    set(CURLOPT_HEADERDATA, static_cast<void *>(this));
    set(CURLOPT_WRITEDATA, static_cast<void *>(this));
    set(CURLOPT_PROTOCOLS_STR, kAllowedProtocols);
    set(CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols);
    // Transfers run on threads: signals must stay out of it.
    set(CURLOPT_NOSIGNAL, 1L);
    // The progress callback lets a cancel stop a transfer that receives nothing.
    set(CURLOPT_NOPROGRESS, 0L);
    set(CURLOPT_XFERINFOFUNCTION, &CURLHandle::curlProgressFunction);
    set(CURLOPT_XFERINFODATA, static_cast<void *>(this));
    // A server that stops sending fails the transfer after a minute instead of hanging it.
    set(CURLOPT_LOW_SPEED_LIMIT, 1L);
    set(CURLOPT_LOW_SPEED_TIME, 60L);
    m_lowSpeedTime = 60;
    // One that keeps sending a trickle, or never completes the connection, is stopped by the
    // time limits; one that sends too much by the size limit.
    m_connectTimeout = state().connectTimeout;
    m_transferTimeout = state().transferTimeout;
    m_maximumSize = state().maximumSize;
    set(CURLOPT_CONNECTTIMEOUT, m_connectTimeout);
    set(CURLOPT_TIMEOUT, m_transferTimeout);
    set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(m_maximumSize));
    if (code != CURLE_OK) {
        m_result = code;
        return false;
    }
    m_stringOptions.insert(CURLOPT_USERAGENT, signature());
    return true;
}

void CURLHandle::setURL(const QUrl &url)
{
    setHandleURL(url);
}

// --- Option table -----------------------------------------------------------------------------

void CURLHandle::setString(const QString &value, CURLoption option)
{
    m_stringOptions.insert(option, value);
}

void CURLHandle::setStringOrNumberObject(const QVariant &value, CURLoption option)
{
    m_stringOptions.insert(option, value);
}

void CURLHandle::removeOption(CURLoption option)
{
    if (m_stringOptions.remove(option) == 0)
        return;
    // The easy handle keeps an option once set: a removed text option goes back to its default.
    const curl_easyoption *info = curl_easy_option_by_id(option);
    if (info && info->type == CURLOT_STRING)
        curl_easy_setopt(m_curl, option, static_cast<char *>(nullptr));
}

void CURLHandle::setHTTPHeaders(const QMap<QString, QString> &headers)
{
    for (auto it = headers.cbegin(); it != headers.cend(); ++it)
        m_httpHeaders.insert(it.key(), it.value());
}

bool CURLHandle::setPutFile(const QString &path)
{
    if (m_putFile) {
        std::fclose(m_putFile);
        m_putFile = nullptr;
    }
    m_putFile = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!m_putFile) {
        qWarning("CURLHandle: setPutFile couldn't find file at %s", qPrintable(path));
        return false;
    }
    std::fseek(m_putFile, 0, SEEK_END);
    m_putFileSize = ftello(m_putFile);
    std::rewind(m_putFile);
    // An upload takes as long as the file needs; a stalled one still ends by the low-speed limit.
    if (!m_transferTimeoutChosen) {
        m_transferTimeout = 0;
        curl_easy_setopt(m_curl, CURLOPT_TIMEOUT, 0L);
    }
    curl_easy_setopt(m_curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(m_curl, CURLOPT_READDATA, static_cast<void *>(m_putFile));
    curl_easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(m_putFileSize));
    return true;
}

void CURLHandle::setPutFileOffset(qint64 offset)
{
    if (!m_putFile)
        return;
    offset = std::clamp<qint64>(offset, 0, m_putFileSize);
    fseeko(m_putFile, offset, SEEK_SET);
    // Only the rest of the file goes out; announcing the whole length would make libcurl (and
    // the server) wait for bytes that never come.
    curl_easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE,
                     static_cast<curl_off_t>(m_putFileSize - offset));
}

// --- Transfers --------------------------------------------------------------------------------

bool CURLHandle::applyOption(int option, const QVariant &value)
{
    const auto curlOption = static_cast<CURLoption>(option);
    const curl_easyoption *info = curl_easy_option_by_id(curlOption);
    CURLcode code = CURLE_OK;
    if (!info) {
        code = CURLE_UNKNOWN_OPTION;
    } else if ((curlOption == CURLOPT_POSTFIELDS || curlOption == CURLOPT_COPYPOSTFIELDS)
               && isText(value)) {
        // libcurl keeps no copy of plain post fields; the copying option outlives our buffer.
        const QByteArray bytes = textBytes(value);
        code = curl_easy_setopt(m_curl, CURLOPT_POSTFIELDSIZE_LARGE,
                                static_cast<curl_off_t>(bytes.size()));
        if (code == CURLE_OK)
            code = curl_easy_setopt(m_curl, CURLOPT_COPYPOSTFIELDS, bytes.constData());
    } else if (info->type == CURLOT_STRING && isText(value)) {
        const QByteArray bytes = textBytes(value);
        code = curl_easy_setopt(m_curl, curlOption, bytes.constData());
    } else if ((info->type == CURLOT_LONG || info->type == CURLOT_VALUES)
               && (isNumber(value) || isText(value))) {
        code = curl_easy_setopt(m_curl, curlOption, static_cast<long>(value.toLongLong()));
    } else if (info->type == CURLOT_OFF_T && (isNumber(value) || isText(value))) {
        code = curl_easy_setopt(m_curl, curlOption, static_cast<curl_off_t>(value.toLongLong()));
    } else {
        qWarning("Ignoring CURL option of type %s for key %d", value.typeName(), option);
        return true;
    }
    if (code != CURLE_OK) {
        m_result = code;
        return false;
    }
    return true;
}

void CURLHandle::applyProxy()
{
    if (!allowsProxy() || !m_usesProxy) {
        // An empty proxy also stops libcurl from reading the environment by itself.
        curl_easy_setopt(m_curl, CURLOPT_PROXY, "");
        return;
    }
    if (!m_proxiesRead) {
        m_proxiesRead = true;
        auto variable = [](const QString &name) {
            QString value = qEnvironmentVariable(name.toLatin1().constData());
            if (value.isEmpty())
                value = qEnvironmentVariable(name.toUpper().toLatin1().constData());
            return value.trimmed();
        };
        for (const QString &scheme :
             {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("ftp")}) {
            const QString value = variable(scheme + QStringLiteral("_proxy"));
            if (value.isEmpty())
                continue;
            QUrl proxy(value.contains(QStringLiteral("://")) ? value
                                                             : QStringLiteral("http://") + value);
            if (!proxy.isValid() || proxy.host().isEmpty())
                continue;
            ProxyEntry entry;
            const QString host
                = proxy.host().contains(u':') ? u'[' + proxy.host() + u']' : proxy.host();
            entry.host = proxy.scheme() + QStringLiteral("://") + host;
            // libcurl's own default when a proxy names no port.
            entry.port = proxy.port(1080);
            m_proxies.insert(scheme, entry);
        }
        m_noProxy = variable(QStringLiteral("no_proxy"));
    }
    const auto it = m_proxies.constFind(url().scheme().toLower());
    if (it == m_proxies.constEnd() || it->host.isEmpty() || it->port <= 0) {
        if (!m_stringOptions.contains(CURLOPT_PROXY))
            curl_easy_setopt(m_curl, CURLOPT_PROXY, "");
        return;
    }
    curl_easy_setopt(m_curl, CURLOPT_PROXY, it->host.toUtf8().constData());
    curl_easy_setopt(m_curl, CURLOPT_PROXYPORT, it->port);
    curl_easy_setopt(m_curl, CURLOPT_NOPROXY, m_noProxy.toUtf8().constData());
    QString userAndPassword;
    {
        ClassState &s = state();
        QMutexLocker lock(&s.mutex);
        userAndPassword = s.proxyUserPassword;
    }
    if (!userAndPassword.isEmpty())
        curl_easy_setopt(m_curl, CURLOPT_PROXYUSERPWD, userAndPassword.toUtf8().constData());
}

bool CURLHandle::prepareCurl()
{
    m_result = CURLE_OK;
    m_errorBuffer[0] = '\0';
    m_deliveryError.clear();
    m_receivedBytes = 0;
    m_tooLarge = false;
    m_headerBuffer.clear();
    m_headerString.clear();
    m_headerStringMade = false;

    for (auto it = m_stringOptions.cbegin(); it != m_stringOptions.cend(); ++it) {
        if (!applyOption(it.key(), it.value()))
            return false;
    }
    // Limits set through the table are the ones the failure reasons must name.
    const auto fromTable = [this](CURLoption option, auto *field) {
        const auto it = m_stringOptions.constFind(option);
        if (it != m_stringOptions.cend())
            *field = static_cast<std::remove_pointer_t<decltype(field)>>(it->toLongLong());
    };
    fromTable(CURLOPT_CONNECTTIMEOUT, &m_connectTimeout);
    fromTable(CURLOPT_TIMEOUT, &m_transferTimeout);
    fromTable(CURLOPT_LOW_SPEED_TIME, &m_lowSpeedTime);
    fromTable(CURLOPT_MAXFILESIZE_LARGE, &m_maximumSize);
    applyProxy();

    curl_slist_free_all(m_headerList);
    m_headerList = nullptr;
    for (auto it = m_httpHeaders.cbegin(); it != m_httpHeaders.cend(); ++it) {
        const QByteArray line = QStringLiteral("%1: %2").arg(it.key(), it.value()).toUtf8();
        m_headerList = curl_slist_append(m_headerList, line.constData());
    }
    curl_easy_setopt(m_curl, CURLOPT_HTTPHEADER, m_headerList);

    const CURLcode code = curl_easy_setopt(m_curl, CURLOPT_URL, url().toEncoded().constData());
    if (code != CURLE_OK) {
        m_result = code;
        return false;
    }
    return true;
}

bool CURLHandle::performCurl()
{
    const CURLcode code = curl_easy_perform(m_curl);
    m_result = code;
    finishCurl();
    return code == CURLE_OK;
}

void CURLHandle::finishCurl()
{
    if (m_putFile) {
        std::fclose(m_putFile);
        m_putFile = nullptr;
        // The upload was for this transfer only; a later one must not read a closed file.
        curl_easy_setopt(m_curl, CURLOPT_UPLOAD, 0L);
        curl_easy_setopt(m_curl, CURLOPT_READDATA, static_cast<void *>(nullptr));
        curl_easy_setopt(m_curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(-1));
    }
    curl_easy_setopt(m_curl, CURLOPT_HTTPHEADER, static_cast<curl_slist *>(nullptr));
    curl_slist_free_all(m_headerList);
    m_headerList = nullptr;
}

std::optional<QByteArray> CURLHandle::loadInForeground()
{
    std::shared_ptr<URLHandle> keepAlive = weak_from_this().lock();
    if (isTransferRunning() && !m_abortBackground) {
        qWarning("CURLHandle: a background load of %s is still running",
                 qPrintable(url().toString(QUrl::RemoveUserInfo)));
        return std::nullopt;
    }
    // A cancelled transfer still winding down ends first: the easy handle is not shared.
    joinThread();
    m_abortBackground = false;
    m_failRequested = false;
    m_runningInForeground = true;
    resetResourceData();
    setStatus(LoadInProgress);

    bool wasIndeterminate = false;
    if (m_progressIndicator) {
        wasIndeterminate = m_progressIndicator->isIndeterminate();
        m_progressIndicator->setIndeterminate(true);
        m_progressIndicator->redraw();
    }
    const bool ok = prepareCurl() && performCurl();
    if (m_progressIndicator)
        m_progressIndicator->setIndeterminate(wasIndeterminate);

    setStatus(ok ? LoadSucceeded : LoadFailed);
    if (!ok)
        return std::nullopt;
    return availableResourceData();
}

void CURLHandle::beginLoadInBackground()
{
    std::shared_ptr<URLHandle> keepAlive = weak_from_this().lock();
    m_runningInForeground = false;
    if (isTransferRunning() && !m_abortBackground)
        return;
    // A cancelled transfer still winding down ends before the next one starts.
    joinThread();
    m_abortBackground = false;
    m_failRequested = false;
    const quint64 generation = ++m_generation;
    {
        std::lock_guard lock(m_queueMutex);
        m_queuedBytes = 0;
    }
    resetResourceData();
    setStatus(LoadInProgress);
    const bool prepared = prepareCurl();
    m_threadRunning = true;
    m_thread = std::thread(
        [this, generation, prepared] { curlThreadBackgroundLoad(generation, prepared); });
}

void CURLHandle::curlThreadBackgroundLoad(quint64 generation, bool prepared)
{
    const bool ok = prepared && performCurl();
    if (!m_abortBackground)
        postMessage(generation, ok ? kMessageFinished : kMessageFailed);
    m_threadRunning = false;
}

void CURLHandle::cancelLoadInBackground()
{
    std::shared_ptr<URLHandle> keepAlive = weak_from_this().lock();
    {
        std::lock_guard lock(m_queueMutex);
        m_abortBackground = true;
    }
    m_queueCondition.notify_all();
    URLHandle::cancelLoadInBackground();
}

bool CURLHandle::isTransferRunning() const
{
    return m_threadRunning;
}

void CURLHandle::abortAndJoin()
{
    {
        std::lock_guard lock(m_queueMutex);
        m_abortBackground = true;
    }
    m_queueCondition.notify_all();
    joinThread();
}

void CURLHandle::joinThread()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void CURLHandle::postMessage(quint64 generation, int message, const QByteArray &bytes)
{
    QMetaObject::invokeMethod(
        this, [this, generation, message, bytes] { handleMessage(generation, message, bytes); },
        Qt::QueuedConnection);
}

void CURLHandle::handleMessage(quint64 generation, int message, const QByteArray &bytes)
{
    std::shared_ptr<URLHandle> keepAlive = weak_from_this().lock();
    if (message == kMessageBody) {
        {
            std::lock_guard lock(m_queueMutex);
            if (generation == m_generation)
                m_queuedBytes -= bytes.size();
        }
        m_queueCondition.notify_all();
    }
    if (m_abortBackground || generation != m_generation)
        return;
    switch (message) {
    case kMessageFinished:
        joinThread();
        didLoadBytes(QByteArray(), true);
        break;
    case kMessageFailed:
        joinThread();
        backgroundLoadDidFailWithReason(curlError());
        break;
    case kMessageBody:
        if (!bytes.isEmpty())
            didLoadBytes(bytes, false);
        break;
    case kMessageHeader:
        m_headerBuffer.append(bytes);
        m_headerStringMade = false;
        break;
    default:
        break;
    }
}

size_t CURLHandle::curlBodyFunction(char *ptr, size_t size, size_t nmemb, void *userdata)
{
    return static_cast<CURLHandle *>(userdata)->curlWritePtr(ptr, size, nmemb, kMessageBody);
}

size_t CURLHandle::curlHeaderFunction(char *ptr, size_t size, size_t nmemb, void *userdata)
{
    return static_cast<CURLHandle *>(userdata)->curlWritePtr(ptr, size, nmemb, kMessageHeader);
}

int CURLHandle::curlProgressFunction(void *clientp, curl_off_t dltotal, curl_off_t dlnow,
                                     curl_off_t, curl_off_t)
{
    auto *handle = static_cast<CURLHandle *>(clientp);
    if (handle->m_transferProgress && !handle->m_transferProgress(dlnow, dltotal))
        handle->m_failRequested = true;
    return handle->m_abortBackground || handle->m_failRequested ? 1 : 0;
}

size_t CURLHandle::curlWritePtr(const char *ptr, size_t size, size_t nmemb, int message)
{
    const size_t count = size * nmemb;
    if (m_abortBackground)
        return 0; // anything but count: libcurl stops with a write error
    if (message == kMessageBody) {
        // Announced lengths were refused by libcurl already; this catches bodies sent without
        // one (chunked, or up to the closing of the connection) and decompressed ones.
        m_receivedBytes += qint64(count);
        if (m_maximumSize > 0 && m_receivedBytes > m_maximumSize) {
            m_tooLarge = true;
            return 0;
        }
    }
    const QByteArray bytes(ptr, qsizetype(count));

    if (!m_runningInForeground) {
        std::unique_lock lock(m_queueMutex);
        if (message == kMessageBody) {
            const qint64 limit = state().maxQueuedBytes;
            const auto wait = std::chrono::milliseconds(state().deliveryWaitMilliseconds.load());
            const bool room = m_queueCondition.wait_for(lock, wait, [&] {
                return m_abortBackground || m_queuedBytes == 0
                    || m_queuedBytes + qint64(count) <= limit;
            });
            if (!room) {
                m_deliveryError
                    = QStringLiteral("The received data could not be delivered within %1 "
                                     "seconds; the transfer was stopped.")
                          .arg(wait.count() / 1000.0);
                return 0;
            }
            if (m_abortBackground)
                return 0;
            m_queuedBytes += qint64(count);
        }
        lock.unlock();
        postMessage(m_generation, message, bytes);
        return count;
    }

    if (m_progressIndicator) {
        m_progressIndicator->advance();
        m_progressIndicator->redraw();
    }
    if (message == kMessageHeader) {
        m_headerBuffer.append(bytes);
        m_headerStringMade = false;
    } else {
        didLoadBytes(bytes, false);
    }
    return count;
}

// --- Results ----------------------------------------------------------------------------------

QString CURLHandle::curlError() const
{
    if (!m_deliveryError.isEmpty())
        return m_deliveryError;
    if (m_tooLarge || m_result == CURLE_FILESIZE_EXCEEDED)
        return QStringLiteral("The response is larger than %1, the most that is accepted.")
            .arg(QLocale::c().formattedDataSize(m_maximumSize, 0,
                                                QLocale::DataSizeTraditionalFormat));
    if (m_result == CURLE_OPERATION_TIMEDOUT)
        return timeoutReason();
    if (m_errorBuffer[0] != '\0')
        return QString::fromLocal8Bit(m_errorBuffer);
    return QStringLiteral("(curl result code # %1)").arg(m_result.load());
}

// libcurl gives one code for its three time limits; what was reached tells them apart.
QString CURLHandle::timeoutReason() const
{
    const auto seconds = [](long n) {
        return n == 1 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(n);
    };
    if (m_transferTimeout > 0 && totalTime() >= double(m_transferTimeout) - 0.1)
        return QStringLiteral("The transfer did not finish within %1.")
            .arg(seconds(m_transferTimeout));
    if (pretransferTime() <= 0.0 && m_connectTimeout > 0)
        return QStringLiteral("No connection to %1 could be made within %2.")
            .arg(url().host(), seconds(m_connectTimeout));
    return QStringLiteral("The server sent nothing for %1.").arg(seconds(m_lowSpeedTime));
}

QString CURLHandle::headerString()
{
    if (!m_headerStringMade) {
        // Header bytes are ASCII; Latin-1 keeps any stray high byte instead of failing.
        m_headerString = QString::fromLatin1(m_headerBuffer);
        m_headerStringMade = true;
    }
    return m_headerString;
}

QString CURLHandle::lastResponseHeaderString()
{
    const QString text = headerString();
    qsizetype last = 0;
    for (qsizetype at = text.indexOf(QStringLiteral("HTTP/"), 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(QStringLiteral("HTTP/"), at + 1, Qt::CaseInsensitive)) {
        if (at == 0 || text.at(at - 1) == u'\n' || text.at(at - 1) == u'\r')
            last = at;
    }
    return text.mid(last);
}

QStringList CURLHandle::getResponseCookies()
{
    return CurlHeaderExtensions::headersMatchingKey(headerString(), QStringLiteral("set-cookie"));
}

QVariant CURLHandle::propertyForKey(const QString &key)
{
    if (key == kHTTPPropertyStatusCodeKey)
        return QVariant::fromValue(qlonglong(httpCode()));
    if (key == kHTTPPropertyStatusReasonKey)
        return CurlHeaderExtensions::headerStatus(lastResponseHeaderString());
    if (key == kHTTPPropertyServerHTTPVersionKey) {
        const QString version = CurlHeaderExtensions::headerHTTPVersion(lastResponseHeaderString());
        return version.isNull() ? QVariant() : QVariant(version);
    }
    if (key == kHTTPPropertyRedirectionHeadersKey) {
        const QString location = CurlHeaderExtensions::headerMatchingKey(
            lastResponseHeaderString(), QStringLiteral("location"));
        return location.isNull() ? QVariant() : QVariant(location);
    }
    if (key.startsWith(kHTTPPropertyPrefix))
        return QVariant();
    if (key == kHeaderKey)
        return headerString();
    if (key == kCookiesKey)
        return getResponseCookies();
    const QString value
        = CurlHeaderExtensions::headerMatchingKey(lastResponseHeaderString(), key.toLower());
    return value.isNull() ? QVariant() : QVariant(value);
}
