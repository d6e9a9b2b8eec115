#pragma once

#include "app/FeedField.h"
#include "app/UndoRecord.h"

#include <QDateTime>
#include <QImage>
#include <optional>

class FeedDocument;

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
    };
    static Dates datesBefore(const FeedDocument &document, FieldScope scope, int item,
                             bool withAutoPubDate);
    static void restoreDates(FeedDocument &document, int item, const Dates &dates);

    // A field of a table: puts `restore` back.
    static UndoRecord value(FeedDocument &document, const FeedField &field, int item,
                            const QString &restore, const Dates &dates);
    static UndoRecord guid(FeedDocument &document, int item, const QString &guid, int isPermaLink,
                           const Dates &dates);
    static UndoRecord skipFlag(FeedDocument &document, bool hours, int index, int value,
                               const QString &feedDate);
    static UndoRecord localEnclosure(FeedDocument &document, int item, const QString &length,
                                     const QString &type, const QString &path,
                                     const QDateTime &lastUpload);
    // Every item (as copies) and the feed's date; selects `selectedRow` when applied.
    static UndoRecord items(FeedDocument &document, int selectedRow);
    // The picture, the image's width and height and the image-edited flag.
    static UndoRecord picture(FeedDocument &document);
};
