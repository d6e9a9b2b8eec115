#pragma once

#include "platform/MemoryDefaultsStore.h"
#include "settings/VLXPreferences.h"

#include <gtest/gtest.h>

// Each test gets a fresh settings object over an in-memory store it can examine.
class SettingsFixture : public ::testing::Test
{
protected:
    void SetUp() override { reload({}); }

    // A new settings object loaded from a store holding exactly these values.
    VLXPreferences &reload(const QVariantMap &stored)
    {
        auto memory = std::make_unique<MemoryDefaultsStore>(stored);
        store = memory.get();
        prefs = &VLXPreferences::useStore(std::move(memory));
        return *prefs;
    }

    QVariantMap live() const { return prefs->preferences(); }
    QVariantList feedEntries() const
    {
        return prefs->preferences().value(VLXPreferences::kFeedArray).toList();
    }

    MemoryDefaultsStore *store = nullptr;
    VLXPreferences *prefs = nullptr;
};
