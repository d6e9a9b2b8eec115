#include "ui/VLXButton.h"

#include <QContextMenuEvent>
#include <QMenu>

VLXButton::VLXButton(QWidget *parent) : QPushButton(parent) { }

void VLXButton::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addHelpItem(menu);
    menu->popup(event->globalPos());
}
