#pragma once

#include "extensions/ExtensionTwin.h"
#include "extensions/cc/creativeCommonsItem.h"

inline constexpr char kcreativeCommonsItemPrefsName[] = "creativeCommonsItemPrefs";

// The items' default licence list as the preferences window edits it.
using creativeCommonsItemPrefs = ExtensionTwin<creativeCommonsItem, kcreativeCommonsItemPrefsName>;
