// The feed list as the window shows it: the list model's rows in the list box, the loaded entry's
// row always selected, and what a selection, a drop or a removal does.
#include "app/Vellumcast.h"

#include "app/DocumentActions.h"
#include "app/FeedOpening.h"
#include "app/ItemsPane.h"
#include "app/ToolHandOffs.h"
#include "document/FeedListModel.h"
#include "io/FeedCredentials.h"
#include "platform/AlertService.h"
#include "platform/DefaultsStore.h"
#include "platform/ShownText.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QMimeData>
#include <QTimer>

QList<QVariantMap> Vellumcast::currentListOfFeeds() const
{
    return m_feedList->toMaps();
}

void Vellumcast::archiveCurrentFeedList()
{
    QString problem;
    if (!m_feedList->save(userDefaults(), &problem))
        setStatusText(tr("The feed list could not be stored: %1").arg(problem));
    emit feedListChanged();
}

void Vellumcast::addFeed(const QVariantMap &entry)
{
    m_feedList->prepend(FeedListEntry::fromMap(entry));
    updateTabAvailability();
}

void Vellumcast::removeDuplicateFeed(const QString &url)
{
    m_feedList->removeURL(url);
}

void Vellumcast::removeFeedFromList(int row)
{
    if (!m_feedList->isRow(row))
        return;
    const QString identifier = m_feedList->entry(row).uniqueIdentifier;
    VLXPreferences::removeUniqueKey(identifier);
    if (m_feedList->entry(row).isRemote())
        FeedCredentials::forget(identifier);
    m_feedList->removeAt(row);
    archiveCurrentFeedList();
    updateTabAvailability();
    if (identifier != m_document->entry().uniqueIdentifier) {
        // Another entry went: the loaded feed stays selected.
        selectDocumentRow();
    } else if (!m_feedList->isEmpty()) {
        // The loaded entry went: the entry that moves into its row is loaded.
        m_listBox->selectRowAndNotifyDelegate(qMin(row, m_feedList->count() - 1), true);
    } else {
        // The window never stays without a feed: the feed of an entry gone cannot be saved to
        // it any more, and a new one takes its place.
        m_listBox->selectRowAndNotifyDelegate(-1, false);
        setDocumentEdited(false, true);
        setImageEdited(false);
        m_documentActions->ensureAFeed();
    }
    validateCommands();
}

int Vellumcast::selectedFeedRow() const
{
    return m_listBox ? m_listBox->selectedRow() : -1;
}

void Vellumcast::selectFeedRow(int row, bool notify)
{
    if (m_listBox)
        m_listBox->selectRowAndNotifyDelegate(row, notify);
}

void Vellumcast::selectDocumentRow()
{
    if (m_listBox)
        m_listBox->selectRowAndNotifyDelegate(lastFeedViewed(), false);
}

int Vellumcast::lastFeedViewed() const
{
    return m_feedList->rowOf(m_document->entry().uniqueIdentifier);
}

int Vellumcast::previousFeedViewed() const
{
    return m_feedList->rowOf(m_previousEntry);
}

void Vellumcast::rememberPreviousEntry()
{
    m_previousEntry = m_document->entry().uniqueIdentifier;
}

void Vellumcast::dropLeftNewEntry()
{
    const int row = previousFeedViewed();
    m_previousEntry.clear();
    if (row < 0 || !m_feedList->entry(row).isNewUnsaved()
        || m_feedList->entry(row).uniqueIdentifier == m_document->entry().uniqueIdentifier)
        return;
    const QString identifier = m_feedList->entry(row).uniqueIdentifier;
    QTimer::singleShot(10, this,
                       [this, identifier] { removeFeedFromList(m_feedList->rowOf(identifier)); });
}

int Vellumcast::numberOfRowsInListBox(VLXListBox *)
{
    return m_feedList->count();
}

QString Vellumcast::listBoxObjectValueForRow(VLXListBox *, int row)
{
    return m_feedList->displayText(row);
}

bool Vellumcast::listBoxShouldSelectRow(VLXListBox *, int row)
{
    rememberPreviousEntry();
    if (m_leaveQuestion && !m_leaveQuestion())
        return false;
    if (!m_feedList->isRow(row))
        return false;
    const FeedListEntry &entry = m_feedList->entry(row);
    if (entry.transient)
        return true;
    const QString path = entry.localPath();
    if (!path.isEmpty() && QFileInfo(path).isFile())
        return true;
    Alert missing;
    missing.title = QStringLiteral("Warning");
    missing.message = QStringLiteral("This feed could not be opened at this time.  Would you like "
                                     "to remove this feed from the list?");
    missing.defaultButton = QStringLiteral("Yes");
    missing.alternateButton = QStringLiteral("No");
    if (AlertService::show(missing) == AlertService::kDefault) {
        const QString identifier = entry.uniqueIdentifier;
        QTimer::singleShot(
            100, this, [this, identifier] { removeFeedFromList(m_feedList->rowOf(identifier)); });
    }
    return false;
}

void Vellumcast::listBoxNewRowSelected(VLXListBox *, int row)
{
    if (!m_feedList->isRow(row))
        return;
    const PlacingFeed placing(*this);
    const FeedListEntry entry = m_feedList->entry(row);
    setStatusText(entry.isRemote() ? entry.url : QDir::toNativeSeparators(entry.localPath()));
    showSelectedTab(FeedsTab);
    if (!m_opening->loadEntry(entry)) {
        // The feed shown stays, and so does its entry's row: the two always belong together.
        selectDocumentRow();
        setStatusText(QDir::toNativeSeparators(m_document->entry().localPath()));
        validateCommands();
        return;
    }
    // A feed read from the web has no file of its own yet: it asks to be saved.
    if (entry.isRemote())
        setDocumentEdited(true);
    setWindowTitleFromEntry();
    dropLeftNewEntry();
    validateCommands();
}

void Vellumcast::setWindowTitleFromEntry()
{
    if (m_documentWindow)
        m_documentWindow->setWindowTitle(ShownText::fitted(m_document->entry().fileName)
                                         + QStringLiteral("[*]"));
}

Qt::DropActions Vellumcast::listBoxValidateDrop(VLXListBox *, const QMimeData *data)
{
    return data && data->hasUrls()
        ? Qt::DropActions(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction)
        : Qt::DropActions();
}

bool Vellumcast::listBoxAcceptDrop(VLXListBox *, const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().isEmpty())
        return false;
    const QUrl first = data->urls().first();
    const QString text = first.isLocalFile() ? first.toLocalFile() : first.toString();
    m_documentWindow->raise();
    m_documentWindow->activateWindow();
    const int answer = ItemsPane::askAboutDroppedFeed(text, false);
    if (answer == AlertService::kDefault) {
        rememberPreviousEntry();
        QTimer::singleShot(10, this, [this, text] { openFeedAtPath(text); });
        return true;
    }
    if (answer == AlertService::kOther) {
        QTimer::singleShot(10, this, [this, text] { m_tools->importFeedItemsFromDrop(text); });
        return true;
    }
    return false;
}
