// The message-list panel beside the window: showing the loaded feed's repairs, errors and
// warnings, closing it before the feed is checked or read again, and the jumps it asks for.
#include "app/Vellumcast.h"

#include "app/ItemsPane.h"
#include "editors/errorListing.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "ui/VLXTableView.h"

#include <QTabWidget>

#include <utility>

void Vellumcast::setUpMessagePanel()
{
    errorListing *panel = errorListing::sharedInstance();
    panel->setFeedSource([this] { return currentFeed(); });
    connect(panel, &errorListing::selectFeedRequested, this, &Vellumcast::selectFeed);
    connect(panel, &errorListing::selectFeedItemRequested, this,
            &Vellumcast::selectFeedItemWithTitle);
    if (!hasCommandHandler(QStringLiteral("viewParseLog")))
        setCommandHandler(QStringLiteral("viewParseLog"), [this] { viewParseLog(); });
}

void Vellumcast::viewParseLog()
{
    finalizeChanges();
    errorListing::closePanel();
    // Walking every item for the log holds up the window: a log taken on a worker is used.
    const FeedDocument::ParseLog log = m_readyParseLog
        ? *std::exchange(m_readyParseLog, std::nullopt)
        : FeedDocument::parseLogOf(*currentFeed());
    errorListing::showPanel(m_documentWindow, log.messages, log.errors, log.warnings, log.repairs);
}

void Vellumcast::viewParseLog(const FeedDocument::ParseLog &log)
{
    if (!hasCommandHandler(QStringLiteral("viewParseLog")))
        return;
    m_readyParseLog = log;
    runCommand(QStringLiteral("viewParseLog"));
    // A handler of its own (a test's) leaves it: it is never shown for a later state.
    m_readyParseLog.reset();
}

void Vellumcast::closeMessagePanel()
{
    errorListing::closePanel();
}

void Vellumcast::selectFeedItemWithTitle(const QString &title)
{
    const int count = m_document->itemCount();
    for (int row = 0; row < count; ++row) {
        if (m_document->item(row)->title() != title)
            continue;
        finalizeChanges();
        if (auto *tabs = outlet<QTabWidget>(QStringLiteral("tabsFeeds")))
            tabs->setCurrentIndex(ItemsTab);
        m_itemsPane->selectRow(row);
        VLXTableView *table = m_itemsPane->itemTable();
        table->scrollTo(table->model()->index(row, 0));
        populateItem(row);
        return;
    }
}
