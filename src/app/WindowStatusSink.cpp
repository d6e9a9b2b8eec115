#include "app/WindowStatusSink.h"

#include "app/Vellumcast.h"

#include "platform/MainThreadCall.h"

#include <QCoreApplication>
#include <QMetaObject>

void WindowStatusSink::setStatus(const QString &text)
{
    if (!MainThreadCall::onMainThread()) {
        // Work on a worker thread does not wait for the line to repaint.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [text] {
                if (Vellumcast *window = Vellumcast::existingInstance())
                    window->setStatusText(text);
            },
            Qt::QueuedConnection);
        return;
    }
    Vellumcast *window = Vellumcast::existingInstance();
    if (!window)
        return;
    window->setStatusText(text);
    // Let the line repaint without taking new input in the middle of the work.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
