#include "ui/VLXCheckBox.h"

#include <QContextMenuEvent>
#include <QMenu>

VLXCheckBox::VLXCheckBox(QWidget *parent) : QCheckBox(parent) { }

void VLXCheckBox::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addHelpItem(menu);
    menu->popup(event->globalPos());
}
