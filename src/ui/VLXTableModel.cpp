#include "ui/VLXTableModel.h"

#include "ui/VLXTableDataSource.h"

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
        && role != Qt::FontRole)
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
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
