#pragma once

#include "editors/ClockCell.h"

#include <QWidget>
#include <memory>

// The analog clock: a focusable control that draws its cell, tracks the mouse through it,
// moves the minutes with the arrow keys (Shift: a quarter hour), toggles AM/PM with the space
// bar and offers the cell's context menu.
class ClockControl : public QWidget
{
    Q_OBJECT
public:
    explicit ClockControl(QWidget *parent = nullptr);
    ~ClockControl() override;

    ClockCell *cell() const { return m_cell.get(); }

    QDateTime time() const { return m_cell->time(); }
    void setTime(const QDateTime &time) { m_cell->setTime(time); }
    void takeHourValueFrom(int hour) { m_cell->takeHourValueFrom(hour); }
    void takeMinuteValueFrom(int minute) { m_cell->takeMinuteValueFrom(minute); }
    void moveLeft(bool bigStep) { m_cell->moveLeft(bigStep); }
    void moveRight(bool bigStep) { m_cell->moveRight(bigStep); }
    void performClick() { m_cell->performClick(); }

    QSize sizeHint() const override { return {128, 128}; }

signals:
    // The cell's action: the time changed through the clock.
    void activated();

protected:
    // Subclasses hand in their own kind of cell.
    ClockControl(std::unique_ptr<ClockCell> cell, QWidget *parent);

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    std::unique_ptr<ClockCell> m_cell;
    bool m_tracking = false;
};
