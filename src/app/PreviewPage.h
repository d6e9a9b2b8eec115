#pragma once

#include <QByteArray>
#include <QUrl>
#include <QWebEnginePage>

class QWebEngineProfile;

// The page of the feed preview. It shows text that came from anywhere (the feed's descriptions
// are HTML from the web), so it is locked down:
// - no script runs, no plug-in loads, nothing is stored;
// - it loads its own page (served from memory, not from a data address, so big feeds fit) and
//   the images the page shows, and nothing else: no style sheets, frames, fonts or media;
// - it never navigates away. A click by the user on an http or https link hands the address to
//   the desktop's browser (Workspace); redirects, refreshes, form posts and links to anything
//   else are ignored, and so is every new window (links that ask for one included).
//   "about:blank" may load, as it carries nothing.
class PreviewPage : public QWebEnginePage
{
    Q_OBJECT
public:
    static const QByteArray kScheme; // the scheme the page is served from

    // A profile for preview pages: off the record, serving the pages, filtering every request;
    // the user agent names the application. The caller owns it and must delete the pages first.
    static QWebEngineProfile *makeProfile(const QString &applicationName, QObject *parent);

    PreviewPage(QWebEngineProfile *profile, QObject *parent);

    // Loads the HTML as the page, with no base address (relative links lead nowhere).
    void showHtml(const QString &html);
    QUrl pageURL() const { return m_pageURL; }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    QUrl m_pageURL;
    quint64 m_generation = 0;
};
