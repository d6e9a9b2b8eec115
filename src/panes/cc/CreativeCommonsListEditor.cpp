#include "panes/cc/CreativeCommonsListEditor.h"

#include "extensions/ListReorder.h"
#include "panes/cc/creativeCommonsSelect.h"

#include <QStringList>

QString CreativeCommonsListEditor::actionName(Action action) const
{
    switch (action) {
    case Action::Add:
        return QStringLiteral("Add License");
    case Action::Delete:
        return QStringLiteral("Delete License");
    case Action::Edit:
        return QStringLiteral("Edit License URL");
    case Action::Reorder:
        break;
    }
    return QStringLiteral("License Reorder");
}

std::optional<QVariant> CreativeCommonsListEditor::added(QWidget *parent, const QVariant &list)
{
    creativeCommonsSelect picker;
    if (picker.selectLicense(parent) != 1)
        return std::nullopt;
    QStringList entries = list.toStringList();
    entries.append(picker.licenseURLString());
    return QVariant(entries);
}

std::optional<QVariant> CreativeCommonsListEditor::edited(QWidget *, const QVariant &, int)
{
    return std::nullopt;
}

std::optional<QVariant> CreativeCommonsListEditor::removed(const QVariant &list, int row) const
{
    QStringList entries = list.toStringList();
    if (row < 0 || row >= entries.size())
        return std::nullopt;
    entries.removeAt(row);
    return QVariant(entries);
}

std::optional<QVariant> CreativeCommonsListEditor::moved(const QVariant &list, int from,
                                                         int dropRow) const
{
    const auto result = ListReorder::moved(list.toStringList(), from, dropRow);
    if (!result)
        return std::nullopt;
    return QVariant(QStringList(result->first));
}
