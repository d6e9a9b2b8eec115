#include "panes/cc/creativeCommonsPaste.h"

#include "extensions/cc/CreativeCommonsLibrary.h"
#include "ui/VLXTableView.h"

#include <QApplication>
#include <QClipboard>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>

creativeCommonsPaste::creativeCommonsPaste(QWidget *parent)
    : CreativeCommonsLibraryDialog(QStringLiteral("creativeCommonsPaste"), parent)
{
    setWindowTitle(tr("Paste License"));
    auto *fields = new QWidget;
    auto *form = new QFormLayout(fields);
    form->setContentsMargins(0, 0, 0, 0);
    const auto field = [form](const char *name, const QString &label) {
        auto *line = new QLineEdit;
        line->setObjectName(QLatin1String(name));
        line->setReadOnly(true);
        form->addRow(label, line);
        return line;
    };
    m_licenseName = field("licenseName", tr("Name:"));
    m_licenseURL = field("licenseURL", tr("URL:"));
    m_licenseHTML = field("licenseHTML", tr("HTML:"));
    addBelowTable(fields);

    auto *cancel = new QPushButton(tr("Cancel"));
    cancel->setObjectName(QStringLiteral("cancel"));
    buttonRow()->addWidget(cancel);
    const auto button = [this](const char *name, const QString &title) {
        auto *b = new QPushButton(title);
        b->setObjectName(QLatin1String(name));
        buttonRow()->addWidget(b);
        return b;
    };
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(button("pasteName", tr("Paste Name")), &QPushButton::clicked, this,
            [this] { pasteName(); });
    connect(button("pasteURL", tr("Paste URL")), &QPushButton::clicked, this,
            [this] { pasteURL(); });
    connect(button("pasteHTML", tr("Paste HTML")), &QPushButton::clicked, this,
            [this] { pasteHTML(); });
    connect(licenseTable()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { rowSelected(); });
}

int creativeCommonsPaste::selectLicense(QWidget *sender)
{
    // The feed's licence, or else the one pasted last (when the library still has it); a feed
    // licence the library lacks selects nothing.
    QString preselected = m_feedLicenseURL;
    if (preselected.isEmpty())
        preselected = CreativeCommonsLibrary::lastPaste();
    setLicenseURLString(rowOfURL(preselected) >= 0 ? preselected : QString());
    return CreativeCommonsLibraryDialog::selectLicense(sender);
}

void creativeCommonsPaste::rowSelected()
{
    const QString url = selectedURL();
    if (url.isEmpty() && licenseTable()->selectedRow() < 0)
        return;
    const QVariantMap entry = entryOf(url);
    setLicenseURLString(url);
    setLicenseNameString(entry.value(CreativeCommonsLibrary::kNameKey).toString());
    setLicenseHTMLString(entry.value(CreativeCommonsLibrary::kHTMLKey).toString());
    m_licenseName->setText(licenseNameString());
    m_licenseURL->setText(licenseURLString());
    m_licenseHTML->setText(licenseHTMLString());
}

void creativeCommonsPaste::paste(const QString &text)
{
    if (licenseTable()->selectedRow() < 0) {
        QApplication::beep();
        return;
    }
    if (m_feedLicenseURL.isEmpty())
        CreativeCommonsLibrary::setLastPaste(licenseURLString());
    // Plain text only, whatever the text looks like.
    QApplication::clipboard()->setText(text);
    done(1);
}

void creativeCommonsPaste::pasteName()
{
    rowSelected();
    paste(licenseNameString());
}

void creativeCommonsPaste::pasteURL()
{
    rowSelected();
    paste(licenseURLString());
}

void creativeCommonsPaste::pasteHTML()
{
    rowSelected();
    paste(licenseHTMLString());
}

QString creativeCommonsPaste::licenseNameForURL(const QString &url)
{
    return CreativeCommonsLibrary::licenseNameForURL(url);
}

QString creativeCommonsPaste::licenseHTMLForURL(const QString &url)
{
    return CreativeCommonsLibrary::licenseHTMLForURL(url);
}
