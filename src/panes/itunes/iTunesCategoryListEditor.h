#pragma once

#include "panes/ListFieldEditor.h"

// The channel's iTunes categories in the list table of its pane: entries are chosen in the
// category sheet; no limit or duplicate test is made here (validation reports them).
class iTunesCategoryListEditor : public ListFieldEditor
{
public:
    QString actionName(Action action) const override;
    std::optional<QVariant> added(QWidget *parent, const QVariant &list) override;
    std::optional<QVariant> edited(QWidget *parent, const QVariant &list, int row) override;
    std::optional<QVariant> removed(const QVariant &list, int row) const override;
    std::optional<QVariant> moved(const QVariant &list, int from, int dropRow) const override;
};
