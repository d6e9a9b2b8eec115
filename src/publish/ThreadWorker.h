#pragma once

#include <QObject>
#include <QVariant>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Runs one task on a thread of its own and hands its result to a did-end function on the
// thread that started it. The did-end call is a queued call on the starting thread's event
// loop, so it also arrives while a modal dialog runs its own loop there.
//
// The task polls cancelled() at the points it chooses; the worker never stops it by force. No
// thread outlives its worker: the did-end delivery joins the thread first, and destroying the
// worker asks the task to cancel and waits for the thread.
class ThreadWorker : public std::enable_shared_from_this<ThreadWorker>
{
public:
    using Task = std::function<QVariant(ThreadWorker &worker)>;
    using DidEnd = std::function<void(const QVariant &result)>;

    // Starts the task; the did-end function (if any) runs later on the calling thread, from its
    // event loop. Answers null and logs when there is no task.
    static std::shared_ptr<ThreadWorker> workOn(Task task, DidEnd didEnd = {});

    ~ThreadWorker();
    ThreadWorker(const ThreadWorker &) = delete;
    ThreadWorker &operator=(const ThreadWorker &) = delete;

    // Asks the task to stop; asking twice is asking once.
    void markAsCancelled() { m_cancelled = true; }
    bool cancelled() const { return m_cancelled; }
    // Whether the task has returned (its did-end may still be on its way).
    bool taskFinished() const { return m_taskFinished; }
    bool ended() const { return m_ended; }

    // On the starting thread: waits for the task to return and runs the did-end now instead of
    // later (used to close while a task still runs).
    void waitForEnd();

private:
    ThreadWorker(Task task, DidEnd didEnd);
    void start();
    void deliverEnd();
    void join();

    // Lives on the starting thread and receives the end from the task's thread; it goes only
    // after the thread has been joined, so the task never posts to a destroyed object.
    std::unique_ptr<QObject> m_relay;
    Task m_task;
    DidEnd m_didEnd;
    QVariant m_result;
    std::thread m_thread;
    std::mutex m_joinMutex;
    std::atomic<bool> m_cancelled {false};
    std::atomic<bool> m_taskFinished {false};
    bool m_ended = false;
};
