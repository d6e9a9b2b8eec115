#include "prefs/PreferenceInfoPage.h"

#include "prefs/PreferencePageKit.h"

#include <QVBoxLayout>

PreferenceInfoPage::PreferenceInfoPage(const QString &identifier, const QString &title,
                                       const QString &text)
    : PreferencesPage(identifier, PreferenceScope::AllFeeds), m_title(title), m_text(text)
{
}

QWidget *PreferenceInfoPage::build(PreferencesContext &)
{
    return PreferencePageKit::page(identifier(), m_title, m_text, new QVBoxLayout);
}
