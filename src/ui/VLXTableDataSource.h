#pragma once

#include <QVariant>

class QMimeData;

class VLXTableView;

// What a table of the kit asks its owner for: the number of rows, and the value of one cell (by
// column identifier). A value may be any role's data: the table asks for Qt::DisplayRole, and for
// Qt::CheckStateRole in check-box columns, Qt::DecorationRole for icons.
class VLXTableDataSource
{
public:
    virtual ~VLXTableDataSource() = default;
    virtual int numberOfRowsInTableView(VLXTableView *table) = 0;
    virtual QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                          int role)
        = 0;

    // Drags, for tables whose owner allows them: the rows dragged are written into the data
    // (false refuses the drag); a drop above `row` (the row count for the end) is first validated
    // and then accepted. Without an owner's answer a table neither drags nor takes drops.
    virtual bool tableViewWriteRows(VLXTableView *, const QList<int> &, QMimeData *)
    {
        return false;
    }
    virtual Qt::DropAction tableViewValidateDrop(VLXTableView *, const QMimeData *, int)
    {
        return Qt::IgnoreAction;
    }
    virtual bool tableViewAcceptDrop(VLXTableView *, const QMimeData *, int) { return false; }
    virtual QStringList tableViewDragTypes(VLXTableView *) { return {}; }
};
