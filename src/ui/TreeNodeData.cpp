#include "ui/TreeNodeData.h"

int TreeNodeData::compare(const TreeNodeData &) const
{
    return 0;
}
