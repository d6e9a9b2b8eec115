#include "panes/itunes/iTunesCategoryListEditor.h"

#include "extensions/ListReorder.h"
#include "extensions/itunes/iTunesCategory.h"
#include "panes/itunes/iTunesCategoryEdit.h"

QString iTunesCategoryListEditor::actionName(Action action) const
{
    switch (action) {
    case Action::Add:
        return QStringLiteral("Add Category");
    case Action::Delete:
        return QStringLiteral("Delete Category");
    case Action::Edit:
        return QStringLiteral("Edit Category");
    case Action::Reorder:
        break;
    }
    return QStringLiteral("Category Reorder");
}

std::optional<QVariant> iTunesCategoryListEditor::added(QWidget *parent, const QVariant &list)
{
    iTunesCategoryEdit sheet;
    if (sheet.selectCategory(parent, QString(), QString()) != 1 || sheet.category().isEmpty())
        return std::nullopt;
    QList<iTunesCategory> entries = iTunesCategory::fromArchivable(list);
    entries.append(iTunesCategory(sheet.category(), sheet.subCategory()));
    return QVariant::fromValue(entries);
}

std::optional<QVariant> iTunesCategoryListEditor::edited(QWidget *parent, const QVariant &list,
                                                         int row)
{
    QList<iTunesCategory> entries = iTunesCategory::fromArchivable(list);
    if (row < 0 || row >= entries.size())
        return std::nullopt;
    iTunesCategoryEdit sheet;
    if (sheet.selectCategory(parent, entries.at(row).category(), entries.at(row).subCategory())
        != 1)
        return std::nullopt;
    const iTunesCategory chosen(sheet.category(), sheet.subCategory());
    if (chosen == entries.at(row))
        return std::nullopt;
    entries[row] = chosen;
    return QVariant::fromValue(entries);
}

std::optional<QVariant> iTunesCategoryListEditor::removed(const QVariant &list, int row) const
{
    QList<iTunesCategory> entries = iTunesCategory::fromArchivable(list);
    if (row < 0 || row >= entries.size())
        return std::nullopt;
    entries.removeAt(row);
    return QVariant::fromValue(entries);
}

std::optional<QVariant> iTunesCategoryListEditor::moved(const QVariant &list, int from,
                                                        int dropRow) const
{
    const auto result = ListReorder::moved(iTunesCategory::fromArchivable(list), from, dropRow);
    if (!result)
        return std::nullopt;
    return QVariant::fromValue(result->first);
}
