#pragma once

#include <QDateTime>
#include <memory>

// The one source of "now" for the whole program. Code that stamps or compares dates asks
// Clock::now() so tests can pin time with setInstance().
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime currentDateTime() const;

    static QDateTime now();
    static const Clock &instance();
    // Replaces the process clock; pass nullptr to return to the system clock.
    static void setInstance(std::shared_ptr<Clock> clock);
};

// A clock that always answers the same instant, or one moved by hand.
class FixedClock : public Clock
{
public:
    explicit FixedClock(QDateTime when) : m_when(std::move(when)) { }
    QDateTime currentDateTime() const override { return m_when; }
    void set(const QDateTime &when) { m_when = when; }
    void advance(qint64 seconds) { m_when = m_when.addSecs(seconds); }

private:
    QDateTime m_when;
};
