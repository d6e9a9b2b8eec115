#include "app/FindReplace.h"

#include "app/FeedSaving.h"
#include "app/WindowServices.h"
#include "document/FeedDocument.h"
#include "document/FieldChange.h"

#include "app/FeedFindPanel.h"
#include "app/FeedSearchWalk.h"
#include "document/LoadControl.h"
#include "model/VLXFeed.h"
#include "panes/SearchReveal.h"

#include <QTabWidget>

namespace {
FeedFindPanel &panel()
{
    return *FeedFindPanel::sharedInstance();
}
} // namespace

FindReplace::FindReplace(WindowServices &window, FeedSaving &saving, QObject *parent)
    : QObject(parent), m_window(window), m_saving(saving), m_document(window.document())
{
}

void FindReplace::setUpFindCommands()
{
    FeedFindPanel &find = panel();
    m_searchWalk = new FeedSearchWalk(m_window, find, this);
    m_searchWalk->setItemSearch([this](int from, const QString &search, int options) {
        return searchItems(from, search, options);
    });
    m_window.setCommandHandler(QStringLiteral("orderFrontFindPanel"),
                               [this] { orderFrontFindPanel(); });
    m_window.setCommandHandler(QStringLiteral("findNext"), [this] { findNext(); });
    connect(&find, &FeedFindPanel::findTextChanged, this, [this] { m_window.validateCommands(); });
    // The panel answers the two find shortcuts as the window does.
    for (const char *name : {"orderFrontFindPanel", "findNext"})
        find.finderPanel()->addAction(m_window.command(QLatin1String(name)));
    // Another feed, or the feed read again: the search starts over.
    connect(m_document, &FeedDocument::feedReplaced, this, [this] {
        panel().setPreviousSearchString(QString());
        m_searchWalk->reset();
    });
}

void FindReplace::orderFrontFindPanel()
{
    FeedFindPanel &find = panel();
    // Reopening the panel goes on with the search of the text it shows.
    find.setPreviousSearchString(find.findField());
    find.setStatusField(QString());
    if (!find.isVisible()) {
        // The scope follows the tab shown.
        find.setSearchFeed(0);
        find.setSearchCurrentItem(0);
        find.setSearchAllItems(0);
        find.setSearchImage(0);
        if (m_window.tabsFeedsIndex() == WindowServices::ItemsTab)
            find.setSearchCurrentItem(1);
        else if (m_window.tabsFeedsIndex() == WindowServices::ImageTab)
            find.setSearchImage(1);
        else
            find.setSearchFeed(1);
    }
    find.showPanel(m_window.window());
}

void FindReplace::restartSearchIfChanged(const QString &search)
{
    if (search == panel().previousSearchString())
        return;
    m_searchWalk->reset();
    panel().setPreviousSearchString(search);
}

std::optional<int> FindReplace::searchItems(int from, const QString &search, int options)
{
    // A few thousand items are looked at in less time than the window may wait; more are
    // looked at on the loader's worker, behind the progress dialog with Cancel. The window takes
    // no input meanwhile, so the feed does not change.
    constexpr int kItemsLookedAtHere = 2000;
    const FeedDocument &document = *m_document;
    if (document.itemCount() - from <= kItemsLookedAtHere)
        return FeedSearchWalk::firstItemHolding(document, from, search, options);
    auto found = std::make_shared<std::optional<int>>();
    const bool finished = m_saving.runOnWorker(
        [&document, found, from, search, options](LoadControl &control) {
            const qint64 total = document.itemCount();
            *found = FeedSearchWalk::firstItemHolding(
                document, from, search, options, [&control, total](int done) {
                    return control.report(LoadControl::Stage::Finishing, done, total);
                });
        },
        tr("Find"), QStringLiteral("Finding..."));
    return finished ? *found : std::nullopt;
}

void FindReplace::searchEnded()
{
    // Stopped by the user, the search says nothing found; the next one starts over.
    if (m_searchWalk->wasStopped()) {
        m_searchWalk->reset();
        panel().setStatusField(QString());
        return;
    }
    searchNotFound();
}

void FindReplace::searchNotFound()
{
    panel().beep();
    // The next Find Next starts again at the channel's title, with the same text.
    m_searchWalk->reset();
    panel().setStatusField(QStringLiteral("Not Found"));
}

void FindReplace::findNext()
{
    m_window.finalizeChanges();
    const QString search = panel().findField();
    if (search.isEmpty()) {
        panel().beep();
        orderFrontFindPanel();
        return;
    }
    restartSearchIfChanged(search);
    if (!m_searchWalk->walkScopes(search, std::nullopt, true))
        searchEnded();
}

void FindReplace::findPanelNextAction()
{
    if (!panel().findField().isEmpty())
        findNext();
}

void FindReplace::findPanelReplaceAction()
{
    replaceInScopes(false);
}

void FindReplace::findPanelReplaceFindAction()
{
    replaceInScopes(true);
}

void FindReplace::replaceInScopes(bool thenSearch)
{
    m_window.finalizeChanges();
    const QString search = panel().findField();
    if (search.isEmpty()) {
        panel().beep();
        return;
    }
    restartSearchIfChanged(search);
    // With Freeze Dates on, the replacement leaves the automatic publication dates alone.
    m_document->setPubDatesFrozen(panel().freezeDates() != 0);
    const auto thaw = qScopeGuard([this] { m_document->setPubDatesFrozen(false); });
    if (!m_searchWalk->walkScopes(search, panel().replaceField(), thenSearch))
        searchEnded();
}

void FindReplace::findPanelReplaceAllAction()
{
    m_window.finalizeChanges();
    const QString search = panel().findField();
    if (search.isEmpty())
        return;
    m_searchWalk->reset();
    panel().setPreviousSearchString(search);
    panel().setStatusField(QString());

    // The replacements are made in a copy: the loaded feed stays as it is (the undo steps before
    // this one hold its items) until the copy takes its place. The copy and the replacements are
    // made on the loader's worker; the window takes no input meanwhile, so the feed it copies
    // does not change. The copy is shown as it is, not written out and read again: what the
    // replacements did not touch (an enclosure's length and type without its URL yet, the local
    // files) stays exactly as it was, and nothing is repaired or reported that nobody asked for.
    struct Replaced
    {
        int count = 0;
        std::shared_ptr<VLXFeed> feed;
    };
    auto replaced = std::make_shared<Replaced>();
    const FeedSearchWalk::ReplaceAllScopes scopes = m_searchWalk->replaceAllScopes();
    const std::shared_ptr<VLXFeed> feed = m_document->feed();
    const FeedListEntry entry = m_document->entry();
    const QString replacement = panel().replaceField();
    const bool finished = m_saving.runOnWorker(
        [replaced, scopes, feed, entry, search, replacement](LoadControl &control) {
            if (!control.report(LoadControl::Stage::Finishing, 0, 0))
                return;
            FeedDocument copy;
            copy.replace(std::shared_ptr<VLXFeed>(feed->copy()), entry, false);
            replaced->count = FeedSearchWalk::replaceAll(copy, search, replacement, scopes);
            if (replaced->count > 0 && !control.stopRequested())
                replaced->feed = copy.feed();
        },
        tr("Replace All"), QStringLiteral("Replacing..."));
    if (!finished)
        return;
    if (scopes.currentItem && scopes.allItems)
        m_searchWalk->passedItems(feed->countOfItems());
    const int count = replaced->count;
    if (count == 0) {
        panel().setStatusField(QStringLiteral("Not Found"));
        return;
    }
    panel().setStatusField(QStringLiteral("%1 Replacements").arg(count));
    if (m_window.tabsFeedsIndex() != WindowServices::FeedsTab) {
        m_window.showSelectedTab(WindowServices::FeedsTab);
        SearchReveal::letLayoutSettle();
    }
    if (auto *sub = m_window.outlet<QTabWidget>(QStringLiteral("tabsFeeds_FeedsSub")))
        sub->setCurrentIndex(0);
    // Undo shows the feed object as it was and redo the replaced one, as for a View XML edit:
    // the steps before and after this one find again the very items they were made on.
    if (!replaced->feed)
        return;
    UndoRecord before = FieldChange::wholeFeed(*m_document);
    m_document->reinstate(std::move(replaced->feed), true);
    m_document->registerUndo(std::move(before), QStringLiteral("Replace All"));
    if (!panel().freezeDates())
        m_document->refreshFeedPubDate();
}
