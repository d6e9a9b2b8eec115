#pragma once

#include <QString>
#include <memory>

// The status line shown during long work (reading a big feed, validating thousands of items).
// The window installs an implementation that updates its status field and lets it repaint;
// without one, status texts go nowhere.
class StatusSink
{
public:
    virtual ~StatusSink() = default;
    // An empty text clears the status line.
    virtual void setStatus(const QString &text) = 0;

    // Shows the text through the installed sink.
    static void show(const QString &text);

    static StatusSink &instance();
    // Replaces the process sink; nullptr returns to the silent default.
    static void setInstance(std::shared_ptr<StatusSink> sink);
};
