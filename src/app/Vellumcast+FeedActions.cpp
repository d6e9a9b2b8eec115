// Actions on the feed list: a new feed, moving and removing feeds, and the rule that the window
// always shows a listed feed.
#include "app/Vellumcast.h"

#include "app/FeedListModel.h"
#include "app/ItemActions.h"
#include "app/SmartDateRules.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "platform/AlertService.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXListBox.h"
#include "ui/VLXTableView.h"

#include <QAbstractButton>
#include <QMainWindow>
#include <QScopedValueRollback>

void Vellumcast::ensureAFeed()
{
    if (m_feedList->isEmpty() && !m_terminating && m_documentWindow)
        newDocument();
}

void Vellumcast::newDocument()
{
    if (!askToSaveChanges(Leaving::CreatingNew))
        return;
    setDocumentEdited(false, true);
    setImageEdited(false);

    // At most one new feed that was never saved: an earlier one goes, with its settings.
    for (int row = m_feedList->count() - 1; row >= 0; --row) {
        const FeedListEntry &old = m_feedList->entry(row);
        if (!old.url.isEmpty())
            continue;
        VLXPreferences::removeUniqueKey(old.uniqueIdentifier);
        m_feedList->removeAt(row);
    }
    VLXPreferences::removeUniqueKey(QStringLiteral("BLANK"));

    const FeedListEntry entry = FeedListEntry::make(QStringLiteral("(untitled)"), QString(), true);
    const QString key = entry.uniqueIdentifier;
    auto feed = std::make_shared<VLXFeed>();
    feed->setTitle(QStringLiteral("(untitled)"));
    feed->populateWithDefaults();
    const QStringList namespaces
        = VLXPreferences::objectForKey(QStringLiteral("FD_AF_Namespaces")).toStringList();
    feed->XMLExtensions()->createExtensionsFromArrayOfDescriptions(namespaces);
    feed->XMLExtensions()->populateWithDefaults(key);
    feed->image()->XMLExtensions()->createExtensionsFromArrayOfDescriptions(namespaces);
    feed->image()->XMLExtensions()->populateWithDefaults(key);
    bool automatic = true;
    feed->setPubDate(SmartDateRules(key).newFeedDate(&automatic));
    feed->insertItem(
        ItemActions::makeNewItem(key, feed->XMLExtensions()->arrayOfExtensionDescriptions()), 0);

    // The feed is read back from its own text, as every feed shown is; it has no file yet.
    const QScopedValueRollback placing(m_placingFeed, m_placingFeed + 1);
    FeedDocument::LoadOptions options;
    options.validate = false;
    options.hideErrors = true;
    options.fromFile = false;
    options.status = statusText();
    if (!m_document->load(feed->buildXML(), entry, options).loaded())
        return;
    m_feedList->prepend(entry);
    selectDocumentRow();
    archiveCurrentFeedList();
    updateTabAvailability();
    setWindowTitleFromEntry();
    m_document->setAutoPubDate(automatic);
    setDocumentEdited(true);
    updateFeedAutoPubDate();
    showSelectedTab(FeedsTab);
    setStatusText(entry.fileName);
    validateCommands();
}

void Vellumcast::moveDownFeed()
{
    finalizeChanges();
    const int row = m_listBox ? m_listBox->selectedRow() : -1;
    if (row < 0 || row >= m_feedList->count() - 1)
        return;
    m_feedList->move(row, row + 1);
    selectDocumentRow();
    archiveCurrentFeedList();
}

void Vellumcast::moveUpFeed()
{
    finalizeChanges();
    const int row = m_listBox ? m_listBox->selectedRow() : -1;
    if (row <= 0 || row >= m_feedList->count())
        return;
    m_feedList->move(row, row - 1);
    selectDocumentRow();
    archiveCurrentFeedList();
}

void Vellumcast::deleteFeed()
{
    finalizeChanges();
    const int row = m_listBox ? m_listBox->selectedRow() : -1;
    if (m_feedList->isRow(row)) {
        Alert sure;
        sure.style = Alert::Style::Critical;
        sure.title = QStringLiteral("Warning");
        sure.message
            = QStringLiteral("Are you sure you want to remove this feed from your list of feeds?");
        sure.defaultButton = QStringLiteral("Yes");
        sure.alternateButton = QStringLiteral("No");
        if (AlertService::show(sure) != AlertService::kDefault)
            return;
        // The selected row is the loaded feed's: its unsaved changes are asked about first.
        if (askToSaveFeed(Leaving::OpeningAnother)) {
            // The feed that takes its place must keep its own edited state (a feed from the web,
            // or one repaired while read, is edited from the start): clear before it loads.
            setDocumentEdited(false, true);
            setImageEdited(false);
            VLXPreferences::removeUniqueKey(m_feedList->entry(row).uniqueIdentifier);
            m_feedList->removeAt(row);
            archiveCurrentFeedList();
            updateTabAvailability();
            if (!m_feedList->isEmpty()) {
                m_listBox->selectRowAndNotifyDelegate(qMin(row, m_feedList->count() - 1), true);
                // A feed that could not be read leaves the window without a listed feed.
                if (lastFeedViewed() < 0)
                    newDocument();
            }
        }
    }
    ensureAFeed();
    validateCommands();
}

// --- Wiring -------------------------------------------------------------------------------------

void Vellumcast::setUpActions()
{
    const QList<QPair<const char *, void (Vellumcast::*)()>> commands {
        {"newDocument", &Vellumcast::newDocument},
        {"deleteFeed", &Vellumcast::deleteFeed},
        {"moveUpFeed", &Vellumcast::moveUpFeed},
        {"moveDownFeed", &Vellumcast::moveDownFeed},
    };
    for (const auto &[name, action] : commands)
        setCommandHandler(QLatin1String(name), [this, action = action] { (this->*action)(); });
}
