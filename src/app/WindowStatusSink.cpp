#include "app/WindowStatusSink.h"

#include "app/Vellumcast.h"

#include <QCoreApplication>

void WindowStatusSink::setStatus(const QString &text)
{
    Vellumcast *window = Vellumcast::existingInstance();
    if (!window)
        return;
    window->setStatusText(text);
    // Let the line repaint without taking new input in the middle of the work.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
