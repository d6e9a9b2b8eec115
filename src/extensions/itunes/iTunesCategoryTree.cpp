#include "extensions/itunes/iTunesCategoryTree.h"

#include "platform/PropertyList.h"
#include "resources/TableResources.h"

#include <QFile>
#include <optional>

const QString iTunesCategoryTree::kAll = QStringLiteral("All");

namespace {
const QString kGroup = QStringLiteral("Group");
const QString kEntries = QStringLiteral("Entries");
const QString kEarlier = QStringLiteral("Earlier");

QString nameOf(const QVariant &entry)
{
    return entry.typeId() == QMetaType::QVariantMap ? entry.toMap().value(kGroup).toString()
                                                    : entry.toString();
}

// The entry of a category in one list of the tree: its dictionary, or its name alone.
std::optional<QVariant> findCategory(const QString &category, const QString &list = kEntries)
{
    for (const QVariant &entry : iTunesCategoryTree::tree().value(list).toList()) {
        if (nameOf(entry) == category)
            return entry;
    }
    return std::nullopt;
}

QStringList subCategoriesOf(const std::optional<QVariant> &entry)
{
    QStringList names;
    if (entry && entry->typeId() == QMetaType::QVariantMap) {
        for (const QVariant &name : entry->toMap().value(kEntries).toList())
            names.append(name.toString());
    }
    return names;
}
} // namespace

QVariantMap iTunesCategoryTree::treeFromPropertyList(const QByteArray &bytes)
{
    bool ok = false;
    const QVariant value = PropertyList::parse(bytes, &ok);
    if (!ok || value.typeId() != QMetaType::QVariantMap)
        return {};
    const QVariantMap map = value.toMap();
    if (map.value(kEntries).typeId() != QMetaType::QVariantList)
        return {};
    return map;
}

const QVariantMap &iTunesCategoryTree::tree()
{
    static const QVariantMap kTree = [] {
        TableResources::init();
        QFile file(QStringLiteral(":/tables/iTunesCategory.plist"));
        if (!file.open(QIODevice::ReadOnly))
            return QVariantMap();
        return treeFromPropertyList(file.readAll());
    }();
    return kTree;
}

QStringList iTunesCategoryTree::categories()
{
    QStringList names;
    for (const QVariant &entry : tree().value(kEntries).toList())
        names.append(nameOf(entry));
    return names;
}

QStringList iTunesCategoryTree::subCategories(const QString &category)
{
    return subCategoriesOf(findCategory(category));
}

bool iTunesCategoryTree::offers(const QString &category, const QString &subCategory)
{
    const std::optional<QVariant> entry = findCategory(category);
    return entry && (subCategory.isEmpty() || subCategoriesOf(entry).contains(subCategory));
}

bool iTunesCategoryTree::contains(const QString &category, const QString &subCategory)
{
    for (const QString &list : {kEntries, kEarlier}) {
        const std::optional<QVariant> entry = findCategory(category, list);
        if (entry && (subCategory.isEmpty() || subCategoriesOf(entry).contains(subCategory)))
            return true;
    }
    return false;
}
