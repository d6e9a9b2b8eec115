#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// The iTunes category tree: the resource ":/tables/iTunesCategory.plist", a property list in the
// message-tree form {"Group": title, "Entries": [...]} whose entries are a dictionary per
// category with sub-categories (its "Entries" are their names, "All" first) or the plain name of
// a category without any. Beside the directory's categories as they are now ("Entries", what
// the sheet offers) it keeps, in the same form, those of the directory before ("Earlier"): feeds,
// defaults and the wizard still carry them, so they stay valid (reading a feed moves them on to
// today's names, see iTunesRetiredCategories).
// Read once; a missing or unreadable resource is an empty tree.
class iTunesCategoryTree
{
public:
    iTunesCategoryTree() = delete;

    // The whole tree, for outline views.
    static const QVariantMap &tree();
    // The current category names in tree order (the earlier ones are not offered).
    static QStringList categories();
    // The sub-category names of a category, "All" included; empty for a category without
    // sub-categories or one the tree does not hold.
    static QStringList subCategories(const QString &category);
    // Whether today's directory (what the sheet offers) holds the category and, when a
    // sub-category is given, that sub-category under it.
    static bool offers(const QString &category, const QString &subCategory);
    // Whether either list of the tree holds the category and, when a sub-category is given,
    // that sub-category under it. Names compare exactly.
    static bool contains(const QString &category, const QString &subCategory);

    // The tree a property list describes; empty when it describes none.
    static QVariantMap treeFromPropertyList(const QByteArray &bytes);

    static const QString kAll; // "All": the category alone
};
