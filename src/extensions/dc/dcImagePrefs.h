#pragma once

#include "extensions/ExtensionTwin.h"
#include "extensions/dc/dcImage.h"

inline constexpr char kdcImagePrefsName[] = "dcImagePrefs";

// The Dublin Core image defaults, as the preferences edit them.
using dcImagePrefs = ExtensionTwin<dcImage, kdcImagePrefsName>;
