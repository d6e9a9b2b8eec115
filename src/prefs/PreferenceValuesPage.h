#pragma once

#include "prefs/PreferencesPage.h"

// Values the window carries without controls of its own on this page: they are copied in when
// the window opens and stored back with every read, so the lists edited elsewhere (the
// namespace registry, the namespaces of new feeds) reach the values through the same path.
class PreferenceValuesPage : public PreferencesPage
{
public:
    using PreferencesPage::PreferencesPage;

protected:
    QWidget *build(PreferencesContext &) override { return nullptr; }
};
