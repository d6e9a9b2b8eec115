#include "platform/QtAlertService.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTextBoundaryFinder>

namespace {
const char *const kAnswer = "vlxAnswer";

// The longest stretch of characters a line of the box may have to keep whole.
constexpr qsizetype kLongestRun = 32;

// The text with a zero-width space wherever a stretch without a place to break the line (an
// address, a run of one character) grows longer than kLongestRun: the box lays out the longest
// such stretch on one line and grows as wide as it needs, past the screen, or cuts it off. The
// spaces go between characters as the user sees them, never inside one.
QString breakable(const QString &text)
{
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, text);
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    QString out;
    qsizetype copied = 0;
    qsizetype start = 0;
    for (qsizetype end = lines.toNextBoundary(); end >= 0; end = lines.toNextBoundary()) {
        if (end - start > kLongestRun) {
            qsizetype counted = 0;
            characters.setPosition(start);
            for (qsizetype at = characters.toNextBoundary(); at >= 0 && at < end;
                 at = characters.toNextBoundary()) {
                if (++counted % kLongestRun != 0)
                    continue;
                out += QStringView(text).sliced(copied, at - copied);
                out += QChar(0x200B);
                copied = at;
            }
        }
        start = end;
    }
    if (copied == 0)
        return text;
    out += QStringView(text).sliced(copied);
    return out;
}
} // namespace

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
    box->setText(breakable(alert.title));
    box->setInformativeText(breakable(alert.message));
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
