#pragma once

#include "io/URLHandleClient.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <ostream>
#include <vector>

// Readable failure messages for Qt text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList &list, std::ostream *out)
{
    *out << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}

// Records what a URL handle tells its clients, with the thread each call arrived on.
class RecordingClient : public URLHandleClient
{
public:
    void URLHandleResourceDidBeginLoading(URLHandle *sender) override;
    void URLHandleResourceDataDidBecomeAvailable(URLHandle *sender,
                                                 const QByteArray &newBytes) override;
    void URLHandleResourceDidFinishLoading(URLHandle *sender) override;
    void URLHandleResourceDidCancelLoading(URLHandle *sender) override;
    void URLHandleResourceDidFailLoadingWithReason(URLHandle *sender,
                                                   const QString &reason) override;

    bool ended() const { return finished + failed > 0; }
    // The events without repeated "data" entries, e.g. "began data finished".
    QString summary() const;
    bool allOnThread(const void *thread) const;

    QStringList events;
    QByteArray data;
    QString reason;
    int finished = 0;
    int failed = 0;
    int cancelled = 0;
    std::vector<const void *> threads;
    std::function<void()> onData;
    std::function<void()> onEnd;
};

// Runs the event loop until the condition holds or the time is up; the condition's last value.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 20000);
// Runs the event loop for a while, whatever happens.
void spinFor(int milliseconds);
// The bytes the test server's /large route sends.
QByteArray serverPattern(qsizetype size);
