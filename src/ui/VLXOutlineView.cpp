#include "ui/VLXOutlineView.h"

#include <QContextMenuEvent>
#include <QMenu>

VLXOutlineView::VLXOutlineView(QWidget *parent) : QTreeView(parent) { }

void VLXOutlineView::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addHelpItem(menu);
    menu->popup(event->globalPos());
}
