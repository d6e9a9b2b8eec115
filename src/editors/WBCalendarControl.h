#pragma once

#include <QDateTime>
#include <QFont>
#include <QWidget>
#include <array>

// Days in a month given by a zero-based index (January = 0); 0 for an index outside 0-11.
int numberofDayInMonthForYear(int monthIndex, int year);

// A month of 6 weeks by 7 days under localized weekday headings, on which the user picks a day
// by clicking or dragging. The month and the year never change here: the owner sets them with
// setDate(). The date is kept in the zone it was given in, so the day shown is the day of the
// value itself, not of the machine's zone.
class WBCalendarControl : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kLeft = 4; // first column's left edge
    static constexpr int kHeading = 20; // height of the weekday band at the top
    static constexpr int kCellWidth = 17;
    static constexpr int kCellHeight = 14;
    static constexpr int kCells = 42;

    explicit WBCalendarControl(QWidget *parent = nullptr);

    QDateTime date() const { return m_currentDate; }
    // An invalid date changes nothing; otherwise the grid is rebuilt for its month.
    void setDate(const QDateTime &date);

    // The weekday of column 0 (0 Sunday ... 6 Saturday). Taken from the locale at creation;
    // setting it rebuilds the grid.
    int firstDayOfWeek() const { return m_firstDayOfWeek; }
    void setFirstDayOfWeek(int weekday);

    // The column of the month's first day, and the day shown in cell 7 * row + column (0 for
    // an empty cell).
    int firstDay() const { return m_firstDay; }
    int monthDay(int cell) const { return cell >= 0 && cell < kCells ? m_monthDay[cell] : 0; }
    // The day under a point of the widget, 0 for the heading band or an empty cell.
    int dayAtPoint(const QPointF &point) const;
    // The cell's rectangle in widget coordinates.
    static QRect cellRect(int cell);
    // The heading of a column.
    QString weekdayLabel(int column) const;

    QSize sizeHint() const override;

signals:
    // A day was picked: on every click on a day, and once at the end of a drag that moved it.
    void activated();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void buildGrid();
    void drawDay(QPainter &painter, int cell) const;
    void moveToDay(int day);

    QDateTime m_currentDate;
    bool m_newDate = false;
    int m_firstDay = 0;
    int m_firstDayOfWeek = 0;
    std::array<int, kCells> m_monthDay {};
    QFont m_normalFont;
    QFont m_dayOfWeekFont;
};
