#include "app/Vellumcast.h"

#include "app/Controller.h"
#include "app/DocumentActions.h"
#include "app/ExtensionActions.h"
#include "app/FeedOpening.h"
#include "app/FeedSaving.h"
#include "app/FindReplace.h"
#include "app/HTMLEditing.h"
#include "app/ImageActions.h"
#include "app/ItemActions.h"
#include "app/ItemsPane.h"
#include "app/LoadRunner.h"
#include "app/OutputActions.h"
#include "app/ParseLogPanel.h"
#include "app/PublishHandOff.h"
#include "app/ToolHandOffs.h"
#include "app/ValidationActions.h"
#include "app/VellumcastHost.h"
#include "app/WindowCommands.h"
#include "document/FeedFields.h"
#include "document/FeedListModel.h"
#include "editors/errorListing.h"
#include "model/VLXItems.h"
#include "panes/EditTracker.h"
#include "platform/AlertService.h"
#include "platform/DefaultsStore.h"
#include "platform/ShownText.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXHelpAnchored.h"
#include "ui/VLXListBox.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextViewHTML.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>

namespace {
Vellumcast *&theInstance()
{
    static Vellumcast *instance = nullptr;
    return instance;
}
} // namespace

Vellumcast::Vellumcast(QObject *parent)
    : QObject(parent), m_document(new FeedDocument(this)), m_feedList(new FeedListModel(this)),
      m_editTracker(new EditTracker(this)), m_loader(new LoadRunner(nullptr, this))
{
    m_commands = new WindowCommands(*this, this);
    m_parseLog = new ParseLogPanel(*this, this);
    m_imageActions = new ImageActions(*this, this);
    m_saving = new FeedSaving(*this, *m_imageActions, *m_parseLog, this);
    m_opening = new FeedOpening(*this, *m_saving, this);
    m_documentActions = new DocumentActions(*this, *m_opening, *m_saving, this);
    m_itemActions = new ItemActions(*this, this);
    m_extensionActions = new ExtensionActions(*this, this);
    m_validation = new ValidationActions(*this, *m_opening, *m_saving, this);
    m_tools = new ToolHandOffs(*this, *m_saving, *m_documentActions, *m_itemActions, this);
    m_findReplace = new FindReplace(*this, *m_saving, this);
    m_output = new OutputActions(*this, *m_saving, this);
    m_publishing = new PublishHandOff(*this, *m_saving, this);
    m_htmlEditing = new HTMLEditing(*this, this);
    connect(m_loader, &LoadRunner::statusChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            setStatusText(text);
    });
    if (!theInstance())
        theInstance() = this;
    VellumcastHost::install();
    FeedDocument::setSourceEditor([](const QString &text, const FeedDocument::Refusal &why) {
        return Vellumcast::editXMLText(XMLSourceEditing::mending(text, why));
    });
    connectDocument();
}

Vellumcast::~Vellumcast()
{
    if (theInstance() == this)
        theInstance() = nullptr;
    // The dying window still sends events through our filter; stop listening first.
    if (m_documentWindow)
        m_documentWindow->removeEventFilter(this);
    delete m_documentWindow;
}

Vellumcast *Vellumcast::sharedInstance()
{
    if (!theInstance())
        new Vellumcast(qApp);
    return theInstance();
}

Vellumcast *Vellumcast::existingInstance()
{
    return theInstance();
}

DefaultsStore &Vellumcast::userDefaults()
{
    return VLXPreferences::sharedInstance().store();
}

QVariantMap Vellumcast::newFeedEntry(const QString &fileName, const QString &url, bool transient)
{
    return FeedListEntry::make(fileName, url, transient).toMap();
}

void Vellumcast::showVellumcastWindow(Controller *delegate)
{
    if (!m_documentWindow) {
        buildWindow();
        m_commands->buildCommands();
        m_commands->buildMenus();
        restoreWindowFrame();
        m_commands->setupToolbar();
        m_documentActions->setUpDocumentCommands();
        setQuitQuestion(
            [this] { return m_saving->askToSaveChanges(FeedSaving::Leaving::Quitting); });
        setLeaveQuestion(
            [this] { return m_saving->askToSaveChanges(FeedSaving::Leaving::OpeningAnother); });
        m_parseLog->setUpMessagePanel(
            [this](const QString &title) { selectFeedItemWithTitle(title); });
        m_itemActions->connectActionControls();
        m_validation->setUpValidationCommands();
        m_extensionActions->connectExtensionControls([this] { updateExtensionTabs(); });
        m_imageActions->setUpImageCommands();
        m_output->setUpOutputCommands();
        m_publishing->setUpPublishing();
        m_findReplace->setUpFindCommands();
    }
    m_feedController = delegate;
    const bool returnIsNL
        = VLXPreferences::objectForKey(QStringLiteral("M_ReturnIsNL")).toInt() != 0;
    for (const QLatin1String name : {FeedFields::kFeedDescription, FeedFields::kItemDescription})
        outlet<VLXTextViewHTML>(name)->setReturnIsNL(returnIsNL);

    // The stored list, without the entries of feeds that have no file of the user's.
    if (userDefaults().contains(FeedListModel::kFeedListKey)) {
        FeedOpening::moveStoredCredentials();
        m_feedList->load(userDefaults());
        QStringList identifiers;
        for (const FeedListEntry &entry : m_feedList->entries())
            identifiers << entry.uniqueIdentifier;
        VLXPreferences::cleanupOrphans(identifiers.isEmpty() ? std::nullopt
                                                             : std::optional(identifiers));
    }
    archiveCurrentFeedList();
    updateTabAvailability();
    validateCommands();
    m_documentWindow->show();
    m_documentWindow->raise();
    m_documentWindow->activateWindow();
    // The window paints first: reading a big remembered feed would keep it blank.
    m_opening->setStartupPending(true);
    m_startingUp = true;
    QTimer::singleShot(0, this, &Vellumcast::openRememberedFeed);
}

void Vellumcast::openRememberedFeed()
{
    if (m_terminating || !m_documentWindow) {
        m_startingUp = false;
        return;
    }
    // A feed opened before this ran (a document handed over at start) is the one shown.
    if (m_opening->takeStartupPending()) {
        bool selected = false;
        for (int row = 0; row < m_feedList->count(); ++row) {
            const QString path = m_feedList->entry(row).localPath();
            if (path.isEmpty() || !QFileInfo(path).isFile())
                continue;
            const std::optional<bool> isFeed = m_opening->checkFeedFile(path);
            // A start-up load the user cancelled tries no other feed.
            if (!isFeed)
                break;
            if (!*isFeed)
                continue;
            m_listBox->selectRowAndNotifyDelegate(row, true);
            selected = m_document->entry().localPath() == path;
            break;
        }
        m_opening->forgetCheckedFeed();
        if (m_feedList->isEmpty() || !selected)
            m_openSampleXml = true;
        updateTabAvailability();
        validateCommands();
    }
    feedWizardIfNeeded();
    m_startingUp = false;
}

void Vellumcast::openFeedAtPathWrapper(const QString &path)
{
    rememberPreviousEntry();
    openFeedAtPath(path);
}

void Vellumcast::openFeedAtPath(const QString &path)
{
    m_opening->openFeedAtPath(path);
}

QString Vellumcast::sampleFeedPath() const
{
    return QDir(Controller::userFolder()).filePath(QStringLiteral("Feeds/sample.xml"));
}

void Vellumcast::feedWizardIfNeeded()
{
    const QString sample = sampleFeedPath();
    if (m_openSampleXml && QFileInfo(sample).isFile()) {
        const PlacingFeed placing(*this);
        const QString url = QUrl::fromLocalFile(sample).toString();
        const FeedListEntry entry = FeedListEntry::make(QFileInfo(sample).fileName(), url, false);
        setStatusText(QDir::toNativeSeparators(sample));
        if (m_opening->loadEntry(entry)) {
            m_feedList->removeURL(url);
            m_feedList->prepend(entry);
            selectDocumentRow();
            setWindowTitleFromEntry();
            archiveCurrentFeedList();
            setDocumentEdited(false, true);
            updateTabAvailability();
        }
    }
    m_openSampleXml = false;
    QTimer::singleShot(250, this, &Vellumcast::feedWizardIfNeededAfterDelay);
}

void Vellumcast::feedWizardIfNeededAfterDelay()
{
    if (m_terminating || !m_documentWindow)
        return;
    // A feed being read (one handed over at the start) or put in place decides first what the
    // window shows; so does a question or dialog up meanwhile.
    if (m_loader->isRunning() || m_placingFeed > 0 || QApplication::activeModalWidget()) {
        QTimer::singleShot(250, this, &Vellumcast::feedWizardIfNeededAfterDelay);
        return;
    }
    const QString sampleURL = QUrl::fromLocalFile(sampleFeedPath()).toString();
    // The wizard is offered only while one is there to run.
    if (m_feedList->count() == 1 && m_feedList->entry(0).url == sampleURL
        && hasCommandHandler(QStringLiteral("feedWizard"))) {
        Alert offer;
        offer.style = Alert::Style::Informational;
        offer.title = QStringLiteral("Feed Creation Wizard");
        offer.message
            = QStringLiteral("Would you like to use Vellumcast's \"Feed Creation Wizard\" "
                             "to walk you through creating a new feed?");
        offer.defaultButton = QStringLiteral("Yes");
        offer.alternateButton = QStringLiteral("No");
        if (AlertService::show(offer) == AlertService::kDefault)
            runCommand(QStringLiteral("feedWizard"));
    } else if (m_feedList->isEmpty() || lastFeedViewed() < 0) {
        // The window always shows a feed: a new one when none of the list could be shown (a
        // start-up load the user cancelled, listed files that are gone or are no feeds).
        if (hasCommandHandler(QStringLiteral("newDocument")))
            runCommand(QStringLiteral("newDocument"));
    }
}

bool Vellumcast::shouldTerminate()
{
    if (m_terminating)
        return true;
    m_commands->storeToolbarConfiguration(m_tabsFeedsIndex);
    saveWindowFrame();
    if (m_quitQuestion && !m_quitQuestion())
        return false;
    m_terminating = true;
    return true;
}

bool Vellumcast::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close && watched == m_documentWindow) {
        if (!shouldTerminate()) {
            event->ignore();
            return true;
        }
        ParseLogPanel::closeMessagePanel();
    }
    return QObject::eventFilter(watched, event);
}

void Vellumcast::updateTabAvailability()
{
    // Without any feed there is nothing to show in the item and image tabs.
    auto *tabs = outlet<QTabWidget>(QStringLiteral("tabsFeeds"));
    if (!tabs)
        return;
    const bool any = !m_feedList->isEmpty();
    tabs->setTabEnabled(ItemsTab, any);
    tabs->setTabEnabled(ImageTab, any);
}

// Accessors.

QVariant Vellumcast::currentFeedObjectForKey(const QString &key) const
{
    if (m_document->entry().isNull())
        return {};
    return m_document->entry().value(key);
}

void Vellumcast::currentFeedSetObject(const QVariant &value, const QString &key)
{
    if (m_document->entry().isNull())
        return;
    FeedListEntry entry = m_document->entry();
    entry.setValue(key, value);
    m_document->setEntry(entry);
}

void Vellumcast::currentFeedRemoveObjectForKey(const QString &key)
{
    if (m_document->entry().isNull())
        return;
    FeedListEntry entry = m_document->entry();
    entry.remove(key);
    m_document->setEntry(entry);
}

void Vellumcast::selectFeed()
{
    showSelectedTab(FeedsTab);
}

void Vellumcast::showSelectedTab(int tab)
{
    if (auto *tabs = outlet<QTabWidget>(QStringLiteral("tabsFeeds")))
        tabs->setCurrentIndex(tab);
    static const char *const subs[]
        = {"tabsFeeds_FeedsSub", "tabsFeeds_ItemsSub", "tabsFeeds_ImagesSub"};
    if (auto *sub = outlet<QTabWidget>(QLatin1String(subs[tab])))
        sub->setCurrentIndex(0);
}

// The status line.

void Vellumcast::setStatusText(const QString &text)
{
    if (m_statusText)
        m_statusText->setText(ShownText::fitted(text));
}

QString Vellumcast::statusText() const
{
    return m_statusText ? m_statusText->text() : QString();
}

void Vellumcast::addButtonToStatusLine(QWidget *view)
{
    if (!view || !m_documentWindow)
        return;
    // The accessory sits left of the status text, which gives up the room it takes.
    m_documentWindow->statusBar()->insertWidget(0, view);
    view->show();
}

void Vellumcast::removeButtonToStatusLine(QWidget *view)
{
    if (!view || !m_documentWindow)
        return;
    m_documentWindow->statusBar()->removeWidget(view);
}

bool Vellumcast::helpForField(const QString &anchor)
{
    if (m_feedController)
        return m_feedController->helpForField(anchor);
    return VLXHelpAnchored::helpForField(anchor);
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

// Commands.

QAction *Vellumcast::command(const QString &name) const
{
    return m_commands->command(name);
}

void Vellumcast::setCommandHandler(const QString &name, std::function<void()> handler)
{
    m_commands->setCommandHandler(name, std::move(handler));
}

bool Vellumcast::hasCommandHandler(const QString &name) const
{
    return m_commands->hasCommandHandler(name);
}

void Vellumcast::runCommand(const QString &name)
{
    m_commands->runCommand(name);
}

void Vellumcast::validateCommands()
{
    m_commands->validateCommands();
}

// For the item import, the publisher and the namespace panes.

void Vellumcast::insertItems(const QList<std::shared_ptr<VLXItems>> &items, int row,
                             const QString &undoName)
{
    m_itemActions->insertItems(items, row, undoName);
}

const std::shared_ptr<OPMLTool> &Vellumcast::opmlTool() const
{
    return m_tools->opmlTool();
}

void Vellumcast::editWYSIWYG(const FeedField &field, int row, const QString &title)
{
    m_htmlEditing->editWYSIWYG(field, row, title);
}

void Vellumcast::setXMLSourceEditor(XMLSourceEditor editor)
{
    XMLSourceEditing::setEditor(std::move(editor));
}

std::optional<QString> Vellumcast::editXMLText(const XMLSourceRequest &request)
{
    Vellumcast *window = existingInstance();
    return XMLSourceEditing::edit(request, window ? window->window() : nullptr);
}
