// The export sheet of the loaded feed.
#include "app/Vellumcast.h"

#include "app/ExportSheet.h"
#include "app/FeedSaving.h"

#include <QMainWindow>

ExportSheet *Vellumcast::exportSheet()
{
    if (!m_documentWindow)
        return nullptr;
    // Kept with the window: the type chosen last stays chosen for the next export.
    auto *sheet = m_documentWindow->findChild<ExportSheet *>(QStringLiteral("exportWindow"),
                                                             Qt::FindDirectChildrenOnly);
    return sheet ? sheet : new ExportSheet(m_documentWindow);
}

void Vellumcast::exportFeed()
{
    finalizeChanges();
    const FeedListEntry &entry = m_document->entry();
    if (entry.isNull() || !m_saving->checkRequiredFields())
        return;
    if (ExportSheet *sheet = exportSheet())
        sheet->exportFeed(m_document->feed(), entry.uniqueIdentifier, entry.fileName);
}
