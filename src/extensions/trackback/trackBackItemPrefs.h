#pragma once

#include "extensions/ExtensionTwin.h"
#include "extensions/trackback/trackBackItem.h"

inline constexpr char ktrackBackItemPrefsName[] = "trackBackItemPrefs";

// The preferences twin of the trackback item class: the same fields, no undo.
using trackBackItemPrefs = ExtensionTwin<trackBackItem, ktrackBackItemPrefsName>;
