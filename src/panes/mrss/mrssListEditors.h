#pragma once

#include "panes/ListFieldEditor.h"

// The tables of the Media RSS panes. An optional-element set (the channel's, an item's
// media:group) is edited a row at a time in the optional-element dialog; an edit that changes the
// kind moves the element among the rows of its new kind. The media:content list is edited an
// element at a time in the content dialog. Rows keep their kind order: neither table reorders.
class mrssOptionalListEditor : public ListFieldEditor
{
public:
    QString actionName(Action action) const override;
    std::optional<QVariant> added(QWidget *parent, const QVariant &list) override;
    std::optional<QVariant> edited(QWidget *parent, const QVariant &list, int row) override;
    std::optional<QVariant> removed(const QVariant &list, int row) const override;
    std::optional<QVariant> moved(const QVariant &, int, int) const override
    {
        return std::nullopt;
    }
};

class mrssContentListEditor : public ListFieldEditor
{
public:
    // The preferences leave out the local-file area of the dialog.
    explicit mrssContentListEditor(bool removeLocalFile = false)
        : m_removeLocalFile(removeLocalFile)
    {
    }
    QString actionName(Action action) const override;
    std::optional<QVariant> added(QWidget *parent, const QVariant &list) override;
    std::optional<QVariant> edited(QWidget *parent, const QVariant &list, int row) override;
    std::optional<QVariant> removed(const QVariant &list, int row) const override;
    std::optional<QVariant> moved(const QVariant &, int, int) const override
    {
        return std::nullopt;
    }

private:
    bool m_removeLocalFile;
};
