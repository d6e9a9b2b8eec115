#pragma once

#include "panes/ListFieldEditor.h"

// The about URLs of an item's trackback pane: added and edited one at a time in the URL panel
// ("Create URL", "Edit URL"), removed, and moved by dragging.
class trackBackAboutListEditor : public ListFieldEditor
{
public:
    QString actionName(Action action) const override;
    std::optional<QVariant> added(QWidget *parent, const QVariant &list) override;
    std::optional<QVariant> edited(QWidget *parent, const QVariant &list, int row) override;
    std::optional<QVariant> removed(const QVariant &list, int row) const override;
    std::optional<QVariant> moved(const QVariant &list, int from, int dropRow) const override;
};
