#pragma once

#include "document/UndoRecord.h"

#include <QList>
#include <QUndoCommand>

// The one command kind on the window's undo stack: the records registered during one user
// action. The records were registered before the model changed and the change itself was made
// by the action, so the first redo() (the one QUndoStack::push makes) does nothing; later ones
// apply the records that the undo produced.
class VLXUndoCommand : public QUndoCommand
{
public:
    explicit VLXUndoCommand(const QString &name);

    void addRecord(UndoRecord record) { m_undoRecords.append(std::move(record)); }
    bool isEmpty() const { return m_undoRecords.isEmpty(); }
    int recordCount() const { return int(m_undoRecords.size()); }

    void undo() override;
    void redo() override;

private:
    QList<UndoRecord> m_undoRecords; // in registration order
    QList<UndoRecord> m_redoRecords; // in the order undo applied them (last registered first)
    bool m_pushed = false;
};
