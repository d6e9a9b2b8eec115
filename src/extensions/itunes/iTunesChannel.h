#pragma once

#include "extensions/FieldExtension.h"
#include "extensions/itunes/iTunesCategory.h"
#include "model/FieldRule.h"
#include "model/extensionNSChannel.h"

#include <QList>

// The iTunes podcast elements of a feed's channel: subtitle, summary, up to three categories,
// keywords, author, owner name and e-mail, image, new feed URL, block and explicit. Its fields
// are a table (see ExtensionField); what a row cannot say is here: the category list, the
// checks, the retired-category repair after reading and the new feed URL's warnings.
class iTunesChannel : public FieldExtension<extensionNSChannel>
{
public:
    // Fields in model (and archive) order.
    enum Field : int {
        kSubtitle,
        kSummary,
        kCategory,
        kKeywords,
        kAuthor,
        kOwnerName,
        kOwnerEmail,
        kImage,
        kNewFeedURL,
        kBlock,
        kExplicit,
    };

    iTunesChannel();

    static const ExtensionDescriptor &classDescriptor();

    QString subtitle() const { return text(kSubtitle); }
    void setSubtitle(const QString &value) { setText(kSubtitle, value); }
    QString summary() const { return text(kSummary); }
    void setSummary(const QString &value) { setText(kSummary, value); }
    QString keywords() const { return text(kKeywords); }
    void setKeywords(const QString &value) { setText(kKeywords, value); }
    QString author() const { return text(kAuthor); }
    void setAuthor(const QString &value) { setText(kAuthor, value); }
    QString ownerName() const { return text(kOwnerName); }
    void setOwnerName(const QString &value) { setText(kOwnerName, value); }
    QString ownerEmail() const { return text(kOwnerEmail); }
    void setOwnerEmail(const QString &value) { setText(kOwnerEmail, value); }
    QString image() const { return text(kImage); }
    void setImage(const QString &value) { setText(kImage, value); }
    QString newFeedURL() const { return text(kNewFeedURL); }
    void setNewFeedURL(const QString &value) { setText(kNewFeedURL, value); }
    int block() const { return number(kBlock); }
    void setBlock(int value) { setNumber(kBlock, value); }
    // 1 yes, 0 no, -1 clean.
    int explicitValue() const { return number(kExplicit); }
    void setExplicit(int value) { setNumber(kExplicit, value); }

    // The categories in writing order.
    const QList<iTunesCategory> &category() const { return m_category; }
    void setCategory(const QList<iTunesCategory> &list);
    void addCategory(const iTunesCategory &entry);
    void replaceCategoryAtIndex(const iTunesCategory &entry, int index);
    void removeCategoryAtIndex(int index);

    // Checks of the fields (the trio of each: check, log, inform).
    static bool validateSubtitle(const QString &value, VLXError *error);
    static bool validateSummary(const QString &value, VLXError *error);
    static bool validateKeywords(const QString &value, VLXError *error);
    static bool validateAuthor(const QString &value, VLXError *error);
    static bool validateOwnerName(const QString &value, VLXError *error);
    static bool validateOwnerEmail(const QString &value, VLXError *error);
    static bool validateImage(const QString &value, VLXError *error);
    VLX_FIELD_RULE_TRIO(Subtitle)
    VLX_FIELD_RULE_TRIO(Summary)
    VLX_FIELD_RULE_TRIO(Keywords)
    VLX_FIELD_RULE_TRIO(Author)
    VLX_FIELD_RULE_TRIO(OwnerName)
    VLX_FIELD_RULE_TRIO(OwnerEmail)
    VLX_FIELD_RULE_TRIO(Image)

    // The list: not empty, at most three entries; then each entry against the category tree.
    static bool validateCategory(const QList<iTunesCategory> &list, VLXError *error);
    static bool validateCategoryAtIndex(const QList<iTunesCategory> &list, int index,
                                        VLXError *error);
    // Logs the list's failure, or else one failure per failing entry.
    void validateAndLogCategory(const QList<iTunesCategory> &list);
    // Explains the list's failure, or else the first failing entry's.
    static bool validateAndInformCategory(const QList<iTunesCategory> &list, QObject *interface);

    // YES for a blank text, else for a URL with a scheme whose path ends in "jpg" or "png"
    // (exactly so, lower case).
    static bool checkURLForImageTypes(const QString &text);

    // After reading: retired categories become their current ones.
    void finalProcessing(VLXFeed *feed) override;
    void validate(VLXFeed *feed) override;
    using FieldExtension::validate;

    QStringList listDisplayValues(int field) const override;
    int listCount(int field) const override;
    QString listCellText(int field, int row, const QString &column) const override;

    // "%@||%@||1||%@||" and "%@||%@||1||" of the namespace, as the registry keeps it.
    static QString classDescriptionOfNamespace();
    static QString classDescriptionOfNamespaceShort();

    static const QString kNewFeedURLNote;

protected:
    iTunesChannel(const iTunesChannel &) = default;
    extensionNSRaw *newCopy() const override { return new iTunesChannel(*this); }

    void parseCustom(int field, const vlxXMLNode *node) override;
    QString buildCustom(int field, const QString &prefix) const override;
    QVariant customValue(int field) const override;
    void setCustomValue(int field, const QVariant &value) override;
    QVariant archiveCustom(int field) const override;
    void applyCustomDefault(int field, const QVariant &setting) override;
    bool customIsEmpty(int field) const override;
    QList<ExportedValue> exportCustom(int field) const override;
    void validateCustom(int field) override;

private:
    QList<iTunesCategory> m_category;
    bool m_explicitRead = false; // an explicit element was read: a later one is a repeat
};
