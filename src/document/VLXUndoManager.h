#pragma once

#include "document/UndoRecord.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QUndoStack;
class VLXUndoCommand;

// The window's one undo stack behind a small façade, so that editors and extension tabs never
// touch QUndoCommand. Every record registered during one user action (until control returns to
// the event loop, or closeGroup()) forms one undo step, named by the last action name set.
//
// The edited mark is "the stack is not at its clean index, or a step is being gathered, or the
// feed was marked edited by hand" (a fetched, repaired or new feed), so undoing past a save marks
// the feed edited again and redoing back to it marks it saved.
class VLXUndoManager : public QObject
{
    Q_OBJECT
public:
    explicit VLXUndoManager(QObject *parent = nullptr);
    ~VLXUndoManager() override;

    QUndoStack *stack() const { return m_stack; }

    // Records registered while an undo or redo applies are ignored: the apply operation answers
    // its reverse record itself.
    void registerUndo(UndoRecord record);
    void setActionName(const QString &name);
    // Pushes the step being gathered onto the stack (nothing when it is empty).
    void closeGroup();
    bool isApplying() const { return m_applying; }
    bool isGroupOpen() const;

    void undo();
    void redo();
    bool canUndo() const;
    bool canRedo() const;
    QString undoActionName() const;
    QString redoActionName() const;
    int count() const;
    void removeAllActions();

    bool isDocumentEdited() const;
    // false marks the current state as saved (and drops a forced mark); true forces the mark.
    void setDocumentEdited(bool edited);
    // As above; when the feed is then unedited and flush is set, the stack is emptied too.
    void setDocumentEdited(bool edited, bool flushUndos);

signals:
    void documentEditedChanged(bool edited);
    // Before an undo or redo applies (edits in progress are committed on it) and after.
    void aboutToApply();
    void applied();
    // A step was pushed onto the stack: the user action that gathered it has ended.
    void stepClosed();
    void flushed();

private:
    void notifyEdited();

    QUndoStack *m_stack = nullptr;
    VLXUndoCommand *m_open = nullptr;
    bool m_forced = false;
    bool m_applying = false;
    bool m_lastEdited = false;
    bool m_closeQueued = false;
};
