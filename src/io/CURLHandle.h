#pragma once

#include "io/URLHandle.h"

#include <QDateTime>
#include <QMap>
#include <QStringConverter>
#include <QStringList>
#include <QThread>
#include <QVariantMap>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <curl/curl.h>
#include <mutex>
#include <thread>

class URLProgressIndicator;

// The one client for HTTP, HTTPS, FTP and FTPS transfers: a URL handle driving one libcurl easy
// handle. Foreground loads run on the calling thread; background loads run the whole transfer on
// a thread of their own and deliver headers, body bytes and the outcome to the creating thread
// as queued calls, so they also arrive while a modal dialog runs its own event loop.
//
// Delivery is lossless: bytes the creating thread has not taken yet are queued. When the queue
// outgrows its limit the transfer waits for the creating thread; when that does not catch up in
// time the load fails with an error instead of reporting truncated data as a success.
//
// The application calls curlHelloSignature() once at start and curlGoodbye() once at quit; no
// transfer thread survives curlGoodbye() or the application's aboutToQuit.
class CURLHandle : public URLHandle
{
    Q_OBJECT
public:
    // Ids of the messages a transfer thread sends to the creating thread.
    enum Message {
        kMessageFinished = 0,
        kMessageBody = 0xB0D,
        kMessageHeader = 0xEAD,
        kMessageFailed = 0xBAD,
    };

    // Property key for the whole header text, and for the response cookies.
    static const QString kHeaderKey;
    static const QString kCookiesKey;

    // --- Class level ---------------------------------------------------------------------------
    // Global set-up: libcurl's global initialisation, the handle cache, registration as a URL
    // handle class. The signature is the user-agent text every new handle sends.
    static void curlHelloSignature(const QString &signature, bool acceptAll);
    // Global tear-down: stops every transfer thread, drops the cache, libcurl's global clean-up.
    static void curlGoodbye();
    // "Vellumcast Mac v<version> (<build>)" from the build-time version constants.
    static QString defaultSignature();
    // The text given to curlHelloSignature, else defaultSignature().
    static QString signature();
    static void curlAcceptURL(const QUrl &url);
    static bool canInitWithURL(const QUrl &url);
    static std::shared_ptr<CURLHandle> cachedHandleForURL(const QUrl &url);
    static void curlFlushEntireCache();
    static int cachedHandleCount();
    // "user:password" for the proxies taken from the environment.
    static void setProxyUserIDAndPassword(const QString &userAndPassword);
    // Class-wide switch for the system's proxy settings; see also setUsesProxy() per handle.
    static void setAllowsProxy(bool allowsProxy);
    static bool allowsProxy();
    static QString curlVersion();
    // Aborts every running background transfer and waits for its thread to end.
    static void stopAllTransfers();
    // Bytes a background transfer may have in flight to the creating thread before it waits, and
    // how long it waits for them to be taken before the load fails.
    static void setDeliveryLimits(qint64 maxQueuedBytes, int waitMilliseconds);
    // Limits every new handle starts with: seconds to connect (TLS handshake included), seconds
    // for the whole transfer (0: none; uploads of a file never have one, a big enclosure may
    // take long) and the most body bytes a transfer may receive (0: no limit). A load that runs
    // into one fails with a reason that says which (curlError).
    static constexpr long kDefaultConnectTimeout = 15;
    static constexpr long kDefaultTransferTimeout = 120;
    static constexpr qint64 kDefaultMaximumSize = qint64(256) * 1024 * 1024;
    static void setDefaultTimeouts(long connectSeconds, long transferSeconds);
    static void setDefaultMaximumSize(qint64 bytes);

    // --- Per handle ----------------------------------------------------------------------------
    // A new handle for the URL (entered in the cache when cached); null when libcurl gives no
    // easy handle or refuses one of the options every handle needs.
    static std::shared_ptr<CURLHandle> create(const QUrl &url, bool cached = false);
    ~CURLHandle() override;

    // The easy handle, for callers that set libcurl options directly.
    CURL *curl() const { return m_curl; }
    void setURL(const QUrl &url);

    // Options applied at every transfer, keyed by libcurl option number. A string goes to a text
    // option, a number to a numeric one; anything else is logged and skipped at transfer time.
    void setString(const QString &value, CURLoption option);
    void setStringOrNumberObject(const QVariant &value, CURLoption option);
    void removeOption(CURLoption option);
    QVariant optionValue(CURLoption option) const { return m_stringOptions.value(option); }
    bool hasOption(CURLoption option) const { return m_stringOptions.contains(option); }

    // Adds request headers (name to value).
    void setHTTPHeaders(const QMap<QString, QString> &headers);
    QMap<QString, QString> httpHeaders() const { return m_httpHeaders; }

    // Prepares an upload of the file; false (and a log line) when it cannot be opened.
    bool setPutFile(const QString &path);
    // Continues the upload from this byte of the file (for resuming: pair it with an append).
    void setPutFileOffset(qint64 offset);

    std::optional<QByteArray> loadInForeground() override;
    void beginLoadInBackground() override;
    void cancelLoadInBackground() override;
    void endLoadInBackground() override { }
    bool isTransferRunning() const;
    // Stops the running transfer as a failure: the clients hear "failed" with libcurl's abort
    // reason, where a cancel ends with "cancelled" alone. Takes effect within a second even
    // while the server sends or takes nothing.
    void abortTransfer() { m_failRequested = true; }
    // Told on the transferring thread, at least once a second, how many body bytes arrived of
    // how many are expected (0 while not known); answering false stops the transfer as
    // abortTransfer() does. A foreground load on a worker thread counts and cancels through it.
    using TransferProgress = std::function<bool(qint64 received, qint64 expected)>;
    void setTransferProgress(TransferProgress progress)
    {
        m_transferProgress = std::move(progress);
    }

    // Whether this handle goes through the system's proxy settings (on by default). A handle
    // uses a proxy only when both this and the class-wide switch allow it, so one caller can
    // go direct without changing the transfers of the rest of the program.
    void setUsesProxy(bool usesProxy) { m_usesProxy = usesProxy; }
    bool usesProxy() const { return m_usesProxy; }

    // libcurl's last result code (0 success).
    int result() const { return m_result.load(); }
    // The reason the last transfer failed.
    QString curlError() const;
    // Every header byte of the last transfer as text, redirect responses included.
    QString headerString();
    // The header text of the final response only (after redirects, 100-continue, proxy CONNECT).
    QString lastResponseHeaderString();
    // Values of every Set-Cookie header received, in order (redirect responses included: the
    // server did set those cookies).
    QStringList getResponseCookies();
    QVariant propertyForKey(const QString &key) override;

    // libcurl callbacks; userdata is the handle.
    static size_t curlBodyFunction(char *ptr, size_t size, size_t nmemb, void *userdata);
    static size_t curlHeaderFunction(char *ptr, size_t size, size_t nmemb, void *userdata);
    size_t curlWritePtr(const char *ptr, size_t size, size_t nmemb, int message);

    // --- Convenience setters (table: stored and applied at the next transfer; others direct) ----
    void setProgressIndicator(URLProgressIndicator *indicator) { m_progressIndicator = indicator; }
    void setIfModSince(const QDateTime &date);
    void setRange(const QString &range);
    void setNoBody(bool noBody);
    void setConnectionTimeout(long seconds);
    void setTransferTimeout(long seconds);
    // The most body bytes this handle accepts: announced lengths are refused before the body
    // comes, bodies of unknown length are counted as they arrive. 0 lifts the limit.
    void setMaximumSize(qint64 bytes);
    void setUserAgent(const QString &userAgent);
    void setReferer(const QString &referer);
    void setFollowsRedirects(bool follows);
    void setFailsOnError(bool fails);
    // Nothing is set when the user name is empty.
    void setUserName(const QString &user, const QString &password);
    void setCookieFile(const QString &path);
    void setRequestCookies(const QVariantMap &cookies);
    void setPostString(const QString &body);
    void setPostDictionary(const QVariantMap &dictionary);
    void setPostDictionary(const QVariantMap &dictionary, QStringConverter::Encoding encoding);
    void setLowSpeedTime(long seconds);
    void setLowSpeedLimit(long bytesPerSecond);
    void setVerbose(bool verbose);
    void setMultipartPostDictionary(const QVariantMap &dictionary);
    void setMultipartPostDictionary(const QVariantMap &dictionary,
                                    const QMap<QString, QString> &headers);
    // A null string removes the option.
    void setAcceptEncoding(const QString &encodings);
    void setAcceptCompression(bool accept);
    // FTP commands sent after a transfer that went well, on its connection and in its folder
    // (libcurl's POSTQUOTE); a refused one fails the transfer. An empty list sends none.
    void setPostQuote(const QList<QByteArray> &commands);

    // --- Transfer information of the last transfer ----------------------------------------------
    QString effectiveURL() const;
    long httpCode() const;
    long fileTime() const;
    double totalTime() const;
    double nameLookupTime() const;
    double connectTime() const;
    double pretransferTime() const;
    double uploadSize() const;
    double downloadSize() const;
    double downloadSpeed() const;
    double uploadSpeed() const;
    long headerSize() const;
    long requestSize() const;
    double downloadContentLength() const;
    double uploadContentLength() const;

private:
    CURLHandle(const QUrl &url, bool cached);
    bool initCurl();
    // Applies options, proxies, headers and the URL; false (result code kept) when refused.
    bool prepareCurl();
    bool applyOption(int option, const QVariant &value);
    void applyProxy();
    // The limits setDeliveryLimits() set for the queue a background transfer delivers through.
    static qint64 deliveryQueueLimit();
    static int deliveryWaitMilliseconds();
    // Runs the prepared transfer on the calling thread; true on success.
    bool performCurl();
    void finishCurl();
    void curlThreadBackgroundLoad(quint64 generation, bool prepared);
    void postMessage(quint64 generation, int message, const QByteArray &bytes = QByteArray());
    void handleMessage(quint64 generation, int message, const QByteArray &bytes);
    void abortAndJoin();
    void joinThread();
    void setOptionResult(CURLcode code);
    QString timeoutReason() const;
    static int curlProgressFunction(void *clientp, curl_off_t dltotal, curl_off_t dlnow,
                                    curl_off_t ultotal, curl_off_t ulnow);

    struct ProxyEntry
    {
        QString host;
        long port = 0;
    };

    QThread *m_mainThread = nullptr;
    CURL *m_curl = nullptr;
    char m_errorBuffer[CURL_ERROR_SIZE];
    std::atomic<int> m_result {CURLE_OK};
    QByteArray m_headerBuffer;
    QString m_headerString;
    bool m_headerStringMade = false;
    QMap<int, QVariant> m_stringOptions;
    bool m_proxiesRead = false;
    QMap<QString, ProxyEntry> m_proxies;
    QString m_noProxy;
    QMap<QString, QString> m_httpHeaders;
    URLProgressIndicator *m_progressIndicator = nullptr;
    TransferProgress m_transferProgress;
    std::atomic<bool> m_abortBackground {false};
    std::atomic<bool> m_failRequested {false};
    bool m_usesProxy = true;
    std::FILE *m_putFile = nullptr;
    qint64 m_putFileSize = 0;
    bool m_runningInForeground = false;
    long m_connectTimeout = 0;
    long m_transferTimeout = 0;
    bool m_transferTimeoutChosen = false;
    long m_lowSpeedTime = 0;
    qint64 m_maximumSize = 0;
    // Written by the transfer thread, read once the transfer has ended.
    qint64 m_receivedBytes = 0;
    std::atomic<bool> m_tooLarge {false};

    curl_slist *m_headerList = nullptr;
    curl_mime *m_mime = nullptr;
    curl_slist *m_postQuoteList = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_threadRunning {false};
    // Messages of an earlier (cancelled) load carry an older generation and are ignored.
    std::atomic<quint64> m_generation {0};
    std::mutex m_queueMutex;
    std::condition_variable m_queueCondition;
    qint64 m_queuedBytes = 0;
    QString m_deliveryError;
};
