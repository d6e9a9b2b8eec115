#pragma once

#include "prefs/CurrentFeedExtensions.h"

#include <QHash>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <vector>

class PreferenceWorkingList;
class VLXPreferencesWorkingCopy;
class extensionManagerPrefs;

// Which values a page edits: the working entry of the feed the window was opened for, or the
// displayed (application-wide) values.
enum class PreferenceScope { CurrentFeed, AllFeeds };

// What the pages of the preferences window share while it is open: the store's working copy,
// the extensions the current feed uses, the working lists behind the tables and the extension
// managers behind raw XML. The window owns it; pages find their lists and managers by name.
class PreferencesContext
{
public:
    PreferencesContext();
    ~PreferencesContext();

    // The store of this opening; set by the window before the pages are filled.
    void setStore(VLXPreferencesWorkingCopy *store) { m_store = store; }
    VLXPreferencesWorkingCopy &store() const { return *m_store; }
    bool hasStore() const { return m_store != nullptr; }

    // The values a scope edits. The current feed's entry is asked of the store each time, so
    // an entry rebuilt meanwhile (for another feed) is never written through a stale reference.
    QVariantMap &values(PreferenceScope scope) const;

    CurrentFeedExtensions &used() { return m_used; }
    const CurrentFeedExtensions &used() const { return m_used; }

    // A working list by name, made on first request (with the default row text).
    PreferenceWorkingList &list(const QString &name);
    bool hasList(const QString &name) const { return m_lists.contains(name); }
    QStringList listNames() const { return m_lists.keys(); }

    // The extension managers of the raw XML kind, registered by the pages that own them.
    void setManager(const QString &name, extensionManagerPrefs *manager);
    extensionManagerPrefs *manager(const QString &name) const { return m_managers.value(name); }

    // The namespace registry was edited: whoever keeps something per registry entry follows.
    void onRegistryChanged(std::function<void()> handler)
    {
        m_registryChanged.push_back(std::move(handler));
    }
    void registryChanged() const
    {
        for (const auto &handler : m_registryChanged)
            handler();
    }

    // Every edit ends here: reads every control back (set by the window).
    void setMiscChanged(std::function<void()> handler) { m_miscChanged = std::move(handler); }
    void miscChanged() const
    {
        if (m_miscChanged)
            m_miscChanged();
    }

private:
    VLXPreferencesWorkingCopy *m_store = nullptr;
    CurrentFeedExtensions m_used;
    QHash<QString, std::shared_ptr<PreferenceWorkingList>> m_lists;
    QHash<QString, extensionManagerPrefs *> m_managers;
    std::function<void()> m_miscChanged;
    std::vector<std::function<void()>> m_registryChanged;
};
