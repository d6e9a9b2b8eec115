#include "app/PreviewWindow.h"

#include "app/Controller.h"
#include "app/ExportSheet.h"
#include "app/PreviewPage.h"
#include "app/Vellumcast.h"
#include "io/VLXExportTemplate.h"
#include "model/VLXFeed.h"
#include "platform/DefaultsStore.h"
#include "platform/PrintPanel.h"
#include "ui/LockedWebProfile.h"
#include "ui/VLXButton.h"
#include "ui/VLXTextField.h"
#include "ui/VLXWebView.h"
#include "ui/printInfoManager.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPrinter>
#include <QVBoxLayout>

namespace {
const QString kPreviewTemplate = QStringLiteral("feedPreviewTemplate");
} // namespace

PreviewWindow::PreviewWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("previewWindow"));
    setWindowTitle(tr("Preview"));
    setWindowModality(Qt::WindowModal);
    setSizeGripEnabled(true);

    m_profile = new LockedWebProfile(Controller::signature(), this);
    m_view = new VLXWebView(this);
    m_view->setObjectName(QStringLiteral("previewView"));
    m_page = new PreviewPage(m_profile, m_view);
    m_view->setPage(m_page);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    auto finished = [this](bool success) {
        m_printer.reset();
        emit printFinished(success);
    };
    connect(m_view, &VLXWebView::printFinished, this, finished);
    connect(m_page, &QWebEnginePage::pdfPrintingFinished, this,
            [finished](const QString &, bool success) { finished(success); });

    m_template = new VLXTextField(this);
    m_template->setObjectName(QStringLiteral("previewTemplate"));
    m_template->setReadOnly(true);
    auto *templateButton = new VLXButton(this);
    templateButton->setObjectName(QStringLiteral("previewTemplateButton"));
    templateButton->setText(tr("Template\u2026"));
    auto *print = new VLXButton(this);
    print->setObjectName(QStringLiteral("previewPrintButton"));
    print->setText(tr("Print\u2026"));
    print->setShortcut(QKeySequence::Print);
    auto *close = new VLXButton(this);
    close->setObjectName(QStringLiteral("previewCancelButton"));
    close->setText(tr("Close"));
    close->setDefault(true);
    connect(templateButton, &QPushButton::clicked, this, &PreviewWindow::previewTemplateChanged);
    connect(print, &QPushButton::clicked, this, &PreviewWindow::previewPrint);
    connect(close, &QPushButton::clicked, this, &PreviewWindow::previewCancel);

    auto *top = new QHBoxLayout;
    top->addWidget(m_template, 1);
    top->addWidget(templateButton);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(print);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);
    resize(820, 700);
}

PreviewWindow::~PreviewWindow()
{
    // The engine wants a profile's pages gone before the profile.
    delete m_view;
    delete m_profile;
}

QString PreviewWindow::previewHtml(const VLXFeed &feed, const QString &templatePath)
{
    return QStringLiteral("<!doctype html public \"-//w3c//dtd html 3.2//en\"><HTML><HEAD></HEAD>"
                          "<BODY>%1</BODY></HTML>")
        .arg(feed.buildExport(VLXExportTemplate::HTML, templatePath, false, false, 0));
}

QString PreviewWindow::previewTemplatePath(bool mustExist)
{
    const QString saved = Vellumcast::userDefaults().string(kPreviewTemplate).value_or(QString());
    if (!saved.isEmpty() && (!mustExist || QFileInfo(saved).isFile()))
        return saved;
    return ExportSheet::defaultTemplatePath(ExportSheet::types().first());
}

QString PreviewWindow::templatePath() const
{
    return m_template->text();
}

void PreviewWindow::printDocument(std::shared_ptr<VLXFeed> feed)
{
    if (inPreviewMode()) {
        previewPrint();
        return;
    }
    m_feed = std::move(feed);
    m_template->setText(previewTemplatePath(true));
    reload();
    open();
    raise();
    activateWindow();
}

void PreviewWindow::reload()
{
    if (m_feed)
        m_page->showHtml(previewHtml(*m_feed, m_template->text()));
}

void PreviewWindow::previewTemplateChanged()
{
    const QString chosen = ExportSheet::chooseTemplate(
        tr("Load"), {QStringLiteral("html"), QStringLiteral("htm")}, m_template->text());
    if (chosen.isEmpty())
        return;
    m_template->setText(chosen);
    Vellumcast::userDefaults().setObject(chosen, kPreviewTemplate);
    reload();
}

bool PreviewWindow::previewPrint()
{
    if (m_printer)
        return false; // the page is still being printed
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printInfoManager::applyTo(*printer);
    if (!PrintPanel::show(*printer, this))
        return false;
    m_printer = std::move(printer);
    // A PDF file is made by the engine itself, as text; a printer gets the pages as pictures.
    if (m_printer->outputFormat() == QPrinter::PdfFormat && !m_printer->outputFileName().isEmpty())
        m_page->printToPdf(m_printer->outputFileName(), m_printer->pageLayout(),
                           m_printer->pageRanges());
    else
        m_view->print(m_printer.get());
    return true;
}

void PreviewWindow::previewCancel()
{
    done(1);
}

void PreviewWindow::done(int code)
{
    m_feed.reset();
    QDialog::done(code);
}

void PreviewWindow::closeEvent(QCloseEvent *event)
{
    // The close box ends the preview as Close does.
    event->accept();
    previewCancel();
}
