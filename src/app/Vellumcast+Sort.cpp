// The sort sheet and the undoable sort of the items.
#include "app/Vellumcast.h"

#include "app/FieldChange.h"
#include "app/SortSheet.h"
#include "model/VLXFeed.h"
#include "model/extensionManagerChannel.h"

#include <QMainWindow>

void Vellumcast::sortOpen()
{
    finalizeChanges();
    const std::shared_ptr<VLXFeed> feed = m_document->feed();
    if (!m_documentWindow || feed->countOfItems() == 0)
        return;
    // A sheet closed before goes now rather than later: there is one sort sheet at a time.
    delete m_documentWindow->findChild<SortSheet *>(QStringLiteral("sortWindow"),
                                                    Qt::FindDirectChildrenOnly);
    auto *sheet = new SortSheet(feed->findSortableTags(),
                                feed->XMLExtensions()->arrayOfExtensionNames(), m_documentWindow);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(sheet, &QDialog::accepted, this, [this, sheet] {
        sortItems(sheet->field(), sheet->comparison() != SortSheet::Alphabetic, sheet->ascending());
    });
    sheet->open();
}

bool Vellumcast::sortItems(const QString &field, bool byNumber, bool ascending)
{
    VLXFeed &feed = *m_document->feed();
    const bool inOrder = byNumber ? (ascending ? feed.itemsNumberSortedAscByField(field)
                                               : feed.itemsNumberSortedDescByField(field))
                                  : (ascending ? feed.itemsStringSortedAscByField(field)
                                               : feed.itemsStringSortedDescByField(field));
    if (inOrder)
        return false; // nothing to do, nothing to undo
    const int row = selectedItemRow();
    // The items as they stand, copied before they move.
    UndoRecord record = FieldChange::items(*m_document, row);
    if (byNumber)
        feed.sortItemsByNumberField(field, ascending);
    else
        feed.sortItemsByStringField(field, ascending);
    m_document->registerUndo(std::move(record), QStringLiteral("Sort on <%1>").arg(field));
    m_document->itemsChanged(row);
    m_document->refreshFeedPubDate();
    return true;
}
