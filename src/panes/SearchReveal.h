#pragma once

#include "ui/TextRange.h"

#include <QString>

class QObject;
class QWidget;

// Shows a match of find and replace where the user edits the field: the tabs that hold the
// control become current, a closed disclosure box around it opens, a highlight left in a text
// view of the window is dropped, the control scrolls into view and the match is highlighted.
// Everything is found from the control's place in the window, so a pane of any kind (an
// extension's among them) shows its matches the same way.
class SearchReveal
{
public:
    // Makes current every tab page that holds the control; true when one changed.
    static bool selectTabsOf(QWidget *control);
    // Opens each closed disclosure box that holds the control; true when one opened.
    static bool openDisclosureOf(QWidget *control);
    // The nearest scroll area around the control scrolls so that the whole control lies inside
    // its visible part with 5 pixels to spare; nothing moves when it already does.
    static void scrollToView(QWidget *control);
    // All of the above, then the highlight of the range in the control.
    static void showMatch(QWidget *control, TextRange range);
    // An extension's match: the tab at atIndex of the sub-tab view (underTab), then the tab of
    // the extension view (onTab) whose identifier is the extension's name, then the control.
    static void showSearchResult(QObject *onTab, QObject *underTab, int atIndex,
                                 const QString &extensionName, QWidget *control, TextRange range);

    // One pass of the event loop, so that a tab or box just shown is laid out before the
    // control is scrolled to; what the user does meanwhile waits.
    static void letLayoutSettle();
};
