#pragma once

#include "ui/TreeNodeData.h"

#include <QList>
#include <QString>
#include <memory>

// A node of an outline tree. A node owns its payload and its children; a child knows its parent
// without owning it. Children are shared pointers so a caller can hold a node it took out.
class TreeNode : public std::enable_shared_from_this<TreeNode>
{
public:
    using Ptr = std::shared_ptr<TreeNode>;

    explicit TreeNode(std::shared_ptr<TreeNodeData> data = {}, TreeNode *parent = nullptr,
                      const QList<Ptr> &children = {});
    virtual ~TreeNode();
    static Ptr treeNodeWithData(std::shared_ptr<TreeNodeData> data);

    std::shared_ptr<TreeNodeData> nodeData() const { return m_data; }
    void setNodeData(std::shared_ptr<TreeNodeData> data) { m_data = std::move(data); }
    TreeNode *nodeParent() const { return m_parent; }
    void setNodeParent(TreeNode *parent) { m_parent = parent; }

    void insertChild(const Ptr &child, qsizetype index);
    void insertChildren(const QList<Ptr> &children, qsizetype index);
    void removeChild(const TreeNode *child);
    void removeFromParent();
    // -1 when absent; children are compared by identity, which is their equality too.
    qsizetype indexOfChild(const TreeNode *child) const;
    qsizetype indexOfChildIdenticalTo(const TreeNode *child) const { return indexOfChild(child); }
    qsizetype numberOfChildren() const { return m_children.size(); }
    QList<Ptr> children() const { return m_children; }
    Ptr firstChild() const { return m_children.value(0); }
    Ptr lastChild() const { return m_children.isEmpty() ? Ptr() : m_children.last(); }
    Ptr childAtIndex(qsizetype index) const { return m_children.value(index); }

    bool isDescendantOfNode(const TreeNode *node) const;
    bool isDescendantOfNodeInArray(const QList<Ptr> &nodes) const;
    // Sorts every level by the payloads' order; equal payloads keep their order.
    void recursiveSortChildren();
    int compare(const TreeNode &other) const;
    QString description() const;

    static QList<Ptr> minimumNodeCoverFromNodesInArray(const QList<Ptr> &nodes);

private:
    std::shared_ptr<TreeNodeData> m_data;
    TreeNode *m_parent;
    QList<Ptr> m_children;
};
