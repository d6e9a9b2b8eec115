#pragma once

#include <QStyledItemDelegate>

// Paints a file table's name cell in two lines: what the file is in bold, cut at its end, and
// its path below, cut in the middle so both ends of a long path stay readable.
class PublishFileCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The height of a row of two lines.
    static int rowHeight(const QFont &font);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
