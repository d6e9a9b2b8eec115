#include "ui/printInfoManager.h"

#include <QLocale>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace {
QPageSize startingPageSize()
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull() && printer.defaultPageSize().isValid())
        return printer.defaultPageSize();
    // Without a printer the paper follows the user's country, as printing software does.
    const QLocale::Territory territory = QLocale().territory();
    const bool letter = territory == QLocale::UnitedStates || territory == QLocale::Canada
        || territory == QLocale::Mexico || territory == QLocale::Chile
        || territory == QLocale::Colombia || territory == QLocale::Venezuela
        || territory == QLocale::Philippines;
    return QPageSize(letter ? QPageSize::Letter : QPageSize::A4);
}
} // namespace

printInfoManager::printInfoManager()
    : m_printInfo(startingPageSize(), QPageLayout::Portrait,
                  QMarginsF(kDefaultMargin, kDefaultMargin, kDefaultMargin, kDefaultMargin),
                  QPageLayout::Point)
{
}

printInfoManager &printInfoManager::sharedInstance()
{
    // Lives until the process ends: printouts may still ask for it while the program quits.
    static printInfoManager *instance = new printInfoManager;
    return *instance;
}

void printInfoManager::applyTo(QPrinter &printer)
{
    const QPageLayout layout = printInfo();
    printer.setPageLayout(layout);
    // A printer whose paper cannot take the margins keeps its own minimum; ask for them again
    // after the layout so the margins take effect wherever the printer allows them.
    printer.setPageMargins(layout.margins(), layout.units());
}

qreal printInfoManager::printableWidth()
{
    const QPageLayout layout = printInfo();
    const QRectF paper = layout.fullRect(QPageLayout::Point);
    const QMarginsF margins = layout.margins(QPageLayout::Point);
    return paper.width() - margins.left() - margins.right();
}

int printInfoManager::runPageLayout(QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    applyTo(printer);
    QPageSetupDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PageLayoutPanel"));
    if (dialog.exec() != QDialog::Accepted)
        return 0;
    setPrintInfo(printer.pageLayout());
    return 1;
}
