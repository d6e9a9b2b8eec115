#include "editors/EditorWebPage.h"

#include "ui/LockedWebProfile.h"

EditorWebPage::EditorWebPage(LockedWebProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
{
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
