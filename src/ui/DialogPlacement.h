#pragma once

class QDialog;

// Where a dialog made ahead of its use opens: over the window the user works in (the running
// modal window, else the active one), so the desktop keeps it in front of that window.
class DialogPlacement
{
public:
    static void overActiveWindow(QDialog *dialog);
};
