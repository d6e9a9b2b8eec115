#include "prefs/PreferenceWorkingList.h"

#include "model/VLXLogic.h"
#include "panes/PaneKit.h"
#include "platform/KeyedArchivable.h"
#include "settings/VLXSite.h"
#include "settings/categoryElement.h"
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
    return VLXLogic::convertCRLFtoSymbols(element.toString());
}

void PreferenceWorkingList::setRowButtons(const QList<QWidget *> &buttons)
{
    m_rowButtons.clear();
    for (QWidget *button : buttons)
        m_rowButtons.append(button);
}

int PreferenceWorkingList::numberOfRowsInTableView(VLXTableView *)
{
    for (const QPointer<QWidget> &button : std::as_const(m_rowButtons)) {
        if (button)
            button->setEnabled(!m_items.isEmpty());
    }
    return int(m_items.size());
}

QVariant PreferenceWorkingList::tableViewObjectValue(VLXTableView *, const QString &column, int row,
                                                     int role)
{
    if (row < 0 || row >= m_items.size())
        return {};
    if (role != Qt::DisplayRole)
        return {};
    // The site table's type column.
    if (column == QLatin1String("Type")) {
        if (const auto site = KeyedArchivable::objectAs<VLXSite>(m_items.at(row)))
            return VLXSite::stringForSiteType(site->type());
    }
    return m_rowText(m_items.at(row));
}
