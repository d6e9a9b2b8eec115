#include "app/Controller.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumcast"));
    QApplication::setOrganizationName(QStringLiteral("Vellumcast"));
    QApplication::setDesktopFileName(QStringLiteral("vellumcast"));
    Controller controller;
    controller.start(QApplication::arguments().mid(1));
    return QApplication::exec();
}
