#pragma once

#include "model/FieldRule.h"
#include "model/MessageGroup.h"
#include "model/PublishedElement.h"
#include "xml/KeptAttributes.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class VLXImage;
class VLXItems;
class extensionManagerChannel;
class extensionManagerScope;
class QObject;

// The RSS 2.0 channel held in memory: every channel element as a field, the channel's XML
// comments and style sheets, its namespace extensions, its image and its ordered items. Every
// text field is "" when unset, never null. The channel owns its image and manager; items are
// shared so that undo records and the clipboard can keep an item the list no longer holds.
class VLXFeed : public PublishedElement
{
public:
    using ItemList = QList<std::shared_ptr<VLXItems>>;

    VLXFeed();
    // A deep copy: items, image, manager, categories and comments are copies.
    VLXFeed(const VLXFeed &other);
    VLXFeed &operator=(const VLXFeed &) = delete;
    ~VLXFeed() override;

    std::unique_ptr<FeedElement> clone() const override;
    std::unique_ptr<VLXFeed> copy() const { return std::make_unique<VLXFeed>(*this); }
    // Sent by the owner before it drops the channel.
    void deactivate();
    // "<base>(<refs>), extensions: <names>, number of Items <n>" for debugging.
    QString description() const;

    // --- Fields (title, description, link, pubDate, categories, XML comments: see the bases) -
    int autoPubDate() const { return m_autoPubDate; }
    void setAutoPubDate(int value) { m_autoPubDate = value; }
    const QString &lastBuildDate() const { return m_lastBuildDate; }
    void setLastBuildDate(const QString &value) { m_lastBuildDate = value; }
    const QString &language() const { return m_language; }
    void setLanguage(const QString &value) { m_language = value; }

    const QString &cloudAttrDomain() const { return m_cloudAttrDomain; }
    void setCloudAttrDomain(const QString &value) { m_cloudAttrDomain = value; }
    const QString &cloudAttrPort() const { return m_cloudAttrPort; }
    void setCloudAttrPort(const QString &value) { m_cloudAttrPort = value; }
    const QString &cloudAttrPath() const { return m_cloudAttrPath; }
    void setCloudAttrPath(const QString &value) { m_cloudAttrPath = value; }
    const QString &cloudAttrRegProc() const { return m_cloudAttrRegProc; }
    void setCloudAttrRegProc(const QString &value) { m_cloudAttrRegProc = value; }
    const QString &cloudAttrProtocol() const { return m_cloudAttrProtocol; }
    void setCloudAttrProtocol(const QString &value) { m_cloudAttrProtocol = value; }
    const QString &textInputAttrTitle() const { return m_textInputAttrTitle; }
    void setTextInputAttrTitle(const QString &value) { m_textInputAttrTitle = value; }
    const QString &textInputAttrDescription() const { return m_textInputAttrDescription; }
    void setTextInputAttrDescription(const QString &value) { m_textInputAttrDescription = value; }
    const QString &textInputAttrName() const { return m_textInputAttrName; }
    void setTextInputAttrName(const QString &value) { m_textInputAttrName = value; }
    const QString &textInputAttrLink() const { return m_textInputAttrLink; }
    void setTextInputAttrLink(const QString &value) { m_textInputAttrLink = value; }
    const QString &webMaster() const { return m_webMaster; }
    void setWebMaster(const QString &value) { m_webMaster = value; }
    const QString &editor() const { return m_editor; }
    void setEditor(const QString &value) { m_editor = value; }
    const QString &copyright() const { return m_copyright; }
    void setCopyright(const QString &value) { m_copyright = value; }
    const QString &docs() const { return m_docs; }
    void setDocs(const QString &value) { m_docs = value; }
    const QString &rating() const { return m_rating; }
    void setRating(const QString &value) { m_rating = value; }
    const QString &TTL() const { return m_TTL; }
    void setTTL(const QString &value) { m_TTL = value; }

    // Index 0 Sunday to 6 Saturday; hours 0 to 23. Non-zero means skip.
    int skipDays(int index) const { return m_skipDays[index]; }
    void setSkipDays(int index, int value) { m_skipDays[index] = value; }
    int skipHours(int index) const { return m_skipHours[index]; }
    void setSkipHours(int index, int value) { m_skipHours[index] = value; }
    const std::array<int, 7> &skipDaysFlags() const { return m_skipDays; }
    const std::array<int, 24> &skipHoursFlags() const { return m_skipHours; }

    const QString &styleSheet() const { return m_styleSheet; }
    void setStyleSheet(const QString &value) { m_styleSheet = value; }
    const QString &styleSheetCSS() const { return m_styleSheetCSS; }
    void setStyleSheetCSS(const QString &value) { m_styleSheetCSS = value; }

    // What the rss and channel elements of the document read held besides what the program
    // reads, written back where it stood: their other attributes (xml:base, xml:lang, a schema
    // location), and the elements under rss beside the channel, as raw XML, those before it and
    // those after it.
    const KeptAttributes &rssAttributes() const { return m_rssAttributes; }
    void setRSSAttributes(const KeptAttributes &value) { m_rssAttributes = value; }
    const KeptAttributes &channelAttributes() const { return m_channelAttributes; }
    void setChannelAttributes(const KeptAttributes &value) { m_channelAttributes = value; }
    const QString &rssXMLBeforeChannel() const { return m_rssXMLBeforeChannel; }
    void setRSSXMLBeforeChannel(const QString &xml) { m_rssXMLBeforeChannel = xml; }
    const QString &rssXMLAfterChannel() const { return m_rssXMLAfterChannel; }
    void setRSSXMLAfterChannel(const QString &xml) { m_rssXMLAfterChannel = xml; }

    extensionManagerChannel *XMLExtensions() const { return m_XMLExtensions.get(); }
    // Deactivates the old manager and stores a copy of the given one.
    void setXMLExtensions(const extensionManagerChannel &manager);

    // The feed's parts that hear of a namespace met without its declaration while the feed is
    // read: its channel, image and item managers, and nothing outside this feed.
    const std::shared_ptr<extensionManagerScope> &extensionScope() const { return m_scope; }

    VLXImage *image() const { return m_image.get(); }
    void setImage(const VLXImage &image);

    // --- Items -------------------------------------------------------------------------------
    const ItemList &arrayOfItems() const { return m_items; }
    // Replaces the items by copies of the given ones.
    void setArrayOfItems(const ItemList &items);
    // Replaces the items by the given ones themselves (an undo step putting back the list it
    // kept: items nobody changed since are shared, not copied).
    void replaceItems(const ItemList &items);
    int countOfItems() const { return int(m_items.size()); }
    const std::shared_ptr<VLXItems> &itemAtIndex(int index) const { return m_items.at(index); }
    void addItem(std::shared_ptr<VLXItems> item);
    void insertItem(std::shared_ptr<VLXItems> item, int index);
    void removeItemAtIndex(int index);
    void removeAllItems();
    void exchangeItemAtIndex(int index, int withItemAtIndex);
    // The position of the item in the list by identity, -1 when it is not there.
    int indexOfItem(const VLXItems *item) const;
    QStringList arrayOfItemGUID() const;

    // Enclosure URL -> [local path, last upload] gathered from every item, later items winning.
    QVariantMap enclosureLocalFileInfo() const;
    void setEnclosureLocalFileInfo(const QVariantMap &info);

    // --- Per-field rules ---------------------------------------------------------------------
    static bool validateTitle(const QString &value, VLXError *error);
    static bool validateDescriptionElement(const QString &value, VLXError *error);
    static bool validateLink(const QString &value, VLXError *error);
    static bool validateLanguage(const QString &value, VLXError *error, bool iTunesUsed);
    static bool validateCloudAttrDomain(const QString &value, VLXError *error);
    static bool validateCloudAttrPort(const QString &value, VLXError *error);
    static bool validateCloudAttrPath(const QString &value, VLXError *error);
    static bool validateCloudAttrRegProc(const QString &value, VLXError *error);
    static bool validateCloudAttrProtocol(const QString &value, VLXError *error);
    static bool validateTextInputAttrLink(const QString &value, VLXError *error);
    static bool validateWebMaster(const QString &value, VLXError *error);
    static bool validateEditor(const QString &value, VLXError *error);
    static bool validateCopyright(const QString &value, VLXError *error, bool iTunesUsed);
    static bool validateDocs(const QString &value, VLXError *error);
    static bool validateTTL(const QString &value, VLXError *error);
    static bool validateStyleSheet(const QString &value, VLXError *error);
    static bool validateStyleSheetCSS(const QString &value, VLXError *error);

    VLX_FIELD_RULE_TRIO(Title)
    VLX_FIELD_RULE_TRIO(DescriptionElement)
    VLX_FIELD_RULE_TRIO(Link)
    VLX_FIELD_RULE_TRIO(CloudAttrDomain)
    VLX_FIELD_RULE_TRIO(CloudAttrPort)
    VLX_FIELD_RULE_TRIO(CloudAttrPath)
    VLX_FIELD_RULE_TRIO(CloudAttrRegProc)
    VLX_FIELD_RULE_TRIO(CloudAttrProtocol)
    VLX_FIELD_RULE_TRIO(TextInputAttrLink)
    VLX_FIELD_RULE_TRIO(WebMaster)
    VLX_FIELD_RULE_TRIO(Editor)
    VLX_FIELD_RULE_TRIO(Docs)
    VLX_FIELD_RULE_TRIO(TTL)
    VLX_FIELD_RULE_TRIO(StyleSheet)
    VLX_FIELD_RULE_TRIO(StyleSheetCSS)

    // Language and copyright take the iTunes flag from the channel's own manager when logging;
    // the informing forms without the flag pass false and so always answer true.
    void validateAndLogLanguage(const QString &value);
    void validateAndLogCopyright(const QString &value);
    static bool validateAndInformLanguage(const QString &value, QObject *interface,
                                          bool iTunesUsed = false);
    static bool validateAndInformCopyright(const QString &value, QObject *interface,
                                           bool iTunesUsed = false);

    // --- Whole-feed operations ---------------------------------------------------------------
    // Fields from the all-feeds channel settings, then the image's defaults.
    void populateWithDefaults();
    void preferencesChanged();
    // Told after each item of a long walk how many of how many are done; answers false to stop
    // the walk there (the feed is then left half done, for the caller to throw away).
    using ItemProgress = std::function<bool(int done, int total)>;
    // Repairs after reading, then the manager, the image and every item. False when stopped.
    void finalProcessing();
    bool finalProcessing(const ItemProgress &progress);
    // How many messages of each kind the whole feed holds.
    struct MessageCounts
    {
        int errors = 0;
        int warnings = 0;
        int repairs = 0;
        int total() const { return errors + warnings + repairs; }
    };
    // Checks the whole feed; adds to the message lists (callers clear first). False when
    // stopped. With counts, the messages the feed then holds (those of the read and repairs
    // included) are counted on the way, each part while it is fresh from its check, so that no
    // second walk over the items is needed for them.
    void validate();
    bool validate(const ItemProgress &progress, MessageCounts *counts = nullptr);
    // Empties every message list and checks the whole feed again, as clearParseXMLErrorList()
    // and then validate() do, in one walk over the items: each item is emptied just before its
    // check. With a log, the log is also taken on that walk, each item's group made while the
    // item is fresh from its check; it is what parseXMLErrorList(true, true, true) then answers.
    // When stopped, the items not reached are emptied as well.
    bool validateAfresh(const ItemProgress &progress, MessageCounts *counts,
                        QList<MessageGroup> *log = nullptr);

    int parseXMLErrorCount() const;
    int parseXMLWarnCount() const;
    int parseXMLRepairCount() const;
    // Whether any part holds a message: stops at the first one found (asked every time the
    // window's commands are brought up to date).
    bool hasParseMessages() const;
    // At most one group "RSS Feed: \"title\"": the channel's own entries, then the groups of
    // the extensions, the image and the items, in that order.
    QList<MessageGroup> parseXMLErrorList(bool includeErrors, bool includeWarn,
                                          bool includeRepair) const;
    // The same as the dictionaries the message-list panel reads.
    QVariantList parseXMLErrorTree(bool includeErrors, bool includeWarn, bool includeRepair) const;
    void clearParseXMLErrorList();

    // --- Guid uniqueness ---------------------------------------------------------------------
    // The first item after the given one with the same non-empty guid, or nullptr.
    const VLXItems *laterItemWithSameGUID(const VLXItems *item) const;
    // The first other item, from the start of the list, with the same non-empty guid.
    const VLXItems *otherItemWithSameGUID(const VLXItems *item) const;

    // --- Sorting -----------------------------------------------------------------------------
    void setSortStringToField(const QString &field);
    void setSortNumberToField(const QString &field);
    bool itemsStringSortedAscByField(const QString &field);
    bool itemsStringSortedDescByField(const QString &field);
    bool itemsNumberSortedAscByField(const QString &field);
    bool itemsNumberSortedDescByField(const QString &field);
    // Reorders the items by the element; answers false (and changes nothing) when they are
    // already in that order.
    bool sortItemsByStringField(const QString &field, bool inAscending);
    bool sortItemsByNumberField(const QString &field, bool inAscending);
    // How far a long sort has come (done of total); false stops it.
    using SortProgress = std::function<bool(qint64 done, qint64 total)>;
    // The order a sort by the element puts the items in, as the indexes of the items as they
    // stand now; empty when they already stand in that order, nothing when the progress asked
    // to stop. The items' keys are taken once per item, and only the keys change: the items
    // may be shown meanwhile (a worker may take the order), and reorderItems() moves them.
    std::optional<std::vector<int>> sortOrder(const QString &field, bool asText, bool ascending,
                                              const SortProgress &progress = {});
    // The items in the order given by sortOrder() (a permutation of the present indexes).
    void reorderItems(const std::vector<int> &order);
    // The exchange sort that defines the order of a sort, equal keys included: every position
    // in turn is compared with each later one, and the two are exchanged when out of order.
    // Answers the indexes of the keys in their sorted order, or nothing when stopped.
    static std::optional<std::vector<int>> exchangeOrder(std::vector<double> keys, bool ascending,
                                                         const SortProgress &progress = {},
                                                         qint64 doneBefore = 0, qint64 total = 0);
    QVariantMap findSortableTags() const;
    QVariantMap findSortableTagsWithoutChildern() const;

    // --- RSS 2.0 writing and template exports (io/VLXFeed+Writer.cpp, io/VLXFeed+Export.cpp) --
    // The whole document with every item; the same as buildXML(false, false, 0).
    QString buildXML() const;
    // The document with the items the limit rule picks (see VLXRSSWriter::itemPositions).
    QString buildXML(bool noFuture, bool limitItems, int limitNumber) const;
    // The same document as the UTF-8 bytes a file holds.
    QByteArray buildXMLData(bool noFuture = false, bool limitItems = false,
                            int limitNumber = 0) const;
    // Type 0 HTML, 1 JavaScript, 2 text, 3 CSV through the template at the path, 4 the feed XML.
    QString buildExport(int type, const QString &templatePath, bool noFuture, bool limitItems,
                        int maxNumber) const;
    // The filled template without the type's finishing; "" when the template cannot be read.
    QString actuallyBuildExport(const QString &templatePath, const QVariantList &substitutions,
                                bool noFuture, bool limitItems, int maxNumber) const;

private:
    int m_autoPubDate = 0;
    QString m_lastBuildDate;
    QString m_language;
    QString m_cloudAttrDomain;
    QString m_cloudAttrPort;
    QString m_cloudAttrPath;
    QString m_cloudAttrRegProc;
    QString m_cloudAttrProtocol;
    QString m_textInputAttrTitle;
    QString m_textInputAttrDescription;
    QString m_textInputAttrName;
    QString m_textInputAttrLink;
    QString m_webMaster;
    QString m_editor;
    QString m_copyright;
    QString m_docs;
    QString m_rating;
    QString m_TTL;
    std::array<int, 7> m_skipDays {};
    std::array<int, 24> m_skipHours {};
    QString m_styleSheet;
    QString m_styleSheetCSS;
    KeptAttributes m_rssAttributes;
    KeptAttributes m_channelAttributes;
    QString m_rssXMLBeforeChannel;
    QString m_rssXMLAfterChannel;
    std::shared_ptr<extensionManagerScope> m_scope;
    std::unique_ptr<extensionManagerChannel> m_XMLExtensions;
    std::unique_ptr<VLXImage> m_image;
    ItemList m_items;

    // While validate() runs, the guid test of every item is answered from this index, built
    // once, so validating n items stays linear instead of comparing every pair.
    struct GUIDIndex
    {
        std::vector<int> nextWithSameGUID; // -1 when no later item shares the guid
        int validating = -1; // the position of the item being validated
    };
    std::unique_ptr<GUIDIndex> m_guidIndex;
    std::unique_ptr<GUIDIndex> buildGUIDIndex() const;
    // The walk of validate() and validateAfresh(): emptying each part first when afresh, and
    // taking the log when one is asked for.
    bool checkAll(const ItemProgress &progress, MessageCounts *counts, bool afresh,
                  QList<MessageGroup> *log);
    // The log's group of the channel with the image's groups in it, room made for the items'.
    MessageGroup channelMessages(bool includeErrors, bool includeWarn, bool includeRepair) const;
    // Asks for the data of the items after the one at `at` that a walk over all reads next.
    // A walk over the messages alone reads less of each item than the checks do.
    void prefetchItems(int at, int count, bool messagesOnly = false) const;
    // Answers whether the item was outside the scope before.
    bool joinScope(VLXItems &item);
    void leaveScope(VLXItems &item);

    // The sort: keys of the items (numbers, or ranks of the texts in literal order), and the
    // exchange sort over them.
    std::vector<double> sortKeys(const QString &field, bool asText,
                                 const SortProgress &progress = {}, qint64 total = 0);
    static bool keysInOrder(const std::vector<double> &keys, bool ascending);
    bool sortItemsByField(const QString &field, bool asText, bool ascending);
};
