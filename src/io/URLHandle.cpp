#include "io/URLHandle.h"

#include "io/URLHandleClient.h"

#include <QMutex>
#include <QMutexLocker>
#include <algorithm>

const QString URLHandle::kHTTPPropertyStatusCodeKey = QStringLiteral("NSHTTPPropertyStatusCodeKey");
const QString URLHandle::kHTTPPropertyStatusReasonKey
    = QStringLiteral("NSHTTPPropertyStatusReasonKey");
const QString URLHandle::kHTTPPropertyServerHTTPVersionKey
    = QStringLiteral("NSHTTPPropertyServerHTTPVersionKey");
const QString URLHandle::kHTTPPropertyRedirectionHeadersKey
    = QStringLiteral("NSHTTPPropertyRedirectionHeadersKey");
const QString URLHandle::kHTTPPropertyErrorPageDataKey
    = QStringLiteral("NSHTTPPropertyErrorPageDataKey");
const QString URLHandle::kHTTPPropertyPrefix = QStringLiteral("NSHTTPProperty");

namespace {

struct Registry
{
    QMutex mutex;
    std::vector<URLHandle::HandleClass> classes;
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

} // namespace

void URLHandle::registerURLHandleClass(const HandleClass &handleClass)
{
    Registry &reg = registry();
    QMutexLocker lock(&reg.mutex);
    auto it = std::find_if(reg.classes.begin(), reg.classes.end(),
                           [&](const HandleClass &c) { return c.name == handleClass.name; });
    if (it != reg.classes.end())
        *it = handleClass;
    else
        reg.classes.push_back(handleClass);
}

void URLHandle::unregisterURLHandleClass(const QString &name)
{
    Registry &reg = registry();
    QMutexLocker lock(&reg.mutex);
    std::erase_if(reg.classes, [&](const HandleClass &c) { return c.name == name; });
}

std::optional<URLHandle::HandleClass> URLHandle::URLHandleClassForURL(const QUrl &url)
{
    Registry &reg = registry();
    QMutexLocker lock(&reg.mutex);
    for (const HandleClass &c : reg.classes) {
        if (c.canInitWithURL && c.canInitWithURL(url))
            return c;
    }
    return std::nullopt;
}

URLHandle::URLHandle(const QUrl &url, bool cached) : m_url(url), m_cached(cached) { }

URLHandle::~URLHandle() = default;

void URLHandle::addClient(URLHandleClient *client)
{
    if (client && std::find(m_clients.begin(), m_clients.end(), client) == m_clients.end())
        m_clients.push_back(client);
}

void URLHandle::removeClient(URLHandleClient *client)
{
    std::erase(m_clients, client);
}

QByteArray URLHandle::resourceData()
{
    if (m_status != LoadSucceeded)
        loadInForeground();
    return m_data;
}

void URLHandle::loadInBackground()
{
    std::shared_ptr<URLHandle> keepAlive = weak_from_this().lock();
    if (m_status == LoadInProgress)
        return;
    resetResourceData();
    m_failureReason.clear();
    beginLoadInBackground();
    // A subclass that could not even start has already settled the status through a queued
    // failure; in every other case the load is now running.
    m_status = LoadInProgress;
    tellClients([this](URLHandleClient *c) { c->URLHandleResourceDidBeginLoading(this); });
}

void URLHandle::cancelLoadInBackground()
{
    std::shared_ptr<URLHandle> keepAlive = weak_from_this().lock();
    m_status = NotLoaded;
    tellClients([this](URLHandleClient *c) { c->URLHandleResourceDidCancelLoading(this); });
}

void URLHandle::didLoadBytes(const QByteArray &bytes, bool loadComplete)
{
    if (!bytes.isEmpty()) {
        m_data.append(bytes);
        tellClients([this, &bytes](URLHandleClient *c) {
            c->URLHandleResourceDataDidBecomeAvailable(this, bytes);
        });
    }
    if (loadComplete) {
        m_status = LoadSucceeded;
        tellClients([this](URLHandleClient *c) { c->URLHandleResourceDidFinishLoading(this); });
    }
}

void URLHandle::backgroundLoadDidFailWithReason(const QString &reason)
{
    m_status = LoadFailed;
    m_failureReason = reason;
    tellClients([this, &reason](URLHandleClient *c) {
        c->URLHandleResourceDidFailLoadingWithReason(this, reason);
    });
}

void URLHandle::resetResourceData()
{
    m_data.clear();
}

void URLHandle::tellClients(const std::function<void(URLHandleClient *)> &call)
{
    // Clients may add or remove clients (themselves included) while being told: walk a snapshot,
    // skipping the removed ones. (The public entry points keep the handle itself alive.)
    const std::vector<URLHandleClient *> snapshot = m_clients;
    for (URLHandleClient *client : snapshot) {
        if (std::find(m_clients.begin(), m_clients.end(), client) != m_clients.end())
            call(client);
    }
}
