#include "opml/OPMLWindowTool.h"

#include "opml/opmlView.h"

int OPMLWindowTool::showOPMLList(QWidget *window, const QList<QVariantMap> &listOfFeeds)
{
    opmlView view(window);
    view.setListOfFeeds(listOfFeeds);
    return view.showOPMLList();
}
