// The extension default panes of the preferences window: the namespace's own pane over its
// preferences twin, named by the settings it shows, and the raw XML panes of the other
// namespaces; what they store, and that editing a default touches no open feed.
#include "DialogScript.h"
#include "PreferencesFixture.h"

#include "app/Vellumcast.h"
#include "editors/XMLSourceRequest.h"
#include "model/extensionManagerPrefs.h"
#include "model/extensionNSName.h"
#include "model/knownNamespaces.h"
#include "panes/EditTracker.h"
#include "panes/ExtensionFieldPane.h"
#include "panes/RawXMLPane.h"
#include "prefs/PreferenceExtensionPage.h"
#include "prefs/PreferenceOtherExtensionsPage.h"
#include "ui/VLXCheckBox.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTextField.h"
#include "ui/VLXTextView.h"

#include <QAbstractButton>
#include <QStackedWidget>
#include <functional>

namespace {

const QString kFoo = QStringLiteral("foo||http://example.org/foo||0||");
const QString kBar = QStringLiteral("bar||http://example.org/bar||0||");

class ExtensionDefaults : public PreferencesFixture
{
protected:
    void TearDown() override
    {
        Vellumcast::setXMLSourceEditor(nullptr);
        PreferencesFixture::TearDown();
    }
    template<typename T> T *page() const
    {
        for (const auto &candidate : window->pages()) {
            if (auto *found = dynamic_cast<T *>(candidate.get()))
                return found;
        }
        return nullptr;
    }
    PreferenceExtensionPage *extensionPage(const QString &identifier) const
    {
        for (const auto &candidate : window->pages()) {
            auto *found = dynamic_cast<PreferenceExtensionPage *>(candidate.get());
            if (found && found->identifier() == identifier)
                return found;
        }
        return nullptr;
    }
    PreferenceOtherExtensionsPage *otherPage(const QString &identifier) const
    {
        for (const auto &candidate : window->pages()) {
            auto *found = dynamic_cast<PreferenceOtherExtensionsPage *>(candidate.get());
            if (found && found->identifier() == identifier)
                return found;
        }
        return nullptr;
    }
    // Types into a line field of an extension pane and leaves it.
    void typeInPane(const QString &field, const QString &text) const
    {
        auto *line = control<VLXTextField>(field);
        ASSERT_NE(line, nullptr);
        ExtensionFieldPane *pane = nullptr;
        for (QWidget *up = line; up && !pane; up = up->parentWidget())
            pane = qobject_cast<ExtensionFieldPane *>(up);
        ASSERT_NE(pane, nullptr);
        pane->tracker()->setTextAsEdit(line, text);
    }
};

TEST_F(ExtensionDefaults, TheITunesPanesNameTheirControlsAfterTheirSettings)
{
    open(QStringLiteral("feed"), {knownNamespaces::descriptionOfNamespace(KnownNamespace::iTunes)});
    for (const char *name :
         {"FD_AF_FF_EX_ITCSubtitle", "FD_AF_FF_EX_ITCSummary", "FD_AF_FF_EX_ITCKeywords",
          "FD_AF_FF_EX_ITCAuthor", "FD_AF_FF_EX_ITCOwnerName", "FD_AF_FF_EX_ITCOwnerEmail",
          "FD_AF_FF_EX_ITCImage", "FD_AF_FF_EX_ITCBlock", "FD_AF_FF_EX_ITCExplicit",
          "FD_AF_FF_EX_ITCCategoryTable", "FD_AF_FF_EX_ITCCategory_Add", "FD_AF_IF_EX_ITISubtitle",
          "FD_AF_IF_EX_ITIDuration", "FD_CF_IF_EX_ITISubtitle", "FD_CF_IF_EX_ITIExplicit"})
        EXPECT_NE(window->findChild<QWidget *>(QLatin1String(name)), nullptr) << name;
    // The channel's new-feed URL has no default: it is not offered.
    auto *pane = extensionPage(QStringLiteral("All Feeds Feed iTunes"))->pane();
    ASSERT_NE(pane, nullptr);
    for (QWidget *child : pane->findChildren<QWidget *>()) {
        EXPECT_FALSE(child->objectName().contains(QLatin1String("NewFeedURL"))
                     && child->isVisibleTo(pane))
            << child->objectName().toStdString();
    }
    auto *explicitMenu = control<VLXPopUpButton>(QStringLiteral("FD_AF_IF_EX_ITIExplicit"));
    ASSERT_EQ(explicitMenu->count(), 3);
    EXPECT_EQ(explicitMenu->itemText(0), QStringLiteral("Clean"));
    EXPECT_EQ(explicitMenu->itemText(1), QStringLiteral("No"));
    EXPECT_EQ(explicitMenu->itemText(2), QStringLiteral("Yes"));
}

TEST_F(ExtensionDefaults, PaneEditsReachTheSettingsInTheirStoredForms)
{
    prefs->preferences().insert(QStringLiteral("FD_AF_FF_EX_ITCAuthor"), QStringLiteral("Ann"));
    prefs->preferences().insert(QStringLiteral("FD_AF_FF_EX_ITCExplicitStr"), QStringLiteral("1"));
    open();
    EXPECT_EQ(control<VLXTextField>(QStringLiteral("FD_AF_FF_EX_ITCAuthor"))->text(),
              QStringLiteral("Ann"));
    EXPECT_EQ(control<VLXPopUpButton>(QStringLiteral("FD_AF_FF_EX_ITCExplicit"))->currentIndex(),
              2);

    typeInPane(QStringLiteral("FD_AF_FF_EX_ITCAuthor"), QStringLiteral("Bob <b>B</b>"));
    control<VLXCheckBox>(QStringLiteral("FD_AF_FF_EX_ITCBlock"))->click();
    auto *explicitMenu = control<VLXPopUpButton>(QStringLiteral("FD_AF_FF_EX_ITCExplicit"));
    explicitMenu->setCurrentIndex(0);
    emit explicitMenu->activated(0);
    // Each edit is read back at once.
    const QVariantMap &shown = prefs->displayedValues();
    EXPECT_EQ(shown.value(QStringLiteral("FD_AF_FF_EX_ITCAuthor")).toString(),
              QStringLiteral("Bob B"));
    EXPECT_EQ(shown.value(QStringLiteral("FD_AF_FF_EX_ITCBlockStr")).toString(),
              QStringLiteral("1"));
    EXPECT_EQ(shown.value(QStringLiteral("FD_AF_FF_EX_ITCExplicitStr")).toString(),
              QStringLiteral("-1"));

    // "No" is stored as the empty text, an unchecked box likewise.
    explicitMenu->setCurrentIndex(1);
    emit explicitMenu->activated(1);
    control<VLXCheckBox>(QStringLiteral("FD_AF_FF_EX_ITCBlock"))->click();
    window->ok();
    load();
    EXPECT_EQ(live(QStringLiteral("FD_AF_FF_EX_ITCAuthor")).toString(), QStringLiteral("Bob B"));
    EXPECT_EQ(live(QStringLiteral("FD_AF_FF_EX_ITCExplicitStr")).toString(), QString());
    EXPECT_EQ(live(QStringLiteral("FD_AF_FF_EX_ITCBlockStr")).toString(), QString());
}

TEST_F(ExtensionDefaults, OkWithoutChangesLeavesTheListSettingsAsTheyWere)
{
    open(QStringLiteral("feed"), {knownNamespaces::descriptionOfNamespace(KnownNamespace::iTunes)});
    const QVariantMap before = prefs->preferences();
    window->miscChanged();
    EXPECT_EQ(prefs->displayedValues().value(QStringLiteral("FD_AF_FF_EX_ITCCategory")),
              before.value(QStringLiteral("FD_AF_FF_EX_ITCCategory")));
}

TEST_F(ExtensionDefaults, TheCurrentFeedsItemPaneHoldsValuesOnlyWhileTheFeedUsesITunes)
{
    open(QStringLiteral("feed"), {knownNamespaces::descriptionOfNamespace(KnownNamespace::iTunes)});
    typeInPane(QStringLiteral("FD_CF_IF_EX_ITISubtitle"), QStringLiteral("for this feed"));
    EXPECT_EQ(prefs->editedFeedEntry().value(QStringLiteral("FD_CF_IF_EX_ITISubtitle")).toString(),
              QStringLiteral("for this feed"));
    window->ok();

    // Opened for a feed without iTunes, the page keeps what the entry had and stores nothing.
    open(QStringLiteral("other"));
    typeInPane(QStringLiteral("FD_CF_IF_EX_ITISubtitle"), QStringLiteral("ignored"));
    EXPECT_NE(prefs->editedFeedEntry().value(QStringLiteral("FD_CF_IF_EX_ITISubtitle")).toString(),
              QStringLiteral("ignored"));
    window->revert();
}

TEST_F(ExtensionDefaults, TheCurrentFeedsOtherNamespacesAreThoseOfTheFeedOpenedFor)
{
    open(QStringLiteral("one"), {kFoo});
    PreferenceOtherExtensionsPage *current
        = otherPage(QStringLiteral("Current Feed Item Other Extensions"));
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->selectorTitles(),
              QStringList {QStringLiteral("foo - http://example.org/foo")});
    current->manager()->extensionNamed(QStringLiteral("foo"))->setRawXML("<foo:a>1</foo:a>");
    window->ok();
    EXPECT_EQ(VLXPreferences::objectForKey(QStringLiteral("FD_CF_IF_EX_Extensions"), "one").toMap(),
              (QVariantMap {{QStringLiteral("foo"), QStringLiteral("<foo:a>1</foo:a>")}}));

    open(QStringLiteral("two"), {kBar});
    current = otherPage(QStringLiteral("Current Feed Item Other Extensions"));
    EXPECT_EQ(current->selectorTitles(),
              QStringList {QStringLiteral("bar - http://example.org/bar")});
    QStringList names;
    for (const auto &extension : current->manager()->arrayOfExtensions())
        names << extension->extensionName();
    EXPECT_EQ(names, QStringList {QStringLiteral("bar")});
    window->miscChanged();
    EXPECT_EQ(prefs->editedFeedEntry().value(QStringLiteral("FD_CF_IF_EX_Extensions")).toMap(),
              QVariantMap());
    // The five flags follow the feed opened for, whatever the feed before used.
    EXPECT_FALSE(current->manager()->iTunesExtensionUsed());
    window->revert();
}

TEST_F(ExtensionDefaults, ARawXMLDefaultIsEditedThroughTheSourceEditorAndStoredByName)
{
    VLXPreferences::addMissingXMLNamespaces({kFoo});
    open();
    PreferenceOtherExtensionsPage *channel
        = otherPage(QStringLiteral("All Feeds Feed Other Extensions"));
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(channel->selectorTitles(),
              (QStringList {QStringLiteral("foo - http://example.org/foo"), "User Defined - "}));
    auto *tabs = control<QStackedWidget>(QStringLiteral("AF_FF_OE_tabs"));
    ASSERT_EQ(tabs->count(), 2);
    auto *pane = qobject_cast<RawXMLPane *>(tabs->widget(0));
    ASSERT_NE(pane, nullptr);
    EXPECT_FALSE(pane->extension()->allowsUndo());
    Vellumcast::setXMLSourceEditor(
        [](const XMLSourceRequest &) { return std::optional<QString>("<foo:b>2</foo:b>"); });
    pane->editRawXML();
    EXPECT_EQ(prefs->displayedValues().value(QStringLiteral("FD_AF_FF_EX_Extensions")).toMap(),
              (QVariantMap {{QStringLiteral("foo"), QStringLiteral("<foo:b>2</foo:b>")}}));
    window->ok();
    load();
    EXPECT_EQ(live(QStringLiteral("FD_AF_FF_EX_Extensions")).toMap().value("foo").toString(),
              QStringLiteral("<foo:b>2</foo:b>"));
}

TEST_F(ExtensionDefaults, ARawXMLDefaultCancelledOrRevertedIsNotStoredByTheNextOK)
{
    const auto typeUserDefined = [this](const QString &text) {
        auto *tabs = control<QStackedWidget>(QStringLiteral("AF_FF_OE_tabs"));
        ASSERT_NE(tabs, nullptr);
        auto *pane = qobject_cast<RawXMLPane *>(tabs->widget(tabs->count() - 1));
        ASSERT_NE(pane, nullptr);
        ASSERT_EQ(pane->extension()->extensionName(), extensionNSName::kUserDefined);
        Vellumcast::setXMLSourceEditor(
            [text](const XMLSourceRequest &) { return std::optional<QString>(text); });
        pane->editRawXML();
    };
    const struct
    {
        const char *how;
        std::function<void()> leave;
    } ways[] = {
        {"Cancel", [this] { window->revert(); }},
        {"Revert to Default, OK",
         [this] {
             window->revertToDefault();
             window->ok();
         }},
    };
    for (const auto &[how, leave] : ways) {
        SCOPED_TRACE(how);
        open();
        typeUserDefined(QStringLiteral("<x:typed>%1</x:typed>").arg(QLatin1String(how)));
        leave();
        open();
        window->ok();
        EXPECT_EQ(live(QStringLiteral("FD_AF_FF_EX_Extensions")).toMap(), QVariantMap());
    }
}

} // namespace
