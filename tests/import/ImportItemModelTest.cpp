// The import list's model: marks belong to items, whatever the order shown.
#include "import/ImportItemModel.h"

#include "model/VLXFeed.h"
#include "model/VLXItems.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

std::shared_ptr<VLXFeed> feedOf(const QList<QPair<QString, QString>> &items)
{
    auto feed = std::make_shared<VLXFeed>();
    for (const auto &[title, date] : items) {
        auto item = std::make_shared<VLXItems>();
        item->setTitle(title);
        item->setPubDate(date);
        feed->addItem(item);
    }
    return feed;
}

QStringList rows(const ImportItemModel &model)
{
    QStringList titles;
    for (int row = 0; row < model.itemCount(); ++row)
        titles << model.itemAtRow(row)->title() + (model.isMarked(row) ? "*" : "");
    return titles;
}

const QList<QPair<QString, QString>> kItems {
    {"Delta", "Mon, 07 Dec 2026 09:00:00 +0000"},
    {"alpha", "Wed, 02 Dec 2026 09:00:00 +0000"},
    {"Charlie", "not a date"},
    {"Bravo", "Sun, 06 Dec 2026 09:00:00 +0000"},
};

TEST(ImportItemModel, MarksFollowTheirItemsThroughEverySort)
{
    ImportItemModel model;
    model.setFeed(feedOf(kItems));
    EXPECT_EQ(rows(model), (QStringList {"Delta", "alpha", "Charlie", "Bravo"}));
    model.toggleMark(1); // alpha
    model.setMarked(3, true); // Bravo
    EXPECT_EQ(model.markedCount(), 2);

    model.sortItems(ImportItemModel::Order::PubDate);
    // Newest first; the item without a date goes last.
    EXPECT_EQ(rows(model), (QStringList {"Delta", "Bravo*", "alpha*", "Charlie"}));
    model.sortItems(ImportItemModel::Order::Title);
    EXPECT_EQ(rows(model), (QStringList {"Bravo*", "Charlie", "Delta", "alpha*"}));
    // Marked in this order, imported in this order.
    EXPECT_EQ(model.markedSourceIndexes(), (std::vector<int> {3, 1}));
    model.toggleMark(2); // Delta
    model.sortItems(ImportItemModel::Order::Original);
    EXPECT_EQ(rows(model), (QStringList {"Delta*", "alpha*", "Charlie", "Bravo*"}));

    model.markAll(false);
    EXPECT_EQ(model.markedCount(), 0);
    model.sortItems(ImportItemModel::Order::PubDate);
    model.markAll(true);
    model.sortItems(ImportItemModel::Order::Title);
    EXPECT_EQ(rows(model), (QStringList {"Bravo*", "Charlie*", "Delta*", "alpha*"}));
    EXPECT_EQ(model.markedCount(), 4);

    // A new feed starts unmarked, in its own order.
    model.setFeed(feedOf({{"Only", ""}}));
    EXPECT_EQ(rows(model), QStringList {"Only"});
    EXPECT_EQ(model.order(), ImportItemModel::Order::Original);
}

TEST(ImportItemModel, MarkingByDateSetsOnlyAndSkipsItemsWithoutADate)
{
    ImportItemModel model;
    model.setFeed(feedOf(kItems));
    model.sortItems(ImportItemModel::Order::Title);
    model.setMarked(3, true); // alpha, older than the moment: stays marked
    const QDateTime moment(QDate(2026, 12, 6), QTime(9, 0), Qt::UTC);
    // Bravo is exactly at the moment: not after it.
    EXPECT_EQ(model.markItemsAfter(moment), 1);
    EXPECT_EQ(rows(model), (QStringList {"Bravo", "Charlie", "Delta*", "alpha*"}));
    EXPECT_EQ(model.markItemsAfter(moment.addSecs(-1)), 1);
    EXPECT_EQ(rows(model), (QStringList {"Bravo*", "Charlie", "Delta*", "alpha*"}));
    EXPECT_EQ(model.markItemsAfter(QDateTime(QDate(1971, 1, 1), QTime(0, 0), Qt::UTC)), 0);
    EXPECT_FALSE(model.isMarked(1)); // Charlie has no readable date
    EXPECT_EQ(model.markedCount(), 3);
}

TEST(ImportItemModel, TheListShowsTitlesAndDates)
{
    ImportItemModel model;
    model.setFeed(feedOf(kItems));
    EXPECT_EQ(model.data(model.index(0, ImportItemModel::ItemTitle), Qt::DisplayRole), "Delta");
    EXPECT_EQ(model.data(model.index(0, ImportItemModel::PubDate), Qt::DisplayRole).toString(),
              QDateTime(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC)
                  .toLocalTime()
                  .toString("MM/dd/yyyy HH:mm:ss"));
    EXPECT_EQ(model.data(model.index(2, ImportItemModel::PubDate), Qt::DisplayRole).toString(), "");
    // The check box column takes clicks.
    const QModelIndex box = model.index(2, ImportItemModel::CheckBox);
    EXPECT_TRUE(model.flags(box) & Qt::ItemIsUserCheckable);
    EXPECT_TRUE(model.setData(box, Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(model.data(box, Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_FALSE(model.setData(model.index(2, ImportItemModel::ItemTitle), "x", Qt::EditRole));
    EXPECT_EQ(ImportItemModel::shownDate("Sat, 05 Dec 2026 23:15:07 +0000"),
              QDateTime(QDate(2026, 12, 5), QTime(23, 15, 7), Qt::UTC)
                  .toLocalTime()
                  .toString("MM/dd/yyyy HH:mm:ss"));
}

} // namespace
