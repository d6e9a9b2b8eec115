#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QVariantMap>
#include <memory>

class SimpleNodeData;
class SimpleTreeNode;
class TreeNode;

// The message tree of a feed (groups of "kind::text" messages) as an outline: one column,
// "NameColumn". A message shows as "kind - text" in its kind's colour; group titles show as they
// are. Rows are looked up through a table built once per tree, so a list of thousands of
// messages scrolls without walking the children again.
class MessageOutlineModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    explicit MessageOutlineModel(QObject *parent = nullptr);
    ~MessageOutlineModel() override;

    // Replaces the tree by one built from {"Group": ..., "Entries": ...}.
    void setTree(const QVariantMap &dictionary);
    const std::shared_ptr<SimpleTreeNode> &tree() const { return m_root; }

    TreeNode *nodeForIndex(const QModelIndex &index) const;
    static std::shared_ptr<SimpleNodeData> dataOf(const TreeNode *node);

    // A message's kind ("Automatic Repair", ...) and its colour; an invalid colour for texts
    // without "::" and for kinds without one.
    static QColor colourForName(const QString &name);
    // The first "::" shown as " - ".
    static QString displayName(const QString &name);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static const QString kNameColumn;

private:
    TreeNode *nodeOrRoot(const QModelIndex &index) const;
    void indexRows(const TreeNode *node);

    std::shared_ptr<SimpleTreeNode> m_root;
    QHash<const TreeNode *, int> m_rows;
};
