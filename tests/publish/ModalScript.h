#pragma once

#include <QString>
#include <functional>

class QDialog;

// Scripts for modal windows: a test starts a window's modal run and says beforehand what to do
// once it is up.
namespace ModalScript {

// Runs the action once the active modal window has the object name (looked for every few
// milliseconds from the event loop). A window that never comes, or is still up long after the
// action, fails the test and is closed, so a test fails instead of hanging.
void whenShown(const QString &objectName, std::function<void()> action);

// Drops the scripts whose window has not come (a test's end).
void cancelPending();

// The active modal dialog when it has the object name, else null.
QDialog *active(const QString &objectName);

} // namespace ModalScript
