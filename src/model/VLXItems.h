#pragma once

#include "model/FieldRule.h"
#include "model/MessageGroup.h"
#include "model/PublishedElement.h"
#include "platform/KeyedArchivable.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <QVariantList>
#include <QVariantMap>
#include <memory>
#include <optional>

class TemplateValues;
class VLXFeed;
class extensionManagerItem;
class vlxXMLDOM;
class QObject;

// One RSS 2.0 item of a feed: its core elements, the XML comments kept with it, its own
// namespace extensions, the keys the last sort gave it and the local file that is published as
// its enclosure. Every text field is "" when unset, never null.
class VLXItems : public PublishedElement, public KeyedArchivable
{
public:
    // An empty item, as the reader makes it: no settings are read.
    VLXItems();
    // A deep copy: no list, string or extension object is shared; the XML tree starts empty.
    VLXItems(const VLXItems &other);
    VLXItems &operator=(const VLXItems &) = delete;
    ~VLXItems() override;

    // A new item filled with the defaults of the feed with that unique identifier (per-feed
    // values first, then the all-feeds ones), an automatic guid when asked for, a smart or
    // current publication date, and the extensions of the given namespace descriptions.
    static std::shared_ptr<VLXItems> initWithUniqueString(const QString &uniqueKey,
                                                          const QStringList &withExtensions = {});

    std::unique_ptr<FeedElement> clone() const override;
    std::shared_ptr<VLXItems> copy() const { return std::make_shared<VLXItems>(*this); }

    // --- Keyed archiving (drag and copy of items) --------------------------------------------
    static const QString kArchiveClassName; // "VLXItems"
    QString archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(KeyedArchiver &coder) const override;
    bool initWithCoder(const KeyedUnarchiver &coder) override;
    // Registers the class with the unarchiver (idempotent; called by the model's set-up).
    static void registerArchiveClass();
    // Archive bytes of one item, and the item back (null for bytes that are not such an archive).
    QByteArray archivedData() const;
    static std::shared_ptr<VLXItems> fromArchivedData(const QByteArray &data);

    // --- Fields (title, description, link, pubDate, categories, XML comments: see the bases) -
    // Holds the description as these UTF-8 bytes, as a document had it, when they are the text
    // exactly (QString::fromUtf8 of them makes it): valid UTF-8, not empty and without a byte
    // order mark at the start. Answers false, changing nothing, for any other bytes. Half the
    // room of the text for most descriptions, which an open keeps for every item.
    bool holdDescriptionUTF8(QByteArray utf8);
    const QString &GUID() const { return m_GUID; }
    void setGUID(const QString &value) { m_GUID = value; }
    int GUIDAttr() const { return m_GUIDAttr; }
    void setGUIDAttr(int value) { m_GUIDAttr = value; }
    const QString &source() const { return rare().source; }
    void setSource(const QString &value) { setRareText(&Rare::source, value); }
    const QString &sourceAttr() const { return rare().sourceAttr; }
    void setSourceAttr(const QString &value) { setRareText(&Rare::sourceAttr, value); }
    int includeEnclosure() const { return m_includeEnclosure; }
    void setIncludeEnclosure(int value) { m_includeEnclosure = value; }
    const QString &enclosureAttrURL() const { return m_enclosureAttrURL; }
    void setEnclosureAttrURL(const QString &value) { m_enclosureAttrURL = value; }
    const QString &enclosureAttrLength() const { return m_enclosureAttrLength; }
    void setEnclosureAttrLength(const QString &value) { m_enclosureAttrLength = value; }
    const QString &enclosureAttrType() const { return m_enclosureAttrType; }
    void setEnclosureAttrType(const QString &value) { m_enclosureAttrType = value; }
    const QString &author() const { return m_author; }
    void setAuthor(const QString &value) { m_author = value; }
    const QString &comments() const { return rare().comments; }
    void setComments(const QString &value) { setRareText(&Rare::comments, value); }

    extensionManagerItem *XMLExtensions() const { return m_XMLExtensions.get(); }
    // Stores a deep copy of the manager (its extension objects included).
    void setXMLExtensions(const extensionManagerItem &manager);

    double sortingNumber() const { return rare().sortNumber; }
    void setSortingNumber(double value);
    const QString &sortingString() const { return rare().sortString; }
    void setSortingString(const QString &value) { setRareText(&Rare::sortString, value); }

    const QString &localEnclosureFilePath() const { return rare().enclosureLocalFilePath; }
    void setLocalEnclosureFilePath(const QString &value)
    {
        setRareText(&Rare::enclosureLocalFilePath, value);
    }
    // When the local file was last uploaded as the enclosure: lastUploaded() of TitledElement.

    // --- Derived views -----------------------------------------------------------------------
    // The enclosure length for display: "1023 B ", "1 KB", "" for an empty length. Read as a
    // 64-bit number so files beyond 2 GB show their real size.
    QString enclosureAttrLengthFormatted() const;
    static QString formatByteCount(const QString &length);
    // Enclosure URL -> [local file path, last upload date] for this item and its media contents.
    QVariantMap enclosureLocalFileInfo() const;
    // Gives each local file of the dictionary back to its owner; malformed entries are skipped.
    void setEnclosureLocalFileInfo(const QVariantMap &info);

    void preferencesChanged();

    // --- Per-field rules ---------------------------------------------------------------------
    static bool validateTitle(const QString &value, VLXError *error);
    static bool validateDescriptionElement(const QString &value, VLXError *error);
    static bool validateLink(const QString &value, VLXError *error);
    static bool validateGUID(const QString &value, int isPermaLink, VLXError *error);
    static bool validateSourceAttr(const QString &value, VLXError *error);
    static bool validateEnclosureAttrURL(const QString &value, VLXError *error, bool iTunesUsed);
    static bool validateEnclosureAttrLength(const QString &value, VLXError *error);
    static bool validateAuthor(const QString &value, VLXError *error);
    static bool validateComments(const QString &value, VLXError *error);

    VLX_FIELD_RULE_TRIO(Title)
    VLX_FIELD_RULE_TRIO(DescriptionElement)
    VLX_FIELD_RULE_TRIO(Link)
    VLX_FIELD_RULE_TRIO(SourceAttr)
    VLX_FIELD_RULE_TRIO(EnclosureAttrLength)
    VLX_FIELD_RULE_TRIO(Author)
    VLX_FIELD_RULE_TRIO(Comments)

    void validateAndLogGUID(const QString &value, int isPermaLink);
    static bool validateAndInformGUID(const QString &value, int isPermaLink, QObject *interface);
    // Takes the iTunes flag from the item's own extension manager.
    void validateAndLogEnclosureAttrURL(const QString &value);
    static bool validateAndInformEnclosureAttrURL(const QString &value, QObject *interface,
                                                  bool iTunesUsed = false);

    // --- Repair, validation, messages ----------------------------------------------------------
    // Fills empty core fields from the namespace extensions after reading.
    void finalProcessing(VLXFeed *feed, int index);
    // Whole-item validation; adds to the message list (the caller clears first).
    void validate(VLXFeed *feed);
    // Reports a guid shared with a later item of the feed.
    void validateGUID(VLXFeed *feed);
    // Null when the guid is empty or unique in the feed, else the message naming the other item.
    QString isGUIDUnique(const VLXFeed *feed) const;
    // True when the publication date lies after the end of today (local time).
    bool isInFuture() const;

    int parseXMLErrorCount() const;
    int parseXMLWarnCount() const;
    int parseXMLRepairCount() const;
    // Adds the three counts to the sums in one walk over the extensions.
    void addMessageCounts(int &errors, int &warnings, int &repairs) const;
    // The item's group {"Item - \"title\"": own entries, then the extensions' groups}, or an
    // empty list when there is nothing to show.
    QList<MessageGroup> parseXMLErrorList(bool includeErrors, bool includeWarn,
                                          bool includeRepair) const;
    void clearParseXMLErrorList();
    // The item's group of parseXMLErrorList() nested in the parent, when it holds anything.
    void addParseXMLErrorGroup(MessageGroup &parent, bool includeErrors, bool includeWarn,
                               bool includeRepair) const;
    // Walks over every item ask for an item's blocks ahead of reading them, in stages each of
    // which reads only what the one before asked for: the item itself, then the texts its
    // checks read and its extension manager, then the extension objects, then their values and
    // last the values' texts.
    // A walk of checks reads nearly all of an item; one over the messages its entries, its title
    // and its extensions.
    enum class Walk { Checks, Messages };
    void prefetchObject(Walk walk) const;
    void prefetchChecked(Walk walk) const;
    void prefetchExtensions() const;
    void prefetchExtensionData(bool texts) const;
    // The same for a walk over the guids alone.
    void prefetchGUIDField() const { __builtin_prefetch(&m_GUID); }
    void prefetchGUIDText() const { __builtin_prefetch(m_GUID.constData()); }

    // --- Writing and sorting -------------------------------------------------------------------
    // The item's children as RSS 2.0 text, each line starting with the prefix.
    QString buildXML(const QString &prefix, bool withExtensions = true) const;
    // Rebuilds the item's own XML tree from its RSS 2.0 text.
    void updateDOM();
    vlxXMLDOM *XMLFeed() const;
    // Sets the sort string (or number) from the first child of that name; an item without
    // such a child gets "" (or 0), never a key left from an earlier sort.
    void setSortStringToField(const QString &field);
    void setSortNumberToField(const QString &field);
    // The sortable elements of this item: the core RSS 2.0 table and its extensions' tags.
    QVariantMap findSortableTags() const;

    // The text of the first child of "rss" named field in the item's rebuilt tree; false when
    // there is none. With the shortcut, a core element whose text reads back unchanged is taken
    // from the field itself instead of writing and parsing the item (same answer, no parse).
    bool sortTextForField(const QString &field, QString *text, bool shortcut = true);

    // The number a sort key text stands for, by field name (dates, durations, plain numbers).
    static double sortNumberForText(const QString &field, const QString &text);

    // --- Template exports (io/VLXItems+Export.cpp) ---------------------------------------------
    // Gathers the values of the item placeholders of a record, then its extensions'.
    void actuallyBuildExport(TemplateValues &values) const;

private:
    // Fields most items leave empty live apart; they are made when one is first given a value.
    struct Rare
    {
        QString source;
        QString sourceAttr;
        QString comments;
        QString sortString;
        QString enclosureLocalFilePath;
        double sortNumber = 0;
    };
    bool holdsMessageEntries() const;
    QString messageHeading() const;
    // The item's own, or one whose fields are all as a new item has them.
    const Rare &rare() const;
    Rare &rareToSet();
    void setRareText(QString Rare::*field, const QString &value);

    QString m_GUID;
    int m_GUIDAttr = 0;
    int m_includeEnclosure = 0;
    QString m_enclosureAttrURL;
    QString m_enclosureAttrLength;
    QString m_enclosureAttrType;
    QString m_author;
    std::unique_ptr<extensionManagerItem> m_XMLExtensions;
    mutable std::unique_ptr<vlxXMLDOM> m_XMLFeed;
    std::unique_ptr<Rare> m_rare;

    std::optional<QString> coreSortText(const QString &field) const;
};
