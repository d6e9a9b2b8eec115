#include "opml/OPMLRowModel.h"

#include <QApplication>
#include <QFont>

OPMLRowModel::OPMLRowModel(QObject *parent) : QAbstractTableModel(parent) { }

void OPMLRowModel::setRows(QList<OPMLDocument::Row> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void OPMLRowModel::rowChanged(int index)
{
    if (index >= 0 && index < m_rows.size())
        emit dataChanged(this->index(index, 0), this->index(index, ColumnCount - 1));
}

bool OPMLRowModel::toggle(int index)
{
    if (index < 0 || index >= m_rows.size())
        return false;
    OPMLDocument::Row &row = m_rows[index];
    if (row.included == 0 && (row.title.isEmpty() || row.XMLURL.isEmpty()))
        return false;
    row.included = row.included == 0 ? 1 : 0;
    rowChanged(index);
    return true;
}

int OPMLRowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int OPMLRowModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant OPMLRowModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const OPMLDocument::Row &row = m_rows.at(index.row());
    switch (index.column()) {
    case CheckBoxes:
        if (role == Qt::CheckStateRole)
            return row.included != 0 ? Qt::Checked : Qt::Unchecked;
        break;
    case Labels:
        if (role == Qt::DisplayRole)
            return tr("Title:\nXML:\nHTML:");
        break;
    case TitleURLs:
        if (role == Qt::DisplayRole)
            return row.title + QLatin1Char('\n') + row.XMLURL + QLatin1Char('\n') + row.HTMLURL;
        if (role == Qt::ToolTipRole)
            return row.feedURL;
        break;
    default:
        break;
    }
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignTop);
    return {};
}

bool OPMLRowModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != CheckBoxes || role != Qt::CheckStateRole)
        return false;
    const bool wanted = value.toInt() == Qt::Checked;
    if (wanted == (m_rows.at(index.row()).included != 0))
        return true;
    if (!toggle(index.row())) {
        QApplication::beep();
        return false;
    }
    return true;
}

Qt::ItemFlags OPMLRowModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == CheckBoxes)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant OPMLRowModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case CheckBoxes:
        return tr("Include");
    case Labels:
        return QString();
    case TitleURLs:
        return tr("Feed");
    default:
        return {};
    }
}
