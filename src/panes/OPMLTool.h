#pragma once

#include <QList>
#include <QVariantMap>

class QWidget;

// The OPML export of the feed list. It installs itself with ToolHandOffs::setOPMLTool(); until
// then the command stays disabled.
class OPMLTool
{
public:
    virtual ~OPMLTool() = default;
    // Runs the OPML window modally on a copy of the feed-list entries; 1 when accepted.
    virtual int showOPMLList(QWidget *window, const QList<QVariantMap> &listOfFeeds) = 0;
};
