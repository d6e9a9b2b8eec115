#include "ui/SimpleTreeNode.h"

#include "ui/SimpleNodeData.h"

#include <QVariantList>

SimpleTreeNode::SimpleTreeNode(const QVariantMap &dictionary)
    : TreeNode(
        SimpleNodeData::groupDataWithName(dictionary.value(QStringLiteral("Group")).toString()))
{
    const QVariantList entries = dictionary.value(QStringLiteral("Entries")).toList();
    for (const QVariant &entry : entries) {
        TreeNode::Ptr child;
        if (entry.metaType().id() == QMetaType::QVariantMap)
            child = std::make_shared<SimpleTreeNode>(entry.toMap());
        else
            child = TreeNode::treeNodeWithData(SimpleNodeData::leafDataWithName(entry.toString()));
        insertChild(child, numberOfChildren());
    }
}

std::shared_ptr<SimpleTreeNode> SimpleTreeNode::treeFromDictionary(const QVariantMap &dictionary)
{
    return std::make_shared<SimpleTreeNode>(dictionary);
}
