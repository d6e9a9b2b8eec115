#pragma once

#include "model/knownNamespaces.h"
#include "prefs/PreferenceBinding.h"
#include "prefs/PreferencesContext.h"

#include <QString>
#include <optional>

class QWidget;

// One page of the preferences window: its identifier (the navigation tree selects pages by it),
// the values it edits, and the table of its controls. The window builds every page once, fills
// them all when it opens (updateUI) and reads them all back after every edit (miscChanged), in
// the order of the page list.
//
// A page whose values come through a table needs nothing more than the table; a page with
// summaries or rules of its own adds them in the hooks. A page without a widget only carries
// values (its controls come with another page or later).
class PreferencesPage
{
public:
    PreferencesPage(const QString &identifier, PreferenceScope scope,
                    PreferenceBindings bindings = {});
    virtual ~PreferencesPage();
    PreferencesPage(const PreferencesPage &) = delete;
    PreferencesPage &operator=(const PreferencesPage &) = delete;

    const QString &identifier() const { return m_identifier; }
    PreferenceScope scope() const { return m_scope; }
    const PreferenceBindings &bindings() const { return m_bindings; }

    // The current feed's extension pages are filled and read only while the feed uses their
    // extension.
    void setRequiredExtension(KnownNamespace ns) { m_required = ns; }
    std::optional<KnownNamespace> requiredExtension() const { return m_required; }
    bool isActive(const PreferencesContext &context) const;

    // Builds the page's widget (once); null for a page that only carries values. Its controls
    // are named after their outlets.
    QWidget *widget(PreferencesContext &context);
    QWidget *builtWidget() const { return m_widget; }

    // Values into the controls, and the controls back into the values.
    virtual void fill(PreferencesContext &context);
    virtual void read(PreferencesContext &context);

    // After OK made the values live (a page with state of its own outside the values, such as
    // a library kept elsewhere, writes it here).
    virtual void accepted(PreferencesContext &) { }

    // Whether the window wires this page's controls to the end of editing (text fields and
    // views at their end of editing, buttons, menus and grids when used).
    virtual bool wantsEditWiring() const { return true; }

protected:
    virtual QWidget *build(PreferencesContext &context) = 0;
    // After the table was filled or read: summaries, visibility and ranges.
    virtual void afterFill(PreferencesContext &) { }
    virtual void afterRead(PreferencesContext &) { }

    void fillBinding(PreferencesContext &context, const PreferenceBinding &binding);
    void readBinding(PreferencesContext &context, const PreferenceBinding &binding);
    void addBindings(const PreferenceBindings &more) { m_bindings += more; }
    QWidget *root() const { return m_widget; }

private:
    QString m_identifier;
    PreferenceScope m_scope;
    PreferenceBindings m_bindings;
    std::optional<KnownNamespace> m_required;
    QWidget *m_widget = nullptr;
    bool m_built = false;
};
