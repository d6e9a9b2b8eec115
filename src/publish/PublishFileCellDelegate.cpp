#include "publish/PublishFileCellDelegate.h"

#include "publish/PublishFileTableModel.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

int PublishFileCellDelegate::rowHeight(const QFont &font)
{
    return 2 * QFontMetrics(font).lineSpacing() + 6;
}

void PublishFileCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);

    const QRect area = option.rect.adjusted(4, 3, -4, -3);
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    QFont titleFont = option.font;
    titleFont.setBold(true);
    const QFontMetrics titleMetrics(titleFont);
    painter->setFont(titleFont);
    const QString title = index.data(PublishFileTableModel::TitleRole).toString();
    painter->drawText(QRect(area.left(), area.top(), area.width(), titleMetrics.lineSpacing()),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      titleMetrics.elidedText(title, Qt::ElideRight, area.width()));
    const QString path = index.data(PublishFileTableModel::PathRole).toString();
    if (!path.isEmpty()) {
        const QFontMetrics pathMetrics(option.font);
        painter->setFont(option.font);
        painter->drawText(QRect(area.left(), area.top() + titleMetrics.lineSpacing(), area.width(),
                                pathMetrics.lineSpacing()),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          pathMetrics.elidedText(path, Qt::ElideMiddle, area.width()));
    }
    painter->restore();
}

QSize PublishFileCellDelegate::sizeHint(const QStyleOptionViewItem &option,
                                        const QModelIndex &) const
{
    return QSize(200, rowHeight(option.font));
}
