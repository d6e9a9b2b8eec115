#include "platform/MainThreadCall.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace {
// What the worker and the queued call share: the call may outlive a worker that gave up.
struct Pending
{
    std::mutex mutex;
    std::condition_variable done;
    bool started = false;
    bool finished = false;
    bool abandoned = false;
};

// How often a waiting worker looks whether it was asked to stop.
constexpr auto kStopCheck = std::chrono::milliseconds(20);
} // namespace

bool MainThreadCall::onMainThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

bool MainThreadCall::run(const std::function<void()> &call)
{
    if (onMainThread()) {
        call();
        return true;
    }
    auto pending = std::make_shared<Pending>();
    // The worker waits until the call finished, so the call may refer to the worker's state. A
    // worker asked to stop gives up only on a call that has not started (a question on screen
    // is answered first); the call is then marked abandoned and never runs.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [pending, &call] {
            {
                std::lock_guard lock(pending->mutex);
                if (pending->abandoned)
                    return;
                pending->started = true;
            }
            call();
            std::lock_guard lock(pending->mutex);
            pending->finished = true;
            pending->done.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(pending->mutex);
    while (!pending->finished) {
        pending->done.wait_for(lock, kStopCheck);
        if (pending->finished)
            break;
        if (!pending->started && QThread::currentThread()->isInterruptionRequested()) {
            pending->abandoned = true;
            return false;
        }
    }
    return true;
}
