#include "app/Controller.h"
#include "platform/SingleInstance.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vellumcast"));
    QApplication::setOrganizationName(QStringLiteral("Vellumcast"));
    QApplication::setDesktopFileName(QStringLiteral("vellumcast"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/vellumcast.svg")));
    const QStringList documents = QApplication::arguments().mid(1);
    // A program already running takes the documents, and this start ends before it touches the
    // settings or the feed list, which that program alone writes.
    SingleInstance instance;
    QString problem;
    switch (instance.start(SingleInstance::absoluteDocuments(documents), &problem)) {
    case SingleInstance::Role::HandedOver:
        return 0;
    case SingleInstance::Role::Unanswered:
        std::fprintf(stderr, "Vellumcast is already running, but %s.\n", qPrintable(problem));
        return 1;
    case SingleInstance::Role::Primary:
        if (!problem.isEmpty())
            std::fprintf(stderr, "Vellumcast: %s\n", qPrintable(problem));
        break;
    }
    // The delegate starts the transfer layer during start-up and ends it when the application
    // quits.
    Controller controller;
    Controller::installDesktopServices();
    QObject::connect(&instance, &SingleInstance::documentsReceived, &controller,
                     &Controller::documentsHandedOver);
    controller.start(documents);
    return QApplication::exec();
}
