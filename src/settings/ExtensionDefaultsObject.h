#pragma once

// Implemented by the model objects that stand as all-feeds extension defaults in the settings
// (the Media RSS channel and item objects under "FD_AF_FF_EX_mrssChannel" and
// "FD_AF_IF_EX_mrssItem"), so that VLXPreferences::isExtensionEmpty() can ask them without the
// settings store depending on their classes.
//
// mrssChannel answers whether its optional-element set is empty; mrssItem whether its media:group
// optional-element set is empty and its media:content list has no entries. An object that does
// not implement this interface, or no object at all, counts as empty.
class ExtensionDefaultsObject
{
public:
    virtual ~ExtensionDefaultsObject() = default;
    virtual bool isExtensionDefaultEmpty() const = 0;
};
