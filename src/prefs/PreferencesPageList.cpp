#include "prefs/PreferencesPageList.h"

#include "prefs/PreferenceAdvancedPage.h"
#include "prefs/PreferenceFeedFieldsPage.h"
#include "prefs/PreferenceImagePage.h"
#include "prefs/PreferenceInfoPage.h"
#include "prefs/PreferenceItemFieldsPage.h"
#include "prefs/PreferenceLicencesPage.h"
#include "prefs/PreferenceMiscellaneousPage.h"
#include "prefs/PreferenceNamespacesPage.h"
#include "prefs/PreferenceOtherExtensionsPage.h"
#include "prefs/PreferenceSmartDatePage.h"

#include <QCoreApplication>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("PreferencesPageList", text);
}
} // namespace

const QList<PreferenceExtensionPage::Entry> &PreferencesPageList::extensionPages()
{
    using K = KnownNamespace;
    constexpr PreferenceScope all = PreferenceScope::AllFeeds;
    constexpr PreferenceScope current = PreferenceScope::CurrentFeed;
    static const QList<PreferenceExtensionPage::Entry> entries = {
        {"Current Feed Item iTunes", current, K::iTunes, "iTunesItemPrefs"},
        {"Current Feed Item Media RSS", current, K::mediaRSS, "mrssItemPrefs"},
        {"Current Feed Item content:encoded", current, K::contentEncoded,
         "contentEncodedItemPrefs"},
        {"Current Feed Item dc", current, K::dublinCore, "dcItemPrefs"},
        {"All Feeds Feed iTunes", all, K::iTunes, "iTunesChannelPrefs"},
        {"All Feeds Feed Media RSS", all, K::mediaRSS, "mrssChannelPrefs"},
        {"All Feeds Feed content:encoded", all, K::contentEncoded, "contentEncodedChannelPrefs"},
        {"All Feeds Feed sy", all, K::syndication, "syChannelPrefs"},
        // The channel's pane also holds the defaults of its textInput set.
        {"All Feeds Feed dc", all, K::dublinCore, "dcChannelPrefs"},
        {"All Feeds Item iTunes", all, K::iTunes, "iTunesItemPrefs"},
        {"All Feeds Item Media RSS", all, K::mediaRSS, "mrssItemPrefs"},
        {"All Feeds Item content:encoded", all, K::contentEncoded, "contentEncodedItemPrefs"},
        {"All Feeds Item dc", all, K::dublinCore, "dcItemPrefs"},
        {"All Feeds Image dc", all, K::dublinCore, "dcImagePrefs"},
        {"Current Feed Item creativeCommons", current, K::creativeCommons,
         "creativeCommonsItemPrefs"},
        {"All Feeds Feed creativeCommons", all, K::creativeCommons, "creativeCommonsChannelPrefs"},
        {"All Feeds Item creativeCommons", all, K::creativeCommons, "creativeCommonsItemPrefs"},
    };
    return entries;
}

std::vector<std::unique_ptr<PreferencesPage>> PreferencesPageList::standardPages()
{
    using Place = PreferenceAdvancedPage::Place;
    std::vector<std::unique_ptr<PreferencesPage>> pages;
    pages.push_back(std::make_unique<PreferenceInfoPage>(
        QStringLiteral("Current Feed Help"), tr("The current feed"),
        tr("These pages hold the defaults of the feed selected in the main window: the values "
           "its new items get and the smart dates of its publication dates. They take "
           "precedence over the defaults of all feeds.\n\nChanges take effect when you click "
           "OK; Cancel leaves everything as it was.")));
    pages.push_back(std::make_unique<PreferenceItemFieldsPage>(PreferenceScope::CurrentFeed));
    pages.push_back(std::make_unique<PreferenceSmartDatePage>(PreferenceScope::CurrentFeed));
    pages.push_back(std::make_unique<PreferenceAdvancedPage>(Place::CurrentFeedItem));
    pages.push_back(std::make_unique<PreferenceInfoPage>(
        QStringLiteral("Current Feed Item Extensions"), tr("Item extensions of the current feed"),
        tr("The defaults of the namespace extensions the current feed uses, for its new items. "
           "Only the extensions of this feed are listed.")));

    pages.push_back(std::make_unique<PreferenceInfoPage>(
        QStringLiteral("All Feeds Help"), tr("All feeds"),
        tr("These pages hold the defaults every new feed, item and image gets, unless the "
           "current feed sets its own.")));
    pages.push_back(std::make_unique<PreferenceFeedFieldsPage>());
    pages.push_back(std::make_unique<PreferenceItemFieldsPage>(PreferenceScope::AllFeeds));
    pages.push_back(std::make_unique<PreferenceSmartDatePage>(PreferenceScope::AllFeeds));
    pages.push_back(std::make_unique<PreferenceAdvancedPage>(Place::Channel));
    pages.push_back(std::make_unique<PreferenceAdvancedPage>(Place::Item));
    pages.push_back(std::make_unique<PreferenceAdvancedPage>(Place::Image));
    pages.push_back(std::make_unique<PreferenceImagePage>());
    // The namespace registry and the namespaces of new feeds, before the pages that follow the
    // registry.
    pages.push_back(std::make_unique<PreferenceNamespacesPage>());
    for (const PreferenceExtensionPage::Entry &entry : extensionPages()) {
        auto page = std::make_unique<PreferenceExtensionPage>(entry);
        // A namespace whose classes this program lacks has no page.
        if (page->hasTwin())
            pages.push_back(std::move(page));
    }
    using Other = PreferenceOtherExtensionsPage::Place;
    for (Other place : {Other::CurrentFeedItem, Other::Channel, Other::Item, Other::Image})
        pages.push_back(std::make_unique<PreferenceOtherExtensionsPage>(place));
    pages.push_back(std::make_unique<PreferenceLicencesPage>());
    pages.push_back(std::make_unique<PreferenceMiscellaneousPage>());
    return pages;
}
