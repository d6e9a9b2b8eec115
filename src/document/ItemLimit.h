#pragma once

#include <QString>
#include <QtGlobal>

// The most items a feed may hold: as many as a feed may have when it is opened. Every way of
// adding items to the loaded feed asks here first, since a feed of more would be saved and then
// refused the next time it is opened. Several items that would cross the limit are refused
// whole, as the import refuses them.
class ItemLimit
{
public:
    // Whether `adding` more items fit beside the `count` the feed holds now. When they do not,
    // the user is told why ("Feed Too Large") and nothing may be added.
    static bool refuses(qint64 count, qint64 adding);
    // What the user is told when `adding` new items would make the feed `total` items long.
    static QString message(qint64 adding, qint64 total);
};
