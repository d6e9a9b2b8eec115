#include "editors/TADStepper.h"

#include "editors/TimeAndDate.h"

#include <QToolButton>
#include <QVBoxLayout>

TADStepper::TADStepper(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto makeArrow = [this, layout](Qt::ArrowType arrow, const QString &name, int steps) {
        auto *button = new QToolButton(this);
        button->setObjectName(name);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(18, 12);
        connect(button, &QToolButton::clicked, this, [this, steps] { stepBy(steps); });
        layout->addWidget(button);
        return button;
    };
    m_up = makeArrow(Qt::UpArrow, QStringLiteral("stepUp"), 1);
    m_down = makeArrow(Qt::DownArrow, QStringLiteral("stepDown"), -1);
}

void TADStepper::setValue(int value)
{
    m_value = std::clamp(value, m_minimum, m_maximum);
}

void TADStepper::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    setValue(m_value);
}

void TADStepper::stepBy(int steps)
{
    const int span = m_maximum - m_minimum + 1;
    int next = (m_value - m_minimum + steps) % span;
    if (next < 0)
        next += span;
    m_value = m_minimum + next;
    emit valueChanged(m_value);
    if (m_actionDelegate)
        m_actionDelegate->updateClockDisplay();
}
