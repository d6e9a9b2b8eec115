#pragma once

#include "extensions/ExtensionTwin.h"
#include "extensions/cc/creativeCommonsChannel.h"

inline constexpr char kcreativeCommonsChannelPrefsName[] = "creativeCommonsChannelPrefs";

// The channel's default licence list as the preferences window edits it.
using creativeCommonsChannelPrefs
    = ExtensionTwin<creativeCommonsChannel, kcreativeCommonsChannelPrefsName>;
