#pragma once

// The progress control a foreground transfer animates while bytes arrive. Core knows only this
// interface; the window layer wraps its own progress bar in it.
class URLProgressIndicator
{
public:
    virtual ~URLProgressIndicator() = default;

    virtual bool isIndeterminate() const = 0;
    virtual void setIndeterminate(bool indeterminate) = 0;
    // One step of animation for a chunk of bytes received.
    virtual void advance() = 0;
    // Paint now: a foreground load blocks the event loop, so the control cannot wait for it.
    virtual void redraw() = 0;
};
