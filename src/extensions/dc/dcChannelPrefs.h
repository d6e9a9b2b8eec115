#pragma once

#include "extensions/ExtensionTwin.h"
#include "extensions/dc/dcChannel.h"

inline constexpr char kdcChannelPrefsName[] = "dcChannelPrefs";

// The Dublin Core channel and textInput defaults of all feeds, as the preferences edit them.
using dcChannelPrefs = ExtensionTwin<dcChannel, kdcChannelPrefsName>;
