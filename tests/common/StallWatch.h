#pragma once

#include <QElapsedTimer>
#include <QTimer>

// The longest time between two turns of the window's event loop, seen by a timer that asks to
// run every millisecond: how long the window's thread kept the user waiting.
class StallWatch
{
public:
    StallWatch()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longest = qMax(m_longest, m_since.restart()); });
        m_since.start();
        m_timer.start();
    }
    qint64 longestMs()
    {
        m_longest = qMax(m_longest, m_since.elapsed());
        return m_longest;
    }
    // Starts counting afresh.
    void reset()
    {
        m_longest = 0;
        m_since.restart();
    }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
};
