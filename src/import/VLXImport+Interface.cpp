// The import window and its recent-sources window, built in code, and the toolbar.
#include "import/VLXImport.h"

#include "import/ImportDescriptionView.h"

#include "model/VLXItems.h"
#include "platform/DefaultsStore.h"
#include "platform/HelpService.h"
#include "settings/VLXPreferences.h"
#include "ui/ClosingKeys.h"
#include "ui/ToolbarLayout.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidgetAction>

namespace {
struct ToolbarItem
{
    const char *identifier;
    const char *label;
    const char *toolTip;
    const char *image;
    void (VLXImport::*action)();
};

const ToolbarItem kToolbarItems[] = {
    {"Open File ImportItems Identifier", "Open", "Open Feed", "OpenFolder", &VLXImport::openFeed},
    {"Download ImportItems Identifier", "Download", "Download Feed", "DownloadFolder",
     &VLXImport::downloadFeed},
    {"Open Recent ImportItems Identifier", "Open Recent", "Open Recent Feeds", "OpenFolderClock",
     &VLXImport::openRecentFeeds},
    {"Mark All ImportItems Identifier", "Mark All", "Mark All Items", "CheckMarksMarked",
     &VLXImport::markAllItems},
    {"Clear All ImportItems Identifier", "Clear All", "Clear All Items", "CheckMarksCleared",
     &VLXImport::clearAllItems},
    {"Mark By Date ImportItems Identifier", "Mark By Date", "Mark Items By Date", "CheckMarksClock",
     qOverload<>(&VLXImport::markItemsByDate)},
    {"Sort ImportItems Identifier", "Sort Items", "Sort Items", "", nullptr},
};

const QString kSortIdentifier = QStringLiteral("Sort ImportItems Identifier");
const QString kCustomize = QStringLiteral("Customize");

// The source as the recent list shows it: the home folder written "~".
QString abbreviatedPath(const QString &source)
{
    const QString home = QDir::homePath();
    if (source == home || source.startsWith(home + QLatin1Char('/')))
        return QLatin1Char('~') + source.mid(home.size());
    return source;
}

// What a drop on the item list names: a file's path, or an address as it was given.
QString droppedSource(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().isEmpty())
        return QString();
    const QUrl url = data->urls().first();
    return url.isLocalFile() ? url.toLocalFile() : url.toString();
}
} // namespace

QStringList VLXImport::defaultToolbarItemIdentifiers()
{
    return {"Open File ImportItems Identifier",
            "Download ImportItems Identifier",
            "Open Recent ImportItems Identifier",
            ToolbarLayout::kSeparator,
            "Mark All ImportItems Identifier",
            "Clear All ImportItems Identifier",
            "Mark By Date ImportItems Identifier",
            ToolbarLayout::kFlexibleSpace,
            kSortIdentifier};
}

QStringList VLXImport::allowedToolbarItemIdentifiers()
{
    return {"Open File ImportItems Identifier",
            "Download ImportItems Identifier",
            "Open Recent ImportItems Identifier",
            "Mark By Date ImportItems Identifier",
            "Mark All ImportItems Identifier",
            "Clear All ImportItems Identifier",
            kSortIdentifier,
            kCustomize,
            ToolbarLayout::kFlexibleSpace,
            ToolbarLayout::kSpace,
            ToolbarLayout::kSeparator};
}

QString VLXImport::toolbarKey()
{
    return QStringLiteral("ImportItemsToolbar Identifier");
}

void VLXImport::buildWindow(QWidget *parentWindow)
{
    m_window = new QMainWindow(parentWindow, Qt::Window);
    m_window->setObjectName(QStringLiteral("importWindow"));
    m_window->setWindowTitle(tr("Import Items"));
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_window->installEventFilter(this);
    // The keys close the window as its Close button does.
    ClosingKeys::install(m_window, [this] { cancel(); });

    auto *central = new QWidget(m_window);
    m_feedName = new QLabel(tr("No feed selected"), central);
    m_feedName->setObjectName(QStringLiteral("feedName"));
    // File names and addresses are shown as they are, never read as markup.
    m_feedName->setTextFormat(Qt::PlainText);
    m_feedName->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_itemTable = new QTableView(central);
    m_itemTable->setObjectName(QStringLiteral("itemTable"));
    m_itemTable->setModel(m_items);
    m_itemTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_itemTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_itemTable->verticalHeader()->hide();
    m_itemTable->verticalHeader()->setDefaultSectionSize(m_itemTable->fontMetrics().height() + 6);
    m_itemTable->horizontalHeader()->setSectionResizeMode(ImportItemModel::CheckBox,
                                                          QHeaderView::ResizeToContents);
    m_itemTable->horizontalHeader()->setSectionResizeMode(ImportItemModel::ItemTitle,
                                                          QHeaderView::Stretch);
    m_itemTable->horizontalHeader()->setSectionResizeMode(ImportItemModel::PubDate,
                                                          QHeaderView::ResizeToContents);
    m_itemTable->setProperty("helpAnchor", QStringLiteral("Import"));
    // Feeds dropped on the list are opened here.
    m_itemTable->setAcceptDrops(true);
    m_itemTable->viewport()->setAcceptDrops(true);
    m_itemTable->setDropIndicatorShown(false);
    m_itemTable->viewport()->installEventFilter(this);
    connect(m_itemTable->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { showDescription(current.row()); });

    m_itemDescription = new ImportDescriptionView(central);
    m_itemDescription->setObjectName(QStringLiteral("itemDescription"));
    m_itemDescription->setProperty("helpAnchor", QStringLiteral("Import"));

    auto *split = new QSplitter(Qt::Vertical, central);
    split->addWidget(m_itemTable);
    split->addWidget(m_itemDescription);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);

    m_progress = new QProgressBar(central);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, 0);
    m_progress->setMaximumWidth(80);
    m_progress->setTextVisible(false);
    m_progress->hide();
    m_statusMessage = new QLabel(central);
    m_statusMessage->setObjectName(QStringLiteral("statusMessage"));
    m_statusMessage->setTextFormat(Qt::PlainText);

    auto *help = new QPushButton(tr("Help"), central);
    help->setObjectName(QStringLiteral("helpButton"));
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, [] { HelpService::open(QStringLiteral("Import")); });
    auto *close = new QPushButton(tr("Close"), central);
    close->setObjectName(QStringLiteral("cancel"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, [this] { cancel(); });
    m_importButton = new QPushButton(tr("Import"), central);
    m_importButton->setObjectName(QStringLiteral("importButton"));
    m_importButton->setDefault(true);
    connect(m_importButton, &QPushButton::clicked, this, [this] { doImport(); });

    auto *status = new QHBoxLayout;
    status->addWidget(m_progress);
    status->addWidget(m_statusMessage, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch(1);
    buttons->addWidget(close);
    buttons->addWidget(m_importButton);
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(m_feedName);
    layout->addWidget(split, 1);
    layout->addLayout(status);
    layout->addLayout(buttons);
    m_window->setCentralWidget(central);
    m_window->resize(720, 540);

    connect(m_items, &QAbstractItemModel::modelReset, this, [this] { validateToolbarItems(); });
}

void VLXImport::buildRecentWindow()
{
    m_recentWindow = new QDialog(m_window, Qt::Window);
    m_recentWindow->setObjectName(QStringLiteral("lastUsedWindow"));
    m_recentWindow->setWindowTitle(tr("Recent Imports"));
    m_recentModel = new QStandardItemModel(0, 2, this);
    m_recentModel->setHorizontalHeaderLabels({tr("Feed"), tr("Last Used")});
    m_recentTable = new QTableView(m_recentWindow);
    m_recentTable->setObjectName(QStringLiteral("lastUsedTable"));
    m_recentTable->setModel(m_recentModel);
    m_recentTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_recentTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_recentTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_recentTable->setTextElideMode(Qt::ElideMiddle);
    m_recentTable->setWordWrap(false);
    m_recentTable->verticalHeader()->hide();
    m_recentTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_recentTable->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    connect(m_recentTable, &QTableView::doubleClicked, this, [this] { recentOpen(); });
    auto *open = new QPushButton(tr("Open"), m_recentWindow);
    open->setObjectName(QStringLiteral("recentOpen"));
    open->setDefault(true);
    connect(open, &QPushButton::clicked, this, [this] { recentOpen(); });
    auto *close = new QPushButton(tr("Close"), m_recentWindow);
    close->setObjectName(QStringLiteral("recentClose"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, [this] { recentClose(); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    buttons->addWidget(open);
    auto *layout = new QVBoxLayout(m_recentWindow);
    layout->addWidget(m_recentTable, 1);
    layout->addLayout(buttons);
    m_recentWindow->resize(460, 260);
}

QAction *VLXImport::toolbarAction(const QString &identifier)
{
    if (QAction *existing = m_toolbarActions.value(identifier))
        return existing;
    const ToolbarItem *item = ToolbarLayout::find(kToolbarItems, identifier);
    if (!item)
        return nullptr;
    QAction *action = nullptr;
    if (identifier == kSortIdentifier) {
        // The sort pop-up lives in the toolbar; its menu form offers the same three orders.
        auto *widgetAction = new QWidgetAction(m_window);
        m_sortSelector = new QComboBox(m_window);
        m_sortSelector->setObjectName(QStringLiteral("sortSelector"));
        m_sortSelector->addItems(
            {tr("Original Order"), tr("Sorted by pubDate"), tr("Sorted by title")});
        m_sortSelector->setToolTip(tr(item->toolTip));
        connect(m_sortSelector, &QComboBox::activated, this,
                [this](int index) { resortItems(ImportItemModel::Order(index)); });
        widgetAction->setDefaultWidget(m_sortSelector);
        auto *menu = new QMenu(tr(item->label), m_window);
        const std::pair<const char *, ImportItemModel::Order> orders[]
            = {{"Original Order", ImportItemModel::Order::Original},
               {"Sort by Pub Date", ImportItemModel::Order::PubDate},
               {"Sort by title", ImportItemModel::Order::Title}};
        for (const auto &[title, order] : orders) {
            connect(menu->addAction(tr(title)), &QAction::triggered, this,
                    [this, order = order] { resortItems(order); });
        }
        widgetAction->setMenu(menu);
        action = widgetAction;
    } else {
        action
            = new QAction(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(item->image))),
                          tr(item->label), m_window);
        connect(action, &QAction::triggered, this,
                [this, method = item->action] { (this->*method)(); });
    }
    action->setObjectName(identifier);
    action->setText(tr(item->label));
    action->setToolTip(tr(item->toolTip));
    action->setProperty("paletteLabel", tr(item->label));
    m_toolbarActions.insert(identifier, action);
    return action;
}

void VLXImport::setupToolbar()
{
    if (m_toolbar)
        return;
    QStringList identifiers = defaultToolbarItemIdentifiers();
    const QStringList allowed = allowedToolbarItemIdentifiers();
    if (const auto stored = VLXPreferences::sharedInstance().store().array(toolbarKey())) {
        QStringList kept;
        for (const QVariant &value : *stored) {
            if (allowed.contains(value.toString()))
                kept << value.toString();
        }
        // A damaged or foreign layout is ignored.
        if (!kept.isEmpty())
            identifiers = kept;
    }
    m_toolbar = new QToolBar(tr("Toolbar"), m_window);
    m_toolbar->setObjectName(toolbarKey());
    m_toolbar->setProperty("layout", identifiers);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(32, 32));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->toggleViewAction()->setEnabled(false);
    ToolbarLayout::fill(m_toolbar, identifiers,
                        [this](const QString &identifier) { return toolbarAction(identifier); });
    // Every item has its action, shown or not, so the sort selector always exists.
    for (const QString &identifier : allowed)
        toolbarAction(identifier);
    m_window->addToolBar(Qt::TopToolBarArea, m_toolbar);
    validateToolbarItems();
}

void VLXImport::storeToolbarConfiguration()
{
    if (!m_toolbar)
        return;
    DefaultsStore &store = VLXPreferences::sharedInstance().store();
    const QStringList layout = m_toolbar->property("layout").toStringList();
    if (layout == defaultToolbarItemIdentifiers()) {
        store.remove(toolbarKey());
        return;
    }
    QVariantList stored;
    for (const QString &identifier : layout)
        stored << identifier;
    store.setObject(stored, toolbarKey());
}

void VLXImport::validateToolbarItems()
{
    // The tools that work on the list need a list.
    const bool haveItems = m_items->itemCount() > 0;
    for (const char *identifier :
         {"Mark All ImportItems Identifier", "Clear All ImportItems Identifier",
          "Mark By Date ImportItems Identifier", "Sort ImportItems Identifier"}) {
        if (QAction *action = m_toolbarActions.value(QLatin1String(identifier)))
            action->setEnabled(haveItems);
    }
    if (m_sortSelector)
        m_sortSelector->setEnabled(haveItems);
}

void VLXImport::showDescription(int row)
{
    if (!m_itemDescription)
        return;
    const VLXItems *item = m_items->itemAtRow(row);
    // Selecting a row shows its description too: a long one is not laid out twice.
    if (item && item == m_shownItem && m_shownFeed.lock() == m_orginalFeed)
        return;
    m_shownItem = item;
    m_shownFeed = m_orginalFeed;
    if (!item) {
        m_itemDescription->clear();
        return;
    }
    const QByteArrayView utf8 = item->descriptionUTF8();
    if (utf8.isNull())
        m_itemDescription->showDescription(item->descriptionElement());
    else
        m_itemDescription->showDescription(utf8);
}

void VLXImport::setStatus(const QString &text)
{
    if (m_statusMessage)
        m_statusMessage->setText(text);
}

void VLXImport::setBusy(bool busy)
{
    if (m_progress)
        m_progress->setVisible(busy);
}

void VLXImport::updateRecentUsedArray()
{
    m_recent.clear();
    const QVariantMap recent = recentImports();
    for (auto it = recent.cbegin(); it != recent.cend(); ++it)
        m_recent.append({it.key(), it.value().toDateTime()});
    std::stable_sort(m_recent.begin(), m_recent.end(),
                     [](const auto &a, const auto &b) { return a.second > b.second; });
    m_recentModel->removeRows(0, m_recentModel->rowCount());
    for (const auto &[source, when] : std::as_const(m_recent)) {
        auto *path = new QStandardItem(abbreviatedPath(source));
        path->setToolTip(source);
        auto *date
            = new QStandardItem(when.toLocalTime().toString(QStringLiteral("MM/dd/yyyy HH:mm:ss")));
        m_recentModel->appendRow({path, date});
    }
    m_recentTable->clearSelection();
}

void VLXImport::openRecentFeeds()
{
    m_recentWindow->show();
    m_recentWindow->raise();
    m_recentWindow->activateWindow();
}

void VLXImport::recentClose()
{
    m_recentWindow->close();
}

void VLXImport::recentOpen()
{
    const QModelIndexList selected = m_recentTable->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const int row = selected.first().row();
    if (row >= 0 && row < m_recent.size())
        openFeedAtPath(m_recent.at(row).first);
}

bool VLXImport::eventFilterDrop(QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (droppedSource(drag->mimeData()).isEmpty())
            return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString source = droppedSource(drop->mimeData());
        if (source.isEmpty())
            return false;
        drop->acceptProposedAction();
        openFeedAtPath(source);
        return true;
    }
    default:
        return false;
    }
}
