#include "ui/LockedWebProfile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QHash>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

const QByteArray LockedWebProfile::kScheme = QByteArrayLiteral("vellumcast-page");

namespace {
// The engine learns of a scheme only before it starts: as the application object is made.
void registerPageScheme()
{
    QWebEngineUrlScheme scheme(LockedWebProfile::kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    QWebEngineUrlScheme::registerScheme(scheme);
}
Q_COREAPP_STARTUP_FUNCTION(registerPageScheme)
} // namespace

// Serves the profile's pages from memory.
class LockedWebProfile::PageServer : public QWebEngineUrlSchemeHandler
{
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void setPage(const QUrl &url, const QByteArray &html, const QUrl &replaced)
    {
        m_pages.remove(replaced.toString());
        m_pages.insert(url.toString(), html);
    }

    void requestStarted(QWebEngineUrlRequestJob *job) override
    {
        const auto page = m_pages.constFind(job->requestUrl().toString());
        if (page == m_pages.cend() || job->requestMethod() != "GET") {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        auto *buffer = new QBuffer(job);
        buffer->setData(*page);
        job->reply(QByteArrayLiteral("text/html;charset=utf-8"), buffer);
    }

private:
    QHash<QString, QByteArray> m_pages;
};

// Lets through a page of the profile's own and the pictures pages show; everything else a page
// asks for is refused before it leaves the program.
class LockedWebProfile::RequestFilter : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        const bool page = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame
            && info.requestUrl().scheme().toLatin1() == kScheme;
        const bool picture = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeImage;
        if (!page && !picture)
            info.block(true);
    }
};

LockedWebProfile::LockedWebProfile(const QString &applicationName, QObject *parent)
    : QWebEngineProfile(parent), m_server(new PageServer(this))
{
    installUrlSchemeHandler(kScheme, m_server);
    setUrlRequestInterceptor(new RequestFilter(this));
    setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    setHttpUserAgent(httpUserAgent() + QLatin1Char(' ') + applicationName);
    const struct
    {
        QWebEngineSettings::WebAttribute attribute;
        bool on;
    } attributes[] = {
        {QWebEngineSettings::AutoLoadImages, true},
        {QWebEngineSettings::JavascriptEnabled, false},
        {QWebEngineSettings::JavascriptCanOpenWindows, false},
        {QWebEngineSettings::JavascriptCanAccessClipboard, false},
        {QWebEngineSettings::LocalStorageEnabled, false},
        {QWebEngineSettings::LocalContentCanAccessRemoteUrls, false},
        {QWebEngineSettings::LocalContentCanAccessFileUrls, false},
        {QWebEngineSettings::HyperlinkAuditingEnabled, false},
        {QWebEngineSettings::ErrorPageEnabled, false},
        {QWebEngineSettings::PluginsEnabled, false},
        {QWebEngineSettings::FullScreenSupportEnabled, false},
        {QWebEngineSettings::ScreenCaptureEnabled, false},
        {QWebEngineSettings::WebGLEnabled, false},
        {QWebEngineSettings::Accelerated2dCanvasEnabled, false},
        {QWebEngineSettings::AutoLoadIconsForPage, false},
        {QWebEngineSettings::AllowRunningInsecureContent, false},
        {QWebEngineSettings::DnsPrefetchEnabled, false},
        {QWebEngineSettings::PdfViewerEnabled, false},
        {QWebEngineSettings::NavigateOnDropEnabled, false},
        {QWebEngineSettings::PrintElementBackgrounds, true},
    };
    for (const auto &entry : attributes)
        settings()->setAttribute(entry.attribute, entry.on);
}

QUrl LockedWebProfile::servePage(const QString &html, const QUrl &replaced)
{
    const QUrl url(
        QStringLiteral("%1:page/%2").arg(QString::fromLatin1(kScheme)).arg(++m_generation));
    m_server->setPage(url, html.toUtf8(), replaced);
    return url;
}
