#include "document/FeedFields.h"

#include "document/FeedDocument.h"
#include "model/VLXFeed.h"
#include "model/VLXImage.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"
#include "model/extensionManagerChannel.h"
#include "model/mimeTypes.h"
#include "platform/AlertService.h"

#include <QDir>
#include <QMetaObject>

namespace {
using Check = FeedField::Check;

// The model's validate-and-inform operations, adapted to the check signature.
Check inform(bool (*validate)(const QString &, QObject *))
{
    return [validate](const FieldCheckContext &context, const QString &text) {
        validate(text, context.control);
        return text;
    };
}

bool iTunesUsed(const FeedDocument &document)
{
    const auto *manager = document.feed()->XMLExtensions();
    return manager && manager->iTunesExtensionUsed();
}

void showHelpOf(QObject *control)
{
    if (control)
        QMetaObject::invokeMethod(control, "showContextHelp");
}

QString checkEnclosureType(const FieldCheckContext &context, const QString &text)
{
    if (!mimeTypes::sharedIsValidMIMEType(text, iTunesUsed(context.document))) {
        Alert warning;
        warning.title = QStringLiteral("Warning");
        warning.message = QStringLiteral("The Enclosure Type, \"%1\", does not appear to be a "
                                         "valid MIME type.")
                              .arg(text);
        warning.alternateButton = QStringLiteral("More Info.");
        if (AlertService::show(warning) == AlertService::kAlternate)
            showHelpOf(context.control);
    }
    return text;
}

QString checkCopyright(const FieldCheckContext &context, const QString &text)
{
    VLXFeed::validateAndInformCopyright(text, context.control, iTunesUsed(context.document));
    return text;
}

// The rows of a scope are in the order find and replace walks them.
QList<FeedField> makeTable()
{
    using F = FeedFields;
    const auto channel = &F::channel;
    const auto item = &F::item;
    const auto image = &F::image;
    const auto C = FieldScope::Channel;
    const auto I = FieldScope::Item;
    const auto M = FieldScope::Image;
    const auto feedDate = &F::feedDate;
    const auto itemDate = &F::itemDate;
    QList<FeedField> rows;

    // The channel.
    rows << makeField("Feeds_Required_Title", C, channel, &VLXFeed::title, &VLXFeed::setTitle,
                      "Feed Title", feedDate, inform(&VLXFeed::validateAndInformTitle),
                      "FeedTitle");
    rows << makeField(FeedFields::kFeedDescription, C, channel, &VLXFeed::descriptionElement,
                      &VLXFeed::setDescriptionElement, "Feed Description", feedDate, {},
                      "FeedDescription", FieldKind::Text);
    rows << makeField("Feeds_Required_Link", C, channel, &VLXFeed::link, &VLXFeed::setLink,
                      "Feed Link", feedDate, inform(&VLXFeed::validateAndInformLink), "FeedLink");
    rows << makeField(
        FeedFields::kFeedPubDate, C, channel, &VLXFeed::pubDate,
        [](VLXFeed &feed, const QString &value) {
            feed.setPubDate(VLXLogic::FixInternetDateTime(value, false, &feed));
        },
        "Feed Pub Date", &F::typedFeedDate, &F::checkPubDate, "FeedPubDate");
    const struct
    {
        const char *outlet;
        const QString &(VLXFeed::*get)() const;
        void (VLXFeed::*set)(const QString &);
        const char *undoName;
        Check check; // null: the trimmed text is kept
        const char *anchor;
    } plain[] = {
        {"Feeds_Optional_Cloud_Domain", &VLXFeed::cloudAttrDomain, &VLXFeed::setCloudAttrDomain,
         "Feed Cloud Domain", inform(&VLXFeed::validateAndInformCloudAttrDomain), ""},
        {"Feeds_Optional_Cloud_Port", &VLXFeed::cloudAttrPort, &VLXFeed::setCloudAttrPort,
         "Feed Cloud Port", inform(&VLXFeed::validateAndInformCloudAttrPort), ""},
        {"Feeds_Optional_Cloud_Path", &VLXFeed::cloudAttrPath, &VLXFeed::setCloudAttrPath,
         "Feed Cloud Path", inform(&VLXFeed::validateAndInformCloudAttrPath), ""},
        {"Feeds_Optional_Cloud_RegProc", &VLXFeed::cloudAttrRegProc,
         &VLXFeed::setCloudAttrRegProc, "Feed Cloud RegProc",
         inform(&VLXFeed::validateAndInformCloudAttrRegProc), ""},
        {"Feeds_Optional_Cloud_Protocol", &VLXFeed::cloudAttrProtocol,
         &VLXFeed::setCloudAttrProtocol, "Feed Cloud Protocol",
         inform(&VLXFeed::validateAndInformCloudAttrProtocol), ""},
        {"Feeds_Optional_TextInput_Title", &VLXFeed::textInputAttrTitle,
         &VLXFeed::setTextInputAttrTitle, "Feed TextInput Title", nullptr, ""},
        {"Feeds_Optional_TextInput_Description", &VLXFeed::textInputAttrDescription,
         &VLXFeed::setTextInputAttrDescription, "Feed TextInput Description", nullptr, ""},
        {"Feeds_Optional_TextInput_Name", &VLXFeed::textInputAttrName,
         &VLXFeed::setTextInputAttrName, "Feed TextInput Name", nullptr, ""},
        {"Feeds_Optional_TextInput_Link", &VLXFeed::textInputAttrLink,
         &VLXFeed::setTextInputAttrLink, "Feed TextInput Link",
         inform(&VLXFeed::validateAndInformTextInputAttrLink), ""},
        {"Feeds_Optional_Webmaster", &VLXFeed::webMaster, &VLXFeed::setWebMaster,
         "Feed Webmaster", inform(&VLXFeed::validateAndInformWebMaster), "FeedWebmaster"},
        {"Feeds_Optional_Editor", &VLXFeed::editor, &VLXFeed::setEditor, "Feed Editor",
         inform(&VLXFeed::validateAndInformEditor), "FeedEditor"},
        {"Feeds_Optional_Copyright", &VLXFeed::copyright, &VLXFeed::setCopyright,
         "Feed Copyright", &checkCopyright, "FeedCopyright"},
        {"Feeds_Optional_Rating", &VLXFeed::rating, &VLXFeed::setRating, "Feed Rating", nullptr,
         "FeedRating"},
        {"Feeds_Optional_Docs", &VLXFeed::docs, &VLXFeed::setDocs, "Feed Docs",
         inform(&VLXFeed::validateAndInformDocs), "FeedDocs"},
        {"Feeds_Optional_TTL", &VLXFeed::TTL, &VLXFeed::setTTL, "Feed TTL",
         inform(&VLXFeed::validateAndInformTTL), "FeedTTL"},
        {"Feeds_Advanced_StyleSheet", &VLXFeed::styleSheet, &VLXFeed::setStyleSheet,
         "XML Style Sheet", inform(&VLXFeed::validateAndInformStyleSheet), "FeedStyleSheet"},
        {"Feeds_Advanced_StyleSheetCSS", &VLXFeed::styleSheetCSS, &VLXFeed::setStyleSheetCSS,
         "XML Style Sheet", inform(&VLXFeed::validateAndInformStyleSheetCSS), "CSSStyleSheet"},
    };
    for (const auto &row : plain)
        rows << makeField(QLatin1String(row.outlet), C, channel, row.get, row.set,
                          QLatin1String(row.undoName), feedDate, row.check,
                          QLatin1String(row.anchor));
    rows << makeField("Feeds_Optional_Language", C, channel, &VLXFeed::language,
                      &VLXFeed::setLanguage, "Feed Language", feedDate, {}, "FeedLanguage",
                      FieldKind::Choice);

    // The items.
    rows << makeField(FeedFields::kItemTitle, I, item, &VLXItems::title, &VLXItems::setTitle,
                      "Item Title", &F::itemAndFeedDate, inform(&VLXItems::validateAndInformTitle),
                      "ItemTitle");
    rows << makeField(FeedFields::kItemDescription, I, item, &VLXItems::descriptionElement,
                      &VLXItems::setDescriptionElement, "Item Description",
                      &F::itemDateAndUntitledFeedDate, {}, "ItemDescription", FieldKind::Text);
    rows << makeField("Items_Required_Link", I, item, &VLXItems::link, &VLXItems::setLink,
                      "Item Link", itemDate, inform(&VLXItems::validateAndInformLink), "ItemLink");
    rows << makeField(
        FeedFields::kItemPubDate, I, item, &VLXItems::pubDate,
        [](VLXItems &target, const QString &value) {
            target.setPubDate(VLXLogic::FixInternetDateTime(value, false, &target));
        },
        "Item Pub Date", &F::typedItemDate, &F::checkPubDate, "ItemPubDate");
    FeedField guid = makeField(
        FeedFields::kItemGUID, I, item, &VLXItems::GUID, &VLXItems::setGUID, "Item GUID", {},
        [](const FieldCheckContext &context, const QString &text) {
            const VLXItems *shown = context.document.item(context.item);
            VLXItems::validateAndInformGUID(text, shown ? shown->GUIDAttr() : 0, context.control);
            return text;
        },
        "ItemGUID");
    guid.write = {}; // with its permalink flag: FeedDocument::editGUID
    rows << guid;
    rows << makeField(FeedFields::kItemSource, I, item, &VLXItems::source, &VLXItems::setSource,
                      "Item Source", itemDate);
    rows << makeField(FeedFields::kItemSourceURL, I, item, &VLXItems::sourceAttr,
                      &VLXItems::setSourceAttr, "Item Source URL", itemDate,
                      inform(&VLXItems::validateAndInformSourceAttr));
    rows << makeField(
        FeedFields::kEnclosureURL, I, item, &VLXItems::enclosureAttrURL,
        &VLXItems::setEnclosureAttrURL, "Item Enclosure URL", &F::itemAndFeedDate,
        [](const FieldCheckContext &context, const QString &text) {
            VLXItems::validateAndInformEnclosureAttrURL(text, context.control,
                                                        iTunesUsed(context.document));
            return text;
        },
        "RSSEnclosure");
    rows << makeField(
        FeedFields::kEnclosureLength, I, item, &VLXItems::enclosureAttrLength,
        &VLXItems::setEnclosureAttrLength, "Item Enclosure Length", itemDate,
        [](const FieldCheckContext &context, const QString &text) {
            if (!text.isEmpty())
                VLXItems::validateAndInformEnclosureAttrLength(text, context.control);
            return text;
        },
        "RSSEnclosure");
    rows << makeField(FeedFields::kEnclosureType, I, item, &VLXItems::enclosureAttrType,
                      &VLXItems::setEnclosureAttrType, "Item Enclosure Type", itemDate,
                      &checkEnclosureType, "RSSEnclosure");
    FeedField file = makeField(
        FeedFields::kEnclosureFile, I, item, &VLXItems::localEnclosureFilePath,
        &VLXItems::setLocalEnclosureFilePath, "Select Enclosure File", {},
        [](const FieldCheckContext &, const QString &text) { return F::expandTilde(text); });
    file.write = {}; // checked and taken by FeedDocument::attachLocalEnclosureFile
    rows << file;
    rows << makeField("Items_Optional_Author", I, item, &VLXItems::author, &VLXItems::setAuthor,
                      "Item Author", itemDate, inform(&VLXItems::validateAndInformAuthor),
                      "ItemAuthor");
    rows << makeField(FeedFields::kItemCommentsURL, I, item, &VLXItems::comments,
                      &VLXItems::setComments, "Item Comments", itemDate,
                      inform(&VLXItems::validateAndInformComments), "ItemComments");

    // The image.
    rows << makeField(
        "Image_Required_Title", M, image, &VLXImage::title, &VLXImage::setTitle,
        "Feed Image Title", feedDate,
        [](const FieldCheckContext &context, const QString &text) {
            VLXImage::validateAndInformTitle(text, context.document.feed()->title(),
                                             context.control);
            return text;
        },
        "ImageTitle");
    rows << makeField("Image_Required_Description", M, image, &VLXImage::descriptionElement,
                      &VLXImage::setDescriptionElement, "Feed Image Description", feedDate, {},
                      "ImageDescription");
    rows << makeField(
        "Image_Required_Link", M, image, &VLXImage::link, &VLXImage::setLink, "Feed Image Link",
        feedDate,
        [](const FieldCheckContext &context, const QString &text) {
            VLXImage::validateAndInformLink(text, context.document.feed()->link(),
                                            context.control);
            return text;
        },
        "ImageLink");
    rows << makeField(FeedFields::kImageURL, M, image, &VLXImage::URL, &VLXImage::setURL,
                      "Feed Image URL", feedDate, inform(&VLXImage::validateAndInformURL),
                      "ImageURL");
    rows << makeField(FeedFields::kImageWidth, M, image, &VLXImage::width, &VLXImage::setWidth,
                      "Feed Image Width", feedDate, inform(&VLXImage::validateAndInformWidth),
                      "ImageWidth");
    rows << makeField(FeedFields::kImageHeight, M, image, &VLXImage::height, &VLXImage::setHeight,
                      "Feed Image Height", feedDate, inform(&VLXImage::validateAndInformHeight),
                      "ImageHeight");
    return rows;
}

QList<const QList<FeedField> *> &tables()
{
    static QList<const QList<FeedField> *> registered {&FeedFields::all()};
    return registered;
}
} // namespace

const QList<FeedField> &FeedFields::all()
{
    static const QList<FeedField> rows = makeTable();
    return rows;
}

const QList<FieldSummary> &FeedFields::summaries()
{
    static const QList<FieldSummary> rows {
        {"Feeds_Optional_Cloud",
         {"Feeds_Optional_Cloud_Domain", "Feeds_Optional_Cloud_Port", "Feeds_Optional_Cloud_Path",
          "Feeds_Optional_Cloud_RegProc", "Feeds_Optional_Cloud_Protocol"},
         [](const QStringList &t) {
             return VLXLogic::buildCloudString(t[0], t[1], t[2], t[3], t[4]);
         }},
        {"Feeds_Optional_TextInput",
         {"Feeds_Optional_TextInput_Title", "Feeds_Optional_TextInput_Description",
          "Feeds_Optional_TextInput_Name", "Feeds_Optional_TextInput_Link"},
         [](const QStringList &t) {
             return VLXLogic::buildTextInputString(t[0], t[1], t[2], t[3]);
         }},
        {FeedFields::kEnclosureBox,
         {FeedFields::kEnclosureURL, FeedFields::kEnclosureLength, FeedFields::kEnclosureType},
         [](const QStringList &t) { return VLXLogic::buildEnclosureString(t[0], t[1], t[2]); }},
        {FeedFields::kSourceBox,
         {FeedFields::kItemSource, FeedFields::kItemSourceURL},
         [](const QStringList &t) { return VLXLogic::buildSourceString(t[0], t[1]); }},
        {FeedFields::kGUIDBox,
         {FeedFields::kItemGUID, FeedFields::kItemGUIDIsPerma},
         [](const QStringList &t) { return VLXLogic::buildGUIDString(t[0], t[1].toInt()); }},
    };
    return rows;
}

void FeedFields::registerTable(const QList<FeedField> *table)
{
    if (table && !tables().contains(table))
        tables().append(table);
}

const FeedField *FeedFields::byOutlet(const QString &outlet)
{
    for (const QList<FeedField> *table : std::as_const(tables())) {
        for (const FeedField &field : *table) {
            if (field.outlet == outlet)
                return &field;
        }
    }
    return nullptr;
}

VLXFeed *FeedFields::channel(const FeedDocument &document, int)
{
    return document.feed().get();
}

VLXItems *FeedFields::item(const FeedDocument &document, int item)
{
    return document.item(item);
}

VLXImage *FeedFields::image(const FeedDocument &document, int)
{
    return document.image();
}

void FeedFields::feedDate(FeedDocument &document, int)
{
    document.refreshFeedPubDate();
}

void FeedFields::itemDate(FeedDocument &document, int item)
{
    document.refreshItemPubDate(item);
}

void FeedFields::itemAndFeedDate(FeedDocument &document, int item)
{
    document.refreshItemPubDate(item);
    document.refreshFeedPubDate();
}

void FeedFields::itemDateAndUntitledFeedDate(FeedDocument &document, int item)
{
    document.refreshItemPubDate(item);
    if (const VLXItems *target = document.item(item); target && target->title().isEmpty())
        document.refreshFeedPubDate();
}

void FeedFields::typedFeedDate(FeedDocument &document, int)
{
    document.setAutoPubDate(false);
    document.followFeedPubDate();
}

void FeedFields::typedItemDate(FeedDocument &document, int item)
{
    document.followItemPubDate(item);
}

QString FeedFields::checkPubDate(const FieldCheckContext &context, const QString &text)
{
    if (text.isEmpty()) {
        Alert required;
        required.style = Alert::Style::Informational;
        required.title = QStringLiteral("REQUIRED FIELD");
        required.message
            = QStringLiteral("The \"PubDate\" is required and should not be left blank.");
        required.otherButton = QStringLiteral("More Info.");
        if (AlertService::show(required) == AlertService::kOther)
            showHelpOf(context.control);
        return text;
    }
    return VLXLogic::FixInternetDateTimeAndInform(text, false, QStringLiteral("pubDate"));
}

QString FeedFields::expandTilde(const QString &path)
{
    if (path == QLatin1String("~"))
        return QDir::homePath();
    if (path.startsWith(QLatin1String("~/")))
        return QDir::homePath() + path.mid(1);
    return path;
}
