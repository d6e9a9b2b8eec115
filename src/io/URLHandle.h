#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class URLHandleClient;

// Base of every URL handle: the loaded bytes, the load status, the clients and the registry of
// handle classes. A subclass does the actual transfer and feeds the bytes in through
// didLoadBytes(); the base tells the clients, always on the thread that created the handle.
//
// Handles are shared (the class caches hold them), so they are made through factories that
// return std::shared_ptr; a client may drop its last reference from inside a notification.
class URLHandle : public QObject, public std::enable_shared_from_this<URLHandle>
{
    Q_OBJECT
public:
    enum Status { NotLoaded, LoadInProgress, LoadSucceeded, LoadFailed };

    // A registered kind of handle: which URLs it takes and how to get a (cached) handle for one.
    struct HandleClass
    {
        QString name;
        std::function<bool(const QUrl &)> canInitWithURL;
        std::function<std::shared_ptr<URLHandle>(const QUrl &)> cachedHandleForURL;
    };

    // Property keys of HTTP responses understood by propertyForKey().
    static const QString kHTTPPropertyStatusCodeKey;
    static const QString kHTTPPropertyStatusReasonKey;
    static const QString kHTTPPropertyServerHTTPVersionKey;
    static const QString kHTTPPropertyRedirectionHeadersKey;
    static const QString kHTTPPropertyErrorPageDataKey;
    static const QString kHTTPPropertyPrefix;

    // Registering a class under a name already taken replaces the earlier entry.
    static void registerURLHandleClass(const HandleClass &handleClass);
    static void unregisterURLHandleClass(const QString &name);
    // The first registered class that accepts the URL.
    static std::optional<HandleClass> URLHandleClassForURL(const QUrl &url);

    URLHandle(const QUrl &url, bool cached);
    ~URLHandle() override;

    QUrl url() const { return m_url; }
    bool isCached() const { return m_cached; }

    // Clients are not owned; one that goes away before the handle must remove itself first.
    void addClient(URLHandleClient *client);
    void removeClient(URLHandleClient *client);

    Status status() const { return m_status; }
    QString failureReason() const { return m_failureReason; }

    // The whole resource: loads in the foreground first unless a load already succeeded.
    QByteArray resourceData();
    // What has arrived so far.
    QByteArray availableResourceData() const { return m_data; }

    // Transfers now on the calling thread; the body, or nothing when the transfer failed.
    virtual std::optional<QByteArray> loadInForeground() = 0;
    // Starts a background load (beginLoadInBackground) and tells the clients it began.
    void loadInBackground();
    virtual void beginLoadInBackground() = 0;
    // Stops a background load; the clients hear "cancelled" and nothing else of that load.
    virtual void cancelLoadInBackground();
    virtual void endLoadInBackground() { }

    virtual QVariant propertyForKey(const QString &key) = 0;
    QVariant propertyForKeyIfAvailable(const QString &key) { return propertyForKey(key); }

protected:
    // Appends the bytes and tells the clients; on completion the load has succeeded.
    void didLoadBytes(const QByteArray &bytes, bool loadComplete);
    void backgroundLoadDidFailWithReason(const QString &reason);
    // A new load starts from nothing.
    void resetResourceData();
    void setStatus(Status status) { m_status = status; }
    void setHandleURL(const QUrl &url) { m_url = url; }

private:
    void tellClients(const std::function<void(URLHandleClient *)> &call);

    QUrl m_url;
    bool m_cached = false;
    Status m_status = NotLoaded;
    QString m_failureReason;
    QByteArray m_data;
    std::vector<URLHandleClient *> m_clients;
};
