#include "app/PreviewPage.h"

#include "platform/Workspace.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QHash>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

const QByteArray PreviewPage::kScheme = QByteArrayLiteral("vellumcast-preview");

namespace {
// The engine learns of a scheme only before it starts: as the application object is made.
void registerPreviewScheme()
{
    QWebEngineUrlScheme scheme(PreviewPage::kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    QWebEngineUrlScheme::registerScheme(scheme);
}
Q_COREAPP_STARTUP_FUNCTION(registerPreviewScheme)

// Serves the pages of the profile's previews from memory.
class PageServer : public QWebEngineUrlSchemeHandler
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

// Lets through the page itself and its images; everything else the page asks for is refused.
class RequestFilter : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        const QByteArray scheme = info.requestUrl().scheme().toLatin1();
        const bool page = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame
            && scheme == PreviewPage::kScheme;
        const bool image = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeImage;
        if (!page && !image)
            info.block(true);
    }
};

PageServer *serverOf(QWebEngineProfile *profile)
{
    return const_cast<PageServer *>(
        static_cast<const PageServer *>(profile->urlSchemeHandler(PreviewPage::kScheme)));
}
} // namespace

QWebEngineProfile *PreviewPage::makeProfile(const QString &applicationName, QObject *parent)
{
    auto *profile = new QWebEngineProfile(parent); // off the record: nothing on disk
    profile->installUrlSchemeHandler(kScheme, new PageServer(profile));
    profile->setUrlRequestInterceptor(new RequestFilter(profile));
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    // The application's name follows the engine's own, as browsers add theirs.
    profile->setHttpUserAgent(profile->httpUserAgent() + QLatin1Char(' ') + applicationName);
    QWebEngineSettings *settings = profile->settings();
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
        settings->setAttribute(entry.attribute, entry.on);
    return profile;
}

PreviewPage::PreviewPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
{
}

void PreviewPage::showHtml(const QString &html)
{
    // A new address for every page, so the engine never shows an older one from its cache.
    const QUrl previous = m_pageURL;
    m_pageURL
        = QUrl(QStringLiteral("%1:page/%2").arg(QString::fromLatin1(kScheme)).arg(++m_generation));
    serverOf(profile())->setPage(m_pageURL, html.toUtf8(), previous);
    load(m_pageURL);
}

bool PreviewPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (url == m_pageURL && isMainFrame && type != NavigationTypeLinkClicked)
        return true;
    if (url.toString() == QLatin1String("about:blank"))
        return true;
    const QString scheme = url.scheme().toLower();
    if (type == NavigationTypeLinkClicked
        && (scheme == QLatin1String("http") || scheme == QLatin1String("https")))
        Workspace::open(url);
    return false;
}
