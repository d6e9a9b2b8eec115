#include "prefs/PreferencesContext.h"

#include "prefs/PreferenceWorkingList.h"
#include "settings/VLXPreferencesWorkingCopy.h"

PreferencesContext::PreferencesContext() = default;
PreferencesContext::~PreferencesContext() = default;

QVariantMap &PreferencesContext::values(PreferenceScope scope) const
{
    return scope == PreferenceScope::CurrentFeed ? m_store->editedFeedEntry()
                                                 : m_store->displayedValues();
}

PreferenceWorkingList &PreferencesContext::list(const QString &name)
{
    auto &slot = m_lists[name];
    if (!slot)
        slot = std::make_shared<PreferenceWorkingList>(name);
    return *slot;
}

void PreferencesContext::setManager(const QString &name, extensionManagerPrefs *manager)
{
    m_managers.insert(name, manager);
}
