#include "panes/mscf/microsoftCFChannelPane.h"

#include "document/ExtensionFieldTable.h"
#include "document/FeedDocument.h"
#include "document/FieldChange.h"
#include "extensions/mscf/microsoftCFChannel.h"
#include "model/VLXFeed.h"
#include "panes/WindowHost.h"
#include "panes/mscf/microsoftCFListEditor.h"
#include "ui/VLXButton.h"
#include "ui/VLXTableView.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
const QString kSortAnchor = QStringLiteral("MSSLESortButton");

void storeFeedList()
{
    if (WindowHost *host = WindowHost::current())
        host->archiveCurrentFeedList();
}
} // namespace

microsoftCFChannelPane::microsoftCFChannelPane(std::shared_ptr<extensionNSRaw> extension,
                                               const ExtensionTabs::Context &context,
                                               QWidget *parent)
    : ExtensionFieldPane(std::move(extension), context, parent)
{
    setListEditor(microsoftCFChannel::kListInfo, std::make_shared<microsoftCFListEditor>(this));
    auto *table = qobject_cast<VLXTableView *>(control(microsoftCFChannel::kListInfo));
    if (!table)
        return;
    table->setWordWrap(true);
    table->resizeRowsToContents();
    table->setHelpAnchor(QStringLiteral("MSSLE"));
    // The box below the table, shown while the items are out of the default sort's order.
    m_reSortDividor = new QFrame;
    m_reSortDividor->setObjectName(QStringLiteral("reSortDividor"));
    m_reSortDividor->setFrameShape(QFrame::StyledPanel);
    auto *row = new QHBoxLayout(m_reSortDividor);
    m_reSortSortButton = new VLXButton;
    m_reSortSortButton->setText(tr("Sort"));
    m_reSortSortButton->setObjectName(QStringLiteral("reSortSortButton"));
    m_reSortSortButton->setHelpAnchor(kSortAnchor);
    auto *text = new QLabel(tr("The items do not stand in the order of the default sort."));
    text->setObjectName(QStringLiteral("reSortText"));
    text->setWordWrap(true);
    row->addWidget(m_reSortSortButton);
    row->addWidget(text, 1);
    m_reSortDividor->hide();
    if (auto *below = qobject_cast<QVBoxLayout *>(table->parentWidget()->layout()))
        below->addWidget(m_reSortDividor);
    connect(m_reSortSortButton, &QPushButton::clicked, this,
            &microsoftCFChannelPane::sortDefaultSort);

    // Its twin for the window's status line, outside the pane until it is needed there.
    m_statusLineReSort = new VLXButton;
    m_statusLineReSort->setText(tr("Sort"));
    m_statusLineReSort->setObjectName(QStringLiteral("statusLineReSort"));
    m_statusLineReSort->setToolTip(QStringLiteral("Resort Items using default sort"));
    m_statusLineReSort->setHelpAnchor(kSortAnchor);
    m_statusLineReSort->hide();
    connect(m_statusLineReSort, &QPushButton::clicked, this,
            &microsoftCFChannelPane::sortDefaultSort);
    updateResortControls();
}

microsoftCFChannelPane::~microsoftCFChannelPane()
{
    showStatusLineButton(false);
    delete m_statusLineReSort;
}

microsoftCFChannel *microsoftCFChannelPane::channel() const
{
    return dynamic_cast<microsoftCFChannel *>(fields());
}

void microsoftCFChannelPane::loadData()
{
    ExtensionFieldPane::loadData();
    // Each cell holds two lines (element and data type, label and namespace).
    if (auto *table = qobject_cast<VLXTableView *>(control(microsoftCFChannel::kListInfo)))
        table->resizeRowsToContents();
    updateResortControls();
}

std::optional<QString> microsoftCFChannelPane::entryValue(const QString &key) const
{
    if (!document())
        return std::nullopt;
    const QVariant value = document()->entry().value(key);
    return value.isValid() ? std::optional<QString>(value.toString()) : std::nullopt;
}

void microsoftCFChannelPane::showStatusLineButton(bool shown)
{
    if (!m_statusLineReSort || shown == m_statusLineButtonShown)
        return;
    WindowHost *host = WindowHost::current();
    if (!host)
        return;
    if (shown) {
        host->addButtonToStatusLine(m_statusLineReSort);
    } else {
        host->removeButtonToStatusLine(m_statusLineReSort);
        m_statusLineReSort->hide();
    }
    m_statusLineButtonShown = shown;
}

void microsoftCFChannelPane::updateResortControls()
{
    if (!m_reSortDividor)
        return;
    microsoftCFChannel *object = channel();
    FeedDocument *doc = document();
    // Only the channel of the feed the window shows: a feed let go (or one not yet installed)
    // takes its button with it.
    const bool current = object && doc && doc->feed()
        && ExtensionFieldTable::target(*doc, microsoftCFChannel::classDescriptor(), -1)
            == fields();
    if (!current) {
        showStatusLineButton(false);
        m_reSortDividor->hide();
        return;
    }
    object->setDefaultSortNS(entryValue(microsoftCFChannel::kDefaultNSKey));
    object->setDefaultSortElement(entryValue(microsoftCFChannel::kDefaultElementKey));
    object->setDefaultSortDataType(entryValue(microsoftCFChannel::kDefaultDataTypeKey));
    object->updateSortString(*doc->feed());
    const bool follows = object->itemsFollowDefaultSort(*doc->feed());
    showStatusLineButton(!follows);
    m_reSortDividor->setVisible(!follows);
}

void microsoftCFChannelPane::sortDefaultSort()
{
    microsoftCFChannel *object = channel();
    FeedDocument *doc = document();
    if (!object || !doc || !object->sortFieldString())
        return;
    tracker()->finalizeChanges();
    VLXFeed &feed = *doc->feed();
    UndoRecord record = FieldChange::items(*doc, doc->shownItem());
    if (!object->sortItemsByDefaultSort(feed)) {
        updateResortControls();
        return;
    }
    doc->registerUndo(std::move(record), QStringLiteral("Sort by MS-SLE default sort"));
    doc->itemsChanged(doc->shownItem());
    doc->refreshFeedPubDate();
    updateResortControls();
}

void microsoftCFChannelPane::registerEntryRecords(const QString &actionName)
{
    FeedDocument *doc = document();
    if (!doc || !fields() || !fields()->extension().allowsUndo())
        return;
    doc->registerUndo(FieldChange::items(*doc, doc->shownItem()), actionName);
    doc->registerUndo(FieldChange::entryValues(*doc,
                                               {microsoftCFChannel::kDefaultNSKey,
                                                microsoftCFChannel::kDefaultElementKey,
                                                microsoftCFChannel::kDefaultDataTypeKey},
                                               &storeFeedList),
                      actionName);
}

void microsoftCFChannelPane::storeDefaultSort(const std::optional<QString> &ns,
                                              const std::optional<QString> &element,
                                              const std::optional<QString> &dataType)
{
    FeedDocument *doc = document();
    if (!doc || doc->entry().isNull())
        return;
    FeedListEntry entry = doc->entry();
    const std::pair<const QString &, const std::optional<QString> &> keys[] = {
        {microsoftCFChannel::kDefaultNSKey, ns},
        {microsoftCFChannel::kDefaultElementKey, element},
        {microsoftCFChannel::kDefaultDataTypeKey, dataType}};
    for (const auto &[key, value] : keys) {
        if (value)
            entry.setValue(key, *value);
        else
            entry.remove(key);
    }
    doc->setEntry(entry);
    storeFeedList();
    if (microsoftCFChannel *object = channel()) {
        object->setDefaultSortNS(ns);
        object->setDefaultSortElement(element);
        object->setDefaultSortDataType(dataType);
    }
}
