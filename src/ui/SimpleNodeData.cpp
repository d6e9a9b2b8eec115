#include "ui/SimpleNodeData.h"

std::shared_ptr<SimpleNodeData> SimpleNodeData::leafDataWithName(const QString &name)
{
    return std::make_shared<SimpleNodeData>(name, true);
}

std::shared_ptr<SimpleNodeData> SimpleNodeData::groupDataWithName(const QString &name)
{
    return std::make_shared<SimpleNodeData>(name, false);
}

int SimpleNodeData::compare(const TreeNodeData &other) const
{
    const auto *named = dynamic_cast<const SimpleNodeData *>(&other);
    if (!named)
        return TreeNodeData::compare(other);
    return m_name.compare(named->m_name);
}
