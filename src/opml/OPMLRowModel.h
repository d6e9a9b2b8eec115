#pragma once

#include "opml/OPMLDocument.h"

#include <QAbstractTableModel>
#include <QList>

// The rows of the OPML window: one per feed of the list, with its check box ("checkBoxes"), the
// fixed labels ("Labels") and the title, XML and HTML addresses ("TitleURLs").
class OPMLRowModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { CheckBoxes = 0, Labels = 1, TitleURLs = 2, ColumnCount = 3 };

    explicit OPMLRowModel(QObject *parent = nullptr);

    void setRows(QList<OPMLDocument::Row> rows);
    const QList<OPMLDocument::Row> &rows() const { return m_rows; }
    OPMLDocument::Row &row(int index) { return m_rows[index]; }
    // Reloads the shown text of one row after its values changed.
    void rowChanged(int index);

    // Flips the row's inclusion. Switching a row on needs its title and XML address: false
    // (nothing changes) without them, or for a row that does not exist.
    bool toggle(int index);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<OPMLDocument::Row> m_rows;
};
