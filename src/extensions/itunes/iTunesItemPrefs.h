#pragma once

#include "extensions/ExtensionTwin.h"
#include "extensions/itunes/iTunesItem.h"

inline constexpr char kiTunesItemPrefsName[] = "iTunesItemPrefs";

// The iTunes item defaults as the preferences window edits them.
using iTunesItemPrefs = ExtensionTwin<iTunesItem, kiTunesItemPrefsName>;
