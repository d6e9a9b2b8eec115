#pragma once

#include <memory>

class QPrinter;
class QWidget;

// The print panel shown before a printout: the user picks the printer (or a PDF file), copies
// and pages for this one job. The window uses QPrintDialog, window-modal over the given window;
// tests install ScriptedPrintPanel, which answers without blocking.
class PrintPanel
{
public:
    virtual ~PrintPanel() = default;
    // Sets the printer up for the job; false when the user cancelled.
    virtual bool run(QPrinter &printer, QWidget *parent) = 0;

    static bool show(QPrinter &printer, QWidget *parent);
    static PrintPanel &instance();
    // nullptr returns to QPrintDialog.
    static void setInstance(std::shared_ptr<PrintPanel> panel);
};
