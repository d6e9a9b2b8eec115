#pragma once

#include "panes/OPMLTool.h"

// Serves the feed window's OPML command and the additional-file dialog's OPML button with a
// new opmlView for each run.
class OPMLWindowTool : public OPMLTool
{
public:
    int showOPMLList(QWidget *window, const QList<QVariantMap> &listOfFeeds) override;
};
