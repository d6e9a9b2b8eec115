#include "import/ImportItemModel.h"

#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/VLXLogic.h"

#include <algorithm>
#include <numeric>

ImportItemModel::ImportItemModel(QObject *parent) : QAbstractTableModel(parent) { }

ImportItemModel::~ImportItemModel() = default;

void ImportItemModel::setFeed(std::shared_ptr<VLXFeed> feed)
{
    beginResetModel();
    m_feed = std::move(feed);
    const int count = m_feed ? m_feed->countOfItems() : 0;
    m_rows.resize(size_t(count));
    std::iota(m_rows.begin(), m_rows.end(), 0);
    m_marks.assign(size_t(count), 0);
    m_markedCount = 0;
    m_orderKind = Order::Original;
    endResetModel();
}

void ImportItemModel::sortItems(Order order)
{
    beginResetModel();
    m_orderKind = order;
    std::iota(m_rows.begin(), m_rows.end(), 0);
    if (m_feed && order != Order::Original) {
        const VLXFeed::ItemList &items = m_feed->arrayOfItems();
        if (order == Order::PubDate) {
            std::vector<double> when(items.size());
            for (size_t i = 0; i < when.size(); ++i)
                when[i] = VLXLogic::InternetDateTime(items.at(qsizetype(i))->pubDate());
            std::stable_sort(m_rows.begin(), m_rows.end(),
                             [&when](int a, int b) { return when[size_t(a)] > when[size_t(b)]; });
        } else {
            std::stable_sort(m_rows.begin(), m_rows.end(), [&items](int a, int b) {
                return QString::compare(items.at(a)->title(), items.at(b)->title()) < 0;
            });
        }
    }
    endResetModel();
}

const VLXItems *ImportItemModel::itemAtRow(int row) const
{
    if (!m_feed || row < 0 || row >= itemCount())
        return nullptr;
    return m_feed->itemAtIndex(m_rows.at(size_t(row))).get();
}

bool ImportItemModel::isMarked(int row) const
{
    return row >= 0 && row < itemCount() && m_marks.at(size_t(m_rows.at(size_t(row)))) != 0;
}

void ImportItemModel::setMarked(int row, bool marked)
{
    if (row < 0 || row >= itemCount() || isMarked(row) == marked)
        return;
    m_marks[size_t(m_rows.at(size_t(row)))] = marked ? 1 : 0;
    m_markedCount += marked ? 1 : -1;
    const QModelIndex cell = index(row, CheckBox);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

void ImportItemModel::toggleMark(int row)
{
    setMarked(row, !isMarked(row));
}

void ImportItemModel::markAll(bool marked)
{
    std::fill(m_marks.begin(), m_marks.end(), marked ? 1 : 0);
    m_markedCount = marked ? itemCount() : 0;
    marksChanged();
}

int ImportItemModel::markItemsAfter(const QDateTime &moment)
{
    if (!m_feed)
        return 0;
    const double after = double(moment.toMSecsSinceEpoch()) / 1000.0;
    int newlyMarked = 0;
    for (size_t i = 0; i < m_marks.size(); ++i) {
        const double when
            = VLXLogic::InternetDateTime(m_feed->itemAtIndex(qsizetype(i))->pubDate());
        if (when == 0 || when <= after || m_marks[i])
            continue;
        m_marks[i] = 1;
        ++newlyMarked;
    }
    m_markedCount += newlyMarked;
    marksChanged();
    return newlyMarked;
}

std::vector<int> ImportItemModel::markedSourceIndexes() const
{
    std::vector<int> marked;
    marked.reserve(size_t(m_markedCount));
    for (int source : m_rows) {
        if (m_marks.at(size_t(source)))
            marked.push_back(source);
    }
    return marked;
}

void ImportItemModel::marksChanged()
{
    if (itemCount() > 0)
        emit dataChanged(index(0, CheckBox), index(itemCount() - 1, CheckBox),
                         {Qt::CheckStateRole});
}

QString ImportItemModel::shownDate(const QString &pubDate)
{
    const double seconds = VLXLogic::InternetDateTime(pubDate);
    if (seconds == 0)
        return QString();
    return QDateTime::fromMSecsSinceEpoch(qint64(seconds * 1000))
        .toLocalTime()
        .toString(QStringLiteral("MM/dd/yyyy HH:mm:ss"));
}

int ImportItemModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : itemCount();
}

int ImportItemModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ImportItemModel::data(const QModelIndex &index, int role) const
{
    const VLXItems *item = index.isValid() ? itemAtRow(index.row()) : nullptr;
    if (!item)
        return {};
    switch (index.column()) {
    case CheckBox:
        if (role == Qt::CheckStateRole)
            return isMarked(index.row()) ? Qt::Checked : Qt::Unchecked;
        break;
    case ItemTitle:
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return item->title();
        break;
    case PubDate:
        if (role == Qt::DisplayRole)
            return shownDate(item->pubDate());
        break;
    default:
        break;
    }
    return {};
}

bool ImportItemModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != CheckBox || role != Qt::CheckStateRole)
        return false;
    setMarked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags ImportItemModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == CheckBox)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant ImportItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case CheckBox:
        return QString();
    case ItemTitle:
        return tr("Title");
    case PubDate:
        return tr("pubDate");
    default:
        return {};
    }
}
