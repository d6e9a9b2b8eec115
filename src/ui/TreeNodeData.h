#pragma once

// The payload of an outline node. The base payload has no order of its own: it compares equal to
// everything, so sorting keeps its nodes as they are (a comparator that always answered "less"
// would be inconsistent and could break the sort).
class TreeNodeData
{
public:
    virtual ~TreeNodeData() = default;
    // Negative, zero or positive as this payload sorts before, with or after the other.
    virtual int compare(const TreeNodeData &other) const;
};
