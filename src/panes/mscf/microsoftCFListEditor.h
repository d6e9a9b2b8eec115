#pragma once

#include "extensions/mscf/ListInfoItem.h"
#include "panes/ListFieldEditor.h"

#include <QPointer>

class microsoftCFChannelPane;

// The Common Feed list entries of the MS-SLE tab: each add or edit opens a new entry dialog
// (offering the feed's sortable elements), refuses duplicates and a second default, keeps a
// default's namespace, element and data type in the feed's list entry instead of the feed, and
// keeps the default first. Changes of the entry keys and the items are recorded beside the
// list's own undo record, in the same step.
class microsoftCFListEditor : public ListFieldEditor
{
public:
    explicit microsoftCFListEditor(microsoftCFChannelPane *pane);

    QString actionName(Action action) const override;
    std::optional<QVariant> added(QWidget *parent, const QVariant &list) override;
    std::optional<QVariant> edited(QWidget *parent, const QVariant &list, int row) override;
    std::optional<QVariant> removed(const QVariant &list, int row) const override;
    std::optional<QVariant> moved(const QVariant &list, int from, int dropRow) const override;
    // Default entries bold; the stored default sort (shown in row 0) grey.
    QVariant cellData(const FieldExtensionBase &object, int field, int row, const QString &column,
                      int role) const override;

    // The list with every default entry first, each part keeping its order.
    static QList<ListInfoItem> defaultsFirst(const QList<ListInfoItem> &list);

private:
    std::optional<QVariant> addOrEdit(QWidget *parent, const QVariant &list, int row);
    // Clears the stored default sort when the list no longer starts with a default.
    void forgetDefaultWithout(const QList<ListInfoItem> &list) const;

    QPointer<microsoftCFChannelPane> m_pane;
};
