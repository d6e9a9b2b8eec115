#include "panes/cc/creativeCommonsSelect.h"

#include "extensions/cc/CreativeCommonsLibrary.h"
#include "platform/HelpService.h"
#include "ui/VLXTableView.h"

#include <QHBoxLayout>
#include <QPushButton>

creativeCommonsSelect::creativeCommonsSelect(QWidget *parent)
    : CreativeCommonsLibraryDialog(QStringLiteral("creativeCommonsSelect"), parent)
{
    setWindowTitle(tr("Select License"));
    auto *help = new QPushButton(tr("Help"));
    help->setObjectName(QStringLiteral("helpButton"));
    auto *cancel = new QPushButton(tr("Cancel"));
    cancel->setObjectName(QStringLiteral("cancel"));
    auto *accept = new QPushButton(tr("Select"));
    accept->setObjectName(QStringLiteral("accept"));
    accept->setDefault(true);
    buttonRow()->insertWidget(0, help);
    buttonRow()->addWidget(cancel);
    buttonRow()->addWidget(accept);
    connect(help, &QPushButton::clicked, this, [this] { helpButton(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(accept, &QPushButton::clicked, this, [this] { this->accept(); });
    connect(licenseTable(), &VLXTableView::doubleAction, this, [this] { this->accept(); });
}

void creativeCommonsSelect::accept()
{
    const QString url = selectedURL();
    if (licenseTable()->selectedRow() < 0) {
        done(0);
        return;
    }
    setLicenseURLString(url);
    setLicenseNameString(entryOf(url).value(CreativeCommonsLibrary::kNameKey).toString());
    done(1);
}

void creativeCommonsSelect::helpButton()
{
    HelpService::open(QStringLiteral("CreativeCommonsSelectLicense"));
}

QString creativeCommonsSelect::licenseNameForURL(const QString &url)
{
    return CreativeCommonsLibrary::licenseNameForURL(url);
}

QString creativeCommonsSelect::licenseHTMLForURL(const QString &url)
{
    return CreativeCommonsLibrary::licenseHTMLForURL(url);
}
