// Copies of the settings for work on other threads.
#include "settings/VLXPreferences.h"

#include "platform/MemoryDefaultsStore.h"

#include <utility>

VLXPreferences::VLXPreferences(const VLXPreferences &live, std::unique_ptr<DefaultsStore> store)
    : m_store(std::move(store)), m_curValues(live.m_curValues), m_origValues(live.m_origValues),
      m_generalXMLNamespaces(live.m_generalXMLNamespaces)
{
}

VLXPreferences::ThreadCopy::ThreadCopy()
{
    // The live store's values come along: the escaper reads one of them from the store itself.
    VLXPreferences &live = sharedInstance();
    QVariantMap stored;
    for (const QString &key : live.store().keys())
        stored.insert(key, live.store().object(key));
    m_settings.reset(
        new VLXPreferences(live, std::make_unique<MemoryDefaultsStore>(std::move(stored))));
}

VLXPreferences::ThreadCopy::~ThreadCopy() = default;

VLXPreferences::ThreadCopy::Use::Use(ThreadCopy &copy) : m_outer(threadSlot())
{
    threadSlot() = copy.m_settings.get();
}

VLXPreferences::ThreadCopy::Use::~Use()
{
    threadSlot() = m_outer;
}

void VLXPreferences::ThreadCopy::commit()
{
    const auto added = std::exchange(m_settings->m_addedNamespaces, {});
    for (const auto &[supported, entries] : added) {
        if (supported)
            addMissingSupportedXMLNamespaces(entries);
        else
            addMissingXMLNamespaces(entries);
    }
}
