#pragma once

#include "ui/TreeNode.h"

#include <QVariantMap>

// A tree of named payloads built from a message tree: {"Group": title, "Entries": [text or
// nested message tree, ...]}.
class SimpleTreeNode : public TreeNode
{
public:
    explicit SimpleTreeNode(const QVariantMap &dictionary);
    static std::shared_ptr<SimpleTreeNode> treeFromDictionary(const QVariantMap &dictionary);
};
