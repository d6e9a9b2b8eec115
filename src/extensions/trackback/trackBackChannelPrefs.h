#pragma once

#include "extensions/ExtensionTwin.h"
#include "extensions/trackback/trackBackChannel.h"

inline constexpr char ktrackBackChannelPrefsName[] = "trackBackChannelPrefs";

// The preferences twin of the trackback channel class.
using trackBackChannelPrefs = ExtensionTwin<trackBackChannel, ktrackBackChannelPrefsName>;
