#include "publish/ThreadWorker.h"

#include <QMetaObject>
#include <QtDebug>

std::shared_ptr<ThreadWorker> ThreadWorker::workOn(Task task, DidEnd didEnd)
{
    if (!task) {
        qWarning("\nThreadWorker reports: there is no task to run.");
        return nullptr;
    }
    std::shared_ptr<ThreadWorker> worker(new ThreadWorker(std::move(task), std::move(didEnd)));
    worker->start();
    return worker;
}

ThreadWorker::ThreadWorker(Task task, DidEnd didEnd)
    : m_relay(std::make_unique<QObject>()), m_task(std::move(task)), m_didEnd(std::move(didEnd))
{
}

ThreadWorker::~ThreadWorker()
{
    markAsCancelled();
    join();
    m_relay.reset();
}

void ThreadWorker::start()
{
    // The thread holds no reference to the worker: the worker (whoever owns it) outlives the
    // thread because destroying it joins the thread.
    const std::weak_ptr<ThreadWorker> weak = weak_from_this();
    m_thread = std::thread([this, weak] {
        m_result = m_task(*this);
        m_taskFinished = true;
        QMetaObject::invokeMethod(
            m_relay.get(),
            [weak] {
                if (const auto worker = weak.lock())
                    worker->deliverEnd();
            },
            Qt::QueuedConnection);
    });
}

void ThreadWorker::join()
{
    std::lock_guard lock(m_joinMutex);
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void ThreadWorker::deliverEnd()
{
    if (m_ended)
        return;
    join();
    m_ended = true;
    // The did-end may drop the last reference to this worker.
    const std::shared_ptr<ThreadWorker> keepAlive = shared_from_this();
    const DidEnd didEnd = std::move(m_didEnd);
    m_didEnd = nullptr;
    if (didEnd)
        didEnd(m_result);
}

void ThreadWorker::waitForEnd()
{
    deliverEnd();
}
