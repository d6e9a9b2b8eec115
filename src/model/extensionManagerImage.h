#pragma once

#include "model/extensionNSImage.h"
#include "model/placedExtensionManager.h"

// The namespace extensions of the channel image: only Dublin Core has an image class; every
// other namespace is kept raw, in its listed extension or as user-defined XML.
class extensionManagerImage : public placedExtensionManager
{
public:
    using ImageRef = std::shared_ptr<extensionNSImage>;

    extensionManagerImage();
    std::unique_ptr<extensionManagerImage> copy() const;
    std::unique_ptr<baseExtensionManager> copyManager() const override { return copy(); }

    ImageRef dublinCoreExtension() const
    {
        return std::static_pointer_cast<extensionNSImage>(
            knownExtension(KnownNamespace::dublinCore));
    }
    void setDublinCoreExtension(const ImageRef &e)
    {
        setKnownExtension(KnownNamespace::dublinCore, e);
    }
    ImageRef unknownExtension() const
    {
        return std::static_pointer_cast<extensionNSImage>(
            placedExtensionManager::unknownExtension());
    }

protected:
    extensionManagerImage(const extensionManagerImage &other) = default;
    bool clearsUnusedUserDefined() const override { return false; }
};
