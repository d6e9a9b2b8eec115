#include "io/CURLHandle.h"

#include "io/CurlHeaderExtensions.h"
#include "io/URLProgressIndicator.h"

#include <QLocale>
#include <QtDebug>
#include <chrono>

// A handle's transfers (in the foreground or on its thread, delivering to the window's thread
// through a bounded queue) and their results.

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
            const qint64 limit = deliveryQueueLimit();
            const auto wait = std::chrono::milliseconds(deliveryWaitMilliseconds());
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
