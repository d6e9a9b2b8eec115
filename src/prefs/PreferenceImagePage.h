#pragma once

#include "prefs/PreferencesPage.h"

// The image every new feed gets ("PrefFD_AF_IM_…" keys behind the "FD_AF_IM_…" fields).
class PreferenceImagePage : public PreferencesPage
{
public:
    PreferenceImagePage();

protected:
    QWidget *build(PreferencesContext &context) override;
};
