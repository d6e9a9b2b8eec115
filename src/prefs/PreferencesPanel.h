#pragma once

#include "panes/PreferencesTool.h"
#include "prefs/PreferencesWindow.h"

#include <QPointer>

// The Preferences command's tool: opens the one preferences window (made at the first opening,
// a child of the main window, kept for the run) on the settings store for the loaded feed.
class PreferencesPanel : public PreferencesTool
{
public:
    PreferencesPanel();
    ~PreferencesPanel() override;

    // Opens on the page "Current Feed Help".
    void showPanel(QWidget *window, const QString &uniqueKey,
                   const QStringList &extensions) override;
    // Opens on the given page; answers 1 after OK, 0 after Cancel.
    int showPanel(QWidget *window, const QString &uniqueKey, const QStringList &extensions,
                  const QString &openTab);

    // The window once it was made (tests drive it).
    PreferencesWindow *window() const { return m_window; }

private:
    QPointer<PreferencesWindow> m_window;
};
