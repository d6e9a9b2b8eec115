#include "document/VLXUndoCommand.h"

VLXUndoCommand::VLXUndoCommand(const QString &name) : QUndoCommand(name) { }

void VLXUndoCommand::undo()
{
    // The last change made is taken back first.
    m_redoRecords.clear();
    for (auto it = m_undoRecords.crbegin(); it != m_undoRecords.crend(); ++it) {
        if (*it)
            m_redoRecords.append(it->apply());
    }
    m_undoRecords.clear();
}

void VLXUndoCommand::redo()
{
    if (!m_pushed) {
        m_pushed = true;
        return;
    }
    m_undoRecords.clear();
    for (auto it = m_redoRecords.crbegin(); it != m_redoRecords.crend(); ++it) {
        if (*it)
            m_undoRecords.append(it->apply());
    }
    m_redoRecords.clear();
}
