#include "platform/PrintPanel.h"

#include "platform/InstalledService.h"

#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>

namespace {
class DesktopPrintPanel : public PrintPanel
{
public:
    bool run(QPrinter &printer, QWidget *parent) override
    {
        // On the heap and watched: a window that goes away under the panel takes it along,
        // and the job then counts as cancelled.
        QPointer<QPrintDialog> dialog = new QPrintDialog(&printer, parent);
        dialog->setObjectName(QStringLiteral("printPanel"));
        dialog->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
        const bool accepted = dialog->exec() == QDialog::Accepted;
        if (!dialog)
            return false;
        delete dialog.data();
        return accepted;
    }
};

using Installed = InstalledService<PrintPanel, DesktopPrintPanel>;
} // namespace

bool PrintPanel::show(QPrinter &printer, QWidget *parent)
{
    return instance().run(printer, parent);
}

PrintPanel &PrintPanel::instance()
{
    return Installed::get();
}

void PrintPanel::setInstance(std::shared_ptr<PrintPanel> panel)
{
    Installed::install(std::move(panel));
}
