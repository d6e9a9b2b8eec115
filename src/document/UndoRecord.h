#pragma once

#include <functional>

// One undo record: applying it puts back the state it captured and answers the record that
// reverses what it just did (built from the state before it applied), so the same kind of record
// serves undo and redo. A record without an apply function does nothing.
struct UndoRecord
{
    std::function<UndoRecord()> apply;

    explicit operator bool() const { return bool(apply); }
};
