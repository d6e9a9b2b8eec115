#pragma once

#include "extensions/ExtensionTwin.h"
#include "extensions/mrss/mrssItem.h"

inline constexpr char kmrssItemPrefsName[] = "mrssItemPrefs";

// The Media RSS item defaults (all feeds, or one feed) as the preferences window edits them.
using mrssItemPrefs = ExtensionTwin<mrssItem, kmrssItemPrefsName>;
