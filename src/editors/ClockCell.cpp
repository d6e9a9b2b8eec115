#include "editors/ClockCell.h"

#include "editors/PickerDates.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QHash>
#include <QImageReader>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QWidget>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace {
constexpr double kGrabRadius = 0.9; // of r: inside it a press drags the hour hand
constexpr double kTail = 0.1; // of r: the hands start this far behind the centre
constexpr double kMinuteHand = 0.8;
constexpr double kHourHand = 0.6;

// The face image rendered once per pixel size.
const QImage &clockFace(int pixels)
{
    static QHash<int, QImage> faces;
    auto found = faces.find(pixels);
    if (found == faces.end()) {
        QImageReader reader(QStringLiteral(":/images/ClockFace.svg"));
        reader.setScaledSize(QSize(pixels, pixels));
        found = faces.insert(pixels, reader.read());
    }
    return *found;
}
} // namespace

ClockCell::ClockCell(QObject *parent) : QObject(parent), m_time(PickerDates::nowInZoneOf({})) { }

std::unique_ptr<ClockCell> ClockCell::copy() const
{
    auto cell = std::make_unique<ClockCell>();
    cell->m_time = m_time;
    return cell;
}

void ClockCell::setTime(const QDateTime &time)
{
    if (!time.isValid() || (time == m_time && time.offsetFromUtc() == m_time.offsetFromUtc()))
        return;
    m_time = time;
    if (m_view)
        m_view->update();
    sendActionToTarget();
}

void ClockCell::setObjectValue(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QDateTime) {
        setTime(value.toDateTime());
    } else if (value.metaType().id() == QMetaType::QString) {
        setStringValue(value.toString());
    } else {
        throw std::invalid_argument(QStringLiteral("%1 Invalid object %2")
                                        .arg(QStringLiteral("setObjectValue:"), value.toString())
                                        .toStdString());
    }
}

QString ClockCell::stringValue() const
{
    return QLocale::c().toString(m_time.time(), QStringLiteral("hh:mm AP"));
}

void ClockCell::setStringValue(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,2}):(\\d{2}) ?(AM|PM)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return;
    const int hour = match.captured(1).toInt();
    const int minute = match.captured(2).toInt();
    if (hour < 1 || hour > 12 || minute > 59)
        return;
    const bool pm = match.captured(3).compare(u"PM", Qt::CaseInsensitive) == 0;
    setTime(PickerDates::withTime(m_time, hour % 12 + (pm ? 12 : 0), minute, 0));
}

void ClockCell::sendActionToTarget()
{
    emit action();
}

void ClockCell::setTimeToNow()
{
    setTime(PickerDates::nowInZoneOf(m_time));
}

void ClockCell::incrementHourAndMinute(int hours, int minutes)
{
    setTime(PickerDates::addMinutes(m_time, qint64(hours) * 60 + minutes));
}

void ClockCell::setHourAndMinute(int hour, int minute)
{
    const QTime now = m_time.time();
    const int hours = hour < 0 ? 0 : hour - now.hour();
    const int minutes = minute < 0 ? 0 : minute - now.minute();
    incrementHourAndMinute(hours, minutes);
}

void ClockCell::toggleAmPm()
{
    incrementHourAndMinute(12, 0);
}

void ClockCell::moveLeft(bool bigStep)
{
    incrementHourAndMinute(0, bigStep ? -15 : -1);
}

void ClockCell::moveRight(bool bigStep)
{
    incrementHourAndMinute(0, bigStep ? 15 : 1);
}

void ClockCell::setHourHandByAngleFromNorth(double degrees)
{
    int hour = int(degrees * (1.0 / 30.0));
    const int minute = int((degrees - hour * 30) / 30 * 60);
    if (m_time.time().hour() >= 12)
        hour += 12;
    setHourAndMinute(hour, minute);
}

QMenu *ClockCell::menuForEvent(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    QAction *shown = menu->addAction(stringValue());
    shown->setEnabled(false);
    menu->addSeparator();
    QAction *now = menu->addAction(QCoreApplication::translate("ClockCell", "Set Time To Now"));
    now->setObjectName(QStringLiteral("setTimeToNow"));
    connect(now, &QAction::triggered, this, &ClockCell::setTimeToNow);
    return menu;
}

ClockCell::Geometry ClockCell::geometry(const QRectF &frame)
{
    const double side = std::min(frame.width(), frame.height());
    const double radius = side / 2;
    return {side, radius, std::floor(frame.x() + radius + 0.5),
            std::floor(frame.y() + radius + 0.5)};
}

void ClockCell::drawWithFrame(QPainter &painter, const QRectF &frame, bool showsFocus) const
{
    const Geometry g = geometry(frame);
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QImage &face = clockFace(int(std::ceil(g.side * ratio)));
    if (!face.isNull())
        painter.drawImage(QRectF(frame.x(), frame.y(), g.side, g.side), face);
    drawClockHandsForTime(painter, m_time, frame, showsFocus);
}

void ClockCell::drawClockHandsForTime(QPainter &painter, const QDateTime &time, const QRectF &frame,
                                      bool showsFocus) const
{
    if (!time.isValid())
        return;
    const Geometry g = geometry(frame);
    painter.save();
    if (showsFocus && m_view) {
        QStyleOptionFocusRect option;
        option.initFrom(m_view);
        // The ring sits 4 points inside the face, its lower edge 6 points up.
        option.rect = QRectF(frame.x() + 4, frame.y() + 6, g.side - 8, g.side - 10).toRect();
        m_view->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, m_view);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const QTime t = time.time();
    // Degrees counter-clockwise from the x axis; the view's y axis points down.
    auto hand = [&](double theta, double length, double width, double alpha) {
        const double rad = theta * std::numbers::pi / 180.0;
        const double c = std::cos(rad);
        const double s = std::sin(rad);
        QPen pen(QColor::fromRgbF(0, 0, 0, float(alpha)), width);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.drawLine(QPointF(g.cx - kTail * g.radius * c, g.cy + kTail * g.radius * s),
                         QPointF(g.cx + length * c, g.cy - length * s));
    };
    hand(90.0 - t.minute() * 6.0, kMinuteHand * g.radius, 2, 0.7);
    hand(90.0 - (t.hour() * 30.0 + t.minute() * 0.5), kHourHand * g.radius, 3, 0.5);

    QFont font(QStringLiteral("Times"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(Qt::gray);
    const QString half = t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
    painter.drawText(QRectF(frame.x() + 6, frame.y() + frame.height() - 15, 40, 15),
                     Qt::AlignLeft | Qt::AlignTop, half);
    painter.restore();
}

bool ClockCell::startTracking(const QPointF &point, const QRectF &frame)
{
    const Geometry g = geometry(frame);
    const double dx = point.x() - g.cx;
    const double dy = point.y() - g.cy;
    const double grab = kGrabRadius * g.radius;
    if (frame.contains(point) && grab * grab > dx * dx + dy * dy) {
        trackTo(point, frame);
        return true;
    }
    toggleAmPm();
    return false;
}

void ClockCell::continueTracking(const QPointF &point, const QRectF &frame)
{
    trackTo(point, frame);
    if (m_view)
        m_view->update();
}

void ClockCell::trackTo(const QPointF &point, const QRectF &frame)
{
    const Geometry g = geometry(frame);
    const double dx = point.x() - g.cx;
    const double dy = g.cy - point.y(); // y up, as on a clock face
    const double length = std::hypot(dx, dy);
    // Exactly at the centre the pointer names no direction: the hand stays where it is.
    if (length == 0)
        return;
    double degrees = std::atan2(dx / length, dy / length) * 180.0 / std::numbers::pi;
    if (degrees < 0)
        degrees += 360.0;
    if (degrees >= 360.0)
        degrees = 0;
    setHourHandByAngleFromNorth(degrees);
}
