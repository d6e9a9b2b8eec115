#pragma once

#include "model/knownNamespaces.h"

#include <QStringList>

// Which extensions the feed the preferences window was opened for uses, read from the namespace
// descriptions of its channel: the five with current-feed item pages, and the namespaces that
// are not well supported (the "other extensions" of the feed, in the feed's order, without the
// user-defined one).
struct CurrentFeedExtensions
{
    bool iTunes = false;
    bool mediaRSS = false;
    bool contentEncoded = false;
    bool dublinCore = false;
    bool creativeCommons = false;
    QStringList otherNamespaces;
    // Every namespace description of the feed, as given.
    QStringList descriptions;

    static CurrentFeedExtensions fromDescriptions(const QStringList &descriptions);
    // Whether the feed uses the extension (false for namespaces without a current-feed page).
    bool uses(KnownNamespace ns) const;
    // All five used and at least one other namespace: nothing is taken out of the navigation.
    bool usesEverything() const;
};
