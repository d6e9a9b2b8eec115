#include "app/OutputActions.h"

#include "app/ExportSheet.h"
#include "app/FeedSaving.h"
#include "app/LoadRunner.h"
#include "app/PreviewWindow.h"
#include "app/SortSheet.h"
#include "app/WindowServices.h"
#include "document/FeedDocument.h"
#include "document/FieldChange.h"
#include "io/VLXExportTemplate.h"
#include "model/VLXFeed.h"
#include "model/extensionManagerChannel.h"
#include "platform/PrintPanel.h"
#include "settings/VLXPreferences.h"
#include "ui/TextPrinter.h"
#include "ui/printInfoManager.h"

#include <QFontDatabase>
#include <QPrinter>

namespace {
// Up to this many items a sort is quick enough to run on the window's thread.
constexpr int kItemsSortedInPlace = 2000;

PreviewWindow *existingPreview(const QWidget *window)
{
    return window ? window->findChild<PreviewWindow *>(QStringLiteral("previewWindow"),
                                                       Qt::FindDirectChildrenOnly)
                  : nullptr;
}
} // namespace

OutputActions::OutputActions(WindowServices &window, FeedSaving &saving, QObject *parent)
    : QObject(parent), m_window(window), m_saving(saving), m_document(window.document())
{
}

ExportSheet *OutputActions::exportSheet()
{
    if (!m_window.window())
        return nullptr;
    // Kept with the window: the type chosen last stays chosen for the next export.
    auto *sheet = m_window.window()->findChild<ExportSheet *>(QStringLiteral("exportWindow"),
                                                              Qt::FindDirectChildrenOnly);
    return sheet ? sheet : new ExportSheet(m_window.window());
}

void OutputActions::exportFeed()
{
    m_window.finalizeChanges();
    const FeedListEntry &entry = m_document->entry();
    if (entry.isNull() || !m_saving.checkRequiredFields())
        return;
    if (ExportSheet *sheet = exportSheet())
        sheet->exportFeed(m_document->feed(), entry.uniqueIdentifier, entry.fileName);
}

PreviewWindow *OutputActions::previewWindow()
{
    if (!m_window.window())
        return nullptr;
    // Made on first use only: the web engine starts with it.
    PreviewWindow *preview = existingPreview(m_window.window());
    return preview ? preview : new PreviewWindow(m_window.window());
}

void OutputActions::printDocument()
{
    m_window.finalizeChanges();
    if (PreviewWindow *preview = previewWindow())
        preview->printDocument(m_document->feed());
}

bool OutputActions::printWithPanel(bool showPanels, const std::function<bool(QPrinter &)> &print)
{
    QPrinter printer(QPrinter::HighResolution);
    printInfoManager::applyTo(printer);
    if (showPanels && !PrintPanel::show(printer, m_window.window()))
        return false;
    return print(printer);
}

bool OutputActions::printDocumentUsingPrintPanel(bool showPanels)
{
    m_window.finalizeChanges();
    // The template is not checked here: a missing one prints the empty export it gives.
    const QString html = m_document->feed()->buildExport(
        VLXExportTemplate::HTML, PreviewWindow::previewTemplatePath(false), false, false, 0);
    return printWithPanel(
        showPanels, [&html](QPrinter &printer) { return TextPrinter::printHtml(html, printer); });
}

bool OutputActions::printDocumentXML(bool showPanels)
{
    m_window.finalizeChanges();
    const QString xml = m_document->feed()->buildXML();
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(9);
    return printWithPanel(showPanels, [&](QPrinter &printer) {
        return TextPrinter::printPlainText(xml, font, printer);
    });
}

void OutputActions::runPageLayout()
{
    printInfoManager::runPageLayout(m_window.window());
}

void OutputActions::setUpOutputCommands()
{
    const QList<QPair<QString, std::function<void()>>> handlers {
        {QStringLiteral("exportFeed"), [this] { exportFeed(); }},
        {QStringLiteral("printPreview"), [this] { printDocument(); }},
        // Print prints the preview while it is open, else the feed as the preview shows it.
        {QStringLiteral("printDocument"),
         [this] {
             PreviewWindow *preview = existingPreview(m_window.window());
             if (preview && preview->inPreviewMode())
                 preview->previewPrint();
             else
                 printDocumentUsingPrintPanel(true);
         }},
        {QStringLiteral("printDocumentXML"), [this] { printDocumentXML(true); }},
        {QStringLiteral("runPageLayout"), [this] { runPageLayout(); }},
        {QStringLiteral("sortOpen"), [this] { sortOpen(); }},
    };
    for (const auto &[name, handler] : handlers) {
        if (!m_window.hasCommandHandler(name))
            m_window.setCommandHandler(name, handler);
    }
}

void OutputActions::sortOpen()
{
    m_window.finalizeChanges();
    const std::shared_ptr<VLXFeed> feed = m_document->feed();
    if (!m_window.window() || feed->countOfItems() == 0)
        return;
    // A sheet closed before goes now rather than later: there is one sort sheet at a time.
    delete m_window.window()->findChild<SortSheet *>(QStringLiteral("sortWindow"),
                                                     Qt::FindDirectChildrenOnly);
    auto *sheet = new SortSheet(feed->findSortableTags(),
                                feed->XMLExtensions()->arrayOfExtensionNames(), m_window.window());
    connect(sheet, &QDialog::accepted, this, [this, sheet] {
        sortItems(sheet->field(), sheet->comparison() != SortSheet::Alphabetic, sheet->ascending());
    });
    // Not deleted on close: a long sort turns the event loop behind its progress dialog while
    // the sheet is still telling that it closed. It goes once it has told.
    connect(sheet, &QDialog::finished, sheet, &QObject::deleteLater);
    sheet->open();
}

bool OutputActions::sortItems(const QString &field, bool byNumber, bool ascending)
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
        const QString status = m_window.statusText();
        LoadRunner::Wording wording;
        wording.dialogTitle = tr("Sorting Items");
        wording.status = [](LoadControl::Stage, const QString &title) {
            return QStringLiteral("Sorting...   %1").arg(title);
        };
        // The keys are taken with a copy of the settings made here.
        auto settings = std::make_shared<VLXPreferences::ThreadCopy>();
        const bool finished = m_window.loadRunner()->run(
            [feed, field, byNumber, ascending, taken, settings](LoadControl &control) {
                const VLXPreferences::ThreadCopy::Use use(*settings);
                *taken = feed->sortOrder(
                    field, !byNumber, ascending, [&control](qint64 done, qint64 total) {
                        return control.report(LoadControl::Stage::Finishing, done, total);
                    });
            },
            QStringLiteral("<%1>").arg(field), wording);
        m_window.setStatusText(status);
        if (!finished || m_document->feed() != feed || feed->countOfItems() != count)
            return false;
        order = std::move(*taken);
    }
    if (!order || order->empty())
        return false; // nothing to do (or stopped), nothing to undo
    const int row = m_window.selectedItemRow();
    // The items as they stand, before they move.
    UndoRecord record = FieldChange::items(*m_document, row);
    feed->reorderItems(*order);
    m_document->registerUndo(std::move(record), QStringLiteral("Sort on <%1>").arg(field));
    m_document->itemsChanged(row);
    m_document->refreshFeedPubDate();
    return true;
}
