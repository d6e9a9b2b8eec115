#pragma once

#include "prefs/PreferencesPage.h"

// The item fields new items get: for the current feed ("FD_CF_IF_…", its categories archived in
// the feed's entry) or for all feeds ("FD_AF_IF_…", a plain list). The GUID, source and
// enclosure lines summarise their boxes.
class PreferenceItemFieldsPage : public PreferencesPage
{
public:
    explicit PreferenceItemFieldsPage(PreferenceScope scope);

protected:
    QWidget *build(PreferencesContext &context) override;
    void afterFill(PreferencesContext &) override { showSummaries(); }
    void afterRead(PreferencesContext &) override { showSummaries(); }

private:
    void showSummaries();
    QString m_prefix;
};
