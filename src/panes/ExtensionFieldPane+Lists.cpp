// The list tables of an extension pane: their rows, their buttons and dragging a row to another
// place. Every change is one edit of the whole list.

#include "extensions/FieldExtensionBase.h"
#include "extensions/ListReorder.h"
#include "panes/EditTracker.h"
#include "panes/ExtensionFieldPane.h"
#include "ui/VLXButton.h"
#include "ui/VLXTableView.h"

#include <QCoreApplication>
#include <QMimeData>

namespace {
const QString kListRowType = QStringLiteral("application/x-vellumcast-extension-row");
} // namespace

int ExtensionFieldPane::listFieldOf(const VLXTableView *table) const
{
    for (auto it = m_controls.cbegin(); it != m_controls.cend(); ++it) {
        if (it.value() == table)
            return it.key();
    }
    return -1;
}

void ExtensionFieldPane::commitList(int field, const std::optional<QVariant> &list,
                                    ListFieldEditor::Action action)
{
    const auto editor = m_listEditors.find(field);
    if (!list || editor == m_listEditors.end())
        return;
    commit(field, *list, editor->second->actionName(action));
}

void ExtensionFieldPane::addListEntry(int field)
{
    const auto editor = m_listEditors.find(field);
    if (!fields() || editor == m_listEditors.end())
        return;
    m_tracker->finalizeChanges();
    commitList(field, editor->second->added(this, fields()->value(field)),
               ListFieldEditor::Action::Add);
}

void ExtensionFieldPane::deleteListEntry(int field)
{
    const auto *table = qobject_cast<VLXTableView *>(control(field));
    const auto editor = m_listEditors.find(field);
    if (!fields() || !table || table->selectedRow() < 0 || editor == m_listEditors.end())
        return;
    m_tracker->finalizeChanges();
    commitList(field, editor->second->removed(fields()->value(field), table->selectedRow()),
               ListFieldEditor::Action::Delete);
}

void ExtensionFieldPane::editListEntry(int field)
{
    const auto *table = qobject_cast<VLXTableView *>(control(field));
    const auto editor = m_listEditors.find(field);
    if (!fields() || !table || table->selectedRow() < 0 || editor == m_listEditors.end())
        return;
    m_tracker->finalizeChanges();
    commitList(field, editor->second->edited(this, fields()->value(field), table->selectedRow()),
               ListFieldEditor::Action::Edit);
}

bool ExtensionFieldPane::moveListEntry(int field, int from, int dropRow)
{
    auto *table = qobject_cast<VLXTableView *>(control(field));
    const auto editor = m_listEditors.find(field);
    if (!fields() || !table || editor == m_listEditors.end())
        return false;
    // A drop on its own place moves nothing: no step, no date.
    const std::optional<QVariant> moved
        = editor->second->moved(fields()->value(field), from, dropRow);
    if (!moved)
        return false;
    m_tracker->finalizeChanges();
    commitList(field, moved, ListFieldEditor::Action::Reorder);
    table->selectRow(ListReorder::movedIndex(int(numberOfRowsInTableView(table)), from, dropRow));
    return true;
}

// --- the table's data source --------------------------------------------------------------------

int ExtensionFieldPane::numberOfRowsInTableView(VLXTableView *table)
{
    const int field = listFieldOf(table);
    const FieldExtensionBase *object = fields();
    const int rows = field < 0 || !object ? 0 : object->listCount(field);
    // Delete and Edit need a row to act on.
    const QString base = table->objectName().endsWith(QLatin1String("Table"))
        ? table->objectName().chopped(5)
        : table->objectName();
    for (const char *suffix : {"_Delete", "_Edit"}) {
        if (auto *button = findChild<VLXButton *>(base + QLatin1String(suffix)))
            button->setEnabled(rows > 0);
    }
    return rows;
}

QVariant ExtensionFieldPane::tableViewObjectValue(VLXTableView *table, const QString &column,
                                                  int row, int role)
{
    const int field = listFieldOf(table);
    const FieldExtensionBase *object = fields();
    if (field < 0 || !object)
        return QVariant();
    if (role == Qt::DisplayRole)
        return object->listCellText(field, row, column);
    const auto editor = m_listEditors.find(field);
    return editor == m_listEditors.end()
        ? QVariant()
        : editor->second->cellData(*object, field, row, column, role);
}

QStringList ExtensionFieldPane::tableViewDragTypes(VLXTableView *table)
{
    return listFieldOf(table) >= 0 ? QStringList {kListRowType} : QStringList();
}

bool ExtensionFieldPane::tableViewWriteRows(VLXTableView *table, const QList<int> &rows,
                                            QMimeData *data)
{
    if (listFieldOf(table) < 0 || rows.isEmpty())
        return false;
    // The row travels with the table it came from: only that table takes it.
    data->setData(kListRowType,
                  QByteArray::number(QCoreApplication::applicationPid()) + ':'
                      + QByteArray::number(quintptr(table)) + ':'
                      + QByteArray::number(rows.last()));
    return true;
}

int ExtensionFieldPane::draggedRow(const QMimeData *data, const VLXTableView *table) const
{
    if (!data || !data->hasFormat(kListRowType))
        return -1;
    const QList<QByteArray> parts = data->data(kListRowType).split(':');
    if (parts.size() != 3 || parts.at(0).toLongLong() != QCoreApplication::applicationPid()
        || parts.at(1).toULongLong() != quintptr(table))
        return -1;
    bool ok = false;
    const int row = parts.at(2).toInt(&ok);
    return ok ? row : -1;
}

Qt::DropAction ExtensionFieldPane::tableViewValidateDrop(VLXTableView *table, const QMimeData *data,
                                                         int row)
{
    const int rows = numberOfRowsInTableView(table);
    return draggedRow(data, table) >= 0 && row <= rows ? Qt::MoveAction : Qt::IgnoreAction;
}

bool ExtensionFieldPane::tableViewAcceptDrop(VLXTableView *table, const QMimeData *data, int row)
{
    const int from = draggedRow(data, table);
    const int field = listFieldOf(table);
    if (from < 0 || field < 0 || row > numberOfRowsInTableView(table))
        return false;
    return moveListEntry(field, from, row);
}
