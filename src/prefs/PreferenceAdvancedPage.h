#pragma once

#include "prefs/PreferencesPage.h"

// An "Advanced" page: the XML comments new channels, items or images get (a list), and for
// channels the two style sheets.
class PreferenceAdvancedPage : public PreferencesPage
{
public:
    enum class Place { CurrentFeedItem, Channel, Item, Image };
    explicit PreferenceAdvancedPage(Place place);

protected:
    QWidget *build(PreferencesContext &context) override;

private:
    Place m_place;
};
