#include "app/ParseLogPanel.h"

#include "app/WindowServices.h"
#include "editors/errorListing.h"
#include "model/VLXFeed.h"

#include <utility>

ParseLogPanel::ParseLogPanel(WindowServices &window, QObject *parent)
    : QObject(parent), m_window(window), m_document(window.document())
{
}

void ParseLogPanel::setUpMessagePanel(const std::function<void(const QString &)> &selectItem)
{
    errorListing *panel = errorListing::sharedInstance();
    panel->setFeedSource([this] { return m_document->feed(); });
    connect(panel, &errorListing::selectFeedRequested, this,
            [this] { m_window.showSelectedTab(WindowServices::FeedsTab); });
    connect(panel, &errorListing::selectFeedItemRequested, this, selectItem);
    if (!m_window.hasCommandHandler(QStringLiteral("viewParseLog")))
        m_window.setCommandHandler(QStringLiteral("viewParseLog"), [this] { viewParseLog(); });
}

void ParseLogPanel::viewParseLog()
{
    m_window.finalizeChanges();
    errorListing::closePanel();
    // Walking every item for the log holds up the window: a log taken on a worker is used.
    const FeedDocument::ParseLog log = m_readyParseLog
        ? *std::exchange(m_readyParseLog, std::nullopt)
        : FeedDocument::parseLogOf(*m_document->feed());
    errorListing::showPanel(m_window.window(), log.messages, log.errors, log.warnings, log.repairs);
}

void ParseLogPanel::viewParseLog(const FeedDocument::ParseLog &log)
{
    if (!m_window.hasCommandHandler(QStringLiteral("viewParseLog")))
        return;
    m_readyParseLog = log;
    m_window.runCommand(QStringLiteral("viewParseLog"));
    // A handler of its own (a test's) leaves it: it is never shown for a later state.
    m_readyParseLog.reset();
}

void ParseLogPanel::closeMessagePanel()
{
    errorListing::closePanel();
}
