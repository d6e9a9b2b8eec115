#include "prefs/PreferencesPanel.h"

#include "prefs/PreferencesWindow.h"
#include "settings/VLXPreferences.h"

PreferencesPanel::PreferencesPanel() = default;

PreferencesPanel::~PreferencesPanel() = default;

void PreferencesPanel::showPanel(QWidget *window, const QString &uniqueKey,
                                 const QStringList &extensions)
{
    showPanel(window, uniqueKey, extensions, PreferencesWindow::kFirstPage);
}

int PreferencesPanel::showPanel(QWidget *window, const QString &uniqueKey,
                                const QStringList &extensions, const QString &openTab)
{
    if (!m_window)
        m_window = new PreferencesWindow(window ? window->window() : nullptr);
    // The store is asked for at each opening: a program (or a test) may have replaced it.
    return m_window->runPanel(VLXPreferences::sharedInstance(), uniqueKey, extensions, openTab);
}
