// Find and replace: the find panel's commands over the loaded feed. Find Next and the two
// replacements go through the search walk and the window's controls; Replace All changes a copy
// of the feed and reads the window's feed again from the copy's text, as one undo step.
#include "app/Vellumcast.h"

#include "app/FeedFindPanel.h"
#include "app/FeedSearchWalk.h"
#include "app/FreeAside.h"
#include "app/LoadControl.h"
#include "app/SearchReveal.h"
#include "extensions/mrss/mrssItem.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"

#include <QAction>
#include <QPointer>
#include <QScopeGuard>
#include <QTabWidget>

namespace {
FeedFindPanel &panel()
{
    return *FeedFindPanel::sharedInstance();
}

// Reads the loaded feed again from the text of a copy with the same items (Replace All).
// The reading carries local enclosure files over by their enclosure address; a replacement may
// have changed that address, so each item also keeps the file the item at its place had.
bool rereadKeepingLocalFiles(Vellumcast &window, const QString &text)
{
    struct LocalFile
    {
        QString path;
        QDateTime lastUpload;
    };
    // Per item: its enclosure's file, then its media:content files in list order.
    QList<QList<LocalFile>> files;
    for (const auto &item : window.currentFeed()->arrayOfItems()) {
        QList<LocalFile> own {{item->localEnclosureFilePath(), item->lastUploaded()}};
        if (const mrssItem *media = mrssItem::inUseOf(*item)) {
            for (const mrssRequiredElement &content : media->mediaContentsValue())
                own.append({content.localEnclosureFilePath(), content.lastUploaded()});
        }
        files.append(own);
    }
    if (!window.reparseLoadedFeed(text))
        return false;
    FeedDocument &document = *window.document();
    if (document.itemCount() != files.size())
        return true;
    for (int i = 0; i < files.size(); ++i) {
        VLXItems &item = *document.item(i);
        const QList<LocalFile> &own = files.at(i);
        if (mrssItem *media = mrssItem::inUseOf(item);
            media && media->mediaContentsValue().size() == own.size() - 1) {
            for (int c = 1; c < own.size(); ++c) {
                mrssRequiredElement &content = media->mediaContentsValueAtIndex(c - 1);
                content.setLocalEnclosureFilePath(own.at(c).path);
                content.setLastUploaded(own.at(c).lastUpload);
            }
        }
        if (item.localEnclosureFilePath() == own.first().path)
            continue;
        item.setLocalEnclosureFilePath(own.first().path);
        item.setLastUploaded(own.first().lastUpload);
        document.announce(FieldScope::Item, i,
                          QStringLiteral("Items_Optional_Enclosure_Advanced_Filename"));
    }
    return true;
}
} // namespace

void Vellumcast::setUpFindCommands()
{
    FeedFindPanel &find = panel();
    m_searchWalk = new FeedSearchWalk(*this, find);
    setCommandHandler(QStringLiteral("orderFrontFindPanel"), [this] { orderFrontFindPanel(); });
    setCommandHandler(QStringLiteral("findNext"), [this] { findNext(); });
    connect(&find, &FeedFindPanel::findTextChanged, this, &Vellumcast::validateCommands);
    // The panel answers the two find shortcuts as the window does.
    for (const char *name : {"orderFrontFindPanel", "findNext"})
        find.finderPanel()->addAction(command(QLatin1String(name)));
    // Another feed, or the feed read again: the search starts over.
    connect(m_document, &FeedDocument::feedReplaced, this, [this] {
        panel().setPreviousSearchString(QString());
        m_searchWalk->reset();
    });
}

void Vellumcast::scrollToView(QWidget *control)
{
    SearchReveal::scrollToView(control);
}

void Vellumcast::orderFrontFindPanel()
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
        if (m_tabsFeedsIndex == ItemsTab)
            find.setSearchCurrentItem(1);
        else if (m_tabsFeedsIndex == ImageTab)
            find.setSearchImage(1);
        else
            find.setSearchFeed(1);
    }
    find.showPanel(m_documentWindow);
}

void Vellumcast::restartSearchIfChanged(const QString &search)
{
    if (search == panel().previousSearchString())
        return;
    m_searchWalk->reset();
    panel().setPreviousSearchString(search);
}

void Vellumcast::searchNotFound()
{
    panel().beep();
    // The next Find Next starts again at the channel's title, with the same text.
    m_searchWalk->reset();
    panel().setStatusField(QStringLiteral("Not Found"));
}

void Vellumcast::findNext()
{
    finalizeChanges();
    const QString search = panel().findField();
    if (search.isEmpty()) {
        panel().beep();
        orderFrontFindPanel();
        return;
    }
    restartSearchIfChanged(search);
    if (!m_searchWalk->walkScopes(search, std::nullopt, true))
        searchNotFound();
}

void Vellumcast::findPanelNextAction()
{
    if (!panel().findField().isEmpty())
        findNext();
}

void Vellumcast::findPanelReplaceAction()
{
    replaceInScopes(false);
}

void Vellumcast::findPanelReplaceFindAction()
{
    replaceInScopes(true);
}

void Vellumcast::replaceInScopes(bool thenSearch)
{
    finalizeChanges();
    const QString search = panel().findField();
    if (search.isEmpty()) {
        panel().beep();
        return;
    }
    restartSearchIfChanged(search);
    // With Freeze Dates on, the replacement leaves the automatic publication dates alone.
    setPubDatesFrozen(panel().freezeDates() != 0);
    const auto thaw = qScopeGuard([this] { setPubDatesFrozen(false); });
    if (!m_searchWalk->walkScopes(search, panel().replaceField(), thenSearch))
        searchNotFound();
}

void Vellumcast::findPanelReplaceAllAction()
{
    finalizeChanges();
    const QString search = panel().findField();
    if (search.isEmpty())
        return;
    m_searchWalk->reset();
    panel().setPreviousSearchString(search);
    panel().setStatusField(QString());

    // The replacements are made in a copy: the loaded feed stays as it is (the undo steps before
    // this one hold its items) until the copy's text is read in its place. The copy, the
    // replacements and the copy's text are made on the loader's worker; the window takes no
    // input meanwhile, so the feed it reads does not change.
    struct Replaced
    {
        int count = 0;
        QString text;
    };
    auto replaced = std::make_shared<Replaced>();
    const FeedSearchWalk::ReplaceAllScopes scopes = m_searchWalk->replaceAllScopes();
    const std::shared_ptr<VLXFeed> feed = currentFeed();
    const FeedListEntry entry = m_document->entry();
    const QString replacement = panel().replaceField();
    const bool finished = runOnWorker(
        [replaced, scopes, feed, entry, search, replacement](LoadControl &control) {
            if (!control.report(LoadControl::Stage::Finishing, 0, 0))
                return;
            FeedDocument copy;
            copy.replace(std::shared_ptr<VLXFeed>(feed->copy()), entry, false);
            replaced->count = FeedSearchWalk::replaceAll(copy, search, replacement, scopes);
            if (replaced->count > 0 && !control.stopRequested())
                replaced->text = copy.feed()->buildXML();
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
    if (m_tabsFeedsIndex != FeedsTab) {
        showSelectedTab(FeedsTab);
        SearchReveal::letLayoutSettle();
    }
    if (auto *sub = outlet<QTabWidget>(QStringLiteral("tabsFeeds_FeedsSub")))
        sub->setCurrentIndex(0);
    // Undo shows the feed object as it was and redo the one read now, as for a View XML edit:
    // the steps before and after this one find again the very items they were made on.
    UndoRecord before = viewXMLUndoRecord();
    const bool read = rereadKeepingLocalFiles(*this, replaced->text);
    freeAside(std::move(replaced->text));
    if (!read)
        return;
    registerUndo(std::move(before), QStringLiteral("Replace All"));
    if (!panel().freezeDates())
        updateFeedAutoPubDate();
}
