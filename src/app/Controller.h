#pragma once

#include <QObject>
#include <QStringList>
#include <memory>

class QMainWindow;

// The application delegate: start-up, the one main window and the quit order.
class Controller : public QObject
{
    Q_OBJECT
public:
    explicit Controller(QObject *parent = nullptr);
    ~Controller() override;

    // Shows the main window and opens the files named on the command line.
    void start(const QStringList &files);
    QMainWindow *mainWindow() const { return m_window.get(); }

private:
    std::unique_ptr<QMainWindow> m_window;
};
