#pragma once

#include <QThreadPool>

#include <utility>

// A text or byte array of a big feed is given back on a pool thread: returning a hundred
// megabytes to the system takes the window's thread tens of milliseconds. Smaller ones stay
// with the caller, freed as usual.
template<typename Buffer> void freeAside(Buffer &&buffer)
{
    constexpr qsizetype kFreedAside = 4 * 1024 * 1024;
    if (buffer.size() < kFreedAside)
        return;
    QThreadPool::globalInstance()->start([held = std::move(buffer)]() mutable { held = {}; });
}
