#pragma once

#include "extensions/ExtensionTwin.h"
#include "extensions/dc/dcItem.h"

inline constexpr char kdcItemPrefsName[] = "dcItemPrefs";

// The Dublin Core item defaults, as the preferences edit them.
using dcItemPrefs = ExtensionTwin<dcItem, kdcItemPrefsName>;
