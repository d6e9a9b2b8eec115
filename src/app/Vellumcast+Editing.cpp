// The window's side of editing: the undo stack and the automatic dates, forwarded to the
// document, and the window's view of the document's signals.
#include "app/Vellumcast.h"

#include "app/ParseLogPanel.h"
#include "document/FeedFields.h"
#include "document/FeedListModel.h"
#include "document/VLXUndoManager.h"
#include "model/VLXFeed.h"
#include "model/VLXItems.h"
#include "model/extensionManagerChannel.h"
#include "panes/EditTracker.h"

#include <QUndoStack>
#include <QAction>

// --- The undo stack and the edited mark ---------------------------------------------------------

VLXUndoManager *Vellumcast::undoManager()
{
    return m_document->undoManager();
}

void Vellumcast::finalizeChanges()
{
    m_editTracker->finalizeChanges();
}

void Vellumcast::undo()
{
    undoManager()->undo();
}

void Vellumcast::redo()
{
    undoManager()->redo();
}

bool Vellumcast::isDocumentEdited() const
{
    return m_document->isEdited();
}

void Vellumcast::setDocumentEdited(bool edited)
{
    m_document->setEdited(edited);
}

void Vellumcast::setDocumentEdited(bool edited, bool flushUndos)
{
    m_document->setEdited(edited, flushUndos);
}

bool Vellumcast::isImageEdited() const
{
    return m_document->isImageEdited();
}

void Vellumcast::setImageEdited(bool edited)
{
    m_document->setImageEdited(edited);
}

void Vellumcast::registerUndo(UndoRecord record, const QString &actionName)
{
    m_document->registerUndo(std::move(record), actionName);
}

void Vellumcast::connectDocument()
{
    connect(m_document, &FeedDocument::feedReplaced, this, &Vellumcast::updateInterface);
    connect(m_document, &FeedDocument::entryChanged, this, [this] {
        // The list shows the loaded entry as the document keeps it.
        if (m_feedList->rowOf(m_document->entry().uniqueIdentifier) >= 0)
            m_feedList->update(m_document->entry());
    });
    connect(m_document, &FeedDocument::editedChanged, this, [this](bool edited) {
        if (m_documentWindow)
            m_documentWindow->setWindowModified(edited);
        validateCommands();
    });
    connect(m_document, &FeedDocument::parseLogRequested, this,
            [this](const FeedDocument::ParseLog &log) { m_parseLog->viewParseLog(log); });
    VLXUndoManager *undo = m_document->undoManager();
    // An undo or redo first commits the edit in progress, as every action does.
    connect(undo, &VLXUndoManager::aboutToApply, this, [this] { finalizeChanges(); });
    // The Edit menu names the step that Undo and Redo would take back or do again.
    auto name = [this, undo] {
        if (QAction *undoCommand = command(QStringLiteral("undo"))) {
            const QString text = undo->undoActionName();
            undoCommand->setText(text.isEmpty() ? tr("&Undo") : tr("&Undo %1").arg(text));
        }
        if (QAction *redoCommand = command(QStringLiteral("redo"))) {
            const QString text = undo->redoActionName();
            redoCommand->setText(text.isEmpty() ? tr("&Redo") : tr("&Redo %1").arg(text));
        }
    };
    connect(undo->stack(), &QUndoStack::indexChanged, this, name);
    connect(undo->stack(), &QUndoStack::cleanChanged, this, name);
    // Undo and Redo are offered only with a step to take back or do again.
    connect(undo->stack(), &QUndoStack::canUndoChanged, this, &Vellumcast::validateCommands);
    connect(undo->stack(), &QUndoStack::canRedoChanged, this, &Vellumcast::validateCommands);
    connect(undo, &VLXUndoManager::flushed, m_editTracker, &EditTracker::clear);
    // Whatever a step did or took back, the extensions see whether the status line still says
    // the right thing (the Common Feed resort button follows the order of the items).
    const auto statusLine = [this] {
        if (const std::shared_ptr<VLXFeed> feed = m_document->feed())
            feed->XMLExtensions()->updateStatusLine();
    };
    connect(undo, &VLXUndoManager::stepClosed, this, statusLine);
    connect(undo, &VLXUndoManager::applied, this, statusLine);
    // Save is offered as soon as a field is being changed, before the change is committed.
    connect(m_editTracker, &EditTracker::userEdited, this, &Vellumcast::validateCommands);
}

// --- Automatic publication dates ----------------------------------------------------------------

void Vellumcast::updateFeedAutoPubDate()
{
    m_document->refreshFeedPubDate();
}

void Vellumcast::updateAutoPubDateForItem(VLXItems *item)
{
    m_document->refreshItemPubDate(currentFeed()->indexOfItem(item));
}

void Vellumcast::updateAutoPubDateForItemAtIndex(int index)
{
    m_document->refreshItemPubDate(index);
}

void Vellumcast::updateFeedPubDateDisplay(const QString &date)
{
    if (QWidget *field = outlet(FeedFields::kFeedPubDate))
        m_editTracker->setDisplayedText(field, date);
}

void Vellumcast::updateItemPubDateDisplay(const QString &date, int itemIndex)
{
    if (itemIndex < 0 || itemIndex != selectedItemRow())
        return;
    if (QWidget *field = outlet(FeedFields::kItemPubDate))
        m_editTracker->setDisplayedText(field, date);
}
