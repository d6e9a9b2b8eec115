#pragma once

#include "prefs/PreferencesPage.h"

#include <QPointer>
#include <QStringList>
#include <memory>

class VLXPopUpButton;
class QStackedWidget;
class extensionManagerPrefs;

// Raw XML defaults of the namespaces that have no editor of their own, for one place: a selector
// of the namespaces beside one raw XML pane each, over a preferences extension manager whose raw
// texts are kept under "<scope>_EX_Extensions".
//
// The all-feeds places list the registry's other namespaces in registry order, then "User
// Defined - ". Their managers are made again in that order whenever the registry changes, the
// texts kept by name, so a renamed entry keeps its place and the selector and the panes never
// disagree. The current feed's item place lists the feed's own other namespaces and is made
// again at each opening from the feed's descriptions, so no earlier feed's namespace stays.
class PreferenceOtherExtensionsPage : public PreferencesPage
{
public:
    enum class Place { CurrentFeedItem, Channel, Item, Image };
    explicit PreferenceOtherExtensionsPage(Place place);
    ~PreferenceOtherExtensionsPage() override;

    extensionManagerPrefs *manager() const { return m_manager.get(); }
    // The selector's item titles, in order.
    QStringList selectorTitles() const;
    // Shows the pane of a selector item.
    void select(int index);

    void fill(PreferencesContext &context) override;

protected:
    QWidget *build(PreferencesContext &context) override;

private:
    // The manager made again for the registry (all feeds) or the feed's descriptions, with the
    // texts of the extensions of the same names; then the selector and the panes.
    void rebuild(PreferencesContext &context);
    void rebuildPanes(PreferencesContext &context);

    Place m_place;
    QString m_managerName;
    std::unique_ptr<extensionManagerPrefs> m_manager;
    QPointer<VLXPopUpButton> m_selector;
    QPointer<QStackedWidget> m_tabs;
};
