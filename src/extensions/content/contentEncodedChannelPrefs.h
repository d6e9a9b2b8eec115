#pragma once

#include "extensions/ExtensionTwin.h"
#include "extensions/content/contentEncodedChannel.h"

inline constexpr char kcontentEncodedChannelPrefsName[] = "contentEncodedChannelPrefs";

// The channel content:encoded default of all feeds, as the preferences edit it.
using contentEncodedChannelPrefs
    = ExtensionTwin<contentEncodedChannel, kcontentEncodedChannelPrefsName>;
