#pragma once

#include "prefs/PreferencesPage.h"

// The channel fields every new feed gets ("FD_AF_FF_…"), with the skip hours and days grids,
// the cloud and the text input in boxes under their summary lines.
class PreferenceFeedFieldsPage : public PreferencesPage
{
public:
    PreferenceFeedFieldsPage();

protected:
    QWidget *build(PreferencesContext &context) override;
    void afterFill(PreferencesContext &) override { showSummaries(); }
    void afterRead(PreferencesContext &) override { showSummaries(); }

private:
    void showSummaries();
};
