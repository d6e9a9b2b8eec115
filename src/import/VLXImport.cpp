#include "import/VLXImport.h"

#include "editors/TimeAndDate.h"
#include "import/ImportedElements.h"
#include "io/VLXParseFeed.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "model/extensionNSName.h"
#include "model/knownNamespaces.h"
#include "panes/WindowHost.h"
#include "platform/AlertService.h"
#include "platform/Clock.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QScreen>
#include <QSet>
#include <QTableView>
#include <algorithm>
#include <utility>

namespace {
const QString kRecentImports = QStringLiteral("RecentImports");

// Gives an imported item exactly the namespaces of the feed it goes into: what only the source
// used goes, what only the destination uses comes in empty, the rest keeps what was read. The
// elements no namespace class holds stay (see ImportedElements).
void reconcileExtensions(VLXItems &item, ImportedElements &kept, const QStringList &dropped,
                         const QStringList &added)
{
    extensionManagerItem &manager = *item.XMLExtensions();
    kept.adopt(manager);
    manager.deleteExtensionsNamed(dropped);
    for (const QString &description : added)
        manager.createExtensionsFromArrayOfDescriptions({description});
}
} // namespace

VLXImport::VLXImport(QWidget *parentWindow, QObject *parent) : QObject(parent)
{
    m_items = new ImportItemModel(this);
    buildWindow(parentWindow);
    buildRecentWindow();
}

VLXImport::~VLXImport()
{
    // A source still coming in has nobody to tell.
    m_opening.reset();
    if (m_itemTable)
        m_itemTable->viewport()->removeEventFilter(this);
    if (m_window)
        m_window->removeEventFilter(this);
    if (m_recentWindow)
        delete m_recentWindow;
    if (m_window)
        delete m_window;
}

bool VLXImport::showImportWindow(std::function<void()> ended)
{
    if (!m_window)
        return false;
    m_ended = std::move(ended);
    setupToolbar();
    updateRecentUsedArray();
    if (!m_destFeedName.isEmpty())
        m_window->setWindowTitle(tr("Import Items into %1").arg(m_destFeedName));
    // Beside the feed window, as far as the screen leaves room for it.
    if (QWidget *feedWindow = m_window->parentWidget()) {
        const QRect frame = feedWindow->frameGeometry();
        QPoint at(frame.right() + 8, frame.top() + 40);
        if (const QScreen *screen = feedWindow->screen()) {
            const QRect room = screen->availableGeometry();
            // The frame is not known before the window shows: leave a margin for it.
            const int right = std::max(room.left(), room.right() - m_window->width() - 16);
            const int bottom = std::max(room.top(), room.bottom() - m_window->height() - 48);
            at = QPoint(std::clamp(at.x(), room.left(), right),
                        std::clamp(at.y(), room.top(), bottom));
        }
        m_window->move(at);
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    if (!m_startingFeed.isEmpty())
        openFeedAtPath(m_startingFeed);
    return true;
}

QString VLXImport::statusText() const
{
    return m_statusMessage ? m_statusMessage->text() : QString();
}

// --- Marks and order ------------------------------------------------------------------------

void VLXImport::markAllItems()
{
    m_items->markAll(true);
    setStatus(QString());
}

void VLXImport::clearAllItems()
{
    m_items->markAll(false);
    setStatus(QString());
}

void VLXImport::markItemsByDate()
{
    TimeAndDate picker;
    picker.setInitialValue(Clock::now());
    if (picker.showCustomSheet(m_window) == 1) {
        m_items->markAll(false);
        markItemsByDate(picker.resultDate());
    }
    setStatus(QString());
}

void VLXImport::markItemsByDate(const QDateTime &after)
{
    m_items->markItemsAfter(after);
}

void VLXImport::importCheckBox(int row)
{
    m_items->toggleMark(row);
    setStatus(QString());
}

void VLXImport::resortItems(ImportItemModel::Order order)
{
    setBusy(true);
    if (m_sortSelector && m_sortSelector->currentIndex() != int(order)) {
        const QSignalBlocker quiet(m_sortSelector);
        m_sortSelector->setCurrentIndex(int(order));
    }
    m_items->sortItems(order);
    setBusy(false);
    if (m_items->itemCount() > 0)
        m_itemTable->selectRow(0);
    showDescription(m_items->itemCount() > 0 ? 0 : -1);
    setStatus(QString());
}

void VLXImport::markItemsSinceLastImport()
{
    const QVariant last = recentImports().value(m_currentImportFeed);
    if (last.isValid() && last.toDateTime().isValid())
        markItemsByDate(last.toDateTime());
}

// --- Import ---------------------------------------------------------------------------------

int VLXImport::doImport()
{
    setStatus(QString());
    WindowHost *window = WindowHost::current();
    if (!m_orginalFeed || m_items->markedCount() == 0 || !window || !window->currentFeed()) {
        QApplication::beep();
        return 0;
    }
    const VLXFeed &destination = *window->currentFeed();
    const std::vector<int> marked = m_items->markedSourceIndexes();
    // A feed of more items than a feed may have would be saved and then refused when opened.
    const qint64 total = qint64(destination.countOfItems()) + qint64(marked.size());
    if (total > VLXParseFeed::kMaximumItems) {
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        Alert alert;
        alert.style = Alert::Style::Critical;
        alert.title = QStringLiteral("Feed Too Large");
        alert.message = QStringLiteral("With the %1 items marked this feed would have %2 items. "
                                       "Vellumcast opens feeds of up to %3 items, so they were "
                                       "not imported.")
                            .arg(english.toString(qint64(marked.size())), english.toString(total),
                                 english.toString(VLXParseFeed::kMaximumItems));
        alert.defaultButton = QStringLiteral("OK");
        AlertService::show(alert);
        return 0;
    }
    const extensionManagerChannel &ours = *destination.XMLExtensions();
    const extensionManagerChannel &theirs = *m_orginalFeed->XMLExtensions();
    const QStringList ourNames = ours.arrayOfExtensionNames();
    const QStringList theirNames = theirs.arrayOfExtensionNames();
    QStringList dropped;
    for (const QString &name : theirNames) {
        if (!ourNames.contains(name) && name != knownNamespaces::kUserDefined)
            dropped << name;
    }
    QStringList added;
    for (const QString &description : ours.arrayOfExtensionDescriptions()) {
        if (!theirNames.contains(extensionNSName::extensionNameFromDescription(description)))
            added << description;
    }
    // Copies: the list keeps its items for further imports, and each import brings new ones.
    QList<std::shared_ptr<VLXItems>> imported;
    imported.reserve(qsizetype(marked.size()));
    ImportedElements kept(destination);
    for (int source : marked) {
        std::shared_ptr<VLXItems> item = m_orginalFeed->itemAtIndex(source)->copy();
        reconcileExtensions(*item, kept, dropped, added);
        imported << std::move(item);
    }
    window->insertItems(imported, 0, QStringLiteral("Import Items"));
    setStatus(tr("%1 items imported").arg(imported.size()));

    // The source remembers when it was opened, so that opening it again marks what is newer.
    QVariantMap recent = recentImports();
    recent.insert(m_currentImportFeed, m_openTime);
    window->currentFeedSetObject(recent, kRecentImports);
    window->archiveCurrentFeedList();
    updateRecentUsedArray();
    return int(imported.size());
}

// --- Recent sources -------------------------------------------------------------------------

QVariantMap VLXImport::recentImports() const
{
    WindowHost *window = WindowHost::current();
    return window ? window->currentFeedObjectForKey(kRecentImports).toMap() : QVariantMap();
}

// --- Closing --------------------------------------------------------------------------------

void VLXImport::cancel()
{
    if (m_recentWindow)
        m_recentWindow->close();
    if (m_window && m_window->isVisible())
        m_window->close(); // ends through the close event
    else
        finish();
}

void VLXImport::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_opening.reset();
    storeToolbarConfiguration();
    if (m_recentWindow)
        m_recentWindow->hide();
    if (auto ended = std::exchange(m_ended, nullptr))
        ended();
}

bool VLXImport::eventFilter(QObject *watched, QEvent *event)
{
    if (m_itemTable && watched == m_itemTable->viewport() && eventFilterDrop(event))
        return true;
    if (watched == m_window && event->type() == QEvent::Close) {
        if (m_recentWindow)
            m_recentWindow->close();
        finish();
    }
    return QObject::eventFilter(watched, event);
}
