#include "PreferencesFixture.h"

#include "model/knownNamespaces.h"
#include "platform/AlertService.h"
#include "platform/PlistDefaultsStore.h"

#include <QLineEdit>

void PreferencesFixture::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    settingsPath = dir.filePath(QStringLiteral("Vellumcast.plist"));
    alerts = ScriptedAlertService::install();
    load();
    window = std::make_unique<PreferencesWindow>();
}

void PreferencesFixture::TearDown()
{
    window.reset();
    AlertService::setInstance(nullptr);
}

VLXPreferences &PreferencesFixture::load()
{
    prefs = &VLXPreferences::useStore(std::make_unique<PlistDefaultsStore>(settingsPath));
    return *prefs;
}

void PreferencesFixture::open(const QString &uniqueKey, const QStringList &extensions,
                              const QString &tab)
{
    window->openPanel(*prefs, uniqueKey, extensions, tab);
}

QVariantMap PreferencesFixture::fileValues() const
{
    PlistDefaultsStore file(settingsPath);
    QVariantMap values;
    for (const QString &key : file.keys())
        values.insert(key, file.object(key));
    return values;
}

void PreferencesFixture::type(const QString &field, const QString &text) const
{
    auto *line = control<QLineEdit>(field);
    if (!line)
        return;
    line->setText(text);
    emit line->editingFinished();
}

QStringList PreferencesFixture::everyExtension()
{
    return {knownNamespaces::descriptionOfNamespace(KnownNamespace::iTunes),
            knownNamespaces::descriptionOfNamespace(KnownNamespace::mediaRSS),
            knownNamespaces::descriptionOfNamespace(KnownNamespace::contentEncoded),
            knownNamespaces::descriptionOfNamespace(KnownNamespace::dublinCore),
            knownNamespaces::descriptionOfNamespace(KnownNamespace::creativeCommons),
            QStringLiteral("foo||http://example.org/foo||0||")};
}
