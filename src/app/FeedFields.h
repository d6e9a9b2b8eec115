#pragma once

#include "app/FeedField.h"

#include <QList>

class VLXFeed;
class VLXImage;
class VLXItems;

// The field table of the feed window: one row per editable field of the channel, the items and
// the image (outlet name, scope, getter and setter, check, undo name, automatic dates, help
// topic), and the summaries of the grouped fields. Other tables (the extensions') register
// themselves so that a field is found by its outlet name wherever it is declared.
class FeedFields
{
public:
    // The rows of the channel, the items and the image, in this order.
    static const QList<FeedField> &all();
    static const QList<FieldSummary> &summaries();

    // Adds a table of another pane (an extension's); its rows are found by outlet name too.
    // The table must outlive the program's windows (a static list).
    static void registerTable(const QList<FeedField> *table);
    static const FeedField *byOutlet(const QString &outlet);

    // Resolvers of the three scopes: the target of a row for the item index given.
    static VLXFeed *channel(const FeedDocument &document, int item);
    static VLXItems *item(const FeedDocument &document, int item);
    static VLXImage *image(const FeedDocument &document, int item);

    // After-edit hooks: which automatic publication dates a change refreshes.
    static void feedDate(FeedDocument &document, int item);
    static void itemDate(FeedDocument &document, int item);
    static void itemAndFeedDate(FeedDocument &document, int item);
    // An item's description: the feed's date only when the item has no title.
    static void itemDateAndUntitledFeedDate(FeedDocument &document, int item);
    // A date typed by hand ends automatic dating of the feed.
    static void typedFeedDate(FeedDocument &document, int item);
    static void typedItemDate(FeedDocument &document, int item);

    // The check of both publication date fields: "REQUIRED FIELD" when empty, else the repaired
    // date (its repairs explained in their own alerts).
    static QString checkPubDate(const FieldCheckContext &context, const QString &text);
    // A path with a leading tilde made absolute.
    static QString expandTilde(const QString &path);
};
