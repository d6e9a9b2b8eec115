#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QVariant>
#include <memory>

class QMenu;
class QPainter;
class QWidget;

// The analog clock's state, drawing and mouse rules, apart from the widget that shows it so a
// subclass can add behaviour after tracking. Only the time of day of `time` is drawn. Geometry
// follows a square face of side d = min(w, h) at the frame's top left corner, radius r = d / 2,
// centre rounded to whole points.
class ClockCell : public QObject
{
    Q_OBJECT
public:
    explicit ClockCell(QObject *parent = nullptr);

    // A new cell showing the same time; target and action are not copied.
    virtual std::unique_ptr<ClockCell> copy() const;

    QDateTime time() const { return m_time; }
    // Stores a new, different time, redraws and sends the action.
    void setTime(const QDateTime &time);
    QVariant objectValue() const { return m_time; }
    // A date goes to setTime, a string to setStringValue; anything else is a programming error
    // and throws std::invalid_argument.
    void setObjectValue(const QVariant &value);
    // "%I:%M %p" in English, e.g. "03:07 PM".
    QString stringValue() const;
    // Reads "%I:%M %p"; text that does not read changes nothing.
    void setStringValue(const QString &text);

    // The widget that shows the cell; it is redrawn when the time changes.
    void setControlView(QWidget *view) { m_view = view; }
    QWidget *controlView() const { return m_view; }
    void sendActionToTarget();

    void setTimeToNow();
    void incrementHourAndMinute(int hours, int minutes);
    // Moves to the given hour and minute; a negative argument leaves that part as it is.
    void setHourAndMinute(int hour, int minute);
    void takeHourValueFrom(int hour) { setHourAndMinute(hour, -1); }
    void takeMinuteValueFrom(int minute) { setHourAndMinute(-1, minute); }
    void toggleAmPm();
    // One minute back or forward; fifteen with a big step (Shift held).
    void moveLeft(bool bigStep);
    void moveRight(bool bigStep);
    void performClick() { toggleAmPm(); }
    // The hour hand pointed at a clockwise angle from twelve o'clock, within the current half
    // of the day; the minute follows the hand's place in its 30-degree sector.
    void setHourHandByAngleFromNorth(double degrees);

    // The context menu: the shown time (disabled), a separator and "Set Time To Now".
    QMenu *menuForEvent(QWidget *parent);

    void drawWithFrame(QPainter &painter, const QRectF &frame, bool showsFocus) const;
    void drawClockHandsForTime(QPainter &painter, const QDateTime &time, const QRectF &frame,
                               bool showsFocus) const;

    // Mouse tracking, in the view's coordinates. A press strictly inside 0.9 r of the centre
    // starts dragging the hour hand and answers true; any other press toggles AM/PM and
    // answers false. Tracking ends at the release, which moves nothing.
    bool startTracking(const QPointF &point, const QRectF &frame);
    void continueTracking(const QPointF &point, const QRectF &frame);
    // Called once when a tracking has ended, the toggle click included.
    virtual void stopTracking() { }

    struct Geometry
    {
        double side;
        double radius;
        double cx;
        double cy;
    };
    static Geometry geometry(const QRectF &frame);

signals:
    // The action: the time was changed through the cell.
    void action();

private:
    void trackTo(const QPointF &point, const QRectF &frame);

    QDateTime m_time;
    QWidget *m_view = nullptr;
};
