#include "ui/FirstLineBoldDelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int kMarginX = 4;
constexpr int kMarginY = 3;

QFont headingFont(const QFont &base)
{
    QFont bold = base;
    bold.setBold(true);
    return bold;
}

} // namespace

void FirstLineBoldDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    // The style option's text has its line feeds turned into line separators: split the model's.
    const QStringList lines = index.data(Qt::DisplayRole).toString().split(QLatin1Char('\n'));
    background.text.clear();
    QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);

    const QRect area = option.rect.adjusted(kMarginX, kMarginY, -kMarginX, -kMarginY);
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setClipRect(option.rect);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    int top = area.top();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QFont font = i == 0 ? headingFont(option.font) : option.font;
        const QFontMetrics metrics(font);
        painter->setFont(font);
        painter->drawText(QRect(area.left(), top, area.width(), metrics.lineSpacing()),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          metrics.elidedText(lines.at(i), Qt::ElideRight, area.width()));
        top += metrics.lineSpacing();
    }
    painter->restore();
}

QSize FirstLineBoldDelegate::sizeHint(const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    const QStringList lines = index.data(Qt::DisplayRole).toString().split(QLatin1Char('\n'));
    int width = 0;
    int height = 2 * kMarginY;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QFontMetrics metrics(i == 0 ? headingFont(option.font) : option.font);
        width = qMax(width, metrics.horizontalAdvance(lines.at(i)));
        height += metrics.lineSpacing();
    }
    return QSize(width + 2 * kMarginX, height);
}
