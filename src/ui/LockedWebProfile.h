#pragma once

#include <QByteArray>
#include <QUrl>
#include <QWebEngineProfile>

// The web engine profile of every page that shows text from anywhere (the feed preview, the HTML
// editor): feed descriptions are HTML written by strangers, and what such a page fetches tells
// its server that, and when, the user looked at it. So the profile
// - is off the record: nothing is stored, no cookie outlives it;
// - runs none of the page's own scripts, loads no plug-in, opens no window by script;
// - lets through the pages it serves itself (from memory, not from a data address, so big
//   pages fit) and the pictures a page shows, and refuses every other request: style sheets and
//   their imports, fonts, frames, scripts, sounds and films, prefetches and preloads.
// Its pages must be deleted before it.
class LockedWebProfile : public QWebEngineProfile
{
    Q_OBJECT
public:
    static const QByteArray kScheme; // the scheme the profile serves its pages from

    // The user agent names the application after the engine, as browsers add theirs.
    LockedWebProfile(const QString &applicationName, QObject *parent);

    // Serves the HTML under a new address (so the engine never shows an older page from its
    // cache) and forgets the page served under `replaced`; answers the new address.
    QUrl servePage(const QString &html, const QUrl &replaced = QUrl());

private:
    class PageServer;
    class RequestFilter;

    PageServer *m_server;
    quint64 m_generation = 0;
};
