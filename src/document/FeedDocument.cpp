#include "document/FeedDocument.h"

#include "document/ExtensionFieldTable.h"
#include "document/FeedFields.h"
#include "document/FieldChange.h"
#include "document/FreeAside.h"
#include "document/VLXUndoManager.h"
#include "extensions/FieldExtensionBase.h"
#include "extensions/dc/DublinCoreRows.h"
#include "extensions/mrss/mrssItem.h"
#include "model/LocalEnclosureFile.h"
#include "model/SmartDate.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "model/extensionManagerItem.h"
#include "model/mimeTypes.h"
#include "platform/AlertService.h"
#include "publish/PublishPaths.h"

#include <QDebug>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

VLXImage *FeedDocument::image() const
{
    return m_feed->image();
}

VLXItems *FeedDocument::item(int index) const
{
    return index >= 0 && index < m_feed->countOfItems() ? m_feed->itemAtIndex(index).get()
                                                        : nullptr;
}

int FeedDocument::itemCount() const
{
    return m_feed->countOfItems();
}

void FeedDocument::setEntry(const FeedListEntry &entry)
{
    m_entry = entry;
    emit entryChanged();
}

void FeedDocument::install(std::shared_ptr<VLXFeed> feed, const FeedListEntry &entry,
                           bool rereading)
{
    std::shared_ptr<VLXFeed> previous = std::move(m_feed);
    if (previous && previous != feed)
        previous->deactivate();
    m_feed = feed ? std::move(feed) : std::make_shared<VLXFeed>();
    m_entry = entry;
    m_shownItem = m_feed->countOfItems() > 0 ? 0 : -1;
    if (!rereading) {
        // The steps recorded for the feed shown before must not reach this one.
        m_undo->setDocumentEdited(false, true);
        m_imageEdited = false;
        forgetPictureOfLoad();
    }
    // Freeing a big feed shown before takes tens of milliseconds: on a pool thread, when nothing
    // else holds it.
    releaseFeedAside(std::move(previous));
}

void FeedDocument::replace(std::shared_ptr<VLXFeed> feed, const FeedListEntry &entry,
                           bool reloadImage)
{
    install(std::move(feed), entry, false);
    emit entryChanged();
    emit feedReplaced(reloadImage);
}

void FeedDocument::reinstate(std::shared_ptr<VLXFeed> feed, bool copyOfShown)
{
    if (!feed || feed == m_feed)
        return;
    // What no undo step records stays as it is now: the AutoPubDate box and the times of the
    // uploads made meanwhile (of the feed, its image, and each local enclosure file that the
    // feed shown again holds too).
    feed->setAutoPubDate(m_feed->autoPubDate());
    if (m_feed->lastUploaded().isValid())
        feed->setLastUploaded(m_feed->lastUploaded());
    if (m_feed->image()->lastUploaded().isValid())
        feed->image()->setLastUploaded(m_feed->image()->lastUploaded());
    QHash<QPair<QString, QString>, QDateTime> uploads;
    for (const auto &item : copyOfShown ? VLXFeed::ItemList() : m_feed->arrayOfItems()) {
        if (!item->localEnclosureFilePath().isEmpty() && item->lastUploaded().isValid())
            uploads.insert({item->enclosureAttrURL(), item->localEnclosureFilePath()},
                           item->lastUploaded());
    }
    for (const auto &item : uploads.isEmpty() ? VLXFeed::ItemList() : feed->arrayOfItems()) {
        const auto upload
            = uploads.constFind({item->enclosureAttrURL(), item->localEnclosureFilePath()});
        if (upload != uploads.cend())
            item->setLastUploaded(*upload);
    }
    const int shown = m_shownItem;
    install(std::move(feed), m_entry, true);
    m_shownItem = shown >= 0 && shown < itemCount() ? shown : (itemCount() > 0 ? 0 : -1);
    emit feedReplaced(false);
}

// --- Undo and the edited state ------------------------------------------------------------------

void FeedDocument::registerUndo(UndoRecord record, const QString &actionName)
{
    m_undo->registerUndo(std::move(record));
    m_undo->setActionName(actionName);
}

bool FeedDocument::isEdited() const
{
    return m_undo->isDocumentEdited();
}

void FeedDocument::setEdited(bool edited)
{
    m_undo->setDocumentEdited(edited);
}

void FeedDocument::setEdited(bool edited, bool flushUndos)
{
    m_undo->setDocumentEdited(edited, flushUndos);
}

// --- Field values -------------------------------------------------------------------------------

void FeedDocument::announce(FieldScope scope, int item, const QString &outlet)
{
    emit fieldChanged(scope, scope == FieldScope::Item ? item : -1, outlet);
}

bool FeedDocument::applyField(const FeedField &field, int item, const QString &value)
{
    if (!field.write || !field.write(*this, item, value)) {
        qDebug().noquote() << "Editing ended on an unknown text";
        return false;
    }
    announce(field.scope, item, field.outlet);
    if (field.afterEdit)
        field.afterEdit(*this, item);
    return true;
}

bool FeedDocument::editField(const FeedField &field, int item, const QString &value)
{
    if (field.read(*this, item) == value)
        return false;
    return commitField(field, item, value);
}

bool FeedDocument::commitField(const FeedField &field, int item, const QString &value)
{
    if (!field.write || (field.isItemScoped() && !this->item(item)))
        return false;
    // A pop-up choice keeps only the feed's date; typed fields also the AutoPubDate box.
    const FieldChange::Dates dates
        = FieldChange::datesBefore(*this, field.scope, item, field.kind != FieldKind::Choice);
    registerUndo(FieldChange::value(*this, field, item, field.read(*this, item), dates),
                 field.undoName);
    return applyField(field, item, value);
}

bool FeedDocument::editField(const QString &outlet, int item, const QString &value)
{
    const FeedField *field = FeedFields::byOutlet(outlet);
    return field && editField(*field, item, value);
}

void FeedDocument::editGUID(int item, const QString &guid, int isPermaLink)
{
    const VLXItems *target = this->item(item);
    if (!target)
        return;
    registerUndo(FieldChange::guid(*this, item, target->GUID(), target->GUIDAttr(),
                                   FieldChange::datesBefore(*this, FieldScope::Item, item, true)),
                 QStringLiteral("Item GUID"));
    applyGUID(item, guid, isPermaLink);
}

void FeedDocument::applyGUID(int item, const QString &guid, int isPermaLink)
{
    VLXItems *target = this->item(item);
    if (!target)
        return;
    refreshFeedPubDate();
    refreshItemPubDate(item);
    target->setGUID(guid);
    target->setGUIDAttr(isPermaLink);
    announce(FieldScope::Item, item, FeedFields::kItemGUID);
    announce(FieldScope::Item, item, FeedFields::kItemGUIDIsPerma);
    const QString message = target->isGUIDUnique(m_feed.get());
    if (!message.isEmpty()) {
        Alert notUnique;
        notUnique.style = Alert::Style::Informational;
        notUnique.title = QStringLiteral("GUID Not Unique");
        notUnique.message = message;
        AlertService::show(notUnique);
    }
}

void FeedDocument::editSkipFlag(bool hours, int index, int value)
{
    if (index < 0 || index >= (hours ? 24 : 7))
        return;
    VLXFeed &feed = *m_feed;
    const int current = hours ? feed.skipHours(index) : feed.skipDays(index);
    if (current == value)
        return;
    registerUndo(
        FieldChange::skipFlag(*this, hours, index, current,
                              FieldChange::datesBefore(*this, FieldScope::Channel, -1, false)),
        hours ? QStringLiteral("Skip Hours") : QStringLiteral("Skip Days"));
    if (hours)
        feed.setSkipHours(index, value);
    else
        feed.setSkipDays(index, value);
    announce(FieldScope::Channel, -1, hours ? FeedFields::kSkipHours : FeedFields::kSkipDays);
    refreshFeedPubDate();
}

QStringList FeedDocument::attachLocalEnclosureFile(int item, const QString &path,
                                                   bool pathAlreadyShown)
{
    const QStringList notFound {QStringLiteral("File not found"),
                                QStringLiteral("The file \"%1\" could not be found.").arg(path)};
    VLXItems *target = this->item(item);
    if (!target)
        return notFound;
    UndoRecord record = FieldChange::localEnclosure(
        *this, item, target->enclosureAttrLength(), target->enclosureAttrType(),
        target->localEnclosureFilePath(), target->lastUploaded());
    const QStringList refused = LocalEnclosureFile::attach(*target, path, pathAlreadyShown);
    if (!refused.isEmpty())
        return refused;
    for (const QLatin1String outlet :
         {FeedFields::kEnclosureLength, FeedFields::kEnclosureType, FeedFields::kEnclosureFile})
        announce(FieldScope::Item, item, outlet);
    registerUndo(std::move(record), QStringLiteral("Select Enclosure File"));
    return {};
}

namespace {
// What a local file gives an enclosure now; nothing for a file that cannot be looked at (on a
// disk that is not mounted): the feed keeps what it states.
std::optional<LocalEnclosureFile::Facts> factsOfLocalFile(const QString &path)
{
    LocalEnclosureFile::Facts facts;
    if (path.isEmpty()
        || !LocalEnclosureFile::check(PublishPaths::expandTilde(path), QString(), &facts).isEmpty())
        return std::nullopt;
    return facts;
}

// The length follows the file; a type the feed states stays (the user may have given it), one
// it lacks is the file's. Answers whether anything changed.
bool followFile(QString &length, QString &type, const LocalEnclosureFile::Facts &facts)
{
    const QString followedType = type.isEmpty() ? facts.type : type;
    if (length == facts.length && followedType == type)
        return false;
    length = facts.length;
    type = followedType;
    return true;
}
} // namespace

bool FeedDocument::followLocalFiles(const QString &actionName)
{
    bool changed = false;
    for (int i = 0; i < itemCount(); ++i) {
        VLXItems &target = *item(i);
        QString length = target.enclosureAttrLength();
        QString type = target.enclosureAttrType();
        if (const auto facts = factsOfLocalFile(target.localEnclosureFilePath());
            facts && followFile(length, type, *facts)) {
            registerUndo(FieldChange::localEnclosure(
                             *this, i, target.enclosureAttrLength(), target.enclosureAttrType(),
                             target.localEnclosureFilePath(), target.lastUploaded()),
                         actionName);
            // As attaching the file does: the dates stay.
            target.setEnclosureAttrLength(length);
            target.setEnclosureAttrType(type);
            announce(FieldScope::Item, i, FeedFields::kEnclosureLength);
            announce(FieldScope::Item, i, FeedFields::kEnclosureType);
            changed = true;
        }
        mrssItem *media = mrssItem::inUseOf(target);
        if (!media)
            continue;
        QList<mrssRequiredElement> contents = media->mediaContentsValue();
        bool contentsChanged = false;
        for (mrssRequiredElement &content : contents) {
            length = content.attribute("attributeFileSize");
            type = content.attribute("attributeType");
            const auto facts = factsOfLocalFile(content.localEnclosureFilePath());
            if (!facts || !followFile(length, type, *facts))
                continue;
            content.setAttribute("attributeFileSize", length);
            content.setAttribute("attributeType", type);
            contentsChanged = true;
        }
        if (!contentsChanged)
            continue;
        registerUndo(FieldChange::extensionValue(
                         *this, FieldScope::Item,
                         ExtensionFieldTable::targetOf(mrssItem::classDescriptor()),
                         mrssItem::kContents, i, media->value(mrssItem::kContents),
                         FieldChange::datesBefore(*this, FieldScope::Item, i, false)),
                     actionName);
        media->setValue(mrssItem::kContents, QVariant::fromValue(contents));
        changed = true;
    }
    return changed;
}

// --- Automatic publication dates ----------------------------------------------------------------

bool FeedDocument::autoPubDate() const
{
    return m_feed->autoPubDate() != 0;
}

void FeedDocument::setAutoPubDate(bool on)
{
    if (autoPubDate() == on)
        return;
    m_feed->setAutoPubDate(on ? 1 : 0);
    emit autoPubDateChanged(on);
}

void FeedDocument::refreshFeedPubDate()
{
    if (!autoPubDate() || m_pubDatesFrozen)
        return;
    setFeedPubDate(SmartDate::feedAutoPubDate());
    followFeedPubDate();
}

void FeedDocument::refreshItemPubDate(int item)
{
    if (!autoPubDate() || m_pubDatesFrozen || !this->item(item))
        return;
    setItemPubDate(item, SmartDate::feedAutoPubDate());
    followItemPubDate(item);
}

namespace {
// The Dublin Core object of the channel (item < 0) or of the item at the index, while in use.
FieldExtensionBase *dublinCoreOf(const FeedDocument &document, int item)
{
    const placedExtensionManager *manager = nullptr;
    if (item < 0)
        manager = document.feed()->XMLExtensions();
    else if (const VLXItems *target = document.item(item))
        manager = target->XMLExtensions();
    if (!manager || !manager->extensionUsed(KnownNamespace::dublinCore))
        return nullptr;
    return FieldExtensionBase::from(manager->knownExtension(KnownNamespace::dublinCore).get());
}
} // namespace

std::optional<QString> FeedDocument::dublinCoreDate(int item) const
{
    if (const FieldExtensionBase *dc = dublinCoreOf(*this, item))
        return dc->text(DublinCoreRows::kDate);
    return std::nullopt;
}

void FeedDocument::setDublinCoreDate(int item, const QString &date)
{
    if (FieldExtensionBase *dc = dublinCoreOf(*this, item))
        dc->setText(DublinCoreRows::kDate, date);
}

void FeedDocument::followFeedPubDate()
{
    if (const auto date = dublinCoreDate(-1); date && !date->isEmpty())
        setDublinCoreDate(-1, DublinCoreRows::w3cDate(m_feed->pubDate()));
}

void FeedDocument::followItemPubDate(int item)
{
    const VLXItems *target = this->item(item);
    if (const auto date = dublinCoreDate(item); target && date && !date->isEmpty())
        setDublinCoreDate(item, DublinCoreRows::w3cDate(target->pubDate()));
}

void FeedDocument::setFeedPubDate(const QString &date)
{
    m_feed->setPubDate(date);
    announce(FieldScope::Channel, -1, FeedFields::kFeedPubDate);
}

void FeedDocument::setItemPubDate(int item, const QString &date)
{
    if (VLXItems *target = this->item(item)) {
        target->setPubDate(date);
        announce(FieldScope::Item, item, FeedFields::kItemPubDate);
    }
}

// --- Items --------------------------------------------------------------------------------------

void FeedDocument::itemsChanged(int selectRow)
{
    m_shownItem = selectRow >= 0 && selectRow < itemCount() ? selectRow : -1;
    emit itemListChanged(selectRow);
}
