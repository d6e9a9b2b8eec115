#pragma once

#include "extensions/ExtensionTwin.h"
#include "extensions/content/contentEncodedItem.h"

inline constexpr char kcontentEncodedItemPrefsName[] = "contentEncodedItemPrefs";

// The item content:encoded defaults, as the preferences edit them.
using contentEncodedItemPrefs = ExtensionTwin<contentEncodedItem, kcontentEncodedItemPrefsName>;
