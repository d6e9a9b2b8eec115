#pragma once

#include "extensions/FieldExtension.h"
#include "extensions/mscf/ListInfoItem.h"
#include "model/extensionNSChannel.h"

#include <QList>
#include <optional>

class VLXFeed;

// The Common Feed list information of a channel ("MS-SLE", prefix "cf"): the treatAs text and
// the sort and group entries of the listinfo element, read, written back under "cf", repaired
// and checked against the elements the feed's items can be sorted by.
//
// One sort entry may be the default ("yes", always the first entry). The list extension lets
// the default name no element, so its namespace, element and data type are kept outside the
// feed, in the feed's list entry under kDefaultNSKey, kDefaultElementKey and
// kDefaultDataTypeKey; whoever shows the object loads them into it (setDefaultSort...) and the
// object can then tell whether the items stand in that order and sort them so.
class microsoftCFChannel : public FieldExtension<extensionNSChannel>
{
public:
    enum Field : int { kTreatAs, kListInfo };

    microsoftCFChannel();

    static const ExtensionDescriptor &classDescriptor();
    static QString classDescriptionOfNamespace();
    static QString classDescriptionOfNamespaceShort();

    // The feed-list entry keys of the default sort.
    static const QString kDefaultNSKey; // "MSCFListInfoItemDefaultNS"
    static const QString kDefaultElementKey; // "MSCFListInfoItemDefaultElement"
    static const QString kDefaultDataTypeKey; // "MSCFListInfoItemDefaultDataType"

    QString treatAs() const { return text(kTreatAs); }
    void setTreatAs(const QString &value) { setText(kTreatAs, value); }

    const QList<ListInfoItem> &listInfo() const { return m_listInfo; }
    void setListInfo(const QList<ListInfoItem> &list);
    void addListInfo(const ListInfoItem &entry);
    void replaceListInfo(const ListInfoItem &entry, int index);
    void removeListInfoAtIndex(int index);

    // The default sort kept outside the feed; nullopt when it is not stored.
    const std::optional<QString> &defaultSortNS() const { return m_defaultNS; }
    void setDefaultSortNS(const std::optional<QString> &value) { m_defaultNS = value; }
    const std::optional<QString> &defaultSortElement() const { return m_defaultElement; }
    void setDefaultSortElement(const std::optional<QString> &value) { m_defaultElement = value; }
    const std::optional<QString> &defaultSortDataType() const { return m_defaultDataType; }
    void setDefaultSortDataType(const std::optional<QString> &value) { m_defaultDataType = value; }

    // The item field the default sort orders by ("pubDate", "itunes:duration"), worked out by
    // updateSortString(); nullopt without a usable default sort.
    const std::optional<QString> &sortFieldString() const { return m_sortFieldString; }
    void updateSortString(const VLXFeed &feed);
    // The prefix under which the sortable-tag table holds the namespace URI ("" for the core
    // elements); nullopt when it holds none.
    static std::optional<QString> findPrefixForDTDURL(const QVariantMap &sortableTags,
                                                      const QString &uri);

    // Whether the items stand in the default sort's order: dates newest first, texts in
    // ascending order, anything else as ascending numbers. Without a sort field they do.
    bool itemsFollowDefaultSort(VLXFeed &feed) const;
    // Puts the items in that order; false when nothing moved (or there is no sort field).
    bool sortItemsByDefaultSort(VLXFeed &feed) const;

    // The window asks after every step, done or undone: whoever shows the object hears of it.
    void updateStatusLine() override { notifyChanged(); }
    // The feed is let go: whoever shows the object takes down what it put in the window.
    void deactivate() override { notifyChanged(); }

    // A new feed has no Common Feed content.
    void populateWithDefaults(const QString &uniqueKey) override { Q_UNUSED(uniqueKey); }
    // After reading: the old iTunes URI brought up to date, entries of namespaces the feed does
    // not use dropped (the default entry never).
    void finalProcessing(VLXFeed *feed) override;
    // Each entry's element must be sortable in its namespace.
    void validate(VLXFeed *feed) override;
    using FieldExtension::validate;

    QStringList listDisplayValues(int field) const override;
    // The "type", "element" (element, line feed, data type) and "label" (label, line feed,
    // namespace) columns; row 0 as the default shows the stored default sort.
    int listCount(int field) const override;
    QString listCellText(int field, int row, const QString &column) const override;

    // The old and the current URI of the iTunes podcast namespace.
    static const QString kOldITunesURI;

protected:
    // A copy keeps the treatAs text and the entries, not the default sort.
    microsoftCFChannel(const microsoftCFChannel &other);
    extensionNSRaw *newCopy() const override { return new microsoftCFChannel(*this); }

    void parseCustom(int field, const vlxXMLNode *node) override;
    QString buildCustom(int field, const QString &prefix) const override;
    QVariant customValue(int field) const override;
    void setCustomValue(int field, const QVariant &value) override;
    QVariant archiveCustom(int field) const override;
    bool customIsEmpty(int field) const override;

private:
    QList<ListInfoItem> m_listInfo;
    std::optional<QString> m_defaultNS;
    std::optional<QString> m_defaultElement;
    std::optional<QString> m_defaultDataType;
    std::optional<QString> m_sortFieldString;
};
