#pragma once

#include "extensions/FieldExtension.h"
#include "model/extensionNSItem.h"

// An item's content:encoded: one block of HTML, with the feed's own default over the all-feeds
// one, and sortable as text.
class contentEncodedItem : public FieldExtension<extensionNSItem>
{
public:
    enum Field : int { kEncoded };

    contentEncodedItem();

    static const ExtensionDescriptor &classDescriptor();

    QString encoded() const { return text(kEncoded); }
    void setEncoded(const QString &value) { setText(kEncoded, value); }

    QVariantMap findSortableTags() const override;

    static QString classDescriptionOfNamespace();

protected:
    contentEncodedItem(const contentEncodedItem &) = default;
    extensionNSRaw *newCopy() const override { return new contentEncodedItem(*this); }
    QString buildCustom(int field, const QString &prefix) const override;
    void appendCustom(UTF8Writer &out, int field, const QString &prefix) const override;
};
