#include "TransferTestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace {
const void *currentThread()
{
    return QThread::currentThread();
}
} // namespace

void RecordingClient::URLHandleResourceDidBeginLoading(URLHandle *)
{
    events << QStringLiteral("began");
    threads.push_back(currentThread());
}

void RecordingClient::URLHandleResourceDataDidBecomeAvailable(URLHandle *, const QByteArray &bytes)
{
    events << QStringLiteral("data");
    data += bytes;
    threads.push_back(currentThread());
    if (onData)
        onData();
}

void RecordingClient::URLHandleResourceDidFinishLoading(URLHandle *)
{
    events << QStringLiteral("finished");
    ++finished;
    threads.push_back(currentThread());
    if (onEnd)
        onEnd();
}

void RecordingClient::URLHandleResourceDidCancelLoading(URLHandle *)
{
    events << QStringLiteral("cancelled");
    ++cancelled;
    threads.push_back(currentThread());
}

void RecordingClient::URLHandleResourceDidFailLoadingWithReason(URLHandle *, const QString &why)
{
    events << QStringLiteral("failed");
    reason = why;
    ++failed;
    threads.push_back(currentThread());
    if (onEnd)
        onEnd();
}

QString RecordingClient::summary() const
{
    QStringList compact;
    for (const QString &event : events) {
        if (compact.isEmpty() || compact.last() != event || event != u"data")
            compact << event;
    }
    return compact.join(u' ');
}

bool RecordingClient::allOnThread(const void *thread) const
{
    for (const void *t : threads) {
        if (t != thread)
            return false;
    }
    return true;
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

void spinFor(int milliseconds)
{
    waitUntil([] { return false; }, milliseconds);
}

QByteArray serverPattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i % 256);
    return bytes;
}
