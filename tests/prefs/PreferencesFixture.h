#pragma once

#include "platform/ScriptedAlertService.h"
#include "prefs/PreferencesWindow.h"
#include "settings/VLXPreferences.h"

#include <QTemporaryDir>
#include <QVariantMap>
#include <gtest/gtest.h>
#include <memory>

// A settings file of its own in a temporary folder, the settings object loaded from it, scripted
// alerts, and the preferences window (opened without its modal run, so the test clicks for the
// user).
class PreferencesFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A new settings object read from the file, as at the next start of the program.
    VLXPreferences &load();
    void open(const QString &uniqueKey = QStringLiteral("feed"), const QStringList &extensions = {},
              const QString &tab = PreferencesWindow::kFirstPage);
    // What the file holds now.
    QVariantMap fileValues() const;

    template<typename T = QWidget> T *control(const QString &name) const
    {
        T *found = window->findChild<T *>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    // Types into a line field and ends its editing, as leaving the field does.
    void type(const QString &field, const QString &text) const;
    QVariant live(const QString &key) const { return prefs->preferences().value(key); }

    // The namespace descriptions of a feed that uses all five item extensions and one other.
    static QStringList everyExtension();

    QTemporaryDir dir;
    QString settingsPath;
    VLXPreferences *prefs = nullptr;
    std::shared_ptr<ScriptedAlertService> alerts;
    std::unique_ptr<PreferencesWindow> window;
};
