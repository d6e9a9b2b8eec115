#pragma once

#include <QAbstractListModel>
#include <QStringList>

// The rows of a list box as Qt's view sees them: the text and the colours of each row, the
// highlighted row in the selection colours and the others alternating.
class VLXListBoxModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit VLXListBoxModel(QObject *parent = nullptr) : QAbstractListModel(parent) { }

    void setRows(const QStringList &rows);
    void setHighlighted(int row);
    void setPalette(const QPalette &palette);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    QStringList m_rows;
    int m_highlighted = -1;
    QList<QVariant> m_colours; // base, alternate base, highlight, text, highlighted text
};
