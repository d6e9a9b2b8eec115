#pragma once

#include "document/FeedDocument.h"

#include <QObject>
#include <functional>
#include <optional>

class WindowServices;

// The message-list panel beside the window: showing the loaded feed's repairs, errors and
// warnings (the "viewParseLog" command), closing it before the feed is checked or read again,
// and the jumps it asks for.
class ParseLogPanel : public QObject
{
    Q_OBJECT
public:
    ParseLogPanel(WindowServices &window, QObject *parent);

    // Offers "viewParseLog"; the panel's item links show the item of that title.
    void setUpMessagePanel(const std::function<void(const QString &)> &selectItem);
    // Shows the loaded feed's repairs, errors and warnings.
    void viewParseLog();
    // Runs "viewParseLog" with a log of the loaded feed taken beforehand on a worker.
    void viewParseLog(const FeedDocument::ParseLog &log);
    // Before the feed is checked or read again, and when the window closes.
    static void closeMessagePanel();

private:
    WindowServices &m_window;
    FeedDocument *m_document;
    // The log the next "viewParseLog" shows, taken on a worker (a load's or a save's).
    std::optional<FeedDocument::ParseLog> m_readyParseLog;
};
