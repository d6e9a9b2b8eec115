#pragma once

#include <QStyledItemDelegate>

// Paints a cell of several lines with its first line in bold, as a heading over the lines that
// follow; every line is cut at its end when the column is too narrow for it.
class FirstLineBoldDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
