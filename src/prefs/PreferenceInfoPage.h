#pragma once

#include "prefs/PreferencesPage.h"

// A page that explains a part of the window (the group rows of the navigation show one): a
// title and a few paragraphs, no values.
class PreferenceInfoPage : public PreferencesPage
{
public:
    PreferenceInfoPage(const QString &identifier, const QString &title, const QString &text);

protected:
    QWidget *build(PreferencesContext &context) override;

private:
    QString m_title;
    QString m_text;
};
