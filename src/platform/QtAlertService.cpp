#include "platform/QtAlertService.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace {
const char *const kAnswer = "vlxAnswer";
}

QMessageBox *QtAlertService::buildBox(const Alert &alert)
{
    // The box sits over the active window. One on its way out (a progress dialog that stepped
    // aside for this question) would take the box with it: its own window carries the box then.
    QWidget *over = QApplication::activeWindow();
    while (over && !over->isVisible())
        over = over->parentWidget() ? over->parentWidget()->window() : nullptr;
    auto *box = new QMessageBox(over);
    box->setObjectName(QStringLiteral("alert"));
    box->setIcon(alert.style == Alert::Style::Critical      ? QMessageBox::Critical
                     : alert.style == Alert::Style::Warning ? QMessageBox::Warning
                                                            : QMessageBox::Information);
    box->setWindowTitle(alert.title);
    box->setText(alert.title);
    box->setInformativeText(alert.message);
    box->setWindowModality(Qt::ApplicationModal);

    auto add = [box](const QString &title, QMessageBox::ButtonRole role, int answer) {
        QPushButton *button = box->addButton(title, role);
        button->setProperty(kAnswer, answer);
        return button;
    };
    QPushButton *byDefault
        = add(alert.defaultButton.isEmpty() ? QStringLiteral("OK") : alert.defaultButton,
              QMessageBox::AcceptRole, kDefault);
    QPushButton *alternate = alert.alternateButton.isEmpty()
        ? nullptr
        : add(alert.alternateButton, QMessageBox::RejectRole, kAlternate);
    QPushButton *other = alert.otherButton.isEmpty()
        ? nullptr
        : add(alert.otherButton, QMessageBox::ActionRole, kOther);
    if (!alert.checkBoxTitle.isEmpty()) {
        auto *check = new QCheckBox(alert.checkBoxTitle, box);
        check->setObjectName(QStringLiteral("alertCheckBox"));
        box->setCheckBox(check);
    }
    box->setDefaultButton(byDefault);
    const QString cancel = QStringLiteral("Cancel");
    if (other && alert.otherButton == cancel)
        box->setEscapeButton(other);
    else if (alternate)
        box->setEscapeButton(alternate);
    else
        box->setEscapeButton(byDefault);
    return box;
}

int QtAlertService::answerOf(const QMessageBox *box)
{
    const QAbstractButton *clicked = box->clickedButton();
    if (!clicked)
        clicked = box->escapeButton();
    return clicked ? clicked->property(kAnswer).toInt() : kDefault;
}

int QtAlertService::runAlert(const Alert &alert)
{
    // The box is a child of the window it sits over; when that window goes away while the alert
    // is open it takes the box with it, and the alert counts as dismissed with Escape.
    QPointer<QMessageBox> box = buildBox(alert);
    const int dismissed = answerOf(box);
    box->exec();
    if (!box)
        return dismissed;
    const int answer = answerOf(box);
    if (alert.checkBoxState && box->checkBox())
        *alert.checkBoxState = box->checkBox()->isChecked();
    delete box.data();
    return answer;
}
