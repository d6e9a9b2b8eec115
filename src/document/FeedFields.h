#pragma once

#include "document/FeedField.h"

#include <QList>
#include <QString>

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
    // The outlet names other code uses: each row's name is the objectName of its control.
    static constexpr QLatin1String kFeedDescription {"Feeds_Required_Description"};
    static constexpr QLatin1String kFeedPubDate {"Feeds_Required_PubDate"};
    static constexpr QLatin1String kItemTitle {"Items_Required_Title"};
    static constexpr QLatin1String kItemDescription {"Items_Required_Description"};
    static constexpr QLatin1String kItemPubDate {"Items_Required_PubDate"};
    static constexpr QLatin1String kItemCommentsURL {"Items_Optional_Comments"};
    static constexpr QLatin1String kItemGUID {"Items_Optional_GUID_GUID"};
    static constexpr QLatin1String kItemGUIDIsPerma {"Items_Optional_GUID_Perma"};
    static constexpr QLatin1String kItemSource {"Items_Optional_Source_Source"};
    static constexpr QLatin1String kItemSourceURL {"Items_Optional_Source_URL"};
    static constexpr QLatin1String kEnclosureURL {"Items_Optional_Enclosure_URL"};
    static constexpr QLatin1String kEnclosureLength {"Items_Optional_Enclosure_Length"};
    static constexpr QLatin1String kEnclosureType {"Items_Optional_Enclosure_Type"};
    static constexpr QLatin1String kEnclosureFile {"Items_Optional_Enclosure_Advanced_Filename"};
    static constexpr QLatin1String kImageURL {"Image_Required_URL"};
    static constexpr QLatin1String kImageWidth {"Image_Required_Width"};
    static constexpr QLatin1String kImageHeight {"Image_Required_Height"};
    // The boxes of the grouped rows, which show their summaries.
    static constexpr QLatin1String kGUIDBox {"Items_Optional_GUID"};
    static constexpr QLatin1String kSourceBox {"Items_Optional_Source"};
    static constexpr QLatin1String kEnclosureBox {"Items_Optional_Enclosure"};
    // The lists and flags the document edits beside the rows: the category and XML comment
    // tables and the skip hours and days.
    static constexpr QLatin1String kFeedCategories {"Feeds_Optional_Category"};
    static constexpr QLatin1String kFeedXMLComments {"Feeds_Advanced_Comments"};
    static constexpr QLatin1String kItemCategories {"Items_Optional_Category"};
    static constexpr QLatin1String kItemXMLComments {"Items_Advanced_Comments"};
    static constexpr QLatin1String kImageXMLComments {"Image_Advanced_Comments"};
    static constexpr QLatin1String kSkipHours {"Feeds_Optional_SkipHours_Matrix"};
    static constexpr QLatin1String kSkipDays {"Feeds_Optional_SkipDays_Matrix"};

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
