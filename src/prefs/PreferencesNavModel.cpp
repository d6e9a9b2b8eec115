#include "prefs/PreferencesNavModel.h"

#include "prefs/PreferencesNavigation.h"
#include "ui/SimpleNodeData.h"

PreferencesNavModel::PreferencesNavModel(QObject *parent) : QAbstractItemModel(parent) { }

void PreferencesNavModel::setTree(TreeNode::Ptr root)
{
    beginResetModel();
    m_root = std::move(root);
    endResetModel();
}

TreeNode *PreferencesNavModel::nodeAt(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<TreeNode *>(index.internalPointer()) : m_root.get();
}

QModelIndex PreferencesNavModel::indexOf(const TreeNode *node) const
{
    if (!node || node == m_root.get() || !node->nodeParent())
        return {};
    const qsizetype row = node->nodeParent()->indexOfChild(node);
    return row < 0 ? QModelIndex() : createIndex(int(row), 0, const_cast<TreeNode *>(node));
}

QModelIndex PreferencesNavModel::index(int row, int column, const QModelIndex &parent) const
{
    const TreeNode *owner = nodeAt(parent);
    if (!owner || column != 0 || row < 0 || row >= owner->numberOfChildren())
        return {};
    return createIndex(row, 0, owner->childAtIndex(row).get());
}

QModelIndex PreferencesNavModel::parent(const QModelIndex &child) const
{
    const TreeNode *node = nodeAt(child);
    if (!child.isValid() || !node)
        return {};
    return indexOf(node->nodeParent());
}

int PreferencesNavModel::rowCount(const QModelIndex &parent) const
{
    const TreeNode *node = nodeAt(parent);
    return node ? int(node->numberOfChildren()) : 0;
}

int PreferencesNavModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool PreferencesNavModel::hasChildren(const QModelIndex &parent) const
{
    const TreeNode *node = nodeAt(parent);
    if (!parent.isValid())
        return node && node->numberOfChildren() > 0;
    const auto data = node ? std::dynamic_pointer_cast<SimpleNodeData>(node->nodeData()) : nullptr;
    return data && data->isExpandable() && node->numberOfChildren() > 0;
}

QVariant PreferencesNavModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return PreferencesNavigation::label(PreferencesNavigation::nameOf(nodeAt(index)));
}
