#include "editors/WBCalendarControl.h"

#include "editors/PickerDates.h"
#include "model/DateFields.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QImageReader>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

namespace {
// The background of every calendar, rendered once.
const QImage &calendarBack(qreal ratio)
{
    static QImage back;
    static qreal renderedFor = 0;
    if (back.isNull() || renderedFor != ratio) {
        QImageReader reader(QStringLiteral(":/images/CalendarBack.svg"));
        const QSize size = reader.size();
        reader.setScaledSize(size * ratio);
        back = reader.read();
        back.setDevicePixelRatio(ratio);
        renderedFor = ratio;
    }
    return back;
}

const QColor kSelection = QColor::fromRgbF(0.7686f, 0.8784f, 0.9843f);

const char *const kWeekdayKeys[7]
    = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
} // namespace

int numberofDayInMonthForYear(int monthIndex, int year)
{
    return DateFields::daysInMonth(monthIndex + 1, year);
}

WBCalendarControl::WBCalendarControl(QWidget *parent) : QWidget(parent)
{
    // Qt counts Monday 1 ... Sunday 7; the grid counts Sunday 0.
    m_firstDayOfWeek = int(locale().firstDayOfWeek()) % 7;
    m_normalFont = font();
    m_normalFont.setPixelSize(10);
    m_dayOfWeekFont = font();
    m_dayOfWeekFont.setPixelSize(11);
    setDate(PickerDates::nowInZoneOf({}));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize WBCalendarControl::sizeHint() const
{
    const QImage &back = calendarBack(1.0);
    const QSize grid(kLeft + 7 * kCellWidth + kLeft, kHeading + 6 * kCellHeight + kLeft);
    return back.isNull() ? grid : back.size().expandedTo(grid);
}

void WBCalendarControl::setDate(const QDateTime &date)
{
    if (!date.isValid())
        return;
    m_currentDate = date;
    buildGrid();
    update();
}

void WBCalendarControl::setFirstDayOfWeek(int weekday)
{
    m_firstDayOfWeek = ((weekday % 7) + 7) % 7;
    buildGrid();
    update();
}

void WBCalendarControl::buildGrid()
{
    const QDate day = m_currentDate.date();
    const int days = numberofDayInMonthForYear(day.month() - 1, day.year());
    const int weekday = day.dayOfWeek() % 7;
    // True modulo: with a late first weekday the sum goes below zero.
    const int column = (weekday - day.day() % 7 + 8 - m_firstDayOfWeek) % 7;
    m_firstDay = column < 0 ? column + 7 : column;
    for (int k = 0; k < kCells; ++k) {
        const int shown = k - m_firstDay + 1;
        m_monthDay[k] = k >= m_firstDay && shown <= days ? shown : 0;
    }
}

QRect WBCalendarControl::cellRect(int cell)
{
    return QRect(kLeft + kCellWidth * (cell % 7), kHeading + kCellHeight * (cell / 7), kCellWidth,
                 kCellHeight);
}

int WBCalendarControl::dayAtPoint(const QPointF &point) const
{
    if (point.y() < kHeading)
        return 0;
    const int row = std::clamp(int((point.y() - kHeading) / kCellHeight), 0, 5);
    const int column = std::clamp(int((point.x() - kLeft) / kCellWidth), 0, 6);
    return m_monthDay[7 * row + column];
}

QString WBCalendarControl::weekdayLabel(int column) const
{
    const int weekday = (column + m_firstDayOfWeek) % 7;
    const char *key = kWeekdayKeys[weekday];
    const QString translated = QCoreApplication::translate("WBCalendar", key);
    if (translated != QLatin1String(key))
        return translated;
    // The locale's short names when all seven fit a column, else their first two letters for
    // all seven, so the row reads evenly.
    const QFontMetricsF metrics(m_dayOfWeekFont);
    bool allFit = true;
    for (int qtDay = 1; qtDay <= 7 && allFit; ++qtDay)
        allFit = metrics.horizontalAdvance(locale().dayName(qtDay, QLocale::ShortFormat))
            <= kCellWidth;
    const QString shortName = locale().dayName(weekday == 0 ? 7 : weekday, QLocale::ShortFormat);
    return allFit ? shortName : shortName.left(2);
}

void WBCalendarControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QImage &back = calendarBack(devicePixelRatioF());
    if (!back.isNull()) {
        // Anchored at the lower left, where the grid hangs from the top of the widget.
        const QSizeF size = back.deviceIndependentSize();
        painter.drawImage(QPointF(0, height() - size.height()), back);
    }
    // The background is light whatever the theme: the text stays dark on it.
    painter.setPen(QColor(0x22, 0x26, 0x2b));
    painter.setFont(m_dayOfWeekFont);
    const QFontMetricsF headingMetrics(m_dayOfWeekFont);
    for (int column = 0; column < 7; ++column) {
        const QString label = weekdayLabel(column);
        const double x
            = kLeft + kCellWidth * column + 8.5 - headingMetrics.horizontalAdvance(label) / 2 + 2;
        painter.drawText(QPointF(x, 18 - headingMetrics.descent()), label);
    }
    painter.setFont(m_normalFont);
    for (int cell = m_firstDay; cell < kCells; ++cell) {
        if (m_monthDay[cell] > 0)
            drawDay(painter, cell);
    }
}

void WBCalendarControl::drawDay(QPainter &painter, int cell) const
{
    const QRect box = cellRect(cell);
    const int day = m_monthDay[cell];
    if (day == m_currentDate.date().day())
        painter.fillRect(QRect(box.x() + 1, box.y() + 1, kCellWidth, kCellHeight - 1), kSelection);
    const QString text = QString::number(day);
    const QFontMetricsF metrics(m_normalFont);
    const double x = box.x() + 8.5 - metrics.horizontalAdvance(text) / 2 + 1;
    painter.drawText(QPointF(x, box.bottom() + 1 - metrics.descent()), text);
}

void WBCalendarControl::moveToDay(int day)
{
    m_currentDate = m_currentDate.addDays(day - m_currentDate.date().day());
    update();
}

void WBCalendarControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int day = dayAtPoint(event->position());
    if (day == 0)
        return;
    if (day != m_currentDate.date().day())
        moveToDay(day);
    emit activated();
}

void WBCalendarControl::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const int day = dayAtPoint(event->position());
    if (day != 0 && day != m_currentDate.date().day()) {
        m_newDate = true;
        moveToDay(day);
    }
}

void WBCalendarControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (m_newDate)
        emit activated();
    m_newDate = false;
}
