#pragma once

#include "prefs/PreferencesPage.h"

// Settings of the program itself: paths in the feed list, passwords in the keyring, what Return
// types in the descriptions, when the results of reading a feed are shown. The publishing sites
// are stored from here too (their list page edits the same working list).
class PreferenceMiscellaneousPage : public PreferencesPage
{
public:
    PreferenceMiscellaneousPage();

protected:
    QWidget *build(PreferencesContext &context) override;
};
