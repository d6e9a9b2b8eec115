#pragma once

#include "platform/PrintPanel.h"

#include <QList>
#include <QString>

// Answers print panels from a queue: a file path prints to that PDF file, an empty answer (or
// none left) cancels. Counts the panels shown.
class ScriptedPrintPanel : public PrintPanel
{
public:
    bool run(QPrinter &printer, QWidget *parent) override;

    void enqueue(const QString &pdfPath) { m_answers.append(pdfPath); }
    int shown() const { return m_shown; }

private:
    QList<QString> m_answers;
    int m_shown = 0;
};
