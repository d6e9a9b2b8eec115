#include "ui/VLXSecureTextField.h"

#include <QContextMenuEvent>
#include <QMenu>

VLXSecureTextField::VLXSecureTextField(QWidget *parent) : QLineEdit(parent)
{
    setEchoMode(QLineEdit::Password);
}

void VLXSecureTextField::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addHelpItem(menu);
    menu->popup(event->globalPos());
}
