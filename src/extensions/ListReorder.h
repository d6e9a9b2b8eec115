#pragma once

#include <QList>
#include <optional>

// Moving one row of a list by drag and drop, as every list table of the panes does it. The drop
// row is where the row lands above (0 to the list's size). A drop on the row's own place (the
// row itself or the one after it) is no move at all.
class ListReorder
{
public:
    ListReorder() = delete;

    // The list with the row moved, and the index the row now has; nullopt when nothing moves
    // or an index is out of range.
    template<class T>
    static std::optional<std::pair<QList<T>, int>> moved(const QList<T> &list, int from,
                                                         int dropRow)
    {
        const int target = movedIndex(int(list.size()), from, dropRow);
        if (target < 0)
            return std::nullopt;
        QList<T> result = list;
        result.move(from, target);
        return std::make_pair(result, target);
    }

    // Where the row at from ends up when dropped above dropRow; -1 when it does not move.
    static int movedIndex(int size, int from, int dropRow)
    {
        if (from < 0 || from >= size || dropRow < 0 || dropRow > size || dropRow == from
            || dropRow == from + 1)
            return -1;
        return dropRow > from ? dropRow - 1 : dropRow;
    }
};
