#include "opml/opmlEdit.h"

#include "model/VLXLogic.h"
#include "platform/AlertService.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QLineEdit *field(QWidget *parent, const char *name, bool editable)
{
    auto *line = new QLineEdit(parent);
    line->setObjectName(QLatin1String(name));
    line->setReadOnly(!editable);
    line->setMinimumWidth(360);
    return line;
}

void invalidURL(const QString &message)
{
    Alert alert;
    alert.style = Alert::Style::Informational;
    alert.title = QObject::tr("Invalid URL");
    alert.message = message;
    alert.defaultButton = QObject::tr("OK");
    AlertService::show(alert);
}
} // namespace

opmlEdit::opmlEdit(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("opmlEdit"));
    setWindowTitle(tr("Edit Feed"));
    setModal(true);
    m_rawTitleField = field(this, "rawTitle_", false);
    m_titleField = field(this, "title_", true);
    m_rawHTMLURLField = field(this, "rawHTMLURL_", false);
    m_HTMLURLField = field(this, "HTMLURL_", true);
    m_XMLURLField = field(this, "XMLURL_", true);
    m_filenameField = field(this, "filename_", false);
    auto *form = new QFormLayout;
    form->addRow(tr("File:"), m_filenameField);
    form->addRow(tr("Title in the feed:"), m_rawTitleField);
    form->addRow(tr("Title:"), m_titleField);
    form->addRow(tr("Link in the feed:"), m_rawHTMLURLField);
    form->addRow(tr("HTML URL:"), m_HTMLURLField);
    form->addRow(tr("XML URL:"), m_XMLURLField);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *cancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    QPushButton *ok = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("accept"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &opmlEdit::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &opmlEdit::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

int opmlEdit::edit()
{
    m_rawTitleField->setText(m_rawTitle);
    m_titleField->setText(m_title);
    m_rawHTMLURLField->setText(m_rawHTMLURL);
    m_HTMLURLField->setText(m_HTMLURL);
    m_XMLURLField->setText(m_XMLURL);
    m_filenameField->setText(m_filename);
    m_titleField->setFocus(Qt::OtherFocusReason);
    return exec() == QDialog::Accepted ? 1 : 0;
}

void opmlEdit::accept()
{
    const QString html = m_HTMLURLField->text();
    const QString xml = m_XMLURLField->text();
    if (!VLXLogic::checkURL(html)) {
        invalidURL(tr("The HTML URL seems invalid or incomplete"));
        return;
    }
    if (xml.isEmpty()) {
        invalidURL(tr("The XML URL can not be blank"));
        return;
    }
    if (!VLXLogic::checkURL(xml)) {
        invalidURL(tr("The XML URL seems invalid or incomplete"));
        return;
    }
    m_title = m_titleField->text();
    m_HTMLURL = html;
    m_XMLURL = xml;
    QDialog::accept();
}
