#pragma once

#include "extensions/cc/CreativeCommonsLicences.h"
#include "model/extensionNSItem.h"

// An item's Creative Commons licences: as the channel's, with the feed's own default list
// "FD_CF_IF_EX_CCLicense" before the all-feeds one "FD_AF_IF_EX_CCLicense" and the export token
// "~~~ItemCreativeCommons~~~".
class creativeCommonsItem : public CreativeCommonsLicences<extensionNSItem>
{
public:
    creativeCommonsItem();

    static const ExtensionDescriptor &classDescriptor();
    // The short form "%@||%@||1||": the item class carries no display name in it.
    static QString classDescriptionOfNamespace();

protected:
    creativeCommonsItem(const creativeCommonsItem &) = default;
    extensionNSRaw *newCopy() const override { return new creativeCommonsItem(*this); }
    QString exportToken() const override;
};
