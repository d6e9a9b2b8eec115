#include "model/extensionManagerImage.h"

extensionManagerImage::extensionManagerImage() : placedExtensionManager(ExtensionPlace::Image)
{
    prefillKnownExtension(KnownNamespace::dublinCore);
}

std::unique_ptr<extensionManagerImage> extensionManagerImage::copy() const
{
    return std::unique_ptr<extensionManagerImage>(new extensionManagerImage(*this));
}
