#pragma once

#include "extensions/FieldExtension.h"
#include "extensions/mrss/mrssRequiredElement.h"
#include "model/extensionNSItem.h"
#include "settings/ExtensionDefaultsObject.h"

class VLXItems;

// The Media RSS elements of one item: its media:content elements and the optional elements of
// its media:group. Optional elements read directly under the item are staged in an item-level
// set and folded into the group's set after reading (the group's own kinds win, the item's of
// those kinds are kept as unread elements); only the group set is written, shown and edited. Two
// contents, a non-empty group set or elements kept from a group are written inside a media:group.
// Elements the class does not read are kept where they stood: directly under the item, or inside
// the group after its contents.
class mrssItem : public FieldExtension<extensionNSItem>, public ExtensionDefaultsObject
{
public:
    // kItemElements is the staging set: archived, never shown, not counted for emptiness.
    enum Field : int { kContents, kGroupElements, kItemElements };

    mrssItem();

    static const ExtensionDescriptor &classDescriptor();

    const QList<mrssRequiredElement> &mediaContentsValue() const { return m_contents; }
    // The element at the index, to change it in place (local files, upload dates).
    mrssRequiredElement &mediaContentsValueAtIndex(int index) { return m_contents[index]; }
    const mrssRequiredElement &mediaContentsValueAtIndex(int index) const
    {
        return m_contents.at(index);
    }
    void setMediaContentsValue(const QList<mrssRequiredElement> &list);
    void addMediaContentsValue(const mrssRequiredElement &element);
    // Out-of-range indexes do nothing.
    void deleteMediaContentsValueAtIndex(int index);
    void replaceMediaContentsValue(const mrssRequiredElement &element, int index);

    const mrssOptionalElements &mediaItemOptionalElements() const;
    void setMediaItemOptionalElements(const mrssOptionalElements &set);
    const mrssOptionalElements &mediaGroupOptionalElements() const { return m_groupElements; }
    void setMediaGroupOptionalElements(const mrssOptionalElements &set);

    int parseXMLNodeIfMine(const vlxXMLNode *node) override;
    int parseXMLNodeIfMine(const vlxXMLNode *node, bool isSecondLevel);
    QString buildXML(const QString &prefix) const override;
    void appendXML(UTF8Writer &out, const QString &prefix) const override;
    void finalProcessing(VLXFeed *feed) override;
    void validate(VLXFeed *feed) override;
    using FieldExtension::validate;
    // The elements kept from inside media:group elements travel with the archive.
    void encodeWithCoder(QVariantMap &coder) const override;
    void initWithCoder(const QVariantMap &coder) override;
    using FieldExtension::encodeWithCoder;
    using FieldExtension::initWithCoder;
    // The group set from the feed's own defaults, the kinds it lacks from the all-feeds
    // defaults; the content list whole from the feed's defaults when they have one.
    void populateWithDefaults(const QString &uniqueKey) override;

    // Each kind the group set does not use comes from the item-level set; the item-level set
    // then uses nothing (media:adult aside).
    void foldItemElements();

    QStringList listDisplayValues(int field) const override;
    int listCount(int field) const override;
    // The optional elements' table by column: "type" the row's kind, "value" its text.
    QString listCellText(int field, int row, const QString &column) const override;
    bool isExtensionDefaultEmpty() const override { return isEmpty(); }

    // The item's Media RSS extension while the item uses Media RSS; null otherwise.
    static mrssItem *inUseOf(const VLXItems &item);

    // The local copies of the media contents, by their URL (a content without one has none).
    void addLocalEnclosureFiles(QVariantMap &info) const override;
    void takeLocalEnclosureFiles(const QVariantMap &info) override;

    static const QString kURLWarning;

protected:
    mrssItem(const mrssItem &) = default;
    extensionNSRaw *newCopy() const override { return new mrssItem(*this); }

    QVariant customValue(int field) const override;
    void setCustomValue(int field, const QVariant &value) override;
    QVariant archiveCustom(int field) const override;
    bool customIsEmpty(int field) const override;
    void prefetchHeldData(bool texts) const override
    {
        if (texts) {
            prefetchValueTexts();
            return;
        }
        prefetchValues();
        __builtin_prefetch(m_contents.constData());
    }

private:
    // The staging set, made on first use.
    mrssOptionalElements &itemElements();
    // The holder of the group's kept elements, made on first use; it names the namespace as this
    // object does.
    extensionNSRaw &groupKept();
    bool holdsKeptGroupElements() const
    {
        return m_staged.part && m_staged.part->groupKept
            && m_staged.part->groupKept->holdsKeptElements();
    }
    // Keeps, as unread elements, the item-level elements of the kinds the group uses too, which
    // the fold would drop.
    void keepFoldedOut();
    // Gives back the staging once it holds nothing more.
    void releaseStaging();

    QList<mrssRequiredElement> m_contents;
    mrssOptionalElements m_groupElements;
    // What reading stages beside the model (the item-level set) and keeps of the groups: nearly
    // every item holds neither once it is read, so both live apart, made when first needed.
    struct Staged
    {
        mrssOptionalElements itemElements;
        std::unique_ptr<extensionNSRaw> groupKept;
    };
    struct StagedPart
    {
        std::unique_ptr<Staged> part;
        StagedPart() = default;
        StagedPart(const StagedPart &other) { *this = other; }
        StagedPart &operator=(const StagedPart &other);
    };
    StagedPart m_staged;
};
