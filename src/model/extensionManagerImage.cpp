#include "model/extensionManagerImage.h"

#include "model/extensionFactory.h"

extensionManagerImage::extensionManagerImage() : placedExtensionManager(ExtensionPlace::Image)
{
    adoptKnownExtension(
        KnownNamespace::dublinCore,
        extensionFactory::shared().create(KnownNamespace::dublinCore, ExtensionPlace::Image));
}

std::unique_ptr<extensionManagerImage> extensionManagerImage::copy() const
{
    return std::unique_ptr<extensionManagerImage>(new extensionManagerImage(*this));
}
