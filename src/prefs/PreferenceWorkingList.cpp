#include "prefs/PreferenceWorkingList.h"

#include "app/PaneKit.h"
#include "model/categoryElement.h"
#include "platform/KeyedArchivable.h"
#include "publish/VLXSite.h"
#include "ui/VLXTableView.h"

PreferenceWorkingList::PreferenceWorkingList(const QString &name, RowText rowText)
    : m_name(name), m_rowText(rowText ? std::move(rowText) : RowText(&defaultRowText))
{
}

void PreferenceWorkingList::setItems(const QVariantList &items)
{
    m_items = items;
    reloadTables();
}

void PreferenceWorkingList::attachTable(VLXTableView *table, const QString &column)
{
    table->setDataSource(this, {column});
    m_tables.append(table);
}

void PreferenceWorkingList::reloadTables()
{
    for (const QPointer<VLXTableView> &table : std::as_const(m_tables)) {
        if (table)
            table->reloadData();
    }
}

QString PreferenceWorkingList::defaultRowText(const QVariant &element)
{
    if (const auto category = KeyedArchivable::objectAs<categoryElement>(element))
        return PaneKit::categoryText(*category);
    if (const auto site = KeyedArchivable::objectAs<VLXSite>(element))
        return site->siteName();
    return element.toString();
}

int PreferenceWorkingList::numberOfRowsInTableView(VLXTableView *)
{
    return int(m_items.size());
}

QVariant PreferenceWorkingList::tableViewObjectValue(VLXTableView *, const QString &, int row,
                                                     int role)
{
    if (role != Qt::DisplayRole || row < 0 || row >= m_items.size())
        return {};
    return m_rowText(m_items.at(row));
}
