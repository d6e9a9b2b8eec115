#include "ui/VLXPopUpButton.h"

#include <QContextMenuEvent>
#include <QMenu>

VLXPopUpButton::VLXPopUpButton(QWidget *parent) : QComboBox(parent) { }

void VLXPopUpButton::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addHelpItem(menu);
    menu->popup(event->globalPos());
}
