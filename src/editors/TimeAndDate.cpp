#include "editors/TimeAndDate.h"

#include "editors/PickerDates.h"
#include "editors/TADClockControl.h"
#include "editors/TADStepper.h"
#include "editors/TADTextField.h"
#include "editors/WBCalendarControl.h"

#include <QLabel>
#include <QLocale>
#include <QToolButton>

namespace {
QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}
} // namespace

TimeAndDate::TimeAndDate(QWidget *parent) : QDialog(parent)
{
    const QLocale locale;
    for (int month = 1; month <= 12; ++month)
        m_monthArray.append(locale.standaloneMonthName(month, QLocale::LongFormat));
    m_controlDate = PickerDates::nowInZoneOf({});
    m_initialValue = m_controlDate;
}

TimeAndDate::~TimeAndDate() = default;

void TimeAndDate::setInitialValueVLXDateFormat(const QString &text)
{
    const QDateTime date = PickerDates::fromRFC822(text);
    m_initialValue = date.isValid() ? date : PickerDates::nowInZoneOf({});
    m_controlDate = date.isValid() ? date : PickerDates::nowInZoneOf({});
}

void TimeAndDate::setInitialValue(const QDateTime &date)
{
    m_initialValue = date;
    m_controlDate = date;
}

QString TimeAndDate::resultDateVLXDateFormat() const
{
    return PickerDates::toRFC822(m_controlDate);
}

int TimeAndDate::showCustomSheet(QWidget *window)
{
    loadInterface();
    // Attached to the window only while shown, so the window never owns the caller's picker.
    QWidget *owner = parentWidget();
    if (window && owner != window->window())
        setParent(window->window(), windowFlags() | Qt::Dialog);
    setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    fillControls();
    m_runningAsSheet = true;
    const int code = exec();
    hide();
    if (parentWidget() != owner)
        setParent(owner, windowFlags());
    return code;
}

int TimeAndDate::showPanel()
{
    loadInterface();
    setWindowModality(Qt::ApplicationModal);
    fillControls();
    m_runningAsSheet = false;
    return exec();
}

void TimeAndDate::accept()
{
    // A value typed but not yet committed counts, as it would after leaving the field.
    if (timeFieldHasFocus())
        updateClockDisplay();
    done(1);
}

void TimeAndDate::cancel()
{
    m_controlDate = m_initialValue;
    done(0);
}

void TimeAndDate::revert()
{
    m_controlDate = m_initialValue;
    fillControls();
}

void TimeAndDate::setNow()
{
    m_controlDate = PickerDates::nowInZoneOf({});
    fillControls();
}

void TimeAndDate::fillControls()
{
    if (!m_calendar)
        return;
    m_pushingClock = true;
    m_calendar->setDate(m_controlDate);
    fillMonthYear();
    m_clock->setTime(m_controlDate);
    const QTime time = m_controlDate.time();
    m_hourField->setText(twoDigits(time.hour()));
    m_minuteField->setText(twoDigits(time.minute()));
    m_secondField->setText(twoDigits(time.second()));
    m_pushingClock = false;
    attachStepper(m_hourField);
}

void TimeAndDate::fillMonthYear()
{
    const QDate date = m_controlDate.date();
    m_monthYear->setText(QStringLiteral("%1, %2").arg(m_monthArray.value(date.month() - 1),
                                                      QString::number(date.year())));
}

void TimeAndDate::decreaseMonth()
{
    if (m_controlDate.date().month() == 1)
        addMonthsAndYears(11, -1);
    else
        addMonthsAndYears(-1, 0);
}

void TimeAndDate::increaseMonth()
{
    if (m_controlDate.date().month() == 12)
        addMonthsAndYears(-11, 1);
    else
        addMonthsAndYears(1, 0);
}

void TimeAndDate::decreaseYear()
{
    addMonthsAndYears(0, -1);
}

void TimeAndDate::increaseYear()
{
    addMonthsAndYears(0, 1);
}

void TimeAndDate::addMonthsAndYears(int months, int years)
{
    m_controlDate = m_controlDate.addYears(years).addMonths(months);
    if (m_calendar) {
        m_calendar->setDate(m_controlDate);
        fillMonthYear();
    }
}

void TimeAndDate::setDay()
{
    // Only the day is taken from the calendar: the time of day and the zone stay the value's.
    m_controlDate = PickerDates::withDay(m_controlDate, m_calendar->date().date());
    fillMonthYear();
}

void TimeAndDate::attachStepper(TADTextField *field)
{
    m_steppedField = field;
    m_timeStepper->setRange(0, field == m_hourField ? 23 : 59);
    m_timeStepper->setValue(fieldValue(field));
    m_hourFieldBtn->setVisible(field == m_hourField);
    m_minuteFieldBtn->setVisible(field == m_minuteField);
    m_secondFieldBtn->setVisible(field == m_secondField);
}

void TimeAndDate::mouseDown(TADTextField *field)
{
    attachStepper(field == m_hourField || field == m_minuteField ? field : m_secondField);
    m_pushingClock = true;
    m_clock->takeHourValueFrom(fieldValue(m_hourField));
    m_clock->takeMinuteValueFrom(fieldValue(m_minuteField));
    m_pushingClock = false;
}

void TimeAndDate::stepField(TADTextField *field, int steps)
{
    if (field != m_steppedField)
        mouseDown(field);
    m_timeStepper->stepBy(steps);
}

int TimeAndDate::fieldValue(const TADTextField *field) const
{
    // Typed values are held to the field's range, so the date can always be made.
    return std::clamp(field->intValue(), 0, field == m_hourField ? 23 : 59);
}

void TimeAndDate::dateFromFields()
{
    m_controlDate = PickerDates::withTime(m_controlDate, fieldValue(m_hourField),
                                          fieldValue(m_minuteField), fieldValue(m_secondField));
}

void TimeAndDate::updateClockDisplay()
{
    if (!m_clock)
        return;
    m_pushingClock = true;
    m_clock->takeHourValueFrom(fieldValue(m_hourField));
    m_clock->takeMinuteValueFrom(fieldValue(m_minuteField));
    m_pushingClock = false;
    dateFromFields();
}

void TimeAndDate::updateTimeElements(const QDateTime &time)
{
    if (m_pushingClock || !m_hourField)
        return;
    const QTime t = time.time();
    m_hourField->setText(twoDigits(t.hour()));
    m_minuteField->setText(twoDigits(t.minute()));
    m_secondField->setText(twoDigits(t.second()));
    // The stepper follows its field, so the next click steps from what is shown.
    if (m_steppedField)
        m_timeStepper->setValue(fieldValue(m_steppedField));
    dateFromFields();
}

bool TimeAndDate::timeFieldHasFocus() const
{
    return m_hourField
        && (m_hourField->hasFocus() || m_minuteField->hasFocus() || m_secondField->hasFocus());
}
