// The preview window, the printouts of the feed and the page settings they share.
#include "app/Vellumcast.h"

#include "app/ExportSheet.h"
#include "app/PreviewWindow.h"
#include "io/VLXExportTemplate.h"
#include "model/VLXFeed.h"
#include "platform/PrintPanel.h"
#include "ui/TextPrinter.h"
#include "ui/printInfoManager.h"

#include <QFontDatabase>
#include <QMainWindow>
#include <QPrinter>

namespace {
PreviewWindow *existingPreview(const QWidget *window)
{
    return window ? window->findChild<PreviewWindow *>(QStringLiteral("previewWindow"),
                                                       Qt::FindDirectChildrenOnly)
                  : nullptr;
}
} // namespace

PreviewWindow *Vellumcast::previewWindow()
{
    if (!m_documentWindow)
        return nullptr;
    // Made on first use only: the web engine starts with it.
    PreviewWindow *preview = existingPreview(m_documentWindow);
    return preview ? preview : new PreviewWindow(m_documentWindow);
}

void Vellumcast::printDocument()
{
    finalizeChanges();
    if (PreviewWindow *preview = previewWindow())
        preview->printDocument(m_document->feed());
}

bool Vellumcast::printWithPanel(bool showPanels, const std::function<bool(QPrinter &)> &print)
{
    QPrinter printer(QPrinter::HighResolution);
    printInfoManager::applyTo(printer);
    if (showPanels && !PrintPanel::show(printer, m_documentWindow))
        return false;
    return print(printer);
}

bool Vellumcast::printDocumentUsingPrintPanel(bool showPanels)
{
    finalizeChanges();
    // The template is not checked here: a missing one prints the empty export it gives.
    const QString html = m_document->feed()->buildExport(
        VLXExportTemplate::HTML, PreviewWindow::previewTemplatePath(false), false, false, 0);
    return printWithPanel(
        showPanels, [&html](QPrinter &printer) { return TextPrinter::printHtml(html, printer); });
}

bool Vellumcast::printDocumentXML(bool showPanels)
{
    finalizeChanges();
    const QString xml = m_document->feed()->buildXML();
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(9);
    return printWithPanel(showPanels, [&](QPrinter &printer) {
        return TextPrinter::printPlainText(xml, font, printer);
    });
}

void Vellumcast::runPageLayout()
{
    printInfoManager::runPageLayout(m_documentWindow);
}

void Vellumcast::setUpOutputCommands()
{
    const QList<QPair<QString, std::function<void()>>> handlers {
        {QStringLiteral("exportFeed"), [this] { exportFeed(); }},
        {QStringLiteral("printPreview"), [this] { printDocument(); }},
        // Print prints the preview while it is open, else the feed as the preview shows it.
        {QStringLiteral("printDocument"),
         [this] {
             PreviewWindow *preview = existingPreview(m_documentWindow);
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
        if (!hasCommandHandler(name))
            setCommandHandler(name, handler);
    }
}
