#pragma once

#include <QString>
#include <QVariant>
#include <optional>

class FieldExtensionBase;
class QWidget;

// What an extension pane's list table needs of a list field's class: the list is the field's
// value (a QVariant the class understands); each action answers the new list, or nothing when
// the list stays as it is, and names its undo step.
class ListFieldEditor
{
public:
    enum class Action { Add, Delete, Edit, Reorder };

    virtual ~ListFieldEditor() = default;
    virtual QString actionName(Action action) const = 0;
    // Asks the user for a new entry (a sheet on the parent's window).
    virtual std::optional<QVariant> added(QWidget *parent, const QVariant &list) = 0;
    // Asks the user to change the entry at the row.
    virtual std::optional<QVariant> edited(QWidget *parent, const QVariant &list, int row) = 0;
    virtual std::optional<QVariant> removed(const QVariant &list, int row) const = 0;
    // The entry at `from` dropped above `dropRow`; nothing for a drop on its own place.
    virtual std::optional<QVariant> moved(const QVariant &list, int from, int dropRow) const = 0;
    // A cell's look beyond its text (Qt::FontRole, Qt::ForegroundRole, ...); nothing by default.
    virtual QVariant cellData(const FieldExtensionBase &object, int field, int row,
                              const QString &column, int role) const
    {
        Q_UNUSED(object);
        Q_UNUSED(field);
        Q_UNUSED(row);
        Q_UNUSED(column);
        Q_UNUSED(role);
        return QVariant();
    }
};
