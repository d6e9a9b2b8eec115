// The worker thread: where its end arrives, cancelling, and that no thread outlives it.
#include "publish/ThreadWorker.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>

namespace {

TEST(ThreadWorkerTest, DeliversTheResultOnTheStartingThreadAlsoInANestedLoop)
{
    QThread *taskThread = nullptr;
    QThread *endThread = nullptr;
    QVariant result;
    QEventLoop modal; // stands for a modal dialog's own loop
    auto worker = ThreadWorker::workOn(
        [&](ThreadWorker &) {
            taskThread = QThread::currentThread();
            return QVariant(42);
        },
        [&](const QVariant &value) {
            endThread = QThread::currentThread();
            result = value;
            modal.quit();
        });
    ASSERT_TRUE(worker);
    QTimer::singleShot(10000, &modal, &QEventLoop::quit);
    modal.exec();
    EXPECT_EQ(result, QVariant(42));
    EXPECT_EQ(endThread, QThread::currentThread());
    EXPECT_NE(taskThread, QThread::currentThread());
    EXPECT_TRUE(worker->ended());
}

TEST(ThreadWorkerTest, CancellingIsPolledByTheTaskAndIdempotent)
{
    std::atomic<bool> started {false};
    std::atomic<int> rounds {0};
    bool ended = false;
    auto worker = ThreadWorker::workOn(
        [&](ThreadWorker &self) {
            started = true;
            while (!self.cancelled() && rounds < 1000000) {
                ++rounds;
                QThread::msleep(1);
            }
            return QVariant(self.cancelled());
        },
        [&](const QVariant &value) { ended = value.toBool(); });
    while (!started)
        QThread::msleep(1);
    worker->markAsCancelled();
    worker->markAsCancelled();
    EXPECT_TRUE(worker->cancelled());
    // Closing waits for the task and runs its end at once; the queued end then does nothing.
    worker->waitForEnd();
    EXPECT_TRUE(ended);
    EXPECT_TRUE(worker->taskFinished());
    ended = false;
    QCoreApplication::processEvents();
    EXPECT_FALSE(ended);
}

TEST(ThreadWorkerTest, RunsWithoutAnEndAndNeverOutlivesItsOwner)
{
    EXPECT_FALSE(ThreadWorker::workOn(nullptr));

    std::atomic<bool> ran {false};
    auto quiet = ThreadWorker::workOn([&](ThreadWorker &) {
        ran = true;
        return QVariant();
    });
    quiet->waitForEnd();
    EXPECT_TRUE(ran);

    // Dropping a worker whose task still runs cancels it and waits for its thread; its queued
    // end never arrives.
    std::atomic<bool> stopped {false};
    bool endArrived = false;
    auto busy = ThreadWorker::workOn(
        [&](ThreadWorker &self) {
            while (!self.cancelled())
                QThread::msleep(1);
            stopped = true;
            return QVariant();
        },
        [&](const QVariant &) { endArrived = true; });
    busy.reset();
    EXPECT_TRUE(stopped);
    QCoreApplication::processEvents();
    EXPECT_FALSE(endArrived);
}

} // namespace
