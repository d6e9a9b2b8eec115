#include "app/Controller.h"

#include <QMainWindow>

Controller::Controller(QObject *parent) : QObject(parent) { }

Controller::~Controller() = default;

void Controller::start(const QStringList &files)
{
    Q_UNUSED(files);
    m_window = std::make_unique<QMainWindow>();
    m_window->setObjectName(QStringLiteral("mainWindow"));
    m_window->setWindowTitle(QStringLiteral("Vellumcast"));
    m_window->resize(1100, 720);
    m_window->show();
}
