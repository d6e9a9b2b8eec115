// Sorting the items by the content of one of their elements, and the catalogue of sortable
// elements.

#include "model/VLXFeed.h"

#include "model/VLXItems.h"

#include <algorithm>

namespace {
const QString kWellSupported = QStringLiteral("wellSupported");
const QString kSortTags = QStringLiteral("sortTags");
const QString kChildren = QStringLiteral("children");
// Items whose keys are taken between two looks at the progress.
constexpr qsizetype kSortStepsPerCheck = 64;
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
// The progress counts one step per item (of the total given, when there is one).
std::vector<double> VLXFeed::sortKeys(const QString &field, bool asText,
                                      const SortProgress &progress, qint64 total)
{
    std::vector<double> keys;
    const qsizetype n = m_items.size();
    keys.reserve(n);
    const auto stopped = [&](qsizetype done) {
        return progress && (done % kSortStepsPerCheck) == 0 && !progress(done, total ? total : n);
    };
    if (!asText) {
        for (qsizetype i = 0; i < n; ++i) {
            if (stopped(i))
                return {};
            m_items.at(i)->setSortNumberToField(field);
            keys.push_back(m_items.at(i)->sortingNumber());
        }
        return keys;
    }
    std::vector<QString> distinct;
    distinct.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        if (stopped(i))
            return {};
        m_items.at(i)->setSortStringToField(field);
        distinct.push_back(m_items.at(i)->sortingString());
    }
    const auto less = [](const QString &a, const QString &b) { return QString::compare(a, b) < 0; };
    std::vector<QString> texts = distinct;
    std::sort(distinct.begin(), distinct.end(), less);
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    for (const QString &text : texts) {
        const auto at = std::lower_bound(distinct.begin(), distinct.end(), text, less);
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
    const std::optional<std::vector<int>> order = sortOrder(field, asText, ascending);
    if (!order || order->empty())
        return false;
    reorderItems(*order);
    return true;
}

std::optional<std::vector<int>> VLXFeed::sortOrder(const QString &field, bool asText,
                                                   bool ascending, const SortProgress &progress)
{
    // The steps: one per item for its key, then the comparisons of the exchange sort.
    const qint64 n = m_items.size();
    const qint64 total = n + n * (n - 1) / 2;
    std::vector<double> keys = sortKeys(field, asText, progress, total);
    if (qint64(keys.size()) != n)
        return std::nullopt;
    if (keysInOrder(keys, ascending))
        return std::vector<int>();
    return exchangeOrder(std::move(keys), ascending, progress, n, total);
}

std::optional<std::vector<int>> VLXFeed::exchangeOrder(std::vector<double> keys, bool ascending,
                                                       const SortProgress &progress,
                                                       qint64 doneBefore, qint64 total)
{
    const int n = int(keys.size());
    if (total <= 0)
        total = doneBefore + qint64(n) * (n - 1) / 2;
    std::vector<int> order(n);
    for (int i = 0; i < n; ++i)
        order[i] = i;
    qint64 done = doneBefore;
    for (int i = 0; i + 1 < n; ++i) {
        if (progress && !progress(done, total))
            return std::nullopt;
        double current = keys[i];
        int currentItem = order[i];
        if (ascending) {
            for (int j = i + 1; j < n; ++j) {
                if (current > keys[j]) {
                    std::swap(current, keys[j]);
                    std::swap(currentItem, order[j]);
                }
            }
        } else {
            for (int j = i + 1; j < n; ++j) {
                if (current < keys[j]) {
                    std::swap(current, keys[j]);
                    std::swap(currentItem, order[j]);
                }
            }
        }
        keys[i] = current;
        order[i] = currentItem;
        done += n - 1 - i;
    }
    return order;
}

void VLXFeed::reorderItems(const std::vector<int> &order)
{
    if (qsizetype(order.size()) != m_items.size())
        return;
    ItemList sorted;
    sorted.reserve(m_items.size());
    for (const int at : order)
        sorted.append(m_items.at(at));
    m_items = std::move(sorted);
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
