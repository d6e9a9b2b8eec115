#pragma once

#include "extensions/ExtensionTwin.h"
#include "extensions/itunes/iTunesChannel.h"

inline constexpr char kiTunesChannelPrefsName[] = "iTunesChannelPrefs";

// The all-feeds iTunes channel defaults as the preferences window edits them.
using iTunesChannelPrefs = ExtensionTwin<iTunesChannel, kiTunesChannelPrefsName>;
