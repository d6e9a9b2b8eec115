#include "ui/VLXWebView.h"

#include <QContextMenuEvent>
#include <QMenu>

VLXWebView::VLXWebView(QWidget *parent) : QWebEngineView(parent) { }

void VLXWebView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (m_menuFilter)
        m_menuFilter(menu);
    addHelpItem(menu);
    menu->popup(event->globalPos());
}
