// Sorting the items by the content of one of their elements, and the catalogue of sortable
// elements.

#include "model/VLXFeed.h"

#include "model/VLXItems.h"

#include <algorithm>

namespace {
const QString kWellSupported = QStringLiteral("wellSupported");
const QString kSortTags = QStringLiteral("sortTags");
const QString kChildren = QStringLiteral("children");
} // namespace

void VLXFeed::setSortStringToField(const QString &field)
{
    for (const auto &item : m_items)
        item->setSortStringToField(field);
}

void VLXFeed::setSortNumberToField(const QString &field)
{
    for (const auto &item : m_items)
        item->setSortNumberToField(field);
}

// Texts become their ranks in literal (code unit, case-sensitive) order, so the order test and
// the sort use the very same comparison and a sort never reports a change it does not make.
std::vector<double> VLXFeed::sortKeys(const QString &field, bool asText)
{
    std::vector<double> keys;
    keys.reserve(m_items.size());
    if (!asText) {
        setSortNumberToField(field);
        for (const auto &item : m_items)
            keys.push_back(item->sortingNumber());
        return keys;
    }
    setSortStringToField(field);
    std::vector<QString> distinct;
    distinct.reserve(m_items.size());
    for (const auto &item : m_items)
        distinct.push_back(item->sortingString());
    std::sort(distinct.begin(), distinct.end(),
              [](const QString &a, const QString &b) { return QString::compare(a, b) < 0; });
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    for (const auto &item : m_items) {
        const auto at = std::lower_bound(
            distinct.begin(), distinct.end(), item->sortingString(),
            [](const QString &a, const QString &b) { return QString::compare(a, b) < 0; });
        keys.push_back(double(at - distinct.begin()));
    }
    return keys;
}

bool VLXFeed::keysInOrder(const std::vector<double> &keys, bool ascending)
{
    for (size_t i = 0; i + 1 < keys.size(); ++i) {
        if (ascending ? keys[i] > keys[i + 1] : keys[i] < keys[i + 1])
            return false;
    }
    return true;
}

bool VLXFeed::itemsStringSortedAscByField(const QString &field)
{
    return keysInOrder(sortKeys(field, true), true);
}

bool VLXFeed::itemsStringSortedDescByField(const QString &field)
{
    return keysInOrder(sortKeys(field, true), false);
}

bool VLXFeed::itemsNumberSortedAscByField(const QString &field)
{
    return keysInOrder(sortKeys(field, false), true);
}

bool VLXFeed::itemsNumberSortedDescByField(const QString &field)
{
    return keysInOrder(sortKeys(field, false), false);
}

bool VLXFeed::sortItemsByStringField(const QString &field, bool inAscending)
{
    return sortItemsByField(field, true, inAscending);
}

bool VLXFeed::sortItemsByNumberField(const QString &field, bool inAscending)
{
    return sortItemsByField(field, false, inAscending);
}

bool VLXFeed::sortItemsByField(const QString &field, bool asText, bool ascending)
{
    std::vector<double> keys = sortKeys(field, asText);
    if (keysInOrder(keys, ascending))
        return false;
    // The exchange sort that defines the resulting order, equal keys included: every position
    // in turn is compared with each later one and the two are exchanged when out of order.
    const int n = int(keys.size());
    std::vector<int> order(n);
    for (int i = 0; i < n; ++i)
        order[i] = i;
    for (int i = 0; i + 1 < n; ++i) {
        double current = keys[i];
        int currentItem = order[i];
        for (int j = i + 1; j < n; ++j) {
            if (ascending ? current > keys[j] : current < keys[j]) {
                std::swap(current, keys[j]);
                std::swap(currentItem, order[j]);
            }
        }
        keys[i] = current;
        order[i] = currentItem;
    }
    ItemList sorted;
    sorted.reserve(n);
    for (int i = 0; i < n; ++i)
        sorted.append(m_items.at(order[i]));
    m_items = std::move(sorted);
    return true;
}

QVariantMap VLXFeed::findSortableTags() const
{
    if (m_items.isEmpty())
        return {};
    QVariantMap result = m_items.first()->findSortableTags();
    for (int i = 1; i < m_items.size(); ++i) {
        const QVariantMap catalogue = m_items.at(i)->findSortableTags();
        for (auto ns = result.begin(); ns != result.end(); ++ns) {
            const auto theirs = catalogue.constFind(ns.key());
            if (theirs != catalogue.cend() && theirs->toMap().value(kWellSupported).toBool())
                continue;
            if (theirs == catalogue.cend())
                continue;
            // Namespaces without a class of their own learn their tags from every item.
            QVariantMap record = ns.value().toMap();
            QVariantMap tags = record.value(kSortTags).toMap();
            const QVariantMap theirTags = theirs->toMap().value(kSortTags).toMap();
            for (auto tag = theirTags.cbegin(); tag != theirTags.cend(); ++tag) {
                const auto mine = tags.constFind(tag.key());
                if (mine == tags.cend())
                    tags.insert(tag.key(), tag.value());
                else if (tag.value().toMap().value(kChildren).toBool()
                         && !mine->toMap().value(kChildren).toBool())
                    tags.insert(tag.key(), tag.value());
            }
            record.insert(kSortTags, tags);
            ns.value() = record;
        }
    }
    return result;
}

QVariantMap VLXFeed::findSortableTagsWithoutChildern() const
{
    QVariantMap result = findSortableTags();
    for (auto ns = result.begin(); ns != result.end(); ++ns) {
        QVariantMap record = ns.value().toMap();
        QVariantMap tags = record.value(kSortTags).toMap();
        for (auto tag = tags.begin(); tag != tags.end();) {
            if (tag.value().toMap().value(kChildren).toBool())
                tag = tags.erase(tag);
            else
                ++tag;
        }
        record.insert(kSortTags, tags);
        ns.value() = record;
    }
    return result;
}
