// Convenience setters and transfer-information getters of CURLHandle.
#include "io/CURLHandle.h"

#include "io/CurlHTTPExtensions.h"

namespace {

template<typename T> T info(CURL *curl, CURLINFO what, T fallback)
{
    T value = fallback;
    if (curl_easy_getinfo(curl, what, &value) != CURLE_OK)
        return fallback;
    return value;
}

double offInfo(CURL *curl, CURLINFO what)
{
    return double(info<curl_off_t>(curl, what, 0));
}

} // namespace

void CURLHandle::setOptionResult(CURLcode code)
{
    m_result = code;
}

void CURLHandle::setIfModSince(const QDateTime &date)
{
    if (!date.isValid()) {
        curl_easy_setopt(m_curl, CURLOPT_TIMECONDITION, long(CURL_TIMECOND_NONE));
        return;
    }
    curl_easy_setopt(m_curl, CURLOPT_TIMECONDITION, long(CURL_TIMECOND_IFMODSINCE));
    curl_easy_setopt(m_curl, CURLOPT_TIMEVALUE_LARGE,
                     static_cast<curl_off_t>(date.toSecsSinceEpoch()));
}

void CURLHandle::setRange(const QString &range)
{
    setString(range, CURLOPT_RANGE);
}

void CURLHandle::setNoBody(bool noBody)
{
    curl_easy_setopt(m_curl, CURLOPT_NOBODY, long(noBody));
}

void CURLHandle::setPostQuote(const QList<QByteArray> &commands)
{
    // libcurl keeps the list's address: the old list goes only once the handle has let go of it.
    curl_easy_setopt(m_curl, CURLOPT_POSTQUOTE, static_cast<curl_slist *>(nullptr));
    curl_slist_free_all(m_postQuoteList);
    m_postQuoteList = nullptr;
    for (const QByteArray &command : commands)
        m_postQuoteList = curl_slist_append(m_postQuoteList, command.constData());
    curl_easy_setopt(m_curl, CURLOPT_POSTQUOTE, m_postQuoteList);
}

void CURLHandle::setConnectionTimeout(long seconds)
{
    // Signals stay off whatever the time: the transfers run on threads.
    curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT, seconds);
    m_connectTimeout = seconds;
}

void CURLHandle::setTransferTimeout(long seconds)
{
    curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_curl, CURLOPT_TIMEOUT, seconds);
    m_transferTimeout = seconds;
    m_transferTimeoutChosen = true;
}

void CURLHandle::setMaximumSize(qint64 bytes)
{
    m_maximumSize = std::max<qint64>(0, bytes);
    curl_easy_setopt(m_curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(m_maximumSize));
}

void CURLHandle::setUserAgent(const QString &userAgent)
{
    setString(userAgent, CURLOPT_USERAGENT);
}

void CURLHandle::setReferer(const QString &referer)
{
    setString(referer, CURLOPT_REFERER);
}

void CURLHandle::setFollowsRedirects(bool follows)
{
    setOptionResult(curl_easy_setopt(m_curl, CURLOPT_FOLLOWLOCATION, long(follows)));
}

void CURLHandle::setFailsOnError(bool fails)
{
    setOptionResult(curl_easy_setopt(m_curl, CURLOPT_FAILONERROR, long(fails)));
}

void CURLHandle::setUserName(const QString &user, const QString &password)
{
    if (user.isEmpty())
        return;
    setString(QStringLiteral("%1:%2").arg(user, password), CURLOPT_USERPWD);
}

void CURLHandle::setCookieFile(const QString &path)
{
    if (path.isEmpty())
        return;
    setString(path, CURLOPT_COOKIEFILE);
}

void CURLHandle::setRequestCookies(const QVariantMap &cookies)
{
    if (cookies.isEmpty())
        return;
    QString text;
    for (auto it = cookies.cbegin(); it != cookies.cend(); ++it) {
        const QVariant &entry = it.value();
        const QString value = entry.typeId() == QMetaType::QVariantMap
            ? entry.toMap().value(QStringLiteral("value")).toString()
            : entry.toString();
        text += it.key() + u'=' + value + QStringLiteral("; ");
    }
    setString(text, CURLOPT_COOKIE);
}

void CURLHandle::setPostString(const QString &body)
{
    setString(body, CURLOPT_POSTFIELDS);
}

void CURLHandle::setPostDictionary(const QVariantMap &dictionary)
{
    setPostString(CurlHTTPExtensions::formatForHTTP(dictionary));
}

void CURLHandle::setPostDictionary(const QVariantMap &dictionary,
                                   QStringConverter::Encoding encoding)
{
    setPostString(CurlHTTPExtensions::formatForHTTPUsingEncoding(dictionary, encoding));
}

void CURLHandle::setLowSpeedTime(long seconds)
{
    curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_TIME, seconds);
    m_lowSpeedTime = seconds;
}

void CURLHandle::setLowSpeedLimit(long bytesPerSecond)
{
    curl_easy_setopt(m_curl, CURLOPT_LOW_SPEED_LIMIT, bytesPerSecond);
}

void CURLHandle::setVerbose(bool verbose)
{
    curl_easy_setopt(m_curl, CURLOPT_VERBOSE, long(verbose));
}

void CURLHandle::setMultipartPostDictionary(const QVariantMap &dictionary)
{
    setMultipartPostDictionary(dictionary, {});
}

void CURLHandle::setMultipartPostDictionary(const QVariantMap &dictionary,
                                            const QMap<QString, QString> &headers)
{
    curl_mime *mime = curl_mime_init(m_curl);
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it) {
        curl_mimepart *part = curl_mime_addpart(mime);
        curl_mime_name(part, it.key().toUtf8().constData());
        const QVariant &value = it.value();
        QByteArray contents;
        if (value.typeId() == QMetaType::QByteArray)
            contents = value.toByteArray();
        else if (value.typeId() == QMetaType::Bool)
            contents = value.toBool() ? "1" : "0";
        else if (value.typeId() == QMetaType::QString || value.canConvert<double>())
            contents = value.toString().toUtf8();
        curl_mime_data(part, contents.constData(), size_t(contents.size()));
        const auto header = headers.constFind(it.key());
        if (header != headers.constEnd()) {
            curl_slist *list = curl_slist_append(nullptr, header.value().toUtf8().constData());
            curl_mime_headers(part, list, 1);
        }
    }
    setOptionResult(curl_easy_setopt(m_curl, CURLOPT_MIMEPOST, mime));
    curl_mime_free(m_mime);
    m_mime = mime;
}

void CURLHandle::setAcceptEncoding(const QString &encodings)
{
    if (encodings.isNull())
        removeOption(CURLOPT_ACCEPT_ENCODING);
    else
        setString(encodings, CURLOPT_ACCEPT_ENCODING);
}

void CURLHandle::setAcceptCompression(bool accept)
{
    setAcceptEncoding(accept ? QStringLiteral("") : QString());
}

QString CURLHandle::effectiveURL() const
{
    const char *text = info<char *>(m_curl, CURLINFO_EFFECTIVE_URL, nullptr);
    return text ? QString::fromUtf8(text) : QString();
}

long CURLHandle::httpCode() const
{
    return info<long>(m_curl, CURLINFO_RESPONSE_CODE, 0);
}

long CURLHandle::fileTime() const
{
    return long(info<curl_off_t>(m_curl, CURLINFO_FILETIME_T, -1));
}

double CURLHandle::totalTime() const
{
    return info<double>(m_curl, CURLINFO_TOTAL_TIME, 0);
}

double CURLHandle::nameLookupTime() const
{
    return info<double>(m_curl, CURLINFO_NAMELOOKUP_TIME, 0);
}

double CURLHandle::connectTime() const
{
    return info<double>(m_curl, CURLINFO_CONNECT_TIME, 0);
}

double CURLHandle::pretransferTime() const
{
    return info<double>(m_curl, CURLINFO_PRETRANSFER_TIME, 0);
}

double CURLHandle::uploadSize() const
{
    return offInfo(m_curl, CURLINFO_SIZE_UPLOAD_T);
}

double CURLHandle::downloadSize() const
{
    return offInfo(m_curl, CURLINFO_SIZE_DOWNLOAD_T);
}

double CURLHandle::downloadSpeed() const
{
    return offInfo(m_curl, CURLINFO_SPEED_DOWNLOAD_T);
}

double CURLHandle::uploadSpeed() const
{
    return offInfo(m_curl, CURLINFO_SPEED_UPLOAD_T);
}

long CURLHandle::headerSize() const
{
    return info<long>(m_curl, CURLINFO_HEADER_SIZE, 0);
}

long CURLHandle::requestSize() const
{
    return info<long>(m_curl, CURLINFO_REQUEST_SIZE, 0);
}

double CURLHandle::downloadContentLength() const
{
    return double(info<curl_off_t>(m_curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, -1));
}

double CURLHandle::uploadContentLength() const
{
    return double(info<curl_off_t>(m_curl, CURLINFO_CONTENT_LENGTH_UPLOAD_T, -1));
}
