#pragma once

#include "prefs/PreferenceExtensionPage.h"

#include <QList>
#include <memory>
#include <vector>

// The pages of the preferences window, in the order in which they are filled and read back:
// the current feed's pages first, then all feeds', then the program's own settings. A new page
// is one more entry here (and a row of the navigation resource that names its identifier).
class PreferencesPageList
{
public:
    static std::vector<std::unique_ptr<PreferencesPage>> standardPages();
    // The pages of extension defaults: one entry each, the pane comes from the twin's class.
    static const QList<PreferenceExtensionPage::Entry> &extensionPages();
};
