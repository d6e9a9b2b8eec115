#pragma once

#include "ui/TreeNodeData.h"

#include <QIcon>
#include <QString>
#include <memory>

// A named payload: a leaf (a message, a category) or a group that can be expanded.
class SimpleNodeData : public TreeNodeData
{
public:
    SimpleNodeData(const QString &name, bool isLeaf)
        : m_name(name), m_isLeaf(isLeaf), m_isExpandable(!isLeaf)
    {
    }
    static std::shared_ptr<SimpleNodeData> leafDataWithName(const QString &name);
    static std::shared_ptr<SimpleNodeData> groupDataWithName(const QString &name);

    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    QIcon iconRep() const { return m_iconRep; }
    void setIconRep(const QIcon &icon) { m_iconRep = icon; }
    bool isLeaf() const { return m_isLeaf; }
    void setIsLeaf(bool leaf) { m_isLeaf = leaf; }
    bool isGroup() const { return !m_isLeaf; }
    bool isExpandable() const { return m_isExpandable; }
    void setIsExpandable(bool expandable) { m_isExpandable = expandable; }
    QString description() const { return m_name; }

    // By name; against a payload without a name, the base rule (equal).
    int compare(const TreeNodeData &other) const override;

private:
    QString m_name;
    QIcon m_iconRep;
    bool m_isLeaf;
    bool m_isExpandable;
};
