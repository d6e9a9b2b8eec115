#include "ui/DialogPlacement.h"

#include <QApplication>
#include <QDialog>

void DialogPlacement::overActiveWindow(QDialog *dialog)
{
    QWidget *parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    if (parent && parent != dialog && dialog->parentWidget() != parent)
        dialog->setParent(parent, Qt::Dialog);
}
