#include "panes/cc/CreativeCommonsLibraryDialog.h"

#include "extensions/cc/CreativeCommonsLibrary.h"
#include "panes/cc/creativeCommonsCreate.h"
#include "platform/AlertService.h"
#include "ui/VLXTableView.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

CreativeCommonsLibraryDialog::CreativeCommonsLibraryDialog(const QString &name, QWidget *parent)
    : QDialog(parent), m_licenseDictionary(CreativeCommonsLibrary::licenses()),
      m_licenseArray(m_licenseDictionary.keys())
{
    setObjectName(name);
    m_licenseTable = new VLXTableView;
    m_licenseTable->setObjectName(QStringLiteral("licenseTable"));
    m_licenseTable->setDataSource(this, {QStringLiteral("license")});
    m_licenseTable->horizontalHeader()->hide();
    m_licenseTable->horizontalHeader()->setStretchLastSection(true);
    m_licenseTable->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_licenseTable->setWordWrap(true);
    m_licenseTable->setMinimumSize(420, 200);
    m_licenseTable->setHelpAnchor(QStringLiteral("CreativeCommonsSelectLicense"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_licenseTable, 1);
    m_buttons = new QHBoxLayout;
    auto *newButton = new QPushButton(tr("New\u2026"));
    newButton->setObjectName(QStringLiteral("createNew"));
    connect(newButton, &QPushButton::clicked, this, [this, newButton] { createNew(newButton); });
    m_buttons->addWidget(newButton);
    m_buttons->addStretch(1);
    layout->addLayout(m_buttons);
}

void CreativeCommonsLibraryDialog::addBelowTable(QWidget *widget)
{
    if (auto *box = qobject_cast<QVBoxLayout *>(layout()))
        box->insertWidget(1, widget);
}

int CreativeCommonsLibraryDialog::selectLicense(QWidget *sender)
{
    if (QWidget *window = sender ? sender->window() : nullptr) {
        setParent(window, windowFlags() | Qt::Dialog);
        setWindowModality(Qt::WindowModal);
    } else {
        setWindowModality(Qt::ApplicationModal);
    }
    m_licenseTable->reloadData();
    if (!m_licenseURL.isEmpty()) {
        if (const int row = rowOfURL(m_licenseURL); row >= 0)
            m_licenseTable->selectRow(row);
    }
    rowsChanged();
    return exec() == 1 ? 1 : 0;
}

void CreativeCommonsLibraryDialog::createNew(QWidget *sender)
{
    creativeCommonsCreate creator;
    if (creator.createNewLicense(sender ? sender : this) != 1
        || creator.licenseURLString().isEmpty())
        return;
    // The stored library as it is now, so licences saved meanwhile elsewhere stay.
    QString problem;
    if (!CreativeCommonsLibrary::saveLicense(creator.licenseURLString(),
                                             creator.licenseNameString(),
                                             creator.licenseHTMLString(), &problem)) {
        Alert alert;
        alert.title = tr("The licence could not be saved");
        alert.message = problem;
        AlertService::show(alert);
    }
    m_licenseDictionary = CreativeCommonsLibrary::licenses();
    m_licenseArray = m_licenseDictionary.keys();
    m_licenseTable->reloadData();
    rowsChanged();
}

int CreativeCommonsLibraryDialog::rowOfURL(const QString &url) const
{
    return int(m_licenseArray.indexOf(url));
}

QString CreativeCommonsLibraryDialog::selectedURL() const
{
    return m_licenseArray.value(m_licenseTable->selectedRow());
}

int CreativeCommonsLibraryDialog::numberOfRowsInTableView(VLXTableView *table)
{
    return table == m_licenseTable ? int(m_licenseArray.size()) : 0;
}

QVariant CreativeCommonsLibraryDialog::tableViewObjectValue(VLXTableView *table, const QString &,
                                                            int row, int role)
{
    if (table != m_licenseTable) {
        qWarning("objectValueForTableColumn returning nil");
        return QVariant();
    }
    if (role != Qt::DisplayRole || row < 0 || row >= m_licenseArray.size())
        return QVariant();
    const QString url = m_licenseArray.at(row);
    return QStringLiteral("%1\n%2").arg(
        entryOf(url).value(CreativeCommonsLibrary::kNameKey).toString(), url);
}
