#pragma once

#include "extensions/FieldExtension.h"
#include "model/FieldRule.h"
#include "model/extensionNSItem.h"

#include <QStringList>

// The trackback elements of an item: the ping URL (where trackback pings for the item go) and
// the "about" URLs of what the item refers to, in document order, duplicates and empty entries
// kept (an empty entry is not written). Both are searched; the about list entry by entry
// through the URL panel.
class trackBackItem : public FieldExtension<extensionNSItem>
{
public:
    enum Field : int { kPing, kAbout };

    trackBackItem();

    static const ExtensionDescriptor &classDescriptor();
    static QString classDescriptionOfNamespace();

    QString pingString() const { return text(kPing); }
    void setPingString(const QString &value) { setText(kPing, value); }
    const QStringList &aboutString() const { return m_about; }
    void setAboutString(const QStringList &list);
    void addAboutString(const QString &url);
    void replaceAboutString(const QString &url, int index);
    void removeAboutStringAtIndex(int index);

    // A blank ping passes; anything else must be a URL with a scheme.
    static bool validatePingString(const QString &value, VLXError *error);
    VLX_FIELD_RULE_TRIO(PingString)

    QStringList listDisplayValues(int field) const override;

protected:
    trackBackItem(const trackBackItem &) = default;
    extensionNSRaw *newCopy() const override { return new trackBackItem(*this); }

    void parseCustom(int field, const vlxXMLNode *node) override;
    QString buildCustom(int field, const QString &prefix) const override;
    QVariant customValue(int field) const override;
    void setCustomValue(int field, const QVariant &value) override;
    bool customIsEmpty(int field) const override;
    QList<ExportedValue> exportCustom(int field) const override;
    void validateCustom(int field) override;

private:
    QStringList m_about;
};
