#pragma once

#include "ui/VLXTableDataSource.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <functional>

class VLXTableView;

// A list the preferences window edits (categories, XML comments, sites, namespaces): a copy of
// the stored list made when the pages are filled, stored back whole when they are read.
//
// Model objects in it are the very objects of the values it was copied from, so an unchanged
// list compares equal to the stored one and OK without changes replaces nothing. Whoever edits
// an element therefore puts an edited copy in its place and never changes it in place: the live
// settings must stay as they are until OK.
class PreferenceWorkingList : public VLXTableDataSource
{
public:
    // The text shown for one element in the tables over this list.
    using RowText = std::function<QString(const QVariant &element)>;

    explicit PreferenceWorkingList(const QString &name, RowText rowText = {});

    const QString &name() const { return m_name; }
    QVariantList &items() { return m_items; }
    const QVariantList &items() const { return m_items; }
    // Replaces the whole list and reloads the tables.
    void setItems(const QVariantList &items);

    // The tables that show the list; each gets this list as its data source.
    void attachTable(VLXTableView *table, const QString &column);
    void reloadTables();
    // Buttons that act on a row (Delete, Edit): enabled while the list has rows.
    void setRowButtons(const QList<QWidget *> &buttons);

    // The default row text: text as it is (line ends shown as symbols), a category as "value"
    // with "domain=" and its domain on a second line, a publishing site by its name.
    static QString defaultRowText(const QVariant &element);

    int numberOfRowsInTableView(VLXTableView *table) override;
    QVariant tableViewObjectValue(VLXTableView *table, const QString &column, int row,
                                  int role) override;

private:
    QString m_name;
    RowText m_rowText;
    QVariantList m_items;
    QList<QPointer<VLXTableView>> m_tables;
    QList<QPointer<QWidget>> m_rowButtons;
};
