#include "ui/VLXTableModel.h"

#include "ui/VLXTableDataSource.h"
#include "ui/VLXTableView.h"

#include <QMimeData>
#include <QSet>
#include <algorithm>

VLXTableModel::VLXTableModel(VLXTableView *table, VLXTableDataSource *source,
                             const QStringList &identifiers, const QStringList &titles)
    : QAbstractTableModel(nullptr), m_table(table), m_source(source), m_identifiers(identifiers),
      m_titles(titles)
{
}

void VLXTableModel::reload()
{
    beginResetModel();
    m_rows = m_source ? qMax(0, m_source->numberOfRowsInTableView(m_table)) : 0;
    endResetModel();
}

void VLXTableModel::rowChanged(int row)
{
    if (row >= 0 && row < m_rows)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

int VLXTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int VLXTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_identifiers.size());
}

QVariant VLXTableModel::data(const QModelIndex &index, int role) const
{
    if (!m_source || !index.isValid() || index.row() >= m_rows)
        return {};
    if (role != Qt::DisplayRole && role != Qt::CheckStateRole && role != Qt::ToolTipRole
        && role != Qt::FontRole && role != Qt::ForegroundRole && role != Qt::DecorationRole)
        return {};
    const int asked = role == Qt::ToolTipRole ? int(Qt::DisplayRole) : role;
    return m_source->tableViewObjectValue(m_table, m_identifiers.value(index.column()), index.row(),
                                          asked);
}

QVariant VLXTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_titles.value(section);
    return {};
}

Qt::ItemFlags VLXTableModel::flags(const QModelIndex &index) const
{
    const bool drags = m_source && !m_source->tableViewDragTypes(m_table).isEmpty();
    // Drops go between rows: the table itself (the root) takes them, never a row.
    if (!index.isValid())
        return drags ? Qt::ItemIsDropEnabled : Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (drags)
        flags |= Qt::ItemIsDragEnabled;
    if (data(index, Qt::CheckStateRole).isValid())
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool VLXTableModel::setData(const QModelIndex &index, const QVariant &, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= m_rows)
        return false;
    emit m_table->checkClicked(index.row(), m_identifiers.value(index.column()));
    return false;
}

QStringList VLXTableModel::mimeTypes() const
{
    return m_source ? m_source->tableViewDragTypes(m_table) : QStringList();
}

QMimeData *VLXTableModel::mimeData(const QModelIndexList &indexes) const
{
    if (!m_source)
        return nullptr;
    QList<int> rows;
    QSet<int> seen;
    for (const QModelIndex &index : indexes) {
        if (index.isValid() && !seen.contains(index.row())) {
            seen.insert(index.row());
            rows.append(index.row());
        }
    }
    std::sort(rows.begin(), rows.end());
    auto *data = new QMimeData;
    if (!m_source->tableViewWriteRows(m_table, rows, data)) {
        delete data;
        return nullptr;
    }
    return data;
}

// Qt gives a drop onto a row as that row with an invalid row number; it counts as a drop above.
static int dropRowOf(int row, const QModelIndex &parent, int rows)
{
    if (row >= 0)
        return row;
    if (parent.isValid())
        return parent.row();
    return rows;
}

bool VLXTableModel::canDropMimeData(const QMimeData *data, Qt::DropAction, int row, int,
                                    const QModelIndex &parent) const
{
    return m_source && data
        && m_source->tableViewValidateDrop(m_table, data, dropRowOf(row, parent, m_rows))
        != Qt::IgnoreAction;
}

bool VLXTableModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int,
                                 const QModelIndex &parent)
{
    if (!m_source || !data || action == Qt::IgnoreAction)
        return false;
    // The source rebuilds the table itself; Qt must not remove the dragged row afterwards.
    m_source->tableViewAcceptDrop(m_table, data, dropRowOf(row, parent, m_rows));
    return false;
}

Qt::DropActions VLXTableModel::supportedDropActions() const
{
    return Qt::MoveAction | Qt::CopyAction | Qt::LinkAction;
}

Qt::DropActions VLXTableModel::supportedDragActions() const
{
    return Qt::MoveAction;
}
