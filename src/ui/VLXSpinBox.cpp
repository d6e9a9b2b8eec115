#include "ui/VLXSpinBox.h"

#include <QContextMenuEvent>
#include <QMenu>

VLXSpinBox::VLXSpinBox(QWidget *parent) : QSpinBox(parent) { }

void VLXSpinBox::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addHelpItem(menu);
    menu->popup(event->globalPos());
}
