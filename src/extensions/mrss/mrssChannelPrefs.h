#pragma once

#include "extensions/ExtensionTwin.h"
#include "extensions/mrss/mrssChannel.h"

inline constexpr char kmrssChannelPrefsName[] = "mrssChannelPrefs";

// The all-feeds Media RSS channel defaults as the preferences window edits them.
using mrssChannelPrefs = ExtensionTwin<mrssChannel, kmrssChannelPrefsName>;
