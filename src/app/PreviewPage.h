#pragma once

#include <QUrl>
#include <QWebEnginePage>

class LockedWebProfile;

// The page of the feed preview. It shows text that came from anywhere, so it lives on a locked
// profile (LockedWebProfile: no script of its own, nothing stored, nothing fetched but the page
// and its pictures), and it never navigates away. A click by the user on an http or https link
// hands the address to the desktop's browser (Workspace); redirects, refreshes, form posts and
// links to anything else are ignored, and so is every new window (links that ask for one
// included). "about:blank" may load, as it carries nothing.
class PreviewPage : public QWebEnginePage
{
    Q_OBJECT
public:
    PreviewPage(LockedWebProfile *profile, QObject *parent);

    // Loads the HTML as the page, with no base address (relative links lead nowhere).
    void showHtml(const QString &html);
    QUrl pageURL() const { return m_pageURL; }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    LockedWebProfile *m_profile;
    QUrl m_pageURL;
};
