// The sort sheet and the undoable sort of the items.
#include "app/Vellumcast.h"

#include "app/FieldChange.h"
#include "app/LoadRunner.h"
#include "app/SortSheet.h"
#include "model/VLXFeed.h"
#include "model/extensionManagerChannel.h"
#include "settings/VLXPreferences.h"

#include <QMainWindow>

namespace {
// Up to this many items a sort is quick enough to run on the window's thread.
constexpr int kItemsSortedInPlace = 2000;
} // namespace

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
    const std::shared_ptr<VLXFeed> feed = m_document->feed();
    const int count = feed->countOfItems();
    std::optional<std::vector<int>> order;
    if (count <= kItemsSortedInPlace) {
        order = feed->sortOrder(field, !byNumber, ascending);
    } else {
        // A long sort runs on the loader's worker behind its progress dialog, with Cancel; the
        // window takes no input meanwhile, and only the items' keys change until it ends.
        auto taken = std::make_shared<std::optional<std::vector<int>>>();
        const QString status = statusText();
        LoadRunner::Wording wording;
        wording.dialogTitle = tr("Sorting Items");
        wording.status = [](LoadControl::Stage, const QString &title) {
            return QStringLiteral("Sorting...   %1").arg(title);
        };
        // The keys are taken with a copy of the settings made here.
        auto settings = std::make_shared<VLXPreferences::ThreadCopy>();
        const bool finished = m_loader->run(
            [feed, field, byNumber, ascending, taken, settings](LoadControl &control) {
                const VLXPreferences::ThreadCopy::Use use(*settings);
                *taken = feed->sortOrder(
                    field, !byNumber, ascending, [&control](qint64 done, qint64 total) {
                        return control.report(LoadControl::Stage::Finishing, done, total);
                    });
            },
            QStringLiteral("<%1>").arg(field), wording);
        setStatusText(status);
        if (!finished || m_document->feed() != feed || feed->countOfItems() != count)
            return false;
        order = std::move(*taken);
    }
    if (!order || order->empty())
        return false; // nothing to do (or stopped), nothing to undo
    const int row = selectedItemRow();
    // The items as they stand, before they move.
    UndoRecord record = FieldChange::items(*m_document, row);
    feed->reorderItems(*order);
    m_document->registerUndo(std::move(record), QStringLiteral("Sort on <%1>").arg(field));
    m_document->itemsChanged(row);
    m_document->refreshFeedPubDate();
    return true;
}
