#pragma once

#include "panes/ListFieldEditor.h"

// The licence table of the Creative Commons panes: "+" takes a licence from the picker (a URL
// already listed is added again), "-" removes the selected one, a drag moves one. Entries are
// not edited in place: find and replace changes them.
class CreativeCommonsListEditor : public ListFieldEditor
{
public:
    QString actionName(Action action) const override;
    std::optional<QVariant> added(QWidget *parent, const QVariant &list) override;
    std::optional<QVariant> edited(QWidget *parent, const QVariant &list, int row) override;
    std::optional<QVariant> removed(const QVariant &list, int row) const override;
    std::optional<QVariant> moved(const QVariant &list, int from, int dropRow) const override;
};
