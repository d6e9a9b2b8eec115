#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <memory>
#include <vector>

class VLXFeed;
class VLXItems;

// The items of the feed being imported from, in the order the user chose, each with its mark.
// A mark belongs to its item, not to a row: it follows the item through every re-sort, so what
// is imported is always what the user ticked. Columns "checkBox", "itemTitle" and "pubdate".
class ImportItemModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { CheckBox = 0, ItemTitle = 1, PubDate = 2, ColumnCount = 3 };
    enum class Order { Original = 0, PubDate = 1, Title = 2 };

    explicit ImportItemModel(QObject *parent = nullptr);
    ~ImportItemModel() override;

    // Shows the feed's items in their own order, none marked; null empties the list.
    void setFeed(std::shared_ptr<VLXFeed> feed);
    const std::shared_ptr<VLXFeed> &feed() const { return m_feed; }
    // Puts the rows in an order: newest pubDate first, titles ascending, or the feed's own.
    void sortItems(Order order);
    Order order() const { return m_orderKind; }

    int itemCount() const { return int(m_rows.size()); }
    const VLXItems *itemAtRow(int row) const;
    // The item's position in the feed as read.
    int sourceIndexOfRow(int row) const { return m_rows.at(size_t(row)); }

    bool isMarked(int row) const;
    void setMarked(int row, bool marked);
    void toggleMark(int row);
    void markAll(bool marked);
    // Marks (never clears) the items whose pubDate parses and is later than the moment; an
    // item without a readable date is left alone. Answers how many were newly marked.
    int markItemsAfter(const QDateTime &moment);
    int markedCount() const { return m_markedCount; }
    // The marked items' source positions, in the order of the rows.
    std::vector<int> markedSourceIndexes() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The pubDate as the list shows it, "MM/dd/yyyy HH:mm:ss" local time; "" when it does not
    // parse.
    static QString shownDate(const QString &pubDate);

private:
    void marksChanged();

    std::shared_ptr<VLXFeed> m_feed;
    Order m_orderKind = Order::Original;
    std::vector<int> m_rows; // row -> source position
    std::vector<char> m_marks; // by source position
    int m_markedCount = 0;
};
