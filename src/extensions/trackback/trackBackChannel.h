#pragma once

#include "extensions/FieldExtension.h"
#include "model/extensionNSChannel.h"

// The trackback namespace at the channel: no elements of its own. It exists so that a feed can
// declare the namespace and switch it on for its items; channel-level trackback elements are
// kept as read and written back.
class trackBackChannel : public FieldExtension<extensionNSChannel>
{
public:
    trackBackChannel();

    static const ExtensionDescriptor &classDescriptor();
    static QString classDescriptionOfNamespace();
    static QString classDescriptionOfNamespaceShort();

protected:
    trackBackChannel(const trackBackChannel &) = default;
    extensionNSRaw *newCopy() const override { return new trackBackChannel(*this); }
};
