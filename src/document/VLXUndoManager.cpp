#include "document/VLXUndoManager.h"

#include "document/VLXUndoCommand.h"

#include <QTimer>
#include <QUndoStack>

VLXUndoManager::VLXUndoManager(QObject *parent) : QObject(parent), m_stack(new QUndoStack(this))
{
    connect(m_stack, &QUndoStack::cleanChanged, this, &VLXUndoManager::notifyEdited);
    connect(m_stack, &QUndoStack::indexChanged, this, &VLXUndoManager::notifyEdited);
}

VLXUndoManager::~VLXUndoManager()
{
    delete m_open;
}

void VLXUndoManager::registerUndo(UndoRecord record)
{
    if (m_applying || !record)
        return;
    if (!m_open) {
        m_open = new VLXUndoCommand(QString());
        notifyEdited();
    }
    m_open->addRecord(std::move(record));
    if (!m_closeQueued) {
        // The user action ends when control returns to the event loop.
        m_closeQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_closeQueued = false;
            closeGroup();
        });
    }
}

void VLXUndoManager::setActionName(const QString &name)
{
    if (m_open && !m_applying)
        m_open->setText(name);
}

void VLXUndoManager::closeGroup()
{
    if (!m_open)
        return;
    VLXUndoCommand *command = m_open;
    m_open = nullptr;
    if (command->isEmpty()) {
        delete command;
        notifyEdited();
        return;
    }
    m_stack->push(command); // its first redo() leaves the model alone
    notifyEdited();
    emit stepClosed();
}

bool VLXUndoManager::isGroupOpen() const
{
    return m_open != nullptr;
}

void VLXUndoManager::undo()
{
    if (m_applying)
        return;
    emit aboutToApply();
    closeGroup();
    if (!m_stack->canUndo())
        return;
    m_applying = true;
    m_stack->undo();
    m_applying = false;
    emit applied();
    notifyEdited();
}

void VLXUndoManager::redo()
{
    if (m_applying)
        return;
    emit aboutToApply();
    closeGroup();
    if (!m_stack->canRedo())
        return;
    m_applying = true;
    m_stack->redo();
    m_applying = false;
    emit applied();
    notifyEdited();
}

bool VLXUndoManager::canUndo() const
{
    return m_open || m_stack->canUndo();
}

bool VLXUndoManager::canRedo() const
{
    return !m_open && m_stack->canRedo();
}

QString VLXUndoManager::undoActionName() const
{
    return m_open ? m_open->text() : m_stack->undoText();
}

QString VLXUndoManager::redoActionName() const
{
    return m_open ? QString() : m_stack->redoText();
}

int VLXUndoManager::count() const
{
    return m_stack->count() + (m_open ? 1 : 0);
}

void VLXUndoManager::removeAllActions()
{
    delete m_open;
    m_open = nullptr;
    m_stack->clear();
    notifyEdited();
}

bool VLXUndoManager::isDocumentEdited() const
{
    return m_forced || m_open || !m_stack->isClean();
}

void VLXUndoManager::setDocumentEdited(bool edited)
{
    if (edited) {
        m_forced = true;
    } else {
        closeGroup();
        m_forced = false;
        m_stack->setClean();
    }
    notifyEdited();
}

void VLXUndoManager::setDocumentEdited(bool edited, bool flushUndos)
{
    setDocumentEdited(edited);
    if (isDocumentEdited() || !flushUndos)
        return;
    removeAllActions();
    emit flushed();
}

void VLXUndoManager::notifyEdited()
{
    const bool edited = isDocumentEdited();
    if (edited == m_lastEdited)
        return;
    m_lastEdited = edited;
    emit documentEditedChanged(edited);
}
