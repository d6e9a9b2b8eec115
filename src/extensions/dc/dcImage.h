#pragma once

#include "extensions/FieldExtension.h"
#include "extensions/dc/DublinCoreRows.h"
#include "model/extensionNSImage.h"

// The Dublin Core elements of the channel's image. Values typed into its pane keep their
// markup, it has no export tokens, and its date is only repaired, never compared.
class dcImage : public FieldExtension<extensionNSImage>
{
public:
    dcImage();

    static const ExtensionDescriptor &classDescriptor();

    VLX_DC_ACCESSORS(0, )

    void validate(VLXFeed *feed) override;

    static QString classDescriptionOfNamespace();

protected:
    dcImage(const dcImage &) = default;
    extensionNSRaw *newCopy() const override { return new dcImage(*this); }
};
