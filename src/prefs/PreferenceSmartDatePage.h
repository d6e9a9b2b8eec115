#pragma once

#include "prefs/PreferencesPage.h"

// The smart-date rules of new feeds' and items' publication dates: for the current feed
// ("FD_CF_SD_…", with the switch that turns them on) or for all feeds ("FD_AF_SD_…"). Each of
// the two groups picks a date rule (33 titles) and a time (25 titles); the "X" rules show a
// number with a stepper.
class PreferenceSmartDatePage : public PreferencesPage
{
public:
    explicit PreferenceSmartDatePage(PreferenceScope scope);

    void fill(PreferencesContext &context) override;
    void read(PreferencesContext &context) override;

protected:
    QWidget *build(PreferencesContext &context) override;

private:
    // Shows or hides a group's "X" controls for its menu's index and sets the stepper's range;
    // the value field then shows the stepper's (clamped) number.
    void applyRule(const QString &group);
    // The ten controls the switch of the current feed enables.
    void enableRules(bool on);
    QString m_prefix;
};
