#include "panes/trackback/trackBackAboutListEditor.h"

#include "editors/openURLPanel.h"
#include "extensions/ListReorder.h"

#include <QStringList>
#include <QWidget>

namespace {
// The URL panel as a one-URL editor; the text accepted, nothing after Cancel.
std::optional<QString> editURL(QWidget *parent, const QString &title, const QString &url)
{
    openURLPanel panel;
    panel.setParentWindow(parent ? parent->window() : nullptr);
    panel.setEditWindowTitle(title);
    panel.setURLString(url);
    if (panel.editURL() != 1)
        return std::nullopt;
    return panel.URLString();
}
} // namespace

QString trackBackAboutListEditor::actionName(Action action) const
{
    switch (action) {
    case Action::Add:
        return QStringLiteral("Add About URL");
    case Action::Delete:
        return QStringLiteral("Delete About URL");
    case Action::Edit:
        return QStringLiteral("Edit About URL");
    case Action::Reorder:
        break;
    }
    return QStringLiteral("About URL Reorder");
}

std::optional<QVariant> trackBackAboutListEditor::added(QWidget *parent, const QVariant &list)
{
    const std::optional<QString> url = editURL(parent, QStringLiteral("Create URL"), QString());
    if (!url)
        return std::nullopt;
    return list.toStringList() + QStringList {*url};
}

std::optional<QVariant> trackBackAboutListEditor::edited(QWidget *parent, const QVariant &list,
                                                         int row)
{
    QStringList entries = list.toStringList();
    if (row < 0 || row >= entries.size())
        return std::nullopt;
    const std::optional<QString> url = editURL(parent, QStringLiteral("Edit URL"), entries.at(row));
    // Only a changed URL is an edit.
    if (!url || *url == entries.at(row))
        return std::nullopt;
    entries[row] = *url;
    return entries;
}

std::optional<QVariant> trackBackAboutListEditor::removed(const QVariant &list, int row) const
{
    QStringList entries = list.toStringList();
    if (row < 0 || row >= entries.size())
        return std::nullopt;
    entries.removeAt(row);
    return entries;
}

std::optional<QVariant> trackBackAboutListEditor::moved(const QVariant &list, int from,
                                                        int dropRow) const
{
    const auto result = ListReorder::moved(list.toStringList(), from, dropRow);
    if (!result)
        return std::nullopt;
    return result->first;
}
