#include "ui/TreeNode.h"

#include "ui/SimpleNodeData.h"

#include <algorithm>

TreeNode::TreeNode(std::shared_ptr<TreeNodeData> data, TreeNode *parent, const QList<Ptr> &children)
    : m_data(std::move(data)), m_parent(parent), m_children(children)
{
}

TreeNode::~TreeNode()
{
    for (const Ptr &child : std::as_const(m_children)) {
        if (child->m_parent == this)
            child->m_parent = nullptr;
    }
}

TreeNode::Ptr TreeNode::treeNodeWithData(std::shared_ptr<TreeNodeData> data)
{
    return std::make_shared<TreeNode>(std::move(data));
}

void TreeNode::insertChild(const Ptr &child, qsizetype index)
{
    if (!child)
        return;
    m_children.insert(qBound<qsizetype>(0, index, m_children.size()), child);
    child->m_parent = this;
}

void TreeNode::insertChildren(const QList<Ptr> &children, qsizetype index)
{
    for (const Ptr &child : children)
        insertChild(child, index++);
}

void TreeNode::removeChild(const TreeNode *child)
{
    if (indexOfChild(child) < 0)
        return;
    for (const Ptr &node : std::as_const(m_children)) {
        if (node.get() == child)
            node->m_parent = nullptr;
    }
    m_children.removeIf([child](const Ptr &node) { return node.get() == child; });
}

void TreeNode::removeFromParent()
{
    if (m_parent)
        m_parent->removeChild(this);
}

qsizetype TreeNode::indexOfChild(const TreeNode *child) const
{
    for (qsizetype i = 0; i < m_children.size(); ++i) {
        if (m_children[i].get() == child)
            return i;
    }
    return -1;
}

bool TreeNode::isDescendantOfNode(const TreeNode *node) const
{
    for (const TreeNode *walk = this; walk; walk = walk->m_parent) {
        if (walk == node)
            return true;
    }
    return false;
}

bool TreeNode::isDescendantOfNodeInArray(const QList<Ptr> &nodes) const
{
    return std::any_of(nodes.begin(), nodes.end(),
                       [this](const Ptr &node) { return isDescendantOfNode(node.get()); });
}

int TreeNode::compare(const TreeNode &other) const
{
    if (!m_data || !other.m_data)
        return 0;
    return m_data->compare(*other.m_data);
}

void TreeNode::recursiveSortChildren()
{
    std::stable_sort(m_children.begin(), m_children.end(),
                     [](const Ptr &a, const Ptr &b) { return a->compare(*b) < 0; });
    for (const Ptr &child : std::as_const(m_children))
        child->recursiveSortChildren();
}

QString TreeNode::description() const
{
    const auto *named = dynamic_cast<const SimpleNodeData *>(m_data.get());
    return QStringLiteral("{%1}").arg(named ? named->description() : QString());
}

QList<TreeNode::Ptr> TreeNode::minimumNodeCoverFromNodesInArray(const QList<Ptr> &nodes)
{
    QList<Ptr> cover;
    QList<Ptr> work = nodes;
    auto contains = [&work](const TreeNode *node) {
        return std::any_of(work.begin(), work.end(),
                           [node](const Ptr &p) { return p.get() == node; });
    };
    auto removeFromWork = [&work](const TreeNode *node) {
        work.removeIf([node](const Ptr &p) { return p.get() == node; });
    };
    while (!work.isEmpty()) {
        Ptr node = work.takeFirst();
        while (node->m_parent && contains(node->m_parent)) {
            Ptr parent = node->m_parent->weak_from_this().lock();
            if (!parent)
                break;
            removeFromWork(node.get());
            node = parent;
        }
        if (!node->isDescendantOfNodeInArray(cover))
            cover.append(node);
        removeFromWork(node.get());
    }
    return cover;
}
