#include "panes/mscf/microsoftCFListInfoItemEdit.h"

#include "platform/AlertService.h"
#include "platform/DefaultsStore.h"
#include "platform/HelpService.h"
#include "settings/VLXPreferences.h"
#include "ui/VLXPopUpButton.h"
#include "ui/VLXTextField.h"

#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

const QString microsoftCFListInfoItemEdit::kNoticeKey
    = QStringLiteral("Don'tShowMSCFSortDefaultMessage");

namespace {
const QString kDisplayName = QStringLiteral("displayName");
const QString kDTDURL = QStringLiteral("DTDURL");
const QString kSortTags = QStringLiteral("sortTags");
const QString kHelpAnchor = QStringLiteral("MSSLE");

void missing(const QString &title, const QString &message)
{
    Alert alert;
    alert.style = Alert::Style::Critical;
    alert.title = title;
    alert.message = message;
    AlertService::show(alert);
}
} // namespace

microsoftCFListInfoItemEdit::microsoftCFListInfoItemEdit(QObject *parent) : QObject(parent) { }

microsoftCFListInfoItemEdit::~microsoftCFListInfoItemEdit()
{
    delete m_editWindow;
}

void microsoftCFListInfoItemEdit::setSortFields(const QVariantMap &sortFields)
{
    m_sortFields = sortFields;
}

QStringList microsoftCFListInfoItemEdit::sortArray(const QStringList &list)
{
    QStringList sorted = list;
    // Each position in turn takes the lowest of the strings from it on.
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        for (qsizetype j = i + 1; j < sorted.size(); ++j) {
            if (QString::compare(sorted.at(j), sorted.at(i)) < 0)
                sorted.swapItemsAt(i, j);
        }
    }
    return sorted;
}

QString microsoftCFListInfoItemEdit::findPrefixForDTDURL(const QString &uri) const
{
    for (const QString &prefix : m_namespacePrefixes) {
        if (m_sortFields.value(prefix).toMap().value(kDTDURL).toString() == uri)
            return prefix;
    }
    return QString(QLatin1String(""));
}

void microsoftCFListInfoItemEdit::loadInterface(QWidget *parent)
{
    m_editWindow = new QDialog(parent ? parent->window() : nullptr);
    m_editWindow->setObjectName(QStringLiteral("microsoftCFListInfoItemEdit"));
    m_editWindow->setWindowModality(Qt::WindowModal);
    auto *form = new QFormLayout;
    const auto menu = [this](const char *name) {
        auto *popUp = new VLXPopUpButton;
        popUp->setObjectName(QLatin1String(name));
        connect(popUp, QOverload<int>::of(&QComboBox::activated), this,
                [this, popUp] { buttonChanged(popUp); });
        return popUp;
    };
    m_type = menu("type");
    m_ns = menu("ns");
    m_elementPU = menu("elementPU");
    m_dataType = menu("dataType");
    m_isDefault = menu("isDefault");
    m_label = new VLXTextField;
    m_label->setObjectName(QStringLiteral("label"));
    m_dataLabel = new QLabel(tr("Data Type:"));
    m_dataLabel->setObjectName(QStringLiteral("dataLabel"));
    m_defaultLabel = new QLabel(tr("Default:"));
    m_defaultLabel->setObjectName(QStringLiteral("defaultLabel"));
    form->addRow(tr("Type:"), m_type);
    form->addRow(tr("Namespace:"), m_ns);
    form->addRow(tr("Element:"), m_elementPU);
    form->addRow(m_dataLabel, m_dataType);
    form->addRow(tr("Label:"), m_label);
    form->addRow(m_defaultLabel, m_isDefault);
    m_ns->setMinimumWidth(360);

    auto *buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char *name, const QString &title) {
        auto *b = new QPushButton(title);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    QPushButton *help = button("Help", tr("?"));
    buttons->addStretch(1);
    QPushButton *cancelButton = button("Cancel", tr("Cancel"));
    QPushButton *doneButton = button("Done", tr("Done"));
    doneButton->setDefault(true);
    connect(help, &QPushButton::clicked, this, &microsoftCFListInfoItemEdit::helpButton);
    connect(cancelButton, &QPushButton::clicked, this, &microsoftCFListInfoItemEdit::cancel);
    connect(doneButton, &QPushButton::clicked, this, &microsoftCFListInfoItemEdit::done);
    auto *layout = new QVBoxLayout(m_editWindow);
    layout->addLayout(form);
    layout->addLayout(buttons);

    // The menus, once per dialog, from the table handed in.
    m_namespacePrefixes = sortArray(m_sortFields.keys());
    m_type->addItems({QStringLiteral("sort"), QStringLiteral("group")});
    for (const QString &prefix : m_namespacePrefixes) {
        const QVariantMap record = m_sortFields.value(prefix).toMap();
        const QString name = record.value(kDisplayName).toString();
        m_ns->addItem(prefix.isEmpty() ? name
                                       : QStringLiteral("%1 - %2").arg(
                                             name, record.value(kDTDURL).toString()));
    }
    m_dataType->addItems({QStringLiteral("date"), QStringLiteral("text"), QStringLiteral("number")});
    m_isDefault->addItems({QStringLiteral("no"), QStringLiteral("yes")});
}

QString microsoftCFListInfoItemEdit::selectedPrefix() const
{
    const int index = m_ns ? m_ns->currentIndex() : -1;
    return index >= 0 && index < m_namespacePrefixes.size() ? m_namespacePrefixes.at(index)
                                                            : QString();
}

void microsoftCFListInfoItemEdit::fillElements()
{
    m_elementPU->setEnabled(true);
    m_elementPU->clear();
    const QVariantMap tags
        = m_sortFields.value(selectedPrefix()).toMap().value(kSortTags).toMap();
    m_elementPU->addItems(sortArray(tags.keys()));
    m_elementPU->setCurrentIndex(-1);
}

void microsoftCFListInfoItemEdit::showSortControls(bool shown)
{
    for (QWidget *control :
         std::initializer_list<QWidget *> {m_dataType, m_isDefault, m_dataLabel, m_defaultLabel})
        control->setVisible(shown);
}

int microsoftCFListInfoItemEdit::editListInfoItem(QWidget *parent,
                                                  const std::optional<ListInfoItem> &item,
                                                  int rowNumber)
{
    if (!m_editWindow)
        loadInterface(parent);
    for (VLXPopUpButton *menu : {m_type, m_ns, m_elementPU, m_dataType, m_isDefault})
        menu->setHelpAnchor(kHelpAnchor);
    m_workingRow = rowNumber;
    if (!item) {
        m_editWindow->setWindowTitle(QStringLiteral("Create New Item"));
        m_type->setCurrentIndex(0);
        m_ns->setCurrentIndex(m_ns->count() > 0 ? 0 : -1);
        m_elementPU->clear();
        m_elementPU->setEnabled(false);
        m_dataType->setEnabled(true);
        m_dataType->setCurrentText(QStringLiteral("date"));
        m_label->setText(QString());
        m_isDefault->setCurrentIndex(0);
        showSortControls(true);
    } else {
        m_editWindow->setWindowTitle(QStringLiteral("Modify Existing Item"));
        m_type->setCurrentIndex(m_type->findText(item->type()));
        m_label->setText(item->label());
        m_ns->setCurrentIndex(int(m_namespacePrefixes.indexOf(findPrefixForDTDURL(item->ns()))));
        fillElements();
        m_elementPU->setCurrentIndex(m_elementPU->findText(item->element()));
        if (item->isSort()) {
            showSortControls(true);
            m_dataType->setEnabled(true);
            m_dataType->setCurrentIndex(m_dataType->findText(item->dataType()));
            m_isDefault->setCurrentIndex(item->isDefault() ? 1 : 0);
            if (item->isDefault() && rowNumber == 0) {
                // A default whose sort is not stored: nothing to show but its label.
                if (item->ns().isEmpty() && item->element().isEmpty()
                    && item->dataType().isEmpty()) {
                    m_ns->setCurrentIndex(-1);
                    m_elementPU->setEnabled(false);
                    m_dataType->setEnabled(false);
                }
                displayMessageAboutDefaultSort();
            }
        } else {
            showSortControls(false);
        }
    }
    const int result = m_editWindow->exec() == QDialog::Accepted ? 1 : 0;
    m_editWindow->hide();
    return result;
}

void microsoftCFListInfoItemEdit::buttonChanged(QComboBox *menu)
{
    if (menu == m_type) {
        showSortControls(m_type->currentText() == QLatin1String("sort"));
    } else if (menu == m_ns) {
        fillElements();
    } else if (menu == m_elementPU) {
        m_dataType->setEnabled(true);
        const QString type = m_sortFields.value(selectedPrefix())
                                 .toMap()
                                 .value(kSortTags)
                                 .toMap()
                                 .value(m_elementPU->currentText())
                                 .toMap()
                                 .value(QStringLiteral("type"))
                                 .toString();
        m_dataType->setCurrentText(type.isEmpty() ? QStringLiteral("text") : type);
    } else if (menu == m_isDefault && m_isDefault->currentText() == QLatin1String("yes")) {
        displayMessageAboutDefaultSort();
    }
}

void microsoftCFListInfoItemEdit::displayMessageAboutDefaultSort()
{
    DefaultsStore &store = VLXPreferences::sharedInstance().store();
    if (m_noticeShown || store.contains(kNoticeKey))
        return;
    Alert notice;
    notice.style = Alert::Style::Informational;
    notice.title = QStringLiteral("Notice");
    notice.message = QStringLiteral(
        "Default sorts are not allowed to specify the \"Namespace\", \"Element\" \"Data Type\" "
        "according to the specifications.  However, Vellumcast will store these values outside "
        "of the feed allowing Vellumcast to assist you in sorting your feed into the correct "
        "order for you default sort.  This is optional and you are always able to manually "
        "arrange them yourself.");
    notice.defaultButton = QStringLiteral("OK");
    notice.checkBoxTitle = QStringLiteral("Don't show this message again");
    notice.checkBoxState = std::make_shared<bool>(false);
    AlertService::show(notice);
    m_noticeShown = true;
    if (*notice.checkBoxState) {
        store.setObject(true, kNoticeKey);
        store.sync();
    }
}

void microsoftCFListInfoItemEdit::done()
{
    const bool group = m_type->currentText() == QLatin1String("group");
    const bool labelled = !m_label->text().trimmed().isEmpty();
    const bool nsChosen = m_ns->currentIndex() >= 0;
    const bool elementChosen = m_elementPU->currentIndex() >= 0;
    if (group) {
        if (!nsChosen || !elementChosen || !labelled) {
            missing(QStringLiteral("Missing Values"),
                    QStringLiteral("\"group\" requires values for the Namespace, Element and a "
                                   "Label before it can be added."));
            return;
        }
    } else if (m_isDefault->currentText() != QLatin1String("yes")) {
        if (!nsChosen || !elementChosen || m_dataType->currentIndex() < 0 || !labelled) {
            missing(QStringLiteral("Missing Values"),
                    QStringLiteral("\"sort\" requires values for the Namespace, Element, Label and "
                                   "Data Type before it can be added."));
            return;
        }
    } else if (!labelled) {
        missing(QStringLiteral("Missing Value"),
                QStringLiteral("A default \"sort\" requires a value for Label before it can be "
                               "added."));
        return;
    }
    m_editWindow->done(QDialog::Accepted);
}

void microsoftCFListInfoItemEdit::cancel()
{
    if (m_editWindow)
        m_editWindow->done(QDialog::Rejected);
}

void microsoftCFListInfoItemEdit::helpButton()
{
    HelpService::open(kHelpAnchor);
}

ListInfoItem microsoftCFListInfoItemEdit::item() const
{
    ListInfoItem entry;
    if (!m_editWindow)
        return entry;
    entry.setType(m_type->currentText());
    // The namespace of the key chosen ("" for the core elements), whatever its place in the menu.
    const int index = m_ns->currentIndex();
    if (index >= 0 && index < m_namespacePrefixes.size())
        entry.setNS(m_sortFields.value(m_namespacePrefixes.at(index)).toMap().value(kDTDURL).toString());
    if (m_elementPU->currentIndex() >= 0)
        entry.setElement(m_elementPU->currentText());
    entry.setLabel(m_label->text());
    if (entry.isSort()) {
        entry.setSortDefault(m_isDefault->currentText() == QLatin1String("yes")
                                 ? QStringLiteral("yes")
                                 : QStringLiteral("no"));
        if (m_dataType->currentIndex() >= 0)
            entry.setDataType(m_dataType->currentText());
    }
    return entry;
}
