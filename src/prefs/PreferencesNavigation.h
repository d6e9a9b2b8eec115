#pragma once

#include "ui/TreeNode.h"

#include <QString>
#include <QVariantMap>

struct CurrentFeedExtensions;

// The navigation tree of the preferences window: read from the resource "PreferencesNav" (a
// property list {"Group": name, "Entries": [name or nested group, ...]}) at every opening, and
// pruned of the current feed's item extension rows the feed does not use.
//
// A node's name is Label "::" PageIdentifier: the row shows the label, and selecting it shows
// the page with that identifier. A name without "::" is shown whole and selects no page.
class PreferencesNavigation
{
public:
    // The tree read from the resource; an unreadable or missing resource gives an empty root.
    static TreeNode::Ptr readTree();
    static TreeNode::Ptr treeFromPropertyList(const QByteArray &bytes);
    static QVariantMap resourceDictionary();

    // Removes the rows of the extensions the feed does not use (and "Other Extensions" when it
    // has no other namespace) from "Item Extensions" of "Current Feed"; the node itself stays.
    // Nothing changes when the feed uses all of them or a node is missing.
    static void prune(const TreeNode::Ptr &root, const CurrentFeedExtensions &used);

    static QString nameOf(const TreeNode *node);
    // The text before the first "::", or the whole name.
    static QString label(const QString &name);
    // The text after the first "::"; empty when the name has none.
    static QString pageIdentifier(const QString &name);
    // The first node (depth first) that selects the page, or null.
    static TreeNode *nodeForPage(const TreeNode::Ptr &root, const QString &identifier);

    // The names pruning looks for.
    static const QString kCurrentFeed;
    static const QString kItemExtensions;
    static const QString kOtherExtensions;
    static const QString kITunes;
    static const QString kMediaRSS;
    static const QString kContent;
    static const QString kDublinCore;
    static const QString kCreativeCommons;
};
