#include "ui/VLXBrowser.h"

#include <QContextMenuEvent>
#include <QMenu>

VLXBrowser::VLXBrowser(QWidget *parent) : QColumnView(parent) { }

void VLXBrowser::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addHelpItem(menu);
    menu->popup(event->globalPos());
}
