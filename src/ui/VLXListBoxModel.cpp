#include "ui/VLXListBoxModel.h"

#include <QBrush>
#include <QPalette>

void VLXListBoxModel::setRows(const QStringList &rows)
{
    beginResetModel();
    m_rows = rows;
    m_highlighted = -1;
    endResetModel();
}

void VLXListBoxModel::setHighlighted(int row)
{
    const int old = m_highlighted;
    m_highlighted = row;
    for (int r : {old, row}) {
        if (r >= 0 && r < m_rows.size())
            emit dataChanged(index(r), index(r), {Qt::BackgroundRole, Qt::ForegroundRole});
    }
}

void VLXListBoxModel::setPalette(const QPalette &palette)
{
    m_colours
        = {QBrush(palette.color(QPalette::Base)), QBrush(palette.color(QPalette::AlternateBase)),
           QBrush(palette.color(QPalette::Highlight)), QBrush(palette.color(QPalette::Text)),
           QBrush(palette.color(QPalette::HighlightedText))};
    if (!m_rows.isEmpty())
        emit dataChanged(index(0), index(int(m_rows.size()) - 1));
}

int VLXListBoxModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant VLXListBoxModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const int row = index.row();
    const bool selected = row == m_highlighted;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return m_rows[row];
    case Qt::BackgroundRole:
        return m_colours.isEmpty() ? QVariant() : m_colours[selected ? 2 : row % 2];
    case Qt::ForegroundRole:
        return m_colours.isEmpty() ? QVariant() : m_colours[selected ? 4 : 3];
    default:
        return {};
    }
}

Qt::ItemFlags VLXListBoxModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}
