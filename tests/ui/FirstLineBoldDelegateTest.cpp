#include "ui/FirstLineBoldDelegate.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyleOptionViewItem>

namespace {

struct Painted
{
    QImage image;
    int lineSpacing = 0;
};

Painted paintCell(const QString &text, QSize size)
{
    QStandardItemModel model;
    model.appendRow(new QStandardItem(text));
    FirstLineBoldDelegate delegate;
    QStyleOptionViewItem option;
    option.rect = QRect(QPoint(0, 0), size);
    option.font = QFont(QStringLiteral("DejaVu Sans"), 11);
    option.palette.setColor(QPalette::Text, Qt::black);
    option.palette.setColor(QPalette::Base, Qt::white);
    Painted painted {QImage(size + QSize(40, 0), QImage::Format_RGB32),
                     QFontMetrics(option.font).lineSpacing()};
    painted.image.fill(Qt::white);
    QPainter painter(&painted.image);
    delegate.paint(&painter, option, model.index(0, 0));
    return painted;
}

// The rightmost dark pixel between two rows of the image, -1 when there is none.
int inkRight(const QImage &image, int fromY, int toY)
{
    int right = -1;
    for (int y = fromY; y < toY && y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                right = qMax(right, x);
    return right;
}

} // namespace

TEST(FirstLineBoldDelegate, HeadsTheCellWithABoldLineAndPlainLinesBelow)
{
    const Painted cell = paintCell(QStringLiteral("MMMMMMMM\nMMMMMMMM\nMMMMMMMM"), QSize(400, 80));
    // The bold line spaces at least as wide as the plain one; the two lines below it match.
    const int first = inkRight(cell.image, 0, 3 + cell.lineSpacing);
    const int second = inkRight(cell.image, 3 + cell.lineSpacing, 3 + 2 * cell.lineSpacing);
    const int third = inkRight(cell.image, 3 + 2 * cell.lineSpacing, 3 + 3 * cell.lineSpacing);
    ASSERT_GT(second, 0);
    EXPECT_GT(first, second);
    EXPECT_EQ(second, third);
}

TEST(FirstLineBoldDelegate, CutsLongLinesInsideTheCellAndSizesForEveryLine)
{
    const QString longLine(200, QLatin1Char('W'));
    const Painted cell = paintCell(longLine + QLatin1Char('\n') + longLine, QSize(120, 60));
    const int right = inkRight(cell.image, 0, 60);
    ASSERT_GT(right, 0);
    EXPECT_LT(right, 120);

    QStandardItemModel model;
    model.appendRow(new QStandardItem(QStringLiteral("Title\nhttp://h/f.xml\nhttp://h/")));
    model.appendRow(new QStandardItem(QStringLiteral("Title")));
    FirstLineBoldDelegate delegate;
    QStyleOptionViewItem option;
    const int oneLine = delegate.sizeHint(option, model.index(1, 0)).height();
    const int threeLines = delegate.sizeHint(option, model.index(0, 0)).height();
    EXPECT_EQ(threeLines - oneLine, 2 * QFontMetrics(option.font).lineSpacing());
}
