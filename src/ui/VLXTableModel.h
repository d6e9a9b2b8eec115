#pragma once

#include <QAbstractTableModel>
#include <QStringList>

class VLXTableDataSource;
class VLXTableView;

// The model behind a kit table: rows and cells come from the table's data source each time they
// are shown, so a reload is only a reset and a changed row only one update.
class VLXTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    VLXTableModel(VLXTableView *table, VLXTableDataSource *source, const QStringList &identifiers,
                  const QStringList &titles);

    void reload();
    void rowChanged(int row);
    QString columnIdentifier(int column) const { return m_identifiers.value(column); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // A click in a check box is handed to the table's owner (VLXTableView::checkClicked), which
    // decides and reloads: the model itself stores nothing.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    // Drags and drops, answered by the data source.
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;

private:
    VLXTableView *m_table;
    VLXTableDataSource *m_source;
    QStringList m_identifiers;
    QStringList m_titles;
    int m_rows = 0;
};
