#include "ui/VLXBox.h"

#include <QContextMenuEvent>
#include <QMenu>

VLXBox::VLXBox(QWidget *parent) : QGroupBox(parent) { }

void VLXBox::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addHelpItem(menu);
    menu->popup(event->globalPos());
}
