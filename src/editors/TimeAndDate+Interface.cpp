#include "editors/TimeAndDate.h"

#include "editors/TADClockControl.h"
#include "editors/TADStepper.h"
#include "editors/TADTextField.h"
#include "editors/WBCalendarControl.h"
#include "ui/VLXBox.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

// The dialog's controls, built once at the first showing. Each control's objectName is the
// name the picker knows it by, so tests and accessibility tools find it.

namespace {
template<typename Widget> Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QToolButton *arrowButton(const char *name, const QString &text, const QString &tip)
{
    auto *button = named(new QToolButton, name);
    button->setText(text);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    return button;
}
} // namespace

void TimeAndDate::loadInterface()
{
    if (m_monthYear)
        return;
    setWindowTitle(tr("Date and Time"));
    setSizeGripEnabled(false);

    m_smartDateBox = named(new VLXBox, "smartDateBox");
    m_smartDateBox->setHelpAnchor(QStringLiteral("DatePicker"));

    // Month and year: the year buttons outside, the month buttons inside.
    auto *decreaseYearButton
        = arrowButton("decreaseYear", QStringLiteral("«"), tr("Previous Year"));
    auto *decreaseMonthButton
        = arrowButton("decreaseMonth", QStringLiteral("‹"), tr("Previous Month"));
    auto *increaseMonthButton = arrowButton("increaseMonth", QStringLiteral("›"), tr("Next Month"));
    auto *increaseYearButton = arrowButton("increaseYear", QStringLiteral("»"), tr("Next Year"));
    m_monthYear = named(new QLabel, "monthYear");
    m_monthYear->setAlignment(Qt::AlignCenter);
    auto *monthRow = new QHBoxLayout;
    monthRow->setSpacing(0);
    monthRow->addWidget(decreaseYearButton);
    monthRow->addWidget(decreaseMonthButton);
    monthRow->addWidget(m_monthYear, 1);
    monthRow->addWidget(increaseMonthButton);
    monthRow->addWidget(increaseYearButton);
    connect(decreaseYearButton, &QToolButton::clicked, this, &TimeAndDate::decreaseYear);
    connect(decreaseMonthButton, &QToolButton::clicked, this, &TimeAndDate::decreaseMonth);
    connect(increaseMonthButton, &QToolButton::clicked, this, &TimeAndDate::increaseMonth);
    connect(increaseYearButton, &QToolButton::clicked, this, &TimeAndDate::increaseYear);

    m_calendar = named(new WBCalendarControl, "calendar");
    connect(m_calendar, &WBCalendarControl::activated, this, &TimeAndDate::setDay);

    m_clock = named(new TADClockControl, "clock");
    m_clock->setFixedSize(128, 128);
    m_clock->clockCell()->setActionDelegate(this);
    // Keys and the context menu change the clock without a tracking: the fields follow too.
    connect(m_clock, &ClockControl::activated, this,
            [this] { updateTimeElements(m_clock->time()); });

    // Hour, minute and second with their markers below and the one stepper at the end.
    m_hourField = named(new TADTextField, "hourField");
    m_minuteField = named(new TADTextField, "minuteField");
    m_secondField = named(new TADTextField, "secondField");
    m_hourFieldBtn = named(new QToolButton, "hourFieldBtn");
    m_minuteFieldBtn = named(new QToolButton, "minuteFieldBtn");
    m_secondFieldBtn = named(new QToolButton, "secondFieldBtn");
    m_timeStepper = named(new TADStepper, "timeStepper");
    m_timeStepper->setActionDelegate(this);
    auto *timeGrid = new QGridLayout;
    timeGrid->setHorizontalSpacing(2);
    timeGrid->setVerticalSpacing(0);
    TADTextField *fields[3] = {m_hourField, m_minuteField, m_secondField};
    QToolButton *markers[3] = {m_hourFieldBtn, m_minuteFieldBtn, m_secondFieldBtn};
    for (int i = 0; i < 3; ++i) {
        TADTextField *field = fields[i];
        field->setActionDelegate(this);
        field->setValidator(new QIntValidator(0, i == 0 ? 23 : 59, field));
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 10);
        connect(field, &QLineEdit::textEdited, this, [this, field] {
            if (field == m_steppedField)
                m_timeStepper->setValue(field->intValue());
        });
        connect(field, &QLineEdit::editingFinished, this, &TimeAndDate::updateClockDisplay);
        timeGrid->addWidget(field, 0, 2 * i);
        if (i < 2)
            timeGrid->addWidget(new QLabel(QStringLiteral(":")), 0, 2 * i + 1);
        QToolButton *marker = markers[i];
        marker->setArrowType(Qt::UpArrow);
        marker->setAutoRaise(true);
        marker->setFocusPolicy(Qt::NoFocus);
        marker->setFixedHeight(10);
        QSizePolicy keepRoom = marker->sizePolicy();
        keepRoom.setRetainSizeWhenHidden(true);
        marker->setSizePolicy(keepRoom);
        connect(marker, &QToolButton::clicked, this, [this, field] { mouseDown(field); });
        timeGrid->addWidget(marker, 1, 2 * i, Qt::AlignHCenter);
    }
    timeGrid->addWidget(m_timeStepper, 0, 6);
    connect(m_timeStepper, &TADStepper::valueChanged, this, [this](int value) {
        if (m_steppedField)
            m_steppedField->setText(QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')));
    });

    auto *clockColumn = new QVBoxLayout;
    clockColumn->addWidget(m_clock, 0, Qt::AlignHCenter);
    clockColumn->addLayout(timeGrid);
    auto *calendarColumn = new QVBoxLayout;
    calendarColumn->addLayout(monthRow);
    calendarColumn->addWidget(m_calendar, 0, Qt::AlignHCenter);
    calendarColumn->addStretch(1);
    auto *boxLayout = new QHBoxLayout(m_smartDateBox);
    boxLayout->addLayout(calendarColumn);
    boxLayout->addSpacing(12);
    boxLayout->addLayout(clockColumn);

    auto *buttons = new QDialogButtonBox;
    QPushButton *ok = buttons->addButton(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("OK"));
    QPushButton *cancelButton = buttons->addButton(QDialogButtonBox::Cancel);
    cancelButton->setObjectName(QStringLiteral("Cancel"));
    QPushButton *revertButton = buttons->addButton(tr("Revert"), QDialogButtonBox::ResetRole);
    revertButton->setObjectName(QStringLiteral("Revert"));
    QPushButton *nowButton = buttons->addButton(tr("Now"), QDialogButtonBox::ActionRole);
    nowButton->setObjectName(QStringLiteral("Now"));
    connect(ok, &QPushButton::clicked, this, &TimeAndDate::accept);
    connect(cancelButton, &QPushButton::clicked, this, &TimeAndDate::cancel);
    connect(revertButton, &QPushButton::clicked, this, &TimeAndDate::revert);
    connect(nowButton, &QPushButton::clicked, this, &TimeAndDate::setNow);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_smartDateBox);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Only a button inside the dialog can become its default.
    ok->setDefault(true);
}
