#include "prefs/PreferenceNamespacesPage.h"

#include "editors/editXMLNamespace.h"
#include "model/extensionNSName.h"
#include "model/knownNamespaces.h"
#include "panes/PaneKit.h"
#include "platform/AlertService.h"
#include "prefs/PreferenceListActions.h"
#include "prefs/PreferencePageKit.h"
#include "prefs/PreferenceWorkingList.h"
#include "settings/VLXPreferencesWorkingCopy.h"
#include "ui/VLXTableView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLayoutItem>
#include <QVBoxLayout>

namespace {
const QString kEnabled = QStringLiteral("FD_AF_Namespaces");
const QString kRegistryList = QStringLiteral("generalXMLNamespaces");
const QString kUsedColumn = QStringLiteral("extensionUsed");

QString tr(const char *text)
{
    return QCoreApplication::translate("PreferenceNamespacesPage", text);
}

QString prefixOf(const QString &description)
{
    return extensionNSName::extensionNameFromDescription(description);
}
} // namespace

PreferenceNamespacesPage::PreferenceNamespacesPage()
    : PreferencesPage(
        QStringLiteral("Extensions General"), PreferenceScope::AllFeeds,
        {{kRegistryList, QStringLiteral("General_XMLNamespaces"), BindingKind::Registry},
         {kEnabled, kEnabled, BindingKind::List}})
{
}

QString PreferenceNamespacesPage::userDefinedDescription()
{
    return extensionNSName::makeDescription(extensionNSName::kUserDefined, QString(), false);
}

QStringList PreferenceNamespacesPage::orderAFExtensions(const QStringList &enabled)
{
    QStringList ordered;
    // The enum lists the classes in the order new feeds declare them.
    for (const auto &entry : knownNamespaces::table()) {
        const QString longForm = knownNamespaces::descriptionOfNamespace(entry.ns);
        if (enabled.contains(longForm)
            || enabled.contains(knownNamespaces::descriptionOfNamespaceShort(entry.ns)))
            ordered.append(longForm);
    }
    for (const QString &description : enabled) {
        if (!extensionNSName::wellSupportedFromDescription(description)
            && prefixOf(description) != extensionNSName::kUserDefined)
            ordered.append(description);
    }
    for (const QString &description : enabled) {
        if (prefixOf(description) == extensionNSName::kUserDefined) {
            ordered.append(description);
            break;
        }
    }
    return ordered;
}

QStringList &PreferenceNamespacesPage::registry() const
{
    return m_context->store().general_XMLNamespaces();
}

QVariantList &PreferenceNamespacesPage::enabled() const
{
    return m_context->list(kEnabled).items();
}

QString PreferenceNamespacesPage::rowDescription(int row) const
{
    const QStringList &entries = registry();
    return row >= 0 && row < entries.size() ? entries.at(row) : userDefinedDescription();
}

QWidget *PreferenceNamespacesPage::build(PreferencesContext &context)
{
    m_context = &context;
    auto *pane = new QVBoxLayout;
    m_table = new VLXTableView;
    m_table->setObjectName(QStringLiteral("Extensions_General_List"));
    m_table->setDataSource(this, {kUsedColumn, QStringLiteral("namespace")},
                           {tr("New Feeds"), tr("Namespace")});
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setMinimumHeight(220);
    m_table->setHelpAnchor(QStringLiteral("PreferencesDefinedExtensions"));
    pane->addWidget(PaneKit::listPanel(tr("XML namespaces:"), m_table));
    QHBoxLayout *buttons = PreferencePageKit::tagButtons(
        {QStringLiteral("Extensions_General_Add"), QStringLiteral("Extensions_General_Del"),
         QStringLiteral("Extensions_General_Edit")},
        {QStringLiteral("+"), QStringLiteral("\u2212"), tr("Edit\u2026")},
        [this](int tag) { generalAction(tag); });
    m_delete = qobject_cast<QAbstractButton *>(buttons->itemAt(1)->widget());
    m_edit = qobject_cast<QAbstractButton *>(buttons->itemAt(2)->widget());
    pane->addLayout(buttons);
    QObject::connect(m_table, &VLXTableView::doubleAction, m_table,
                     [this](int row) { generalDoubleAction(row); });
    QObject::connect(m_table, &VLXTableView::checkClicked, m_table,
                     [this](int row, const QString &column) {
                         if (column == kUsedColumn)
                             feedsExtensionsSelect(row);
                     });
    QObject::connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, m_table,
                     [this] { selectionChanged(); });
    return PreferencePageKit::page(
        identifier(), tr("Extensions"),
        tr("The XML namespaces the program knows. Namespaces in bold have editors of their own; "
           "the others are kept as raw XML. A checked namespace is declared in every new feed."),
        pane);
}

void PreferenceNamespacesPage::afterFill(PreferencesContext &)
{
    // Nothing is selected at an opening, so neither Delete nor Edit has a row to act on.
    if (m_delete)
        m_delete->setEnabled(false);
    if (m_edit)
        m_edit->setEnabled(false);
    reload();
}

void PreferenceNamespacesPage::reload()
{
    if (m_table)
        m_table->reloadData();
}

void PreferenceNamespacesPage::selectionChanged()
{
    if (!m_table || !m_context)
        return;
    const int row = m_table->selectedRow();
    const bool editable = row >= 0
        && !(row < registry().size()
             && extensionNSName::wellSupportedFromDescription(registry().at(row)));
    if (m_delete)
        m_delete->setEnabled(editable);
    if (m_edit)
        m_edit->setEnabled(editable);
}

void PreferenceNamespacesPage::generalAction(int tag)
{
    if (!m_context || !m_context->hasStore())
        return;
    VLXPreferencesWorkingCopy &store = m_context->store();
    const int row = m_table ? m_table->selectedRow() : -1;
    const bool registryRow = row >= 0 && row < registry().size();
    if (tag == PreferenceListActions::Delete || tag == PreferenceListActions::Edit) {
        if (!registryRow)
            return;
        if (extensionNSName::wellSupportedFromDescription(registry().at(row))) {
            PreferenceListActions::beep();
            return;
        }
    }
    switch (tag) {
    case PreferenceListActions::Add: {
        editXMLNamespace editor;
        editor.setParentWindow(m_table ? m_table->window() : nullptr);
        if (editor.editNamespace(nullptr, false) == 1) {
            const QString description = editor.descriptionOfNamespace();
            if (prefixOf(description) == extensionNSName::kUserDefined)
                PreferenceListActions::beep();
            else
                store.addGeneral_XMLNamespaces(QStringList {description});
        }
        break;
    }
    case PreferenceListActions::Delete: {
        const QString entry = registry().at(row);
        if (m_context->used().descriptions.contains(entry)) {
            Alert alert;
            alert.title = tr("Not Allowed");
            alert.message = tr("You are not allowed to delete the definition of an XML Namespace "
                               "that is in use by the current feed.");
            AlertService::show(alert);
            return;
        }
        enabled().removeOne(entry);
        store.removeGeneral_XMLNamespacesAtIndex(row);
        break;
    }
    case PreferenceListActions::Edit: {
        const QString entry = registry().at(row);
        editXMLNamespace editor;
        editor.setParentWindow(m_table ? m_table->window() : nullptr);
        if (editor.editNamespaceWithDescription(entry, false) == 1
            && editor.descriptionOfNamespace() != entry)
            store.replaceGeneral_XMLNamespaces(editor.descriptionOfNamespace(), row);
        break;
    }
    default:
        break;
    }
    reload();
    selectionChanged();
    registryEdited();
}

void PreferenceNamespacesPage::registryEdited()
{
    m_context->registryChanged();
    m_context->miscChanged();
}

void PreferenceNamespacesPage::generalDoubleAction(int row)
{
    if (!m_context || row < 0 || row >= registry().size())
        return;
    if (extensionNSName::wellSupportedFromDescription(registry().at(row))) {
        PreferenceListActions::beep();
        return;
    }
    if (m_edit)
        m_edit->click();
}

void PreferenceNamespacesPage::feedsExtensionsSelect(int row)
{
    if (!m_context || row < 0 || row > registry().size())
        return;
    QVariantList &list = enabled();
    const bool on = tableViewObjectValue(m_table, kUsedColumn, row, Qt::CheckStateRole).toInt()
        == Qt::Checked;
    const bool last = row == registry().size();
    const QString description = rowDescription(row);
    if (!on) {
        list.append(description);
        QStringList texts;
        for (const QVariant &entry : std::as_const(list))
            texts.append(entry.toString());
        list.clear();
        for (const QString &entry : orderAFExtensions(texts))
            list.append(entry);
    } else if (last) {
        // By value: whatever else the list holds stays.
        list.removeOne(description);
    } else {
        const QString prefix = prefixOf(description);
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (prefixOf(list.at(i).toString()) == prefix) {
                list.removeAt(i);
                break;
            }
        }
    }
    reload();
}

int PreferenceNamespacesPage::numberOfRowsInTableView(VLXTableView *)
{
    return m_context && m_context->hasStore() ? int(registry().size()) + 1 : 0;
}

QVariant PreferenceNamespacesPage::tableViewObjectValue(VLXTableView *, const QString &column,
                                                        int row, int role)
{
    if (!m_context || !m_context->hasStore() || row < 0 || row > registry().size())
        return {};
    const QString description = rowDescription(row);
    if (column == kUsedColumn) {
        if (role != Qt::CheckStateRole)
            return {};
        bool used = false;
        if (row == registry().size()) {
            used = enabled().contains(description);
        } else {
            const QString prefix = prefixOf(description);
            for (const QVariant &entry : std::as_const(enabled()))
                used = used || prefixOf(entry.toString()) == prefix;
        }
        return int(used ? Qt::Checked : Qt::Unchecked);
    }
    if (role == Qt::FontRole) {
        QFont font = QApplication::font();
        font.setBold(row < registry().size()
                     && extensionNSName::wellSupportedFromDescription(description));
        return font;
    }
    if (role != Qt::DisplayRole)
        return {};
    return extensionNSName::displayDescriptionFromDescription(description);
}
