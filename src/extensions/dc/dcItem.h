#pragma once

#include "extensions/FieldExtension.h"
#include "extensions/dc/DublinCoreRows.h"
#include "model/extensionNSItem.h"

// The Dublin Core elements of one item, with the feed's own defaults over the all-feeds ones
// (element by element), the check of its date against the item's publication date, and the
// sort tags of the elements.
class dcItem : public FieldExtension<extensionNSItem>
{
public:
    dcItem();

    static const ExtensionDescriptor &classDescriptor();

    VLX_DC_ACCESSORS(0, )

    // The date brought to the W3C form, then compared with the item's publication date.
    void validate(VLXFeed *feed, VLXItems *parent) override;
    using FieldExtension::validate;

    QVariantMap findSortableTags() const override;

    static QString classDescriptionOfNamespace();

protected:
    dcItem(const dcItem &) = default;
    extensionNSRaw *newCopy() const override { return new dcItem(*this); }
};
