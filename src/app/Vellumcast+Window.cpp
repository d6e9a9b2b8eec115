// Window set-up: the feed list and the three panes in their tabs, and the model shown in them.
#include "app/Vellumcast.h"

#include "app/ChannelPane.h"
#include "app/HTMLEditing.h"
#include "app/ImagePane.h"
#include "app/ItemActions.h"
#include "app/ItemsPane.h"
#include "app/LoadRunner.h"
#include "app/ToolHandOffs.h"
#include "app/WindowCommands.h"
#include "app/WindowServices.h"
#include "document/FeedFields.h"
#include "document/FeedListModel.h"
#include "model/VLXFeed.h"
#include "panes/EditTracker.h"
#include "panes/PaneKit.h"
#include "platform/DefaultsStore.h"
#include "ui/VLXHelpAnchored.h"
#include "ui/VLXListBox.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextViewHTML.h"
#include "ui/WindowFrame.h"

#include <QIcon>
#include <QItemSelectionModel>
#include <QTimer>
#include <QLabel>
#include <QMainWindow>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
const QString kFrameKey = QStringLiteral("NSWindow Frame Vellumcast");
} // namespace

void Vellumcast::buildWindow()
{
    auto *window = new QMainWindow;
    m_documentWindow = window;
    m_loader->setWindow(window);
    window->setObjectName(QStringLiteral("documentWindow"));
    window->setWindowTitle(QStringLiteral("Vellumcast"));
    window->setWindowIcon(QIcon(QStringLiteral(":/icons/vellumcast.svg")));
    window->setUnifiedTitleAndToolBarOnMac(true);
    window->installEventFilter(this);

    // The main tabs; each page's identifier ("Feeds", "Items", "Image") is its object name.
    auto *tabs = PaneKit::named(new QTabWidget, QStringLiteral("tabsFeeds"));
    auto *feeds = PaneKit::named(new QSplitter(Qt::Horizontal), WindowServices::kFeedsSplitView);
    feeds->setChildrenCollapsible(false);
    m_listBox = PaneKit::named(new VLXListBox, WindowServices::kFeedList);
    QWidget *left = PaneKit::listPanel(tr("Your Feeds"), m_listBox);
    left->setMinimumWidth(125);
    feeds->addWidget(left);
    m_channelPane = new ChannelPane(m_document, m_editTracker);
    feeds->addWidget(m_channelPane);
    feeds->setStretchFactor(0, 0);
    feeds->setStretchFactor(1, 1);
    feeds->setSizes({230, 700});
    m_itemsPane = new ItemsPane(m_document, m_editTracker);
    m_imagePane = new ImagePane(m_document, m_editTracker);
    tabs->addTab(PaneKit::named(static_cast<QWidget *>(feeds), WindowServices::kFeedsSplitView),
                 tr("Feeds"));
    tabs->addTab(m_itemsPane, tr("Items"));
    tabs->addTab(m_imagePane, tr("Image"));
    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(8, 6, 8, 2);
    layout->addWidget(tabs);
    window->setCentralWidget(central);

    m_statusText = PaneKit::named(new QLabel, QStringLiteral("statusText"));
    m_statusText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_statusText->setMinimumWidth(100);
    window->statusBar()->addWidget(m_statusText, 1);
    window->statusBar()->setSizeGripEnabled(true);

    connect(tabs, &QTabWidget::currentChanged, this, &Vellumcast::tabChanged);
    setHelpAnchors();
    m_itemActions->connectDatePickers();
    m_htmlEditing->connectHTMLEditor();
    for (const QLatin1String name : {FeedFields::kFeedDescription, FeedFields::kItemDescription})
        outlet<VLXTextViewHTML>(name)->setAcceptDrops(true);
    m_listBox->setDelegate(this);
    // The list box shows the list model's rows, and keeps the loaded entry's row selected.
    for (auto signal : {&FeedListModel::rowsInserted, &FeedListModel::rowsRemoved})
        connect(m_feedList, signal, this, [this] {
            m_listBox->reloadData();
            selectDocumentRow();
        });
    connect(m_feedList, &FeedListModel::rowsMoved, m_listBox, &VLXListBox::reloadData);
    connect(m_feedList, &FeedListModel::modelReset, m_listBox, &VLXListBox::reloadData);
    connect(m_feedList, &FeedListModel::dataChanged, m_listBox, &VLXListBox::reloadData);
    connect(m_itemsPane, &ItemsPane::feedDropped, this,
            [this](const QString &address, bool import) {
                if (!import) {
                    rememberPreviousEntry();
                    QTimer::singleShot(10, this, [this, address] { openFeedAtPath(address); });
                } else {
                    QTimer::singleShot(
                        10, this, [this, address] { m_tools->importFeedItemsFromDrop(address); });
                }
            });
    // The moves follow the selected row. A click makes the row current before it selects it,
    // so the commands are checked again once the selection has followed.
    connect(m_itemsPane->itemTable()->selectionModel(), &QItemSelectionModel::selectionChanged,
            this, &Vellumcast::validateCommands);
    // Leaving a tab or moving a divider commits the edit in progress first.
    for (const char *name :
         {"tabsFeeds", "tabsFeeds_FeedsSub", "tabsFeeds_ItemsSub", "tabsFeeds_ImagesSub"}) {
        if (auto *tabView = outlet<QTabWidget>(QLatin1String(name)))
            connect(tabView, &QTabWidget::tabBarClicked, this, [this] { finalizeChanges(); });
    }
    // The split views keep room for both panes: the list at least this wide on the left, the
    // editor at least this wide on the right.
    const struct
    {
        const char *name;
        int left;
        int right;
    } splits[] = {
        {"Feeds_SplitView", 125, 420}, {"Items_SplitView", 125, 380}, {"Image_SplitView", 75, 395}};
    for (const auto &split : splits) {
        auto *splitter = outlet<QSplitter>(QLatin1String(split.name));
        if (!splitter || splitter->count() < 2)
            continue;
        splitter->widget(0)->setMinimumWidth(split.left);
        splitter->widget(splitter->count() - 1)->setMinimumWidth(split.right);
        splitter->setChildrenCollapsible(false);
        connect(splitter, &QSplitter::splitterMoved, this, [this] { finalizeChanges(); });
    }
    auto *items = m_itemsPane->itemTable();
    items->setDragEnabled(true);
    items->setAcceptDrops(true);
    items->viewport()->setAcceptDrops(true);
    items->setDropIndicatorShown(true);
    items->setDragDropOverwriteMode(false);
    items->setDragDropMode(QAbstractItemView::DragDrop);
    items->setDefaultDropAction(Qt::MoveAction);
    m_listBox->setFocus();
}

void Vellumcast::setHelpAnchors()
{
    // The fields' topics come with their rows; these are the window's other controls.
    for (const FeedField &field : FeedFields::all()) {
        auto *control = dynamic_cast<VLXHelpAnchored *>(outlet(field.outlet));
        if (control && !field.helpAnchor.isEmpty())
            control->setHelpAnchor(field.helpAnchor);
    }
    static const QList<QPair<QLatin1String, const char *>> anchors {
        {ChannelPane::kAutoPubDate, "AutoPubDate"},
        {QLatin1String("Feeds_Required_DatePickerButton"), "DatePicker"},
        {QLatin1String("Items_Required_DatePickerButton"), "DatePicker"},
        {QLatin1String("Feeds_Required_SmartDateButton"), "SmartDate"},
        {QLatin1String("Items_Required_SmartDateButton"), "SmartDate"},
        {QLatin1String("Feeds_Optional_SkipHours"), "FeedSkipHours"},
        {QLatin1String("Feeds_Optional_SkipHours_Box"), "FeedSkipHours"},
        {QLatin1String("Feeds_Optional_SkipDays"), "FeedSkipDays"},
        {QLatin1String("Feeds_Optional_SkipDays_Box"), "FeedSkipDays"},
        {FeedFields::kFeedCategories, "FeedCategory"},
        {QLatin1String("Feeds_Optional_Cloud"), "FeedCloud"},
        {QLatin1String("Feeds_Optional_Cloud_Box"), "FeedCloud"},
        {QLatin1String("Feeds_Optional_TextInput"), "FeedTextInput"},
        {QLatin1String("Feeds_Optional_TextInput_Box"), "FeedTextInput"},
        {FeedFields::kFeedXMLComments, "FeedXMLComments"},
        {FeedFields::kItemCategories, "ItemCategory"},
        {FeedFields::kGUIDBox, "ItemGUID"},
        {QLatin1String("Items_Optional_GUID_Box"), "ItemGUID"},
        {FeedFields::kSourceBox, "ItemSource"},
        {QLatin1String("Items_Optional_Source_Box"), "ItemSource"},
        {FeedFields::kEnclosureBox, "RSSEnclosure"},
        {QLatin1String("Items_Optional_Enclosure_Box"), "RSSEnclosure"},
        {ItemsPane::kSuggestMIMEType, "SuggestType"},
        {FeedFields::kItemXMLComments, "ItemXMLComments"},
        {FeedFields::kImageXMLComments, "ImageRawXML"},
        {ChannelPane::kNamespaceTable, "FeedXMLNamespace"},
        {ImagePane::kPicture, "ImageDisplay"},
        {QLatin1String("Image_Edit_CropBox"), "ModifyImage"},
        {QLatin1String("Image_Edit_ScaleBox"), "ModifyImage"},
    };
    for (const auto &[name, anchor] : anchors) {
        auto *control = dynamic_cast<VLXHelpAnchored *>(outlet(name));
        if (control)
            control->setHelpAnchor(QString::fromLatin1(anchor));
    }
}


// --- Model to window ----------------------------------------------------------------------------

std::shared_ptr<VLXFeed> Vellumcast::currentFeed() const
{
    return m_document->feed();
}

void Vellumcast::setCurrentFeed(std::shared_ptr<VLXFeed> feed)
{
    m_document->replace(feed ? std::move(feed) : std::make_shared<VLXFeed>(),
                        m_document->entry());
}

void Vellumcast::updateInterface(bool reloadImage)
{
    if (!m_documentWindow)
        return;
    m_channelPane->loadData();
    m_imagePane->loadData(reloadImage);
    updateExtensionTabs();
    m_itemsPane->loadData();
    validateCommands();
}

void Vellumcast::populateItem(int index)
{
    if (m_itemsPane)
        m_itemsPane->showItem(index);
}

void Vellumcast::updateExtensionTabs()
{
    if (!m_documentWindow)
        return;
    m_document->feed()->deactivate();
    m_channelPane->loadExtensionTabs();
    m_itemsPane->loadExtensionTabs();
    m_imagePane->loadExtensionTabs();
}

int Vellumcast::selectedItemRow() const
{
    return m_itemsPane ? m_itemsPane->itemTable()->selectedRow() : -1;
}

bool Vellumcast::isDescendantOfItemTabs(const QWidget *view) const
{
    const QWidget *tabs = outlet(QStringLiteral("tabsFeeds_ItemsSub"));
    return tabs && view && (view == tabs || tabs->isAncestorOf(view));
}

void Vellumcast::reloadItemTable()
{
    if (m_itemsPane)
        m_itemsPane->itemTable()->reloadData();
}

void Vellumcast::tabChanged(int index)
{
    // The tab being left keeps the layout it showed.
    m_commands->storeToolbarConfiguration(m_tabsFeedsIndex);
    m_tabsFeedsIndex = index;
    m_commands->showToolbar(index);
}

void Vellumcast::restoreWindowFrame()
{
    // First run, or a place too small to work in: a comfortable size, centred.
    WindowFrame::restore(m_documentWindow, userDefaults().string(kFrameKey).value_or(QString()),
                         QSize(640, 420), QSize(1180, 760));
}

void Vellumcast::saveWindowFrame()
{
    if (m_documentWindow)
        userDefaults().setObject(WindowFrame::text(m_documentWindow), kFrameKey);
}
