#include "io/CURLHandle.h"

#include "VLXVersion.h"
#include "io/CURLHandleNotifier.h"
#include "io/EasyHandleCloser.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QtDebug>
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

// --- Delivery limits, read by the transfers -----------------------------------------------------

qint64 CURLHandle::deliveryQueueLimit()
{
    return state().maxQueuedBytes;
}

int CURLHandle::deliveryWaitMilliseconds()
{
    return state().deliveryWaitMilliseconds;
}
