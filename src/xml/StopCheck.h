#pragma once

#include <functional>
#include <utility>

// Lets long walks over a text (the checks and repairs of a feed before it is parsed, the
// conversions they make) be stopped: a walk calls goOn() at each step, and every few thousand
// steps the caller is asked whether to go on.
// Once told no, it stays stopped: every walk sharing it ends at its next step, and the caller
// throws away whatever they built. Each step does a bounded piece of work or a search at the
// speed of memory, so that a stop takes effect within milliseconds on any text.
class StopCheck
{
public:
    StopCheck() = default; // never asks, never stops
    explicit StopCheck(std::function<bool()> goOn) : m_goOn(std::move(goOn)) { }

    bool goOn()
    {
        if (m_stopped)
            return false;
        if (++m_steps % kStride != 0 || !m_goOn)
            return true;
        m_stopped = !m_goOn();
        return !m_stopped;
    }
    bool stopped() const { return m_stopped; }

    // For a walk that may or may not have a check to share.
    static bool goOn(StopCheck *check) { return !check || check->goOn(); }

private:
    static constexpr unsigned kStride = 4096;
    std::function<bool()> m_goOn;
    unsigned m_steps = 0;
    bool m_stopped = false;
};
