#include "app/DocumentActions.h"

#include "app/FeedOpening.h"
#include "app/FeedSaving.h"
#include "app/ItemActions.h"
#include "app/WindowServices.h"
#include "document/VLXUndoManager.h"
#include "editors/openURLPanel.h"
#include "platform/DefaultsStore.h"
#include "platform/FileChooser.h"

#include <QDir>
#include <QFileInfo>

#include "app/SmartDateRules.h"
#include "document/FeedListModel.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerImage.h"
#include "platform/AlertService.h"
#include "settings/VLXPreferences.h"

DocumentActions::DocumentActions(WindowServices &window, FeedOpening &opening, FeedSaving &saving,
                                 QObject *parent)
    : QObject(parent), m_window(window), m_opening(opening), m_saving(saving),
      m_document(window.document()), m_feedList(window.feedList())
{
}

void DocumentActions::ensureAFeed()
{
    if (m_feedList->isEmpty() && !m_window.isTerminating() && m_window.window())
        newDocument();
}

void DocumentActions::newDocument()
{
    if (!m_saving.askToSaveChanges(FeedSaving::Leaving::CreatingNew))
        return;
    m_document->setEdited(false, true);
    m_document->setImageEdited(false);

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
    const PlacingFeed placing(m_window);
    FeedDocument::LoadOptions options;
    options.validate = false;
    options.hideErrors = true;
    options.fromFile = false;
    options.status = m_window.statusText();
    if (!m_document->load(feed->buildXML(), entry, options).loaded())
        return;
    m_feedList->prepend(entry);
    m_window.selectDocumentRow();
    m_window.archiveCurrentFeedList();
    m_window.updateTabAvailability();
    m_window.setWindowTitleFromEntry();
    m_document->setAutoPubDate(automatic);
    m_document->setEdited(true);
    m_document->refreshFeedPubDate();
    m_window.showSelectedTab(WindowServices::FeedsTab);
    m_window.setStatusText(entry.fileName);
    m_window.validateCommands();
}

void DocumentActions::moveDownFeed()
{
    m_window.finalizeChanges();
    const int row = m_window.selectedFeedRow();
    if (row < 0 || row >= m_feedList->count() - 1)
        return;
    m_feedList->move(row, row + 1);
    m_window.selectDocumentRow();
    m_window.archiveCurrentFeedList();
}

void DocumentActions::moveUpFeed()
{
    m_window.finalizeChanges();
    const int row = m_window.selectedFeedRow();
    if (row <= 0 || row >= m_feedList->count())
        return;
    m_feedList->move(row, row - 1);
    m_window.selectDocumentRow();
    m_window.archiveCurrentFeedList();
}

void DocumentActions::deleteFeed()
{
    m_window.finalizeChanges();
    const int row = m_window.selectedFeedRow();
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
        if (m_saving.askToSaveFeed(FeedSaving::Leaving::OpeningAnother)) {
            // The feed that takes its place must keep its own edited state (a feed from the web,
            // or one repaired while read, is edited from the start): clear before it loads.
            m_document->setEdited(false, true);
            m_document->setImageEdited(false);
            VLXPreferences::removeUniqueKey(m_feedList->entry(row).uniqueIdentifier);
            m_feedList->removeAt(row);
            m_window.archiveCurrentFeedList();
            m_window.updateTabAvailability();
            if (!m_feedList->isEmpty()) {
                m_window.selectFeedRow(qMin(row, m_feedList->count() - 1), true);
                // A feed that could not be read leaves the window without a listed feed.
                if (m_window.lastFeedViewed() < 0)
                    newDocument();
            }
        }
    }
    ensureAFeed();
    m_window.validateCommands();
}

void DocumentActions::setUpDocumentCommands()
{
    if (!m_window.hasCommandHandler(QStringLiteral("saveDocument")))
        m_window.setCommandHandler(QStringLiteral("saveDocument"), [this] {
            m_saving.actualSaveDocument(m_window.lastFeedViewed());
        });
    if (!m_window.hasCommandHandler(QStringLiteral("saveDocumentAs")))
        m_window.setCommandHandler(QStringLiteral("saveDocumentAs"), [this] {
            m_saving.actualSaveDocumentAs(m_window.lastFeedViewed());
        });
    // Whatever way Open and Open URL end, the window is left with a feed.
    if (!m_window.hasCommandHandler(QStringLiteral("openDocument")))
        m_window.setCommandHandler(QStringLiteral("openDocument"), [this] {
            openDocument();
            ensureAFeed();
        });
    if (!m_window.hasCommandHandler(QStringLiteral("openURL")))
        m_window.setCommandHandler(QStringLiteral("openURL"), [this] {
            openURL();
            ensureAFeed();
        });
    if (!m_window.hasCommandHandler(QStringLiteral("revertDocumentToSaved")))
        m_window.setCommandHandler(QStringLiteral("revertDocumentToSaved"), [this] {
            m_window.finalizeChanges();
            // The file as it was read (or last saved), not as it may be on disk now.
            const QByteArray bytes = m_document->bytes();
            const QString text = bytes.isNull() ? m_document->text() : QString();
            if (bytes.isEmpty() && text.isEmpty())
                return;
            const FeedDocument::LoadResult read = m_opening.rereadLoadedFeed(bytes, text);
            if (!read.loaded())
                return;
            m_document->setEdited(false, true);
            m_document->setImageEdited(false);
            // A feed the reader repaired (or that was mended, or got an item) is still not what
            // its file holds: it asks to be saved, as it did when it was opened.
            if (read.changedInReading())
                m_document->setEdited(true);
        });
    m_window.setCommandHandler(QStringLiteral("undo"),
                               [this] { m_document->undoManager()->undo(); });
    m_window.setCommandHandler(QStringLiteral("redo"),
                               [this] { m_document->undoManager()->redo(); });
    const QList<QPair<const char *, void (DocumentActions::*)()>> feedCommands {
        {"newDocument", &DocumentActions::newDocument},
        {"deleteFeed", &DocumentActions::deleteFeed},
        {"moveUpFeed", &DocumentActions::moveUpFeed},
        {"moveDownFeed", &DocumentActions::moveDownFeed},
    };
    for (const auto &[name, action] : feedCommands)
        m_window.setCommandHandler(QLatin1String(name),
                                   [this, action = action] { (this->*action)(); });
}

void DocumentActions::openDocument()
{
    // The question comes before the panel: Cancel there leaves everything as it is.
    m_window.finalizeChanges();
    if (!m_saving.askToSaveChanges(FeedSaving::Leaving::OpeningAnother))
        return;
    m_window.showSelectedTab(WindowServices::FeedsTab);
    FileRequest request;
    request.kind = FileRequest::Kind::OpenFile;
    request.title = tr("Open Feed");
    request.directory = VLXPreferences::sharedInstance()
                            .store()
                            .string(QStringLiteral("LastFeedOpenPath"))
                            .value_or(QDir::homePath());
    const QStringList chosen = FileChooser::run(request);
    if (chosen.isEmpty())
        return;
    VLXPreferences::sharedInstance().store().setObject(QFileInfo(chosen.first()).absolutePath(),
                                                       QStringLiteral("LastFeedOpenPath"));
    m_window.rememberPreviousEntry();
    m_opening.openAskedFeed(chosen.first());
}

void DocumentActions::openURL()
{
    m_window.finalizeChanges();
    if (!m_saving.askToSaveChanges(FeedSaving::Leaving::OpeningAnother))
        return;
    m_window.showSelectedTab(WindowServices::FeedsTab);
    // The panel offers the addresses opened before, most recent first.
    const std::optional<QUrl> url
        = openURLPanel::askForURL(m_window.window(), QStringLiteral("feedDownloadHistory"));
    if (!url)
        return;
    QString address = url->toString(QUrl::FullyEncoded);
    if (url->scheme().isEmpty())
        address = QStringLiteral("http://") + address;
    m_window.rememberPreviousEntry();
    m_opening.openAskedFeed(address);
}
