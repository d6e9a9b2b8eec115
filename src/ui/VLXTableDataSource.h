#pragma once

#include <QVariant>

class VLXTableView;

// What a table of the kit asks its owner for: the number of rows, and the value of one cell (by
// column identifier). A value may be any role's data: the table asks for Qt::DisplayRole, and for
// Qt::CheckStateRole in check-box columns.
class VLXTableDataSource
{
public:
    virtual ~VLXTableDataSource() = default;
    virtual int numberOfRowsInTableView(VLXTableView *table) = 0;
    virtual QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                          int role)
        = 0;
};
