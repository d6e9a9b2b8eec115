#include "editors/categoryElementEdit.h"

#include "editors/SearchStepHost.h"
#include "platform/AlertService.h"
#include "ui/VLXButton.h"
#include "ui/VLXHelpAnchored.h"
#include "ui/VLXTextField.h"

#include <QDialog>
#include <QFormLayout>
#include <QVBoxLayout>

categoryElementEdit::categoryElementEdit(QObject *parent) : SearchStepSheet(parent) { }

void categoryElementEdit::loadInterface()
{
    QDialog *window = makeWindow(QStringLiteral("categoryElementEdit"));
    window->setWindowTitle(tr("Category"));
    m_categoryField = new VLXTextField(window);
    m_categoryField->setObjectName(QStringLiteral("categoryField"));
    m_categoryDomainField = new VLXTextField(window);
    m_categoryDomainField->setObjectName(QStringLiteral("categoryDomainField"));
    // The Help button covers the sheet; the fields carry no topic of their own.
    m_categoryField->setHelpAnchor(QString());
    m_categoryDomainField->setHelpAnchor(QString());
    m_categoryField->setText(m_value.categoryString());
    m_categoryDomainField->setText(m_value.categoryDomainString());

    auto *helpButton = new VLXButton(window);
    helpButton->setObjectName(QStringLiteral("help"));
    helpButton->setText(tr("Help"));
    connect(helpButton, &QPushButton::clicked, this, &categoryElementEdit::help);

    auto *form = new QFormLayout;
    form->addRow(tr("Category:"), m_categoryField);
    form->addRow(tr("Domain:"), m_categoryDomainField);
    auto *layout = new QVBoxLayout(window);
    layout->addLayout(form);
    layout->addLayout(
        makeButtonRow(QStringLiteral("cancel"), QStringLiteral("accept"), helpButton).layout);
    window->resize(400, window->sizeHint().height());
}

int categoryElementEdit::edit()
{
    if (!ensureWindow())
        return 0;
    m_categoryField->setFocus(Qt::OtherFocusReason);
    return runModal();
}

void categoryElementEdit::accept()
{
    const QString category = m_categoryField ? m_categoryField->text() : m_value.categoryString();
    const QString domain
        = m_categoryDomainField ? m_categoryDomainField->text() : m_value.categoryDomainString();
    if (category.isEmpty() && domain.isEmpty()) {
        endModal(0); // nothing to store
        return;
    }
    if (category.isEmpty()) {
        Alert alert;
        alert.style = Alert::Style::Informational;
        alert.title = QStringLiteral("Missing Required Field");
        alert.message
            = QStringLiteral("The \"Category\" is required to have a value if \"Domain\" is used.");
        AlertService::show(alert);
        return;
    }
    m_value.setCategoryString(category);
    m_value.setCategoryDomainString(domain);
    endModal(1);
}

void categoryElementEdit::orderFrontFindPanel()
{
    accept();
    SearchStepHost::instance().orderFrontFindPanel();
}

void categoryElementEdit::help()
{
    VLXHelpAnchored::helpForField(QStringLiteral("FeedCategory"));
}

QWidget *categoryElementEdit::searchControl(int field) const
{
    return field == 0 ? m_categoryField.data() : m_categoryDomainField.data();
}

QString categoryElementEdit::fieldSearchText(int field) const
{
    return field == 0 ? m_value.categoryString() : m_value.categoryDomainString();
}

void categoryElementEdit::storeField(int field)
{
    if (field == 0)
        m_value.setCategoryString(m_categoryField->text());
    else
        m_value.setCategoryDomainString(m_categoryDomainField->text());
}

void categoryElementEdit::rememberInitialValues()
{
    m_initialCategory = m_value.categoryString();
    m_initialDomain = m_value.categoryDomainString();
}

bool categoryElementEdit::valuesUnchanged() const
{
    return m_value.categoryString() == m_initialCategory
        && m_value.categoryDomainString() == m_initialDomain;
}
