#pragma once

#include "document/FeedField.h"
#include "document/UndoRecord.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>

class FeedDocument;
class FieldExtensionBase;
class categoryElement;

// The undo records of changes to the loaded feed, one family for the channel, the image and the
// items (an item is named by its row; the undo stack takes changes back newest first, so the row
// always names the item the change was made to).
//
// A record keeps, with the value it puts back, the publication dates from before the change (the
// feed's, and the item's for an item field) and, for typed fields, the AutoPubDate state. Applying
// it sets the value through the document (the field table, so the after-edit steps run as for
// the edit itself), then puts the dates and the box back, and answers the record that reverses
// it: one record serves undo and redo. Records hold the document, never a widget; whatever shows
// the model refreshes from the document's signals.
class FieldChange
{
public:
    struct Dates
    {
        QString feed;
        std::optional<QString> item; // item-scoped changes only
        std::optional<bool> autoPubDate; // typed fields and the guid only
        // The Dublin Core dates that follow the pubDates, while Dublin Core is in use.
        std::optional<QString> feedDCDate;
        std::optional<QString> itemDCDate; // item-scoped changes only
    };
    static Dates datesBefore(const FeedDocument &document, FieldScope scope, int item,
                             bool withAutoPubDate);
    static void restoreDates(FeedDocument &document, int item, const Dates &dates);

    // A field of a table: puts `restore` back.
    static UndoRecord value(FeedDocument &document, const FeedField &field, int item,
                            const QString &restore, const Dates &dates);
    // The namespace extension object a record changes, found when the record applies: the one
    // of the scope's manager (the item's at the index), nullptr when it is not in use.
    using ExtensionTarget = std::function<FieldExtensionBase *(const FeedDocument &, int item)>;
    // A field of a namespace extension put back whole: a list of entries, or any other value
    // that is not kept as text.
    static UndoRecord extensionValue(FeedDocument &document, FieldScope scope,
                                     ExtensionTarget target, int field, int item,
                                     const QVariant &restore, const Dates &dates);
    static UndoRecord guid(FeedDocument &document, int item, const QString &guid, int isPermaLink,
                           const Dates &dates);
    static UndoRecord skipFlag(FeedDocument &document, bool hours, int index, int value,
                               const Dates &dates);
    static UndoRecord localEnclosure(FeedDocument &document, int item, const QString &length,
                                     const QString &type, const QString &path,
                                     const QDateTime &lastUpload);
    // The item list and the feed's dates; selects `selectedRow` when applied. The record keeps
    // the items themselves, not copies: changes are taken back newest first, and every record
    // puts back the very objects it found (a whole feed read again included, see wholeFeed), so
    // by the time it applies every item it holds is as it was when it was made. A feed of many
    // thousand items costs one pointer per item.
    static UndoRecord items(FeedDocument &document, int selectedRow);
    // The picture and its origin, the image's width and height and the image-edited flag.
    static UndoRecord picture(FeedDocument &document);
    // The categories or the XML comments of the channel, an item or the image, with the feed's
    // date (and the item's for an item's list).
    static UndoRecord categories(FeedDocument &document, FieldScope scope, int item,
                                 const QList<categoryElement> &restore, const Dates &dates);
    static UndoRecord comments(FeedDocument &document, FieldScope scope, int item,
                               const QStringList &restore, const Dates &dates);
    // Keys of the loaded feed's list entry (kept outside the feed, such as a default sort) put
    // back as they were: a value, or the key absent. `stored` runs after each apply (to store
    // the feed list).
    static UndoRecord entryValues(FeedDocument &document, const QStringList &keys,
                                  std::function<void()> stored = {});
    // Copies of the namespace extensions of the channel, the image and every item, with the
    // feed's date: what a namespace switched on or off changes.
    static UndoRecord namespaces(FeedDocument &document);
    // The loaded feed object itself, for a step that puts a whole feed of new objects in its
    // place (a View XML edit read again, the copy Replace All changed). Applying it shows that very
    // object again, so the records made before still find their items in it; the record it answers
    // keeps the feed it takes away, for the records made after. Reading the text again instead
    // would leave both holding items that are no longer shown.
    static UndoRecord wholeFeed(FeedDocument &document);
};
