#pragma once

#include "extensions/cc/CreativeCommonsLicences.h"
#include "model/extensionNSChannel.h"

// The channel's Creative Commons licences (creativeCommons:license), with the all-feeds default
// list "FD_AF_FF_EX_CCLicense" and the export token "~~~FeedCreativeCommons~~~".
class creativeCommonsChannel : public CreativeCommonsLicences<extensionNSChannel>
{
public:
    creativeCommonsChannel();

    static const ExtensionDescriptor &classDescriptor();
    // "%@||%@||1||%@||" and "%@||%@||1||" of the namespace.
    static QString classDescriptionOfNamespace();
    static QString classDescriptionOfNamespaceShort();

protected:
    creativeCommonsChannel(const creativeCommonsChannel &) = default;
    extensionNSRaw *newCopy() const override { return new creativeCommonsChannel(*this); }
    QString exportToken() const override;
};
