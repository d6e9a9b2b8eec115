#include "platform/ScriptedPrintPanel.h"

#include <QPrinter>

bool ScriptedPrintPanel::run(QPrinter &printer, QWidget *)
{
    ++m_shown;
    const QString answer = m_answers.isEmpty() ? QString() : m_answers.takeFirst();
    if (answer.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(answer);
    return true;
}
