#include "app/ItemActions.h"

#include "app/ItemsPane.h"
#include "app/WindowServices.h"
#include "document/FeedDocument.h"
#include "editors/TimeAndDate.h"
#include "panes/EditTracker.h"
#include "ui/VLXTableView.h"

#include <QAbstractButton>

#include "app/SmartDateRules.h"
#include "document/FeedFields.h"
#include "document/FieldChange.h"
#include "document/ItemLimit.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "platform/AlertService.h"
#include "settings/VLXPreferences.h"
#include "ui/EnclosureFileQuestions.h"

std::shared_ptr<VLXItems> ItemActions::makeNewItem(const QString &uniqueKey,
                                                   const QStringList &extensions)
{
    auto item = VLXItems::initWithUniqueString(uniqueKey, extensions);
    if (item->title().isEmpty())
        item->setTitle(QStringLiteral("(untitled)"));
    return item;
}

ItemActions::ItemActions(WindowServices &window, QObject *parent)
    : QObject(parent), m_window(window), m_document(window.document())
{
}

QString ItemActions::checkedAsTyped(const QString &outletName, int item, const QString &value)
{
    const FeedField *field = FeedFields::byOutlet(outletName);
    if (!field || !field->check)
        return value;
    return field->check(FieldCheckContext {*m_document, m_window.outlet(outletName), item}, value);
}

void ItemActions::createNewItem()
{
    m_document->feed()->insertItem(
        makeNewItem(m_document->entry().uniqueIdentifier, m_document->namespaceDescriptions()), 0);
    m_document->itemsChanged(0);
    m_document->refreshFeedPubDate();
}

void ItemActions::newItem()
{
    m_window.finalizeChanges();
    if (ItemLimit::refuses(m_document->itemCount(), 1))
        return;
    m_document->registerUndo(FieldChange::items(*m_document, m_window.selectedItemRow()),
                             QStringLiteral("Item Add"));
    m_window.showSelectedTab(WindowServices::ItemsTab);
    createNewItem();
}

void ItemActions::cloneItem()
{
    const QString key = m_document->entry().uniqueIdentifier;
    m_window.finalizeChanges();
    const int row = m_window.selectedItemRow();
    const VLXItems *source = m_document->item(row);
    if (!source || ItemLimit::refuses(m_document->itemCount(), 1))
        return;
    m_document->registerUndo(FieldChange::items(*m_document, row), QStringLiteral("Item Clone"));
    std::shared_ptr<VLXItems> copy = source->copy();
    // The copy is a new item: dated by the item rule as New Item dates one.
    copy->setPubDate(SmartDateRules(key).newItemDate());
    const bool generate
        = VLXPreferences::objectForKey(QStringLiteral("FD_CF_IF_GUID_AutoGenerate"), key).toInt()
            != 0
        || VLXPreferences::objectForKey(QStringLiteral("FD_AF_IF_GUID_AutoGenerate")).toInt() != 0;
    const bool duplicated = !generate && !copy->GUID().isEmpty();
    if (generate) {
        copy->setGUID(VLXLogic::generateGUID());
        copy->setGUIDAttr(0);
    }
    m_document->feed()->insertItem(copy, 0);
    m_document->refreshFeedPubDate();
    m_document->itemsChanged(0);
    if (duplicated) {
        Alert alert;
        alert.style = Alert::Style::Critical;
        alert.title = QStringLiteral("Duplicate GUID");
        alert.message = QStringLiteral(
            "In the process of cloning this item the GUID has been copied.  The GUID can not be "
            "duplicated in a feed.  Be sure to correct this before saving.");
        AlertService::show(alert);
    }
}

void ItemActions::moveDownItem()
{
    m_window.finalizeChanges();
    const int row = m_window.selectedItemRow();
    if (row < 0 || row >= m_document->itemCount() - 1)
        return;
    m_document->registerUndo(FieldChange::items(*m_document, row),
                             QStringLiteral("Item Move Down"));
    m_document->feed()->exchangeItemAtIndex(row, row + 1);
    m_document->itemsChanged(row + 1);
    m_document->refreshFeedPubDate();
}

void ItemActions::moveUpItem()
{
    m_window.finalizeChanges();
    const int row = m_window.selectedItemRow();
    if (row <= 0 || row >= m_document->itemCount())
        return;
    m_document->registerUndo(FieldChange::items(*m_document, row), QStringLiteral("Item Move Up"));
    m_document->feed()->exchangeItemAtIndex(row, row - 1);
    m_document->itemsChanged(row - 1);
    m_document->refreshFeedPubDate();
}

void ItemActions::deleteItem()
{
    m_window.finalizeChanges();
    const int row = m_window.selectedItemRow();
    if (!m_document->item(row))
        return;
    m_document->registerUndo(FieldChange::items(*m_document, row), QStringLiteral("Item Delete"));
    VLXFeed &feed = *m_document->feed();
    feed.removeItemAtIndex(row);
    // A feed keeps at least one item: the last one deleted makes way for a new blank one, in
    // the same undo step.
    if (feed.countOfItems() == 0)
        feed.insertItem(
            makeNewItem(m_document->entry().uniqueIdentifier, m_document->namespaceDescriptions()),
            0);
    m_document->itemsChanged(row < feed.countOfItems() ? row : row - 1);
    m_document->refreshFeedPubDate();
}

void ItemActions::feedSetBySmartDate()
{
    m_window.finalizeChanges();
    const SmartDateRules rules(m_document->entry().uniqueIdentifier);
    const bool automatic = rules.channelIsNow();
    m_document->setAutoPubDate(automatic);
    const QString date = rules.channelDate();
    const QString old = m_document->feed()->pubDate();
    const FeedField *field = FeedFields::byOutlet(FeedFields::kFeedPubDate);
    if (date == old || !field)
        return;
    m_document->registerUndo(
        FieldChange::value(*m_document, *field, -1, old,
                           FieldChange::datesBefore(*m_document, FieldScope::Channel, -1, true)),
        field->undoName);
    m_document->applyField(*field, -1, date);
    // A typed date ends automatic dating; a date by rule keeps what the rule chose.
    m_document->setAutoPubDate(automatic);
}

void ItemActions::itemSetBySmartDate()
{
    m_window.finalizeChanges();
    const int row = m_window.selectedItemRow();
    const VLXItems *item = m_document->item(row);
    if (!item)
        return;
    const QString date = SmartDateRules(m_document->entry().uniqueIdentifier).itemDate();
    if (date != item->pubDate())
        m_document->editField(FeedFields::kItemPubDate, row, date);
}

void ItemActions::generateGUIDAction()
{
    m_window.finalizeChanges();
    const int row = m_window.selectedItemRow();
    if (!m_document->item(row))
        return;
    // A generated guid is no address: it is never a permanent link.
    m_document->editGUID(row, VLXLogic::generateGUID(), 0);
}

void ItemActions::itemSelectAction(int clickedRow)
{
    if (clickedRow >= 0 && m_document->item(clickedRow))
        m_window.populateItem(clickedRow);
}

void ItemActions::suggestMIMETypeAction()
{
    m_window.finalizeChanges();
    const int row = m_window.selectedItemRow();
    const VLXItems *item = m_document->item(row);
    if (!item)
        return;
    const QString type = EnclosureFileQuestions::suggestMIMEType(item->enclosureAttrURL());
    if (type.isEmpty())
        return;
    const QString outletName = FeedFields::kEnclosureType;
    m_document->editField(outletName, row, checkedAsTyped(outletName, row, type));
}

void ItemActions::selectEnclosureFile()
{
    m_window.finalizeChanges();
    const int row = m_window.selectedItemRow();
    const VLXItems *item = m_document->item(row);
    if (!item)
        return;
    const QString chosen
        = EnclosureFileQuestions::chooseEnclosureFile(item->localEnclosureFilePath());
    if (chosen.isEmpty())
        return;
    // A refusal changes nothing; one the user did not answer himself says why.
    EnclosureFileQuestions::tellRefusal(newLocalEnclosureFile(chosen, row));
}

QStringList ItemActions::newLocalEnclosureFile(const QString &path, int itemIndex)
{
    const QWidget *name = m_window.outlet(FeedFields::kEnclosureFile);
    return m_document->attachLocalEnclosureFile(itemIndex, path,
                                                itemIndex == m_window.selectedItemRow() && name
                                                    && EditTracker::textOf(name) == path);
}

void ItemActions::insertItems(const QList<std::shared_ptr<VLXItems>> &items, int row,
                              const QString &undoName)
{
    m_window.finalizeChanges();
    if (items.isEmpty() || row < 0 || row > m_document->itemCount()
        || ItemLimit::refuses(m_document->itemCount(), items.size()))
        return;
    m_document->registerUndo(FieldChange::items(*m_document, m_window.selectedItemRow()), undoName);
    VLXFeed &feed = *m_document->feed();
    for (int i = int(items.size()) - 1; i >= 0; --i)
        feed.insertItem(items.at(i), row);
    m_document->itemsChanged(row);
    m_document->refreshFeedPubDate();
}

void ItemActions::connectActionControls()
{
    const QList<QPair<const char *, void (ItemActions::*)()>> commands {
        {"newItem", &ItemActions::newItem},           {"cloneItem", &ItemActions::cloneItem},
        {"deleteItem", &ItemActions::deleteItem},     {"moveUpItem", &ItemActions::moveUpItem},
        {"moveDownItem", &ItemActions::moveDownItem},
    };
    for (const auto &[name, action] : commands)
        m_window.setCommandHandler(QLatin1String(name),
                                   [this, action = action] { (this->*action)(); });
    const QList<QPair<QLatin1String, void (ItemActions::*)()>> buttons {
        {QLatin1String("Feeds_Required_SmartDateButton"), &ItemActions::feedSetBySmartDate},
        {QLatin1String("Items_Required_SmartDateButton"), &ItemActions::itemSetBySmartDate},
        {QLatin1String("Items_Optional_GUID_Generate"), &ItemActions::generateGUIDAction},
        {ItemsPane::kSuggestMIMEType, &ItemActions::suggestMIMETypeAction},
        {QLatin1String("Items_Optional_Enclosure_Advanced_Select"),
         &ItemActions::selectEnclosureFile},
    };
    for (const auto &[name, action] : buttons) {
        if (auto *button = m_window.outlet<QAbstractButton>(name))
            connect(button, &QAbstractButton::clicked, this,
                    [this, action = action] { (this->*action)(); });
    }
    auto *items = m_window.outlet<VLXTableView>(ItemsPane::kItemTable);
    connect(items, &QAbstractItemView::clicked, this,
            [this](const QModelIndex &index) { itemSelectAction(index.row()); });
}

void ItemActions::connectDatePickers()
{
    const struct
    {
        const char *button;
        void (ItemActions::*action)();
    } pickers[] = {{"Feeds_Required_DatePickerButton", &ItemActions::feedToggleDatePicker},
                   {"Items_Required_DatePickerButton", &ItemActions::itemToggleDatePicker}};
    for (const auto &picker : pickers) {
        if (auto *button = m_window.outlet<QAbstractButton>(QLatin1String(picker.button)))
            connect(button, &QAbstractButton::clicked, this, picker.action);
    }
}

void ItemActions::feedToggleDatePicker()
{
    pickDate(FeedFields::kFeedPubDate, -1);
}

void ItemActions::itemToggleDatePicker()
{
    const int row = m_window.selectedItemRow();
    if (row < 0 || !m_document->item(row))
        return;
    pickDate(FeedFields::kItemPubDate, row);
}

void ItemActions::pickDate(const QString &outlet, int item)
{
    m_window.finalizeChanges();
    const FeedField *field = FeedFields::byOutlet(outlet);
    if (!field || (field->isItemScoped() && !m_document->item(item)))
        return;
    TimeAndDate picker;
    picker.setInitialValueVLXDateFormat(m_document->value(*field, item));
    if (picker.showCustomSheet(m_window.window()) != 1)
        return;
    // Accepting the picker is a step of its own, even when the date stayed the same.
    m_document->commitField(*field, item, picker.resultDateVLXDateFormat());
}
