#pragma once

#include "platform/AlertService.h"

class QMessageBox;

// Alerts shown with QMessageBox, application-modal over the active window. The buttons keep their
// places: the default button is the one Return presses, Escape answers "Cancel" when there is such
// a button, else the alternate button, else the default. The title and the message wrap at every
// word, and a long stretch without a blank (an address, a file's piece) wraps too, so that the box
// stays as wide as it reads best and never grows past the screen.
class QtAlertService : public AlertService
{
public:
    int runAlert(const Alert &alert) override;
    // Builds the box without running it (tests look at it; runAlert executes it).
    static QMessageBox *buildBox(const Alert &alert);
    // The answer (kDefault, kAlternate, kOther) of the button the box was closed with.
    static int answerOf(const QMessageBox *box);
};
