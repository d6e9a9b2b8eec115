#pragma once

#include "model/knownNamespaces.h"
#include "prefs/PreferencesPage.h"

#include <QPointer>
#include <QVariantList>
#include <memory>

class ExtensionFieldPane;
class FieldExtensionBase;
class extensionNSRaw;

// A page of extension defaults: the namespace's own pane, in preferences mode, over the class's
// preferences twin (an object that registers no undo and belongs to no feed). The twin stands
// for the settings its field rows name in the page's scope: the all-feeds default of each row,
// or the feed's own default for the current feed's item pages. Filling the page puts those
// settings into the twin; every edit of the twin (its change listener) reads it back, through
// the same text, "1"/"" and "-1"/""/"1" forms the settings keep.
//
// Nothing here knows a namespace: a page is one entry of the list in PreferencesPageList.
class PreferenceExtensionPage : public PreferencesPage
{
public:
    struct Entry
    {
        const char *identifier; // "All Feeds Feed iTunes"
        PreferenceScope scope;
        KnownNamespace ns;
        const char *twinClass; // the archive name of the twin ("iTunesChannelPrefs")
    };
    explicit PreferenceExtensionPage(const Entry &entry);
    ~PreferenceExtensionPage() override;

    // The twin (made with the page) and its pane (made with the page's widget).
    extensionNSRaw *twin() const { return m_twin.get(); }
    ExtensionFieldPane *pane() const;
    // Whether the twin's class is known to this program (its namespace is built in).
    bool hasTwin() const { return m_twin != nullptr; }

    void fill(PreferencesContext &context) override;
    void read(PreferencesContext &context) override;
    // The twin reports its own edits; the window's wiring would read its controls twice.
    bool wantsEditWiring() const override { return false; }

protected:
    QWidget *build(PreferencesContext &context) override;

private:
    FieldExtensionBase *fields() const;
    QString keyOf(int field) const;

    Entry m_entry;
    std::shared_ptr<extensionNSRaw> m_twin;
    QPointer<ExtensionFieldPane> m_pane;
    QVariantList m_filled; // each field's value as the settings gave it
    int m_listener = 0;
    bool m_filling = false;
};
