#pragma once

#include "extensions/ExtensionTwin.h"
#include "extensions/sy/syChannel.h"

inline constexpr char ksyChannelPrefsName[] = "syChannelPrefs";

// The syndication defaults of all feeds, as the preferences edit them.
using syChannelPrefs = ExtensionTwin<syChannel, ksyChannelPrefsName>;
