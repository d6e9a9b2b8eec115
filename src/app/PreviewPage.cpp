#include "app/PreviewPage.h"

#include "platform/Workspace.h"
#include "ui/LockedWebProfile.h"

PreviewPage::PreviewPage(LockedWebProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent), m_profile(profile)
{
}

void PreviewPage::showHtml(const QString &html)
{
    m_pageURL = m_profile->servePage(html, m_pageURL);
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
