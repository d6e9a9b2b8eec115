#include "app/Controller.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumcast"));
    QApplication::setOrganizationName(QStringLiteral("Vellumcast"));
    QApplication::setDesktopFileName(QStringLiteral("vellumcast"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vellumcast.svg")));
    // The delegate starts the transfer layer during start-up and ends it when the application
    // quits.
    Controller controller;
    Controller::installDesktopServices();
    controller.start(QApplication::arguments().mid(1));
    return QApplication::exec();
}
