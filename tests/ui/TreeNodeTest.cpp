#include "ui/SimpleNodeData.h"
#include "ui/SimpleTreeNode.h"

#include <QVariantList>
#include <gtest/gtest.h>

namespace {
QString nameOf(const TreeNode::Ptr &node)
{
    return std::static_pointer_cast<SimpleNodeData>(node->nodeData())->name();
}
} // namespace

TEST(TreeNode, BuildsFromAMessageTree)
{
    const QVariantMap inner {{"Group", "I"}, {"Entries", QVariantList {"b"}}};
    const QVariantMap tree {{"Group", "E"}, {"Entries", QVariantList {"a", inner}}};
    auto root = SimpleTreeNode::treeFromDictionary(tree);
    auto rootData = std::static_pointer_cast<SimpleNodeData>(root->nodeData());
    EXPECT_EQ(rootData->name(), "E");
    EXPECT_TRUE(rootData->isExpandable());
    ASSERT_EQ(root->numberOfChildren(), 2);
    auto a = root->childAtIndex(0);
    auto group = root->childAtIndex(1);
    EXPECT_EQ(nameOf(a), "a");
    EXPECT_TRUE(std::static_pointer_cast<SimpleNodeData>(a->nodeData())->isLeaf());
    EXPECT_FALSE(std::static_pointer_cast<SimpleNodeData>(a->nodeData())->isExpandable());
    EXPECT_EQ(nameOf(group), "I");
    ASSERT_EQ(group->numberOfChildren(), 1);
    EXPECT_EQ(nameOf(group->firstChild()), "b");
    EXPECT_EQ(a->nodeParent(), root.get());
    EXPECT_EQ(group->firstChild()->nodeParent(), group.get());
    EXPECT_TRUE(group->firstChild()->isDescendantOfNode(root.get()));
    EXPECT_EQ(root->description(), "{E}");

    auto bare = SimpleTreeNode::treeFromDictionary({});
    EXPECT_EQ(bare->numberOfChildren(), 0);
}

TEST(TreeNode, RemovingAndMinimumCover)
{
    auto a = TreeNode::treeNodeWithData(SimpleNodeData::groupDataWithName("A"));
    auto b = TreeNode::treeNodeWithData(SimpleNodeData::leafDataWithName("B"));
    auto c = TreeNode::treeNodeWithData(SimpleNodeData::leafDataWithName("C"));
    a->insertChild(b, 0);
    a->removeChild(c.get());
    EXPECT_EQ(a->numberOfChildren(), 1);

    const auto cover = TreeNode::minimumNodeCoverFromNodesInArray({b, a, c});
    ASSERT_EQ(cover.size(), 2);
    EXPECT_EQ(cover[0], a);
    EXPECT_EQ(cover[1], c);

    b->removeFromParent();
    EXPECT_EQ(a->numberOfChildren(), 0);
    EXPECT_EQ(b->nodeParent(), nullptr);
}

TEST(TreeNode, SortingOrdersNamesAndLeavesUnorderedPayloadsAsTheyAre)
{
    auto root = TreeNode::treeNodeWithData(SimpleNodeData::groupDataWithName("root"));
    for (const char *name : {"delta", "alpha", "charlie", "bravo"})
        root->insertChild(TreeNode::treeNodeWithData(SimpleNodeData::leafDataWithName(name)),
                          root->numberOfChildren());
    root->recursiveSortChildren();
    QStringList names;
    for (const auto &child : root->children())
        names << nameOf(child);
    EXPECT_EQ(names, (QStringList {"alpha", "bravo", "charlie", "delta"}));

    // Payloads without an order compare equal: a sort keeps them exactly as they were, however
    // many there are (an always-"less" comparator could crash the sort instead).
    auto plain = TreeNode::treeNodeWithData(std::make_shared<TreeNodeData>());
    QList<TreeNode *> order;
    for (int i = 0; i < 200; ++i) {
        auto child = TreeNode::treeNodeWithData(std::make_shared<TreeNodeData>());
        order << child.get();
        plain->insertChild(child, plain->numberOfChildren());
    }
    plain->recursiveSortChildren();
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(plain->childAtIndex(i).get(), order[i]);
}
