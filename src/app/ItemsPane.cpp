#include "app/ItemsPane.h"

#include "document/FeedDocument.h"
#include "document/FeedFields.h"
#include "document/FieldChange.h"
#include "document/VLXUndoManager.h"
#include "extensions/ListReorder.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerItem.h"
#include "panes/EditTracker.h"
#include "panes/ExtensionTabs.h"
#include "panes/FieldBinding.h"
#include "panes/PaneKit.h"
#include "platform/AlertService.h"
#include "ui/VLXBox.h"
#include "ui/VLXButton.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXImageView.h"
#include "ui/VLXTableView.h"
#include "ui/VLXTextField.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMetaObject>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
const QString kGUID = FeedFields::kItemGUID;
const QString kPerma = FeedFields::kItemGUIDIsPerma;
const QString kFileName = FeedFields::kEnclosureFile;
const QString kDropTarget = QStringLiteral("Items_Optional_Enclosure_Advanced_DropTarget");

// A dragged item row: the row and this process, so rows of another running copy are refused.
const QString kItemRowType = QStringLiteral("application/x-vellumcast-item-row");

int itemRowFrom(const QMimeData *data)
{
    if (!data || !data->hasFormat(kItemRowType))
        return -1;
    const QList<QByteArray> parts = data->data(kItemRowType).split(':');
    if (parts.size() != 2 || parts[0].toLongLong() != QCoreApplication::applicationPid())
        return -1;
    bool ok = false;
    const int row = parts[1].toInt(&ok);
    return ok ? row : -1;
}

QString itemRowText(const VLXItems &item, int row)
{
    if (!item.title().isEmpty())
        return VLXLogic::convertCRLFtoSymbols(item.title());
    if (!item.descriptionIsEmpty())
        return VLXLogic::convertCRLFtoSymbols(item.descriptionElement());
    return QStringLiteral("Item #%1").arg(row);
}
} // namespace

ItemsPane::ItemsPane(FeedDocument *document, EditTracker *tracker, QWidget *parent)
    : QWidget(parent), m_document(document), m_tracker(tracker)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *split = PaneKit::named(new QSplitter(Qt::Horizontal), QStringLiteral("Items_SplitView"));
    split->setChildrenCollapsible(false);
    m_items = PaneKit::named(new VLXTableView, ItemsPane::kItemTable);
    m_items->setDataSource(this, {QStringLiteral("title")});
    m_items->setKeepsSelection(true);
    m_items->horizontalHeader()->hide();
    QWidget *left = PaneKit::listPanel(tr("Items"), m_items);
    left->setMinimumWidth(125);
    split->addWidget(left);
    split->addWidget(buildEditor());
    split->setStretchFactor(1, 1);
    split->setSizes({260, 670});
    layout->addWidget(split);

    m_binding = new FieldBinding(document, tracker, this, FieldScope::Item,
                                 [this] { return m_shownItem; });
    m_binding->bind(FeedFields::all(), FeedFields::summaries());
    m_binding->setOwnCommit(
        [this](const FeedField &field, QWidget *control, const QString &start,
               const QString &text) { commitOwn(field.outlet, control, start, text); });

    connect(m_items->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (!m_selecting && current.isValid())
                    showItem(current.row());
            });
    auto *perma = findChild<VLXCheckBox *>(kPerma);
    connect(perma, &QAbstractButton::clicked, this, [this, perma] {
        m_tracker->finalizeChanges();
        const VLXItems *item = m_document->item(m_shownItem);
        if (!item)
            return;
        const QString guid = EditTracker::textOf(findChild<QWidget *>(kGUID));
        if (perma->isChecked()
            && VLXLogic::checkURLAndInform(
                   guid, QStringLiteral("The URL entered in \"GUID\" does not appear to be valid."),
                   true)
                == -1) {
            if (QWidget *box = findChild<QWidget *>(QStringLiteral("Items_Optional_GUID_Box")))
                QMetaObject::invokeMethod(box, "showContextHelp");
        }
        m_document->editGUID(m_shownItem, guid, perma->isChecked() ? 1 : 0);
    });
    connect(document, &FeedDocument::fieldChanged, this,
            [this](FieldScope scope, int item, const QString &outlet) {
                if (scope == FieldScope::Item)
                    fieldChanged(item, outlet);
            });
    connect(document, &FeedDocument::itemListChanged, this, [this](int row) {
        loadExtensionTabs();
        m_items->reloadData();
        selectRow(row);
        showItem(row);
    });
}

QWidget *ItemsPane::buildEditor()
{
    auto *sub = PaneKit::subTabs(QStringLiteral("tabsFeeds_ItemsSub"));
    sub->setMinimumWidth(380);

    auto *required = PaneKit::page(QStringLiteral("Required"));
    auto *requiredLayout = new QVBoxLayout(required);
    auto *form = PaneKit::newForm();
    form->addRow(tr("Title:"), PaneKit::textField(FeedFields::kItemTitle));
    form->addRow(tr("Link:"),
                 PaneKit::textField(QStringLiteral("Items_Required_Link"), tr("https://")));
    form->addRow(tr("Pub Date:"),
                 PaneKit::dateRow(QStringLiteral("Items_Required"),
                                  PaneKit::textField(FeedFields::kItemPubDate)));
    requiredLayout->addLayout(form);
    requiredLayout->addWidget(new QLabel(tr("Description:")));
    requiredLayout->addWidget(PaneKit::descriptionEditor(QStringLiteral("Items_Required")), 1);
    sub->addTab(required, tr("Required"));

    auto *optional = new QVBoxLayout;
    auto *optionalForm = PaneKit::newForm();
    optionalForm->addRow(
        tr("Author:"),
        PaneKit::textField(QStringLiteral("Items_Optional_Author"), tr("e-mail (name)")));
    optionalForm->addRow(tr("Comments:"),
                         PaneKit::textField(FeedFields::kItemCommentsURL, tr("https://")));
    optional->addLayout(optionalForm);
    optional->addWidget(new QLabel(tr("Categories:")));
    optional->addWidget(PaneKit::tableWithButtons(
        this, FeedFields::kItemCategories, QStringLiteral("Items_Optional_AddCategory"),
        QStringLiteral("Items_Optional_DelCategory"), QStringLiteral("Items_Optional_EditCategory"),
        {QStringLiteral("category")}));
    {
        VLXBox *box = PaneKit::disclosure(optional, FeedFields::kEnclosureBox, tr("Enclosure"));
        auto *enclosure = PaneKit::newForm();
        enclosure->addRow(tr("URL:"),
                          PaneKit::textField(FeedFields::kEnclosureURL, tr("https://")));
        enclosure->addRow(tr("Length:"),
                          PaneKit::textField(FeedFields::kEnclosureLength, tr("bytes")));
        auto *typeRow = new QHBoxLayout;
        typeRow->addWidget(PaneKit::textField(FeedFields::kEnclosureType, tr("audio/mpeg")), 1);
        typeRow->addWidget(PaneKit::smallButton(ItemsPane::kSuggestMIMEType, tr("Suggest"),
                                                tr("Propose the MIME type from the URL")));
        enclosure->addRow(tr("Type:"), typeRow);
        auto *fileRow = new QHBoxLayout;
        auto *drop = PaneKit::named(new VLXImageView, kDropTarget);
        drop->setFixedSize(40, 40);
        drop->setFrameShape(QFrame::StyledPanel);
        drop->setToolTip(tr("Drop the local file of the enclosure here"));
        auto *file = PaneKit::textField(kFileName, tr("No local file"));
        file->setReadOnly(true);
        fileRow->addWidget(drop);
        fileRow->addWidget(file, 1);
        fileRow->addWidget(PaneKit::smallButton(
            QStringLiteral("Items_Optional_Enclosure_Advanced_Select"), tr("Choose\u2026")));
        enclosure->addRow(tr("Local File:"), fileRow);
        box->setLayout(enclosure);
    }
    {
        VLXBox *box = PaneKit::disclosure(optional, FeedFields::kGUIDBox, tr("GUID"));
        auto *guid = PaneKit::newForm();
        auto *guidRow = new QHBoxLayout;
        guidRow->addWidget(PaneKit::textField(kGUID), 1);
        guidRow->addWidget(
            PaneKit::smallButton(QStringLiteral("Items_Optional_GUID_Generate"), tr("Generate")));
        guid->addRow(tr("GUID:"), guidRow);
        auto *perma = PaneKit::named(new VLXCheckBox, kPerma);
        perma->setText(tr("Is a permanent link"));
        guid->addRow(QString(), perma);
        box->setLayout(guid);
    }
    {
        VLXBox *box = PaneKit::disclosure(optional, FeedFields::kSourceBox, tr("Source"));
        auto *source = PaneKit::newForm();
        source->addRow(tr("Title:"), PaneKit::textField(FeedFields::kItemSource));
        source->addRow(tr("URL:"), PaneKit::textField(FeedFields::kItemSourceURL, tr("https://")));
        box->setLayout(source);
    }
    optional->addStretch(1);
    sub->addTab(PaneKit::scrollingPage(QStringLiteral("Optional"), optional), tr("Optional"));

    auto *extensions = PaneKit::page(QStringLiteral("Extensions"));
    auto *extensionsLayout = new QVBoxLayout(extensions);
    extensionsLayout->setContentsMargins(0, 4, 0, 0);
    extensionsLayout->addWidget(PaneKit::subTabs(QStringLiteral("tabsFeeds_ItemsExtensions")));
    sub->addTab(extensions, tr("Extensions"));
    sub->addTab(PaneKit::commentsPage(this, QStringLiteral("Items")), tr("Advanced"));
    return sub;
}

void ItemsPane::loadData()
{
    m_items->reloadData();
    const int row = m_document->shownItem();
    selectRow(row);
    showItem(row);
}

void ItemsPane::selectRow(int row)
{
    // The caller shows the item itself.
    QScopedValueRollback<bool> quiet(m_selecting, true);
    m_items->selectRow(row);
}

void ItemsPane::showItem(int row)
{
    const VLXItems *item = m_document->item(row);
    m_shownItem = item ? row : -1;
    m_document->setShownItem(m_shownItem);
    m_binding->load();
    findChild<VLXCheckBox *>(kPerma)->setChecked(item && item->GUIDAttr() != 0);
    m_binding->updateSummaries();
    if (auto *guid = findChild<VLXTextField *>(kGUID)) {
        // "Copy From" offers the shown item's link.
        std::weak_ptr<VLXItems> source
            = item ? m_document->feed()->itemAtIndex(row) : std::shared_ptr<VLXItems>();
        guid->setCopySource(
            [source] {
                const auto shown = source.lock();
                return shown ? shown->link() : QString();
            },
            QStringLiteral("Link"));
    }
    showEnclosureIcon(item ? item->localEnclosureFilePath() : QString());
    for (const QLatin1String name : {FeedFields::kItemCategories, FeedFields::kItemXMLComments})
        findChild<VLXTableView *>(name)->reloadData();
    if (!m_heldExtensionsTab)
        ExtensionTabs::show(findChild<QTabWidget *>(QStringLiteral("tabsFeeds_ItemsExtensions")),
                            item ? item->XMLExtensions() : nullptr, 0);
}

void ItemsPane::showEnclosureIcon(const QString &path)
{
    auto *drop = findChild<VLXImageView *>(kDropTarget);
    drop->setImage(!path.isEmpty() && QFileInfo::exists(path)
                       ? QFileIconProvider().icon(QFileInfo(path)).pixmap(32).toImage()
                       : QImage());
}

void ItemsPane::fieldChanged(int item, const QString &outlet)
{
    if (outlet == FeedFields::kItemTitle || outlet == FeedFields::kItemDescription)
        m_items->reloadRow(item);
    if (item != m_shownItem)
        return;
    if (outlet == FeedDocument::listOutlet(FieldScope::Item, true)
        || outlet == FeedDocument::listOutlet(FieldScope::Item, false)) {
        findChild<VLXTableView *>(outlet)->reloadData();
    } else if (outlet == kPerma) {
        const VLXItems *shown = m_document->item(item);
        findChild<VLXCheckBox *>(kPerma)->setChecked(shown && shown->GUIDAttr() != 0);
    } else if (outlet == kFileName) {
        const VLXItems *shown = m_document->item(item);
        showEnclosureIcon(shown ? shown->localEnclosureFilePath() : QString());
    }
}

void ItemsPane::commitOwn(const QString &outlet, QWidget *control, const QString &start,
                          const QString &text)
{
    if (outlet == kGUID) {
        const bool perma = findChild<VLXCheckBox *>(kPerma)->isChecked();
        m_document->editGUID(m_shownItem, text, perma ? 1 : 0);
        return;
    }
    if (outlet != kFileName)
        return;
    const QStringList refusal
        = m_document->attachLocalEnclosureFile(m_shownItem, FeedFields::expandTilde(text), true);
    if (refusal.isEmpty())
        return;
    QApplication::beep();
    Alert alert;
    alert.title = refusal.value(0);
    alert.message = refusal.value(1);
    AlertService::show(alert);
    // The field shows the file it had before.
    m_tracker->setDisplayedText(control, start);
    showEnclosureIcon(FeedFields::expandTilde(start));
}

void ItemsPane::loadExtensionTabs()
{
    // The items' tabs are those of item 0 and show whichever item is shown.
    const VLXItems *first = m_document->item(0);
    const auto *manager = first ? first->XMLExtensions() : nullptr;
    const bool has = manager && manager->countOfExtensions() > 0;
    if (!first && m_document->itemCount() == 0 && !m_heldExtensionsTab)
        return;
    ExtensionTabs::showExtensionsTab(findChild<QTabWidget *>(QStringLiteral("tabsFeeds_ItemsSub")),
                                     m_heldExtensionsTab, has);
    ExtensionTabs::rebuild(
        findChild<QTabWidget *>(QStringLiteral("tabsFeeds_ItemsExtensions")),
        has ? manager : nullptr, 0,
        {m_document, m_tracker, FieldScope::Item, [this] { return m_shownItem; }});
}

bool ItemsPane::moveItem(int sourceRow, int dropRow)
{
    // Dropped onto itself (just above or just below its own row): nothing moves, nothing to undo.
    const int shown = ListReorder::movedIndex(m_document->itemCount(), sourceRow, dropRow);
    if (shown < 0)
        return false;
    m_tracker->finalizeChanges();
    m_document->registerUndo(FieldChange::items(*m_document, sourceRow),
                             QStringLiteral("Item Drag"));
    VLXFeed &feed = *m_document->feed();
    // The item leaves its row first, so the list never holds it twice.
    const std::shared_ptr<VLXItems> moving = feed.itemAtIndex(sourceRow);
    feed.removeItemAtIndex(sourceRow);
    feed.insertItem(moving, shown);
    m_document->itemsChanged(shown);
    m_document->refreshFeedPubDate();
    return true;
}

int ItemsPane::askAboutDroppedFeed(const QString &address, bool importFirst)
{
    Alert ask;
    ask.style = Alert::Style::Informational;
    ask.title = QStringLiteral("Feed Drag");
    ask.message = QStringLiteral("What do you want to do with the feed \"%1\"").arg(address);
    const QString open = QStringLiteral("Open feed");
    const QString import = QStringLiteral("Import into this feed");
    ask.defaultButton = importFirst ? import : open;
    ask.alternateButton = QStringLiteral("Cancel");
    ask.otherButton = importFirst ? open : import;
    return AlertService::show(ask);
}

int ItemsPane::numberOfRowsInTableView(VLXTableView *table)
{
    const QString name = table->objectName();
    if (table == m_items)
        return m_document->itemCount();
    const VLXItems *item = m_document->item(m_shownItem);
    int rows = 0;
    QString buttons;
    if (name == FeedFields::kItemCategories) {
        rows = item ? int(item->category().size()) : 0;
        buttons = QStringLiteral("Items_Optional_%1Category");
    } else if (name == FeedFields::kItemXMLComments) {
        rows = item ? int(item->XMLComments().size()) : 0;
        buttons = QStringLiteral("Items_Advanced_%1Comments");
    }
    // Delete and Edit need a row to act on; with no item shown they keep their state.
    if (item) {
        for (const char *kind : {"Del", "Edit"}) {
            if (QWidget *button = findChild<QWidget *>(buttons.arg(QLatin1String(kind))))
                button->setEnabled(rows > 0);
        }
    }
    return rows;
}

QVariant ItemsPane::tableViewObjectValue(VLXTableView *table, const QString &, int row, int role)
{
    if (role != Qt::DisplayRole)
        return {};
    if (table == m_items) {
        const VLXItems *item = m_document->item(row);
        return item ? itemRowText(*item, row) : QString();
    }
    const VLXItems *item = m_document->item(m_shownItem);
    if (!item)
        return QString();
    if (table->objectName() == FeedFields::kItemCategories)
        return PaneKit::categoryText(item->category().value(row));
    return VLXLogic::convertCRLFtoSymbols(item->XMLComments().value(row));
}

QStringList ItemsPane::tableViewDragTypes(VLXTableView *table)
{
    if (table == m_items)
        return {kItemRowType, QStringLiteral("text/uri-list")};
    return {};
}

bool ItemsPane::tableViewWriteRows(VLXTableView *table, const QList<int> &rows, QMimeData *data)
{
    if (table != m_items || rows.isEmpty())
        return false;
    // Only the last of the dragged rows is carried.
    data->setData(kItemRowType,
                  QByteArray::number(QCoreApplication::applicationPid()) + ':'
                      + QByteArray::number(rows.last()));
    return true;
}

Qt::DropAction ItemsPane::tableViewValidateDrop(VLXTableView *table, const QMimeData *data, int row)
{
    if (table != m_items || !data)
        return Qt::IgnoreAction;
    if (data->hasUrls())
        return Qt::CopyAction;
    if (row <= m_document->itemCount() && itemRowFrom(data) >= 0)
        return Qt::MoveAction;
    return Qt::IgnoreAction;
}

bool ItemsPane::tableViewAcceptDrop(VLXTableView *table, const QMimeData *data, int row)
{
    if (table != m_items || !data)
        return false;
    if (data->hasUrls() && !data->urls().isEmpty()) {
        const QUrl first = data->urls().first();
        const QString text = first.isLocalFile() ? first.toLocalFile() : first.toString();
        window()->raise();
        window()->activateWindow();
        const int answer = askAboutDroppedFeed(text, true);
        if (answer == AlertService::kAlternate)
            return false;
        emit feedDropped(text, answer != AlertService::kOther);
        return true;
    }
    if (row > m_document->itemCount())
        return false;
    const int source = itemRowFrom(data);
    if (source < 0)
        return false;
    moveItem(source, row);
    return true;
}
