#pragma once

#include "extensions/ExtensionTwin.h"
#include "extensions/mscf/microsoftCFChannel.h"

inline constexpr char kmicrosoftCFChannelPrefsName[] = "microsoftCFChannelPrefs";

// The preferences twin of the Common Feed channel class: no pane edits Common Feed defaults, but
// the class exists so that every known namespace has one and registers no undo.
using microsoftCFChannelPrefs = ExtensionTwin<microsoftCFChannel, kmicrosoftCFChannelPrefsName>;
