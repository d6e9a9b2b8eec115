#include "ui/VLXTableView.h"

#include "ui/VLXTableModel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>

VLXTableView::VLXTableView(QWidget *parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAlternatingRowColors(true);
    setShowGrid(false);
    setWordWrap(false);
    verticalHeader()->hide();
    // One line per row, all rows alike: a table of many thousand rows shows and scrolls without
    // measuring each row's contents.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(
        qMax(fontMetrics().height(), style()->pixelMetric(QStyle::PM_IndicatorHeight)) + 6);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setHighlightSections(false);
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &index) { emit doubleAction(index.row()); });
}

int VLXTableView::selectedRow() const
{
    if (!selectionModel())
        return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void VLXTableView::selectRow(int row)
{
    if (!model() || row < 0 || row >= model()->rowCount()) {
        clearSelection();
        return;
    }
    QTableView::selectRow(row);
}

void VLXTableView::setDataSource(VLXTableDataSource *source, const QStringList &identifiers,
                                 const QStringList &titles)
{
    m_dataSource = source;
    auto *model = new VLXTableModel(this, source, identifiers, titles);
    model->setParent(this);
    setModel(model);
    delete m_tableModel;
    m_tableModel = model;
    horizontalHeader()->setVisible(!titles.isEmpty());
    model->reload();
}

void VLXTableView::reloadData()
{
    if (!m_tableModel)
        return;
    const int selected = selectedRow();
    m_tableModel->reload();
    if (selected >= 0 && selected < m_tableModel->rowCount())
        QTableView::selectRow(selected);
}

void VLXTableView::reloadRow(int row)
{
    if (m_tableModel)
        m_tableModel->rowChanged(row);
}

void VLXTableView::keyPressEvent(QKeyEvent *event)
{
    if (m_keyHandler && m_keyHandler(this, event->key()))
        return;
    QTableView::keyPressEvent(event);
}

void VLXTableView::mousePressEvent(QMouseEvent *event)
{
    if (m_keepsSelection && !indexAt(event->position().toPoint()).isValid()) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void VLXTableView::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addHelpItem(menu);
    menu->popup(event->globalPos());
}
