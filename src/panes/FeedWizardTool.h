#pragma once

#include "model/VLXFeed.h"

#include <QString>
#include <QStringList>
#include <memory>

class QWidget;

// The feed and item wizard as the window hands work to it. The wizard installs itself with
// ToolHandOffs::setFeedWizard(); until then its commands stay disabled.
class FeedWizardTool
{
public:
    virtual ~FeedWizardTool() = default;
    // Runs the feed wizard as a sheet on the window for a new feed whose per-feed settings are
    // kept under the identifier; the new feed (its items are newItems()), null when cancelled.
    virtual std::shared_ptr<VLXFeed> feedWizard(QWidget *window, const QString &uniqueKey) = 0;
    // Runs the item wizard for a feed with those namespace descriptions (the iTunes pages when
    // useiTunes, the enclosure pages when useEnclosure); true when finished.
    virtual bool feedItemWizard(QWidget *window, const QStringList &itemExtensions,
                                bool useEnclosure, bool useiTunes)
        = 0;
    // The items the last finished run made, in the order made.
    virtual VLXFeed::ItemList newItems() const = 0;
};
