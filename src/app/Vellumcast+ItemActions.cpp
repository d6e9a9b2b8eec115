// Actions on the items of the loaded feed: new, clone, move and delete (each one undo step that
// puts the whole list back), the smart dates, and the buttons of the item editor.
#include "app/Vellumcast.h"

#include "app/FeedFields.h"
#include "app/FieldChange.h"
#include "app/ItemsPane.h"
#include "app/SmartDateRules.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "platform/AlertService.h"
#include "settings/VLXPreferences.h"
#include "ui/EnclosureFileQuestions.h"


std::shared_ptr<VLXItems> Vellumcast::makeNewItem(const QString &uniqueKey,
                                                  const QStringList &extensions)
{
    auto item = VLXItems::initWithUniqueString(uniqueKey, extensions);
    if (item->title().isEmpty())
        item->setTitle(QStringLiteral("(untitled)"));
    return item;
}

QString Vellumcast::checkedAsTyped(const QString &outletName, int item, const QString &value)
{
    const FeedField *field = FeedFields::byOutlet(outletName);
    if (!field || !field->check)
        return value;
    return field->check(FieldCheckContext {*m_document, outlet(outletName), item}, value);
}

void Vellumcast::createNewItem()
{
    currentFeed()->insertItem(
        makeNewItem(m_document->entry().uniqueIdentifier, m_document->namespaceDescriptions()), 0);
    m_document->itemsChanged(0);
    updateFeedAutoPubDate();
}

void Vellumcast::newItem()
{
    finalizeChanges();
    registerUndo(itemChangeUndoRecord(selectedItemRow()), QStringLiteral("Item Add"));
    showSelectedTab(ItemsTab);
    createNewItem();
}

void Vellumcast::cloneItem()
{
    const QString key = m_document->entry().uniqueIdentifier;
    finalizeChanges();
    const int row = selectedItemRow();
    const VLXItems *source = m_document->item(row);
    if (!source)
        return;
    registerUndo(itemChangeUndoRecord(row), QStringLiteral("Item Clone"));
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
    currentFeed()->insertItem(copy, 0);
    updateFeedAutoPubDate();
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

void Vellumcast::moveDownItem()
{
    finalizeChanges();
    const int row = selectedItemRow();
    if (row < 0 || row >= m_document->itemCount() - 1)
        return;
    registerUndo(itemChangeUndoRecord(row), QStringLiteral("Item Move Down"));
    currentFeed()->exchangeItemAtIndex(row, row + 1);
    m_document->itemsChanged(row + 1);
    updateFeedAutoPubDate();
}

void Vellumcast::moveUpItem()
{
    finalizeChanges();
    const int row = selectedItemRow();
    if (row <= 0 || row >= m_document->itemCount())
        return;
    registerUndo(itemChangeUndoRecord(row), QStringLiteral("Item Move Up"));
    currentFeed()->exchangeItemAtIndex(row, row - 1);
    m_document->itemsChanged(row - 1);
    updateFeedAutoPubDate();
}

void Vellumcast::deleteItem()
{
    finalizeChanges();
    const int row = selectedItemRow();
    if (!m_document->item(row))
        return;
    registerUndo(itemChangeUndoRecord(row), QStringLiteral("Item Delete"));
    VLXFeed &feed = *currentFeed();
    feed.removeItemAtIndex(row);
    // A feed keeps at least one item: the last one deleted makes way for a new blank one, in
    // the same undo step.
    if (feed.countOfItems() == 0)
        feed.insertItem(
            makeNewItem(m_document->entry().uniqueIdentifier, m_document->namespaceDescriptions()),
            0);
    m_document->itemsChanged(row < feed.countOfItems() ? row : row - 1);
    updateFeedAutoPubDate();
}

void Vellumcast::feedSetBySmartDate()
{
    finalizeChanges();
    const SmartDateRules rules(m_document->entry().uniqueIdentifier);
    const bool automatic = rules.channelIsNow();
    m_document->setAutoPubDate(automatic);
    const QString date = rules.channelDate();
    const QString old = currentFeed()->pubDate();
    const FeedField *field = FeedFields::byOutlet(QStringLiteral("Feeds_Required_PubDate"));
    if (date == old || !field)
        return;
    registerUndo(
        FieldChange::value(*m_document, *field, -1, old,
                           FieldChange::datesBefore(*m_document, FieldScope::Channel, -1, true)),
        field->undoName);
    m_document->applyField(*field, -1, date);
    // A typed date ends automatic dating; a date by rule keeps what the rule chose.
    m_document->setAutoPubDate(automatic);
}

void Vellumcast::itemSetBySmartDate()
{
    finalizeChanges();
    const int row = selectedItemRow();
    const VLXItems *item = m_document->item(row);
    if (!item)
        return;
    const QString date = SmartDateRules(m_document->entry().uniqueIdentifier).itemDate();
    if (date != item->pubDate())
        m_document->editField(QStringLiteral("Items_Required_PubDate"), row, date);
}

void Vellumcast::generateGUIDAction()
{
    finalizeChanges();
    const int row = selectedItemRow();
    if (!m_document->item(row))
        return;
    // A generated guid is no address: it is never a permanent link.
    m_document->editGUID(row, VLXLogic::generateGUID(), 0);
}

void Vellumcast::itemSelectAction(int clickedRow)
{
    if (clickedRow >= 0 && m_document->item(clickedRow))
        populateItem(clickedRow);
}

void Vellumcast::suggestMIMETypeAction()
{
    finalizeChanges();
    const int row = selectedItemRow();
    const VLXItems *item = m_document->item(row);
    if (!item)
        return;
    const QString type = EnclosureFileQuestions::suggestMIMEType(item->enclosureAttrURL());
    if (type.isEmpty())
        return;
    const QString outletName = QStringLiteral("Items_Optional_Enclosure_Type");
    m_document->editField(outletName, row, checkedAsTyped(outletName, row, type));
}

void Vellumcast::selectEnclosureFile()
{
    finalizeChanges();
    const int row = selectedItemRow();
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
