#pragma once

#include "ui/TreeNode.h"

#include <QAbstractItemModel>

// The navigation outline's model over the tree of PreferencesNavigation: one column showing
// each node's label; group nodes have children.
class PreferencesNavModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit PreferencesNavModel(QObject *parent = nullptr);

    void setTree(TreeNode::Ptr root);
    TreeNode::Ptr tree() const { return m_root; }
    TreeNode *nodeAt(const QModelIndex &index) const;
    QModelIndex indexOf(const TreeNode *node) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;

private:
    TreeNode::Ptr m_root;
};
