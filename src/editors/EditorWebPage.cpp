#include "editors/EditorWebPage.h"

#include <QWebEngineSettings>

EditorWebPage::EditorWebPage(QObject *parent) : QWebEnginePage(parent)
{
    QWebEngineSettings *s = settings();
    const QWebEngineSettings::WebAttribute off[] = {
        QWebEngineSettings::JavascriptEnabled,
        QWebEngineSettings::JavascriptCanOpenWindows,
        QWebEngineSettings::JavascriptCanAccessClipboard,
        QWebEngineSettings::PluginsEnabled,
        QWebEngineSettings::LocalContentCanAccessFileUrls,
        QWebEngineSettings::ErrorPageEnabled,
        QWebEngineSettings::FullScreenSupportEnabled,
        QWebEngineSettings::ScreenCaptureEnabled,
        QWebEngineSettings::AutoLoadIconsForPage,
        QWebEngineSettings::PdfViewerEnabled,
        QWebEngineSettings::NavigateOnDropEnabled,
    };
    for (auto attribute : off)
        s->setAttribute(attribute, false);
}

bool EditorWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (isMainFrame && m_allowNextLoad) {
        m_allowNextLoad = false;
        return true;
    }
    if (url.toString() == QLatin1String("about:blank"))
        return true;
    if (isMainFrame || type == NavigationTypeLinkClicked)
        emit navigationRefused(url, type);
    return false;
}

QWebEnginePage *EditorWebPage::createWindow(WebWindowType)
{
    emit navigationRefused(QUrl(), NavigationTypeLinkClicked);
    return nullptr;
}

void EditorWebPage::triggerAction(WebAction action, bool checked)
{
    if (action == Undo || action == Redo) {
        emit historyAction(action == Redo);
        return;
    }
    QWebEnginePage::triggerAction(action, checked);
}

void EditorWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int,
                                             const QString &)
{
    // The page's own scripts never run; what the engine says about the content is not the
    // user's business.
}
