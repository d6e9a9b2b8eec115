#include "app/Vellumcast.h"

#include "app/Controller.h"
#include "io/VLXParseFeed.h"
#include "platform/AlertService.h"
#include "platform/DefaultsStore.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXHelpAnchored.h"
#include "ui/VLXListBox.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextViewHTML.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMimeData>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QUuid>

namespace {
Vellumcast *&theInstance()
{
    static Vellumcast *instance = nullptr;
    return instance;
}

Alert informational(const QString &title, const QString &message)
{
    Alert alert;
    alert.style = Alert::Style::Informational;
    alert.title = title;
    alert.message = message;
    return alert;
}

const QString kFeedListKey = QStringLiteral("feedListKey");
const QString kFileName = QStringLiteral("feedFileName");
const QString kFeedURL = QStringLiteral("feedURL");
const QString kTransient = QStringLiteral("isTransient");
const QString kUniqueIdentifier = QStringLiteral("UniqueIdentifier");

// A path or URL text as a URL: absolute paths become file URLs.
QUrl urlFromString(const QString &text)
{
    if (text.startsWith(QLatin1Char('/')))
        return QUrl::fromLocalFile(text);
    return QUrl(text);
}

QString localPathOf(const QString &feedURL)
{
    const QUrl url = urlFromString(feedURL);
    if (url.isLocalFile())
        return url.toLocalFile();
    if (url.scheme().isEmpty())
        return url.path();
    return {};
}
} // namespace

Vellumcast::Vellumcast(QObject *parent) : QObject(parent)
{
    if (!theInstance())
        theInstance() = this;
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
    return {{kFileName, fileName},
            {kFeedURL, url},
            {kTransient, transient ? 1 : 0},
            {kUniqueIdentifier, QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()}};
}

void Vellumcast::showVellumcastWindow(Controller *delegate)
{
    if (!m_documentWindow) {
        buildWindow();
        buildCommands();
        buildMenus();
        restoreWindowFrame();
        setupToolbar();
        setUpEditing();
    }
    m_feedController = delegate;
    auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files"));
    const bool returnIsNL
        = VLXPreferences::objectForKey(QStringLiteral("M_ReturnIsNL")).toInt() != 0;
    for (const char *name : {"Feeds_Required_Description", "Items_Required_Description"})
        outlet<VLXTextViewHTML>(QLatin1String(name))->setReturnIsNL(returnIsNL);

    // The stored list, without the entries of feeds that have no file of the user's.
    bool selected = false;
    const auto stored = userDefaults().array(kFeedListKey);
    if (stored) {
        for (const QVariant &value : *stored) {
            const QVariantMap entry = value.toMap();
            if (entry.isEmpty() || entry.value(kTransient).toInt() == 1)
                continue;
            m_listOfFeeds.append(entry);
        }
        if (m_listOfFeeds.isEmpty()) {
            VLXPreferences::cleanupOrphans(std::nullopt);
        } else {
            QStringList identifiers;
            for (const QVariantMap &entry : std::as_const(m_listOfFeeds))
                identifiers << entry.value(kUniqueIdentifier).toString();
            VLXPreferences::cleanupOrphans(identifiers);
        }
        if (!m_listOfFeeds.isEmpty()) {
            list->reloadData();
            for (int row = 0; row < m_listOfFeeds.size(); ++row) {
                const QString path = localPathOf(m_listOfFeeds[row].value(kFeedURL).toString());
                if (path.isEmpty() || !QFileInfo(path).isFile() || !isItAFeed(path))
                    continue;
                list->selectRowAndNotifyDelegate(row, true);
                selected = true;
                break;
            }
        }
    }
    archiveCurrentFeedList();
    if (m_listOfFeeds.isEmpty() || !selected)
        m_openSampleXml = true;
    updateTabAvailability();
    validateCommands();
    m_documentWindow->show();
    m_documentWindow->raise();
    m_documentWindow->activateWindow();
    feedWizardIfNeeded();
}

bool Vellumcast::isItAFeed(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    VLXParseFeed reader;
    return reader.isItAFeed(VLXParseFeed::stringFromXMLData(file.readAll()))
        == VLXParseFeed::Success;
}

void Vellumcast::archiveCurrentFeedList()
{
    QVariantList stored;
    for (const QVariantMap &entry : std::as_const(m_listOfFeeds))
        stored << entry;
    userDefaults().setObject(stored, kFeedListKey);
    QString problem;
    if (!userDefaults().sync(&problem))
        setStatusText(tr("The feed list could not be stored: %1").arg(problem));
    emit feedListChanged();
}

void Vellumcast::addFeed(const QVariantMap &entry)
{
    m_listOfFeeds.prepend(entry);
    if (auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files")))
        list->reloadData();
    updateTabAvailability();
}

void Vellumcast::removeDuplicateFeed(const QString &url)
{
    m_listOfFeeds.removeIf(
        [&url](const QVariantMap &entry) { return entry.value(kFeedURL).toString() == url; });
}

void Vellumcast::removeFeedFromList(int row)
{
    if (row < 0 || row >= m_listOfFeeds.size())
        return;
    VLXPreferences::removeUniqueKey(m_listOfFeeds[row].value(kUniqueIdentifier).toString());
    m_listOfFeeds.removeAt(row);
    auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files"));
    list->reloadData();
    archiveCurrentFeedList();
    int next = row < m_lastFeedViewed ? m_lastFeedViewed - 1 : m_lastFeedViewed;
    // Removing the last row while it was loaded: the row that is now last takes its place.
    if (next >= m_listOfFeeds.size())
        next = int(m_listOfFeeds.size()) - 1;
    m_lastFeedViewed = -1;
    updateTabAvailability();
    if (next >= 0) {
        list->selectRowAndNotifyDelegate(next, true);
    } else {
        list->selectRowAndNotifyDelegate(-1, false);
        setCurrentFeed(nullptr);
        m_documentWindow->setWindowTitle(QStringLiteral("Vellumcast"));
        setStatusText(QString());
    }
    validateCommands();
}

void Vellumcast::openFeedAtPathWrapper(const QString &path)
{
    auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files"));
    m_previousFeedViewed = list ? list->selectedRow() + 1 : -1;
    openFeedAtPath(path);
}

QString Vellumcast::sampleFeedPath() const
{
    return QDir(Controller::userFolder()).filePath(QStringLiteral("Feeds/sample.xml"));
}

void Vellumcast::feedWizardIfNeeded()
{
    const QString sample = sampleFeedPath();
    if (m_openSampleXml && QFileInfo(sample).isFile()) {
        const QString url = QUrl::fromLocalFile(sample).toString();
        removeDuplicateFeed(url);
        addFeed(newFeedEntry(QFileInfo(sample).fileName(), url, false));
        setStatusText(QDir::toNativeSeparators(sample));
        populateFeedFromURL(url);
        m_lastFeedViewed = -1;
        outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files"))
            ->selectRowAndNotifyDelegate(0, false);
        m_documentWindow->setWindowTitle(QFileInfo(sample).fileName() + QStringLiteral("[*]"));
        archiveCurrentFeedList();
        setDocumentEdited(false, true);
    }
    m_openSampleXml = false;
    QTimer::singleShot(250, this, &Vellumcast::feedWizardIfNeededAfterDelay);
}

void Vellumcast::feedWizardIfNeededAfterDelay()
{
    if (m_terminating || !m_documentWindow)
        return;
    const QString sampleURL = QUrl::fromLocalFile(sampleFeedPath()).toString();
    if (m_listOfFeeds.size() == 1
        && m_listOfFeeds.first().value(kFeedURL).toString() == sampleURL) {
        Alert offer;
        offer.style = Alert::Style::Informational;
        offer.title = QStringLiteral("Feed Creation Wizard");
        offer.message
            = QStringLiteral("Would you like to use Vellumcast's \"Feed Creation Wizard\" "
                             "to walk you through creating a new feed?");
        offer.defaultButton = QStringLiteral("Yes");
        offer.alternateButton = QStringLiteral("No");
        if (AlertService::show(offer) != AlertService::kDefault)
            return;
        if (hasCommandHandler(QStringLiteral("feedWizard"))) {
            runCommand(QStringLiteral("feedWizard"));
        } else {
            AlertService::show(informational(
                QStringLiteral("Feed Creation Wizard"),
                tr("The Feed Creation Wizard is not available in this version yet. You can "
                   "edit the sample feed to make it your own.")));
        }
    } else if (m_listOfFeeds.isEmpty()) {
        if (hasCommandHandler(QStringLiteral("newDocument")))
            runCommand(QStringLiteral("newDocument"));
    }
}

bool Vellumcast::shouldTerminate()
{
    if (m_terminating)
        return true;
    storeToolbarConfiguration(m_tabsFeedsIndex);
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
    }
    return QObject::eventFilter(watched, event);
}

void Vellumcast::updateTabAvailability()
{
    // Without any feed there is nothing to show in the item and image tabs.
    auto *tabs = outlet<QTabWidget>(QStringLiteral("tabsFeeds"));
    if (!tabs)
        return;
    const bool any = !m_listOfFeeds.isEmpty();
    tabs->setTabEnabled(ItemsTab, any);
    tabs->setTabEnabled(ImageTab, any);
}

// The feed list.

int Vellumcast::numberOfRowsInListBox(VLXListBox *)
{
    return int(m_listOfFeeds.size());
}

QString Vellumcast::listBoxObjectValueForRow(VLXListBox *, int row)
{
    if (row < 0 || row >= m_listOfFeeds.size())
        return {};
    const QVariantMap &entry = m_listOfFeeds[row];
    VLXPreferences::checkVersion(entry.value(kUniqueIdentifier).toString());
    if (VLXPreferences::objectForKey(QStringLiteral("M_HidePath")).toInt() != 0)
        return entry.value(kFileName).toString();
    const QString stored = entry.value(kFeedURL).toString();
    const QUrl url = urlFromString(stored);
    if (url.scheme().isEmpty() || url.isLocalFile()) {
        const QString path = url.isLocalFile() ? url.toLocalFile() : url.path();
        if (path.isEmpty())
            return entry.value(kFileName).toString();
        const QString home = QDir::homePath();
        if (path == home || path.startsWith(home + QLatin1Char('/')))
            return QLatin1Char('~') + path.mid(home.size());
        return path;
    }
    return stored;
}

bool Vellumcast::listBoxShouldSelectRow(VLXListBox *listBox, int row)
{
    m_previousFeedViewed = listBox->selectedRow();
    if (m_leaveQuestion && !m_leaveQuestion())
        return false;
    if (row < 0 || row >= m_listOfFeeds.size())
        return false;
    const QVariantMap &entry = m_listOfFeeds[row];
    if (entry.value(kTransient).toInt() != 0)
        return true;
    const QString path = localPathOf(entry.value(kFeedURL).toString());
    if (!path.isEmpty() && QFileInfo(path).isFile())
        return true;
    Alert missing;
    missing.title = QStringLiteral("Warning");
    missing.message = QStringLiteral("This feed could not be opened at this time.  Would you like "
                                     "to remove this feed from the list?");
    missing.defaultButton = QStringLiteral("Yes");
    missing.alternateButton = QStringLiteral("No");
    if (AlertService::show(missing) == AlertService::kDefault)
        QTimer::singleShot(100, this, [this, row] { removeFeedFromList(row); });
    return false;
}

void Vellumcast::listBoxNewRowSelected(VLXListBox *, int row)
{
    if (row < 0 || row >= m_listOfFeeds.size())
        return;
    m_lastFeedViewed = row;
    const QVariantMap entry = m_listOfFeeds[row];
    const QString feedURL = entry.value(kFeedURL).toString();
    const QUrl url = urlFromString(feedURL);
    const bool fetched = !url.scheme().isEmpty() && !url.isLocalFile();
    if (fetched) {
        setStatusText(feedURL);
    } else {
        setStatusText(QDir::toNativeSeparators(localPathOf(feedURL)));
    }
    if (auto *tabs = outlet<QTabWidget>(QStringLiteral("tabsFeeds")))
        tabs->setCurrentIndex(FeedsTab);
    if (auto *sub = outlet<QTabWidget>(QStringLiteral("tabsFeeds_FeedsSub")))
        sub->setCurrentIndex(0);
    populateFeedFromURL(feedURL);
    applyEntryToFeed(entry);
    // A feed read from the web has no file of its own yet: it asks to be saved.
    if (fetched)
        setDocumentEdited(true);
    m_documentWindow->setWindowTitle(entry.value(kFileName).toString() + QStringLiteral("[*]"));
    if (m_previousFeedViewed >= 0 && m_previousFeedViewed < m_listOfFeeds.size()) {
        const QVariantMap &previous = m_listOfFeeds[m_previousFeedViewed];
        if (previous.value(kTransient).toInt() == 1
            && previous.value(kFeedURL).toString().isEmpty()) {
            const int left = m_previousFeedViewed;
            QTimer::singleShot(10, this, [this, left] { removeFeedFromList(left); });
        }
    }
    m_previousFeedViewed = -1;
    validateCommands();
}

Qt::DropActions Vellumcast::listBoxValidateDrop(VLXListBox *, const QMimeData *data)
{
    return data && data->hasUrls()
        ? Qt::DropActions(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction)
        : Qt::DropActions();
}

bool Vellumcast::listBoxAcceptDrop(VLXListBox *listBox, const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().isEmpty())
        return false;
    const QUrl first = data->urls().first();
    const QString text = first.isLocalFile() ? first.toLocalFile() : first.toString();
    m_documentWindow->raise();
    m_documentWindow->activateWindow();
    Alert ask;
    ask.style = Alert::Style::Informational;
    ask.title = QStringLiteral("Feed Drag");
    ask.message = QStringLiteral("What do you want to do with the feed \"%1\"").arg(text);
    ask.defaultButton = QStringLiteral("Open feed");
    ask.alternateButton = QStringLiteral("Cancel");
    ask.otherButton = QStringLiteral("Import into this feed");
    const int answer = AlertService::show(ask);
    if (answer == AlertService::kDefault) {
        m_previousFeedViewed = listBox->selectedRow() + 1;
        QTimer::singleShot(10, this, [this, text] { openFeedAtPath(text); });
        return true;
    }
    if (answer == AlertService::kOther) {
        if (const auto import = m_handlers.value(QStringLiteral("importFeedItemsFromDrop")))
            QTimer::singleShot(10, this, import);
        return true;
    }
    return false;
}

// Accessors.

QVariant Vellumcast::currentFeedObjectForKey(const QString &key) const
{
    auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files"));
    const int row = list ? list->selectedRow() : -1;
    if (row < 0 || row >= m_listOfFeeds.size())
        return {};
    return m_listOfFeeds[row].value(key);
}

void Vellumcast::currentFeedSetObject(const QVariant &value, const QString &key)
{
    auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files"));
    const int row = list ? list->selectedRow() : -1;
    if (row >= 0 && row < m_listOfFeeds.size())
        m_listOfFeeds[row].insert(key, value);
}

void Vellumcast::currentFeedRemoveObjectForKey(const QString &key)
{
    auto *list = outlet<VLXListBox>(QStringLiteral("Feeds_Required_Files"));
    const int row = list ? list->selectedRow() : -1;
    if (row >= 0 && row < m_listOfFeeds.size())
        m_listOfFeeds[row].remove(key);
}

int Vellumcast::selectedItemRow() const
{
    auto *items = outlet<VLXTableView>(QStringLiteral("Items_Required_Items"));
    return items ? items->selectedRow() : -1;
}

bool Vellumcast::isDescendantOfItemTabs(const QWidget *view) const
{
    const QWidget *tabs = outlet(QStringLiteral("tabsFeeds_ItemsSub"));
    return tabs && view && (view == tabs || tabs->isAncestorOf(view));
}

void Vellumcast::selectFeed()
{
    if (auto *tabs = outlet<QTabWidget>(QStringLiteral("tabsFeeds")))
        tabs->setCurrentIndex(FeedsTab);
}

void Vellumcast::reloadItemTable()
{
    if (auto *items = outlet<VLXTableView>(QStringLiteral("Items_Required_Items")))
        items->reloadData();
}

// The status line.

void Vellumcast::setStatusText(const QString &text)
{
    if (m_statusText)
        m_statusText->setText(text);
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
