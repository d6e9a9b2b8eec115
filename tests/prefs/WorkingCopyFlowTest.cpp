// What OK, Cancel, Revert to Default and closing the window do with the settings, and what is
// saved when.
#include "PreferencesFixture.h"

#include "platform/DefaultsStore.h"
#include "platform/KeyedArchivable.h"
#include "platform/SettingsEquality.h"
#include "prefs/PreferenceWorkingList.h"
#include "settings/VLXPreferences.h"
#include "settings/categoryElement.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QTimer>

namespace {

using Flow = PreferencesFixture;

const QString kAuthor = QStringLiteral("FD_AF_IF_Author");
const QString kFeedAuthor = QStringLiteral("FD_CF_IF_Author");

QVariantList entriesOf(const QVariantMap &values)
{
    return values.value(VLXPreferences::kFeedArray).toList();
}

QVariantMap entryFor(const QVariantMap &values, const QString &uniqueKey)
{
    for (const QVariant &entry : entriesOf(values)) {
        if (entry.toMap().value(VLXPreferences::kUniqueKey) == uniqueKey)
            return entry.toMap();
    }
    return {};
}

TEST_F(Flow, OKMakesTheValuesLiveAndSavesThemAtOnce)
{
    open();
    type(kAuthor, QStringLiteral("all@example.org"));
    type(kFeedAuthor, QStringLiteral("feed@example.org"));
    EXPECT_EQ(live(kAuthor), QString(QLatin1String(""))); // nothing live before OK
    window->ok();
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(live(kAuthor), QStringLiteral("all@example.org"));
    EXPECT_EQ(VLXPreferences::objectForKey(kFeedAuthor, QStringLiteral("feed")),
              QStringLiteral("feed@example.org"));
    // The feed's entry is stored sparse.
    EXPECT_EQ(entryFor(prefs->preferences(), QStringLiteral("feed")),
              (QVariantMap {{VLXPreferences::kUniqueKey, QStringLiteral("feed")},
                            {kFeedAuthor, QStringLiteral("feed@example.org")}}));
    EXPECT_EQ(fileValues().value(kAuthor), QStringLiteral("all@example.org"));
}

TEST_F(Flow, OKRefusesATextLongerThanASettingHoldsAndShowsItsField)
{
    // One character more than a setting holds, in a default for all feeds and in the feed's own
    // entry, is refused; the longest text it holds is taken.
    const QString longest(256 * 1024, QLatin1Char('x'));
    for (const char *key : {"FD_AF_IF_Description", "FD_CF_IF_Description"}) {
        open();
        alerts->clear();
        auto *field = control<VLXTextView>(QLatin1String(key));
        field->setPlainText(longest + QLatin1Char('x'));
        window->ok();
        ASSERT_EQ(alerts->alerts().size(), 1) << key;
        EXPECT_EQ(alerts->alerts().first().message,
                  "A text of the preferences (the field now selected) is longer than the 262144 "
                  "characters a setting may hold. Shorten it, then press OK again.");
        EXPECT_TRUE(window->pageWidget(window->shownPage())->isAncestorOf(field)) << key;
        EXPECT_NE(window->result(), QDialog::Accepted) << key;
        EXPECT_FALSE(fileValues().contains(QLatin1String(key))) << key;
        field->setPlainText(longest);
        alerts->clear();
        window->ok();
        EXPECT_TRUE(alerts->alerts().isEmpty()) << key;
        EXPECT_EQ(window->result(), QDialog::Accepted) << key;
        window->setResult(QDialog::Rejected);
    }
    EXPECT_EQ(live(QStringLiteral("FD_AF_IF_Description")), longest);
    EXPECT_EQ(fileValues().value(QStringLiteral("FD_AF_IF_Description")), longest);
}

TEST_F(Flow, TheQuitBaselineIsKeptAcrossOpeningsSoAcceptedValuesAreSavedAtQuit)
{
    // A value accepted at one opening, another opening after it, then quitting: saved.
    open();
    type(kAuthor, QStringLiteral("first"));
    window->ok();
    const QVariantMap baseline = prefs->origValues();
    open();
    window->revert();
    EXPECT_TRUE(SettingsEquality::equal(prefs->origValues(), baseline));
    EXPECT_FALSE(SettingsEquality::equal(prefs->origValues(), prefs->preferences()));

    // Even if the file lost the value meanwhile (another copy of the program wrote it), the
    // save at quit writes it again.
    prefs->store().remove(kAuthor);
    VLXPreferences::saveDefaults();
    load();
    EXPECT_EQ(live(kAuthor), QStringLiteral("first"));
}

TEST_F(Flow, OKWithoutChangesReplacesNothing)
{
    // Settings of the current version (older ones are brought up to date, which is a change).
    prefs->preferences().insert(QStringLiteral("FD_Version"), VLXPreferences::kCurrentVersion);
    VLXPreferences::setObjectForKey(QStringLiteral("x"), kFeedAuthor, QStringLiteral("feed"));
    prefs->preferences().insert(
        QStringLiteral("FD_AF_IF_Category_Array"),
        QVariantList {KeyedArchivable::toVariant(std::make_shared<categoryElement>("c", ""))});
    const QVariantMap before = prefs->preferences();
    open(QStringLiteral("feed"), everyExtension());
    window->ok();
    EXPECT_TRUE(SettingsEquality::equal(prefs->preferences(), before));
}

TEST_F(Flow, AFeedWithoutAnEntryGetsOneAtOK)
{
    open(QStringLiteral("new feed"));
    // The working entry is made of the per-feed defaults.
    EXPECT_EQ(prefs->editedFeedEntry().value(kFeedAuthor), QString(QLatin1String("")));
    EXPECT_EQ(prefs->editedFeedEntry().value(QStringLiteral("FD_CF_IF_GUID_AutoGenerate")), 1);
    window->ok();
    EXPECT_EQ(entryFor(prefs->preferences(), QStringLiteral("new feed")),
              (QVariantMap {{VLXPreferences::kUniqueKey, QStringLiteral("new feed")}}));
}

TEST_F(Flow, CancelLeavesTheSettingsAndTheNextOpeningAsTheyWere)
{
    VLXPreferences::setObjectForKey(QStringLiteral("stored"), kFeedAuthor, QStringLiteral("feed"));
    const QVariantMap before = prefs->preferences();
    const QVariantMap fileBefore = fileValues();
    open();
    type(kAuthor, QStringLiteral("cancelled"));
    type(kFeedAuthor, QStringLiteral("cancelled"));
    window->revert();
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_TRUE(SettingsEquality::equal(prefs->preferences(), before));
    EXPECT_EQ(fileValues(), fileBefore);
    // The cancelled per-feed edit is gone from the cache too: reads of the feed (new items)
    // and a later per-feed write never see it.
    EXPECT_EQ(VLXPreferences::objectForKey(kFeedAuthor, QStringLiteral("feed")),
              QStringLiteral("stored"));
    VLXPreferences::setObjectForKey(QStringLiteral("a"), QStringLiteral("FD_CF_IF_Title"),
                                    QStringLiteral("feed"));
    EXPECT_EQ(VLXPreferences::objectForKey(kFeedAuthor, QStringLiteral("feed")),
              QStringLiteral("stored"));
    open();
    EXPECT_EQ(control<VLXTextField>(kAuthor)->text(), QString());
    EXPECT_EQ(control<VLXTextField>(kFeedAuthor)->text(), QStringLiteral("stored"));
}

TEST_F(Flow, RevertToDefaultShowsTheDefaultsWhichOKKeepsAndCancelDiscards)
{
    VLXPreferences::setObjectForKey(QStringLiteral("mine"), kAuthor);
    VLXPreferences::setObjectForKey(QStringLiteral("x"), kFeedAuthor, QStringLiteral("other"));
    const QVariantMap before = prefs->preferences();
    open();
    control<QAbstractButton>(QStringLiteral("revertToDefault"))->click();
    EXPECT_EQ(control<VLXTextField>(kAuthor)->text(), QString());
    EXPECT_EQ(window->result(), 0);
    // Nothing live changed yet: every feed's entry, the sites and the registry are as before.
    EXPECT_TRUE(SettingsEquality::equal(prefs->preferences(), before));
    window->revert();
    EXPECT_TRUE(SettingsEquality::equal(prefs->preferences(), before));
    EXPECT_EQ(VLXPreferences::objectForKey(kFeedAuthor, QStringLiteral("other")), "x");

    open();
    window->revertToDefault();
    window->ok();
    EXPECT_EQ(live(kAuthor), QString(QLatin1String("")));
    EXPECT_EQ(VLXPreferences::objectForKey(kFeedAuthor, QStringLiteral("other")),
              QString(QLatin1String("")));
    EXPECT_FALSE(fileValues().contains(kAuthor));
    // The built-in tables themselves are untouched.
    EXPECT_EQ(entriesOf(VLXPreferences::defaultValues()).size(), 1);
}

TEST_F(Flow, ClosingTheWindowIsCancelAndEndsTheModalRun)
{
    const QVariantMap before = prefs->preferences();
    bool closed = false;
    QTimer::singleShot(0, [&] {
        type(kAuthor, QStringLiteral("closed"));
        QCloseEvent close;
        QApplication::sendEvent(window.get(), &close);
        closed = true;
    });
    // Should the close not end the run, the test ends it rather than hang (a timer that goes
    // with the window, never into a later test).
    QTimer::singleShot(5000, window.get(), [this] { window->done(7); });
    const int result = window->runPanel(*prefs, QStringLiteral("feed"), {});
    EXPECT_TRUE(closed);
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(SettingsEquality::equal(prefs->preferences(), before));
}

TEST_F(Flow, OpeningForAnotherFeedRebuildsTheWorkingEntry)
{
    VLXPreferences::setObjectForKey(QStringLiteral("a's"), kFeedAuthor, QStringLiteral("a"));
    open(QStringLiteral("a"));
    EXPECT_EQ(control<VLXTextField>(kFeedAuthor)->text(), QStringLiteral("a's"));
    window->ok();
    open(QStringLiteral("b"));
    EXPECT_EQ(control<VLXTextField>(kFeedAuthor)->text(), QString());
    EXPECT_EQ(prefs->editedFeedEntry().value(VLXPreferences::kUniqueKey), QStringLiteral("b"));
    type(kFeedAuthor, QStringLiteral("b's"));
    window->ok();
    EXPECT_EQ(VLXPreferences::objectForKey(kFeedAuthor, QStringLiteral("a")), "a's");
    EXPECT_EQ(VLXPreferences::objectForKey(kFeedAuthor, QStringLiteral("b")), "b's");
}

TEST_F(Flow, AFieldsCheckWarnsAtTheEndOfEditingAndKeepsTheValue)
{
    open();
    type(QStringLiteral("FD_AF_FF_Cloud_Port"), QStringLiteral("  port  "));
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(control<VLXTextField>(QStringLiteral("FD_AF_FF_Cloud_Port"))->text(), "port");
    EXPECT_EQ(prefs->displayedValues().value(QStringLiteral("FD_AF_FF_Cloud_Port")), "port");
    // Blanks only: emptied, no alert.
    type(QStringLiteral("FD_AF_FF_Title"), QStringLiteral("   "));
    EXPECT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(control<VLXTextField>(QStringLiteral("FD_AF_FF_Title"))->text(), QString());
}

} // namespace
