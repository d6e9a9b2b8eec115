#pragma once

#include <QUrl>
#include <QWebEnginePage>

class LockedWebProfile;

// The page of the HTML editor. It holds feed text from anywhere, so it lives on a locked profile
// as the preview does (LockedWebProfile: its own scripts never run, only the editor's script in
// the application's world; nothing stored; nothing fetched but the pictures the text shows), it
// opens no windows and never leaves the document the editor put there: every other navigation
// is refused and reported, so the editor can open the link's sheet instead. The engine's own
// Undo and Redo are handed to the editor, which keeps the history.
class EditorWebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    EditorWebPage(LockedWebProfile *profile, QObject *parent);

    // The next main-frame load is the editor's own (the document wrapper) and goes through.
    void allowNextLoad() { m_allowNextLoad = true; }

    void triggerAction(WebAction action, bool checked = false) override;

signals:
    // A navigation away from the document was refused (a followed link, a refresh, a form).
    void navigationRefused(const QUrl &url, QWebEnginePage::NavigationType type);
    void historyAction(bool redo);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override;

private:
    bool m_allowNextLoad = false;
};
