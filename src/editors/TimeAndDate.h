#pragma once

#include <QDateTime>
#include <QDialog>
#include <QStringList>

class QLabel;
class QToolButton;
class TADClockControl;
class TADStepper;
class TADTextField;
class VLXBox;
class WBCalendarControl;

// The date and time picker: a month calendar, an analog clock, hour, minute and second fields
// with one stepper that follows the clicked field, month and year buttons, OK, Cancel, Revert
// and Now. Callers make a fresh picker for each use, set the initial value (RFC 822 text or a
// QDateTime), show it as a sheet on their window or as an application-modal panel, and read
// the result when it answers 1.
//
// The value keeps its own zone: a feed date written at +0100 is shown and returned at +0100,
// whatever the machine's zone, and picking a day changes only the date.
class TimeAndDate : public QDialog
{
    Q_OBJECT
public:
    explicit TimeAndDate(QWidget *parent = nullptr);
    ~TimeAndDate() override;

    // RFC 822 in exactly the form "%a, %d %b %Y %H:%M:%S %z"; anything else gives now.
    void setInitialValueVLXDateFormat(const QString &text);
    void setInitialValue(const QDateTime &date);
    QDateTime initialValue() const { return m_initialValue; }

    // Window-modal on the window (a sheet); 1 accepted, 0 cancelled.
    int showCustomSheet(QWidget *window);
    // Application-modal; 1 accepted, 0 cancelled.
    int showPanel();
    bool runningAsSheet() const { return m_runningAsSheet; }

    QDateTime resultDate() const { return m_controlDate; }
    // The result as RFC 822 text in its own zone.
    QString resultDateVLXDateFormat() const;

    // The buttons' actions.
    void decreaseMonth();
    void increaseMonth();
    void decreaseYear();
    void increaseYear();
    void addMonthsAndYears(int months, int years);
    void setDay();
    void accept() override;
    void cancel();
    void reject() override { cancel(); }
    void revert();
    void setNow();

    // From the controls: a click in a time field puts the stepper on it; the stepper and the
    // fields bring the clock and the date up to the fields; a clock tracking brings the fields
    // and the date up to the clock's time of day.
    void mouseDown(TADTextField *field);
    void stepField(TADTextField *field, int steps);
    void updateClockDisplay();
    void updateTimeElements(const QDateTime &time);

    // The stepped field (hour, minute or second).
    TADTextField *steppedField() const { return m_steppedField; }

private:
    void loadInterface();
    void fillControls();
    void fillMonthYear();
    void attachStepper(TADTextField *field);
    int fieldValue(const TADTextField *field) const;
    void dateFromFields();
    bool timeFieldHasFocus() const;

    QDateTime m_controlDate;
    QDateTime m_initialValue;
    QStringList m_monthArray;
    bool m_runningAsSheet = false;
    // Set while the picker itself moves the clock, so the clock's action does not echo back.
    bool m_pushingClock = false;

    WBCalendarControl *m_calendar = nullptr;
    QLabel *m_monthYear = nullptr;
    TADClockControl *m_clock = nullptr;
    TADTextField *m_hourField = nullptr;
    TADTextField *m_minuteField = nullptr;
    TADTextField *m_secondField = nullptr;
    QToolButton *m_hourFieldBtn = nullptr;
    QToolButton *m_minuteFieldBtn = nullptr;
    QToolButton *m_secondFieldBtn = nullptr;
    TADStepper *m_timeStepper = nullptr;
    VLXBox *m_smartDateBox = nullptr;
    TADTextField *m_steppedField = nullptr;
};
