#include "app/Controller.h"
#include "io/CURLHandle.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumcast"));
    QApplication::setOrganizationName(QStringLiteral("Vellumcast"));
    QApplication::setDesktopFileName(QStringLiteral("vellumcast"));
    // Transfers are set up before anything can start one and torn down after the last window.
    CURLHandle::curlHelloSignature(CURLHandle::defaultSignature(), true);
    int result = 0;
    {
        Controller controller;
        controller.start(QApplication::arguments().mid(1));
        result = QApplication::exec();
    }
    CURLHandle::curlGoodbye();
    return result;
}
